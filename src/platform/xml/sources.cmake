# The XML layer: the XML libraries' start-up and the conversion of their texts.
target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/XmlFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlLibraries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlText.cpp
)
target_link_libraries(q2_platform PUBLIC
    XercesC::XercesC PkgConfig::XMLSEC ${XALAN_C_LIB} ${XALAN_MSG_LIB})
