target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CertificateCollection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CertificateObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CertificateStoreObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChainValidation.cpp
)
