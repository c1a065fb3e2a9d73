target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CQNQuillionUtility.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CQNSignData_Internal_CMS.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CQNSignData_Internal_PKCS7.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CadesAttributes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNSignData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignerDescription.cpp
)
