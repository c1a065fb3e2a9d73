#pragma once

#include <initializer_list>
#include <string>

// Pieces of XML-DSig templates (prefix ds) for the tests.
namespace dsigtemplate {

inline const std::string kDsigNamespace = "http://www.w3.org/2000/09/xmldsig#";
inline const std::string kEnveloped = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";
inline const std::string kC14n = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
inline const std::string kC14nComments =
    "http://www.w3.org/TR/2001/REC-xml-c14n-20010315#WithComments";
inline const std::string kExclusive = "http://www.w3.org/2001/10/xml-exc-c14n#";
inline const std::string kExclusiveComments = "http://www.w3.org/2001/10/xml-exc-c14n#WithComments";
inline const std::string kXPath = "http://www.w3.org/TR/1999/REC-xpath-19991116";
inline const std::string kFilter2 = "http://www.w3.org/2002/06/xmldsig-filter2";
inline const std::string kSha1 = "http://www.w3.org/2000/09/xmldsig#sha1";
inline const std::string kSha256 = "http://www.w3.org/2001/04/xmlenc#sha256";

inline std::string transform(const std::string& algorithm, const std::string& content = "") {
    return "<ds:Transform Algorithm=\"" + algorithm + "\">" + content + "</ds:Transform>";
}

// Exclusive canonicalisation with an InclusiveNamespaces PrefixList.
inline std::string exclusive(const std::string& prefixes, bool comments = false) {
    return transform(comments ? kExclusiveComments : kExclusive,
                     "<ec:InclusiveNamespaces xmlns:ec=\"http://www.w3.org/2001/10/xml-exc-c14n#\""
                     " PrefixList=\"" +
                         prefixes + "\"/>");
}

// The XPath transform; `namespaces` are declarations put on its XPath element.
inline std::string xpath(const std::string& expression, const std::string& namespaces = "") {
    return transform(kXPath, "<ds:XPath" + (namespaces.empty() ? "" : " " + namespaces) + ">" +
                                 expression + "</ds:XPath>");
}

struct Filter {
    std::string operation; // intersect, subtract, union
    std::string expression;
};

inline std::string filter2(std::initializer_list<Filter> steps,
                           const std::string& namespaces = "") {
    std::string content;
    for (const Filter& step : steps) {
        content += "<f:XPath xmlns:f=\"" + kFilter2 + "\"" +
                   (namespaces.empty() ? "" : " " + namespaces) + " Filter=\"" + step.operation +
                   "\">" + step.expression + "</f:XPath>";
    }
    return transform(kFilter2, content);
}

inline std::string reference(const std::string& uri, std::initializer_list<std::string> transforms,
                             const std::string& digest = kSha1) {
    std::string joined;
    for (const std::string& piece : transforms) {
        joined += piece;
    }
    return "<ds:Reference URI=\"" + uri + "\">" +
           (joined.empty() ? "" : "<ds:Transforms>" + joined + "</ds:Transforms>") +
           "<ds:DigestMethod Algorithm=\"" + digest + "\"/><ds:DigestValue></ds:DigestValue>" +
           "</ds:Reference>";
}

inline std::string signature(std::initializer_list<std::string> references) {
    std::string joined;
    for (const std::string& piece : references) {
        joined += piece;
    }
    return "<ds:Signature xmlns:ds=\"" + kDsigNamespace + "\"><ds:SignedInfo>" +
           "<ds:CanonicalizationMethod Algorithm=\"" + kC14n + "\"/>" +
           "<ds:SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/>" +
           joined + "</ds:SignedInfo><ds:SignatureValue></ds:SignatureValue></ds:Signature>";
}

// A document with namespaces declared, redeclared and undeclared, xml: attributes,
// attributes and text that need escapes, CR characters, non-ASCII text, comments and
// processing instructions inside and outside the document element. SIGNATURE is replaced by
// the signature template; Ids: p1, p2, p3 (x:part and y:part), s1 (x:secret).
inline std::string document(const std::string& signatureTemplate) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- before -->\n"
        "<?first instruction?>\n"
        "<doc xmlns=\"urn:example:default\" xmlns:x=\"urn:example:x\" xmlns:y=\"urn:example:y\""
        " xmlns:unused=\"urn:example:unused\" xml:lang=\"es\""
        " x:attr=\"a&amp;b&lt;c&quot;d&#9;e&#10;f&#13;g&gt;h'i\">\n"
        "  SIGNATURE\n"
        "  <x:part Id=\"p1\" xml:space=\"preserve\">Acentos: ñ, á, € y 𝄞; &amp; &lt; &gt; \"q\""
        " CR:&#13;fin\r\n  </x:part>\n"
        "  <y:part xmlns:y=\"urn:example:y2\" Id=\"p2\" b=\"2\" a=\"1\" y:c=\"3\">"
        "<inner xmlns=\"\">sin espacio<x:leaf x:k=\"1\" a=\"2\"/></inner><!-- inside -->"
        "<y:e/><![CDATA[<cdata & more>]]></y:part>\n"
        "  <x:secret Id=\"s1\">secret<x:keep xml:lang=\"en\">kept</x:keep></x:secret>\n"
        "  <?inner instruction?>\n"
        "  <z:other xmlns:z=\"urn:example:z\" z:b=\"1\" a=\"0\"><x:part Id=\"p3\" "
        "xmlns:x=\"urn:example:x\">third <y:deep/></x:part></z:other>\n"
        "</doc>\n"
        "<!-- after -->\n";
    return text.replace(text.find("SIGNATURE"), 9, signatureTemplate);
}

// xmlsec1's options that make the Id attributes of that document IDs.
inline const std::string kDocumentIds = "--id-attr:Id urn:example:x:part "
                                        "--id-attr:Id urn:example:y2:part "
                                        "--id-attr:Id urn:example:x:secret";

} // namespace dsigtemplate
