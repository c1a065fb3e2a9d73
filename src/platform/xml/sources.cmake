# The XML layer: the XML libraries' start-up, the one safe parser configuration, the DOM
# writer and XPath over Xerces documents (Xalan-C).
target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/XPathEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlLibraries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlSerializer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XsecHandles.cpp
)
target_link_libraries(q2_platform PUBLIC
    XercesC::XercesC PkgConfig::XMLSEC ${XALAN_C_LIB} ${XALAN_MSG_LIB})
