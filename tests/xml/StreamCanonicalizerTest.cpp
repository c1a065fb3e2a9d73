// The streaming canonicalisation of a whole document less its signatures, against the DOM
// road (the reference digester over the same reference) and against xmllint; and the outline
// the same pass records.
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include "DsigTemplates.h"
#include "TestPki.h"
#include "XmlTestSupport.h"
#include "platform/xml/DocumentScan.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/StreamCanonicalizer.h"
#include "platform/xml/XmlText.h"

using platform::xml::DocumentOutline;
using platform::xml::DocumentScan;
using platform::xml::StreamCanonicalizer;

namespace {

struct Variant {
    std::string transform; // the canonicalisation transform of the reference
    StreamCanonicalizer::Method method;
};

std::vector<Variant> variants() {
    using dsigtemplate::transform;
    return {
        {transform(dsigtemplate::kC14n), {false, false, ""}},
        {transform(dsigtemplate::kC14nComments), {false, true, ""}},
        {transform(dsigtemplate::kExclusive), {true, false, ""}},
        {transform(dsigtemplate::kExclusiveComments), {true, true, ""}},
        {dsigtemplate::exclusive("x #default unused"), {true, false, "x #default unused"}},
        {dsigtemplate::exclusive("y", true), {true, true, "y"}},
    };
}

std::string streamed(const std::string& text, const StreamCanonicalizer::Method& method,
                     std::optional<DocumentOutline>* outline = nullptr) {
    std::string out;
    StreamCanonicalizer canonicalizer(method, [&out](const unsigned char* bytes, size_t size) {
        out.append(reinterpret_cast<const char*>(bytes), size);
    });
    std::optional<DocumentOutline> scanned = DocumentScan::scan(text, &canonicalizer);
    EXPECT_TRUE(scanned.has_value()) << text;
    if (outline != nullptr) {
        *outline = std::move(scanned);
    }
    return out;
}

// The octets of the document's first reference, by the DOM road.
std::string fromDom(const std::string& text) {
    auto document = xmltest::parse(text);
    auto* references = document->getElementsByTagNameNS(
        platform::xml::XmlString(dsigtemplate::kDsigNamespace), u"Reference");
    EXPECT_GT(references->getLength(), 0u);
    auto* reference = static_cast<xercesc::DOMElement*>(references->item(0));
    return platform::xml::ReferenceDigester::octets(*reference);
}

const char* const kDocuments[] = {
    "<a:x xmlns:a=\"urn:1\"><a:y xmlns:a=\"urn:2\"><a:z xmlns:a=\"urn:1\"/></a:y>SIG</a:x>",
    "<a:root xmlns=\"urn:d\" xmlns:a=\"urn:a\"><child xmlns=\"\"><g xmlns=\"urn:d\"/><h/></child>"
    "<k/>SIG</a:root>",
    "<root xmlns=\"urn:d\"><a:x xmlns:a=\"urn:a\"><child xmlns=\"\"/><c2/></a:x>SIG</root>",
    "<r xmlns=\"urn:x\"><s xmlns=\"urn:x\"><t xmlns=\"\"><u xmlns=\"\"/></t></s>SIG</r>",
    "<root xmlns:u=\"urn:unused\" xmlns:d=\"urn:deep\"><a><b><d:c d:at=\"1\"/></b></a>SIG</root>",
    "<p:r xmlns:p=\"urn:p\" xmlns:q=\"urn:q\"><q:s p:a=\"1\"><p:t xmlns:p=\"urn:p\"/></q:s>SIG"
    "</p:r>",
    "<?xml version=\"1.0\"?>\n<?pi one?>\n<!-- c1 -->\n<r xml:lang=\"en\" xml:space=\"preserve\" "
    "a=\"x&#9;y&#10;z&#13;w&amp;&lt;&gt;&quot;\">t&#13;\r\nu &amp; &lt; &gt; \"q\" 's\n"
    "<![CDATA[cd<&>]]>é€𝄞<e/>SIG</r>\n<!-- c2 -->\n<?pi two?>\n",
    "<e xmlns:b=\"urn:a\" xmlns:a=\"urn:b\" b:z=\"1\" a:y=\"2\" c=\"3\" b=\"4\">SIG</e>",
    // Attributes whose local names or namespaces sort differently by code unit and code point.
    "<e xmlns:h=\"urn:\xEF\xA4\x80\" xmlns:l=\"urn:\xF0\x9D\x84\x9E\" h:a=\"1\" l:a=\"2\" "
    "\xEF\xA4\x80=\"3\" \xF0\x9D\x84\x9E=\"4\">SIG</e>",
    // A signature deeper in the document, and two signatures.
    "<r xmlns:s=\"urn:s\"><s:wrap>SIG<s:after/></s:wrap><x/></r>",
    "<r>SIG<middle/>SIG</r>",
};

std::string withSignatures(std::string text, const std::string& signature) {
    for (size_t at = text.find("SIG"); at != std::string::npos; at = text.find("SIG")) {
        text.replace(at, 3, signature);
    }
    return text;
}

} // namespace

TEST(StreamCanonicalizer, AsTheDomRoadForEveryMethod) {
    for (const Variant& variant : variants()) {
        // "" leaves comments out whatever the canonicalisation; "#xpointer(/)" keeps them.
        std::string signature = dsigtemplate::signature({dsigtemplate::reference(
            variant.method.comments ? "#xpointer(/)" : "",
            {dsigtemplate::xpath("not(ancestor-or-self::ds:Signature)",
                                 "xmlns:ds=\"" + dsigtemplate::kDsigNamespace + "\""),
             variant.transform})});
        std::vector<std::string> texts(std::begin(kDocuments), std::end(kDocuments));
        texts.push_back(dsigtemplate::document(signature));
        for (const std::string& base : texts) {
            std::string text = withSignatures(base, signature);
            EXPECT_EQ(streamed(text, variant.method), fromDom(text)) << variant.transform << "\n"
                                                                     << text;
        }
    }
}

TEST(StreamCanonicalizer, AsXmllintWithoutSignatures) {
    for (const char* base : kDocuments) {
        std::string text = withSignatures(base, "");
        if (text.find("\"urn:\xEF") != std::string::npos) {
            continue; // xmllint refuses non-ASCII namespace names (the DOM road checks it)
        }
        testpki::TempHome home;
        testpki::writeFile(home.path() + "/in.xml", text);
        for (const char* option : {"--c14n", "--exc-c14n"}) {
            std::string expected;
            ASSERT_EQ(testpki::run(std::string("xmllint ") + option + " " + home.path() +
                                       "/in.xml 2>/dev/null",
                                   &expected),
                      0);
            StreamCanonicalizer::Method method{std::string(option) == "--exc-c14n", true, ""};
            EXPECT_EQ(streamed(text, method), expected) << option << "\n" << text;
        }
    }
}

TEST(DocumentScan, OutlineInByteOffsets) {
    std::string signature = dsigtemplate::signature({dsigtemplate::reference("", {})});
    std::string text = "<?xml version='1.0' encoding='ISO-8859-1'?>\n<r:root xmlns:r=\"urn:r\" "
                       "id=\"a1\" a=\">\">\n  <e ID=\"b2\"><x iD=\"c3\" xml:id=\"no\" Id=\"d4\"/>" +
                       signature + "</e>" + signature + "\n</r:root>\n";
    std::optional<DocumentOutline> outline;
    streamed(text, {}, &outline);
    ASSERT_TRUE(outline.has_value());
    EXPECT_EQ(outline->encoding, "ISO-8859-1");
    EXPECT_EQ(outline->rootName, "r:root");
    EXPECT_EQ(text.substr(outline->rootTagBegin, outline->rootTagEnd - outline->rootTagBegin),
              "<r:root xmlns:r=\"urn:r\" id=\"a1\" a=\">\">");
    EXPECT_EQ(text.substr(outline->rootEndTagBegin), "</r:root>\n");
    ASSERT_EQ(outline->signatures.size(), 2u);
    for (const auto& found : outline->signatures) {
        EXPECT_EQ(text.substr(found.begin, found.end - found.begin), signature);
    }
    EXPECT_FALSE(outline->signatures[0].childOfRoot);
    EXPECT_TRUE(outline->signatures[1].childOfRoot);
    EXPECT_EQ(outline->ids, (std::vector<std::string>{"a1", "b2", "c3", "d4"}));
    // The skeleton keeps the declaration, the root's start tag and its child signature.
    EXPECT_EQ(DocumentScan::skeleton(text, *outline),
              "<?xml version='1.0' encoding='ISO-8859-1'?><r:root xmlns:r=\"urn:r\" id=\"a1\" "
              "a=\">\">" +
                  signature + "</r:root>");
}

TEST(DocumentScan, WhatCannotStream) {
    // A document type, a UTF-16 text, an encoding whose offsets differ, an empty root.
    for (const std::string& text :
         {std::string("<!DOCTYPE r [<!ATTLIST r def CDATA \"dv\">]><r></r>"),
          std::string("\xFF\xFE<\0r\0/\0>\0", 10),
          std::string("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r></r>"),
          std::string("<r/>")}) {
        EXPECT_FALSE(DocumentScan::scan(text).has_value()) << text;
    }
    // Malformed input is the parser's error, as on the DOM road.
    EXPECT_THROW(DocumentScan::scan("<r><a></r>"), xercesc::SAXParseException);
    // Nesting past the bound goes to the DOM road, which reports it.
    std::string deep;
    for (int i = 0; i < 1100; ++i) {
        deep += "<d>";
    }
    for (int i = 0; i < 1100; ++i) {
        deep += "</d>";
    }
    EXPECT_FALSE(DocumentScan::scan(deep).has_value());
}
TEST(DocumentScan, AByteOrderMarkIsPartOfTheOffsets) {
    const std::string text = "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\n<doc a='1'>"
                             "<ds:Signature xmlns:ds='http://www.w3.org/2000/09/xmldsig#'/>"
                             "\xC3\xA9</doc>";
    std::optional<DocumentOutline> outline = DocumentScan::scan(text);
    ASSERT_TRUE(outline.has_value());
    EXPECT_EQ(text.substr(outline->rootTagBegin, outline->rootTagEnd - outline->rootTagBegin),
              "<doc a='1'>");
    EXPECT_EQ(text.substr(outline->rootEndTagBegin), "</doc>");
    ASSERT_EQ(outline->signatures.size(), 1u);
    EXPECT_EQ(text.substr(outline->signatures[0].begin, 4), "<ds:");
    EXPECT_EQ(text[outline->signatures[0].end - 1], '>');
    // A UTF-8 mark before a declaration of another encoding is left to the DOM road.
    EXPECT_FALSE(DocumentScan::scan("\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>"
                                    "<doc></doc>")
                     .has_value());
}
