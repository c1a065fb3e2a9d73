target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CQNVerifier_Internal_PKCS7.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNVerifier.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNVerifyStatus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RepairedMessage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignerCertificateCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VerifierFailure.cpp
)
