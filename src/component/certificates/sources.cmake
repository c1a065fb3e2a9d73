target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CQNCertificate_Internal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CertificateFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CertificateListing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DistinguishedName.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNCertificate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNCertificates.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemStoreOpening.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XercesRegex.cpp
)
