# The XML layer: the XML libraries' start-up, the one safe parser configuration, the DOM
# writer, XPath over Xerces documents (Xalan-C), same-document node sets, their transforms and
# canonicalisation (XML-Security-C's canonicaliser), the reference digester, and the URI
# resolvers (local, HTTP, composite) the XML signature engine and the signer fetch through.
target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CompositeURIResolver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentScan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DomLookup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EmptyDefaultNamespaceFilter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopedSignatureTransform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpURIResolver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalURIResolver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NamespaceExpansion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NodeSet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NodeSetCanonicalizer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NodeSetDocument.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReferenceDigester.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SameDocumentReference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StreamCanonicalizer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathFilter2Transform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathSelection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathTextView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XPathTransform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlLibraries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlSerializer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XsecHandles.cpp
)
target_link_libraries(q2_platform PUBLIC
    XercesC::XercesC PkgConfig::XMLSEC ${XALAN_C_LIB} ${XALAN_MSG_LIB})
