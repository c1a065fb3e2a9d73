target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CertificateFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DistinguishedName.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XercesRegex.cpp
)
