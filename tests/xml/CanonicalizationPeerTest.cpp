// Canonical XML 1.0 and Exclusive XML Canonicalization 1.0 (with comments) of whole
// documents, against xmllint --c14n and --exc-c14n.
#include <string>

#include <gtest/gtest.h>
#include <xsec/canon/XSECC14n20010315.hpp>

#include "DsigTemplates.h"
#include "TestPki.h"
#include "XmlTestSupport.h"
#include "platform/xml/EmptyDefaultNamespaceFilter.h"
#include "platform/xml/NodeSet.h"
#include "platform/xml/NodeSetCanonicalizer.h"
#include "platform/xml/NodeSetDocument.h"

using platform::xml::NodeSetCanonicalizer;

namespace {

const char* const kDocuments[] = {
    // Prefixes bound again to other namespaces and back.
    "<a:x xmlns:a=\"urn:1\"><a:y xmlns:a=\"urn:2\"><a:z xmlns:a=\"urn:1\"/></a:y></a:x>",
    // The default namespace declared where nothing uses it, undeclared, declared again.
    "<a:root xmlns=\"urn:d\" xmlns:a=\"urn:a\"><child xmlns=\"\"><g xmlns=\"urn:d\"/><h/></child>"
    "<k/></a:root>",
    "<root xmlns=\"urn:d\"><a:x xmlns:a=\"urn:a\"><child xmlns=\"\"/><c2/></a:x></root>",
    "<r xmlns=\"urn:x\"><s xmlns=\"urn:x\"><t xmlns=\"\"><u xmlns=\"\"/></t></s></r>",
    // Declarations far above their use, and unused ones.
    "<root xmlns:u=\"urn:unused\" xmlns:d=\"urn:deep\"><a><b><d:c d:at=\"1\"/></b></a></root>",
    "<p:r xmlns:p=\"urn:p\" xmlns:q=\"urn:q\"><q:s p:a=\"1\"><p:t xmlns:p=\"urn:p\"/></q:s></p:r>",
    // Escapes, CR, tabs, CDATA, non-ASCII text, nodes around the document element.
    "<?xml version=\"1.0\"?>\n<?pi one?>\n<!-- c1 -->\n<r xml:lang=\"en\" xml:space=\"preserve\" "
    "a=\"x&#9;y&#10;z&#13;w&amp;&lt;&gt;&quot;\">t&#13;\r\nu &amp; &lt; &gt; \"q\" 's\n"
    "<![CDATA[cd<&>]]>é€𝄞<e/></r>\n<!-- c2 -->\n<?pi two?>\n",
    // Attributes in namespace order, default attributes of the internal subset.
    "<e xmlns:b=\"urn:a\" xmlns:a=\"urn:b\" b:z=\"1\" a:y=\"2\" c=\"3\" b=\"4\"/>",
    "<!DOCTYPE r [<!ATTLIST r def CDATA \"dv\">]><r/>",
};

std::string canonical(const std::string& text, bool exclusive) {
    auto document = xmltest::parse(text);
    platform::xml::NodeSetDocument view(*document);
    NodeSetCanonicalizer::Method method;
    method.exclusive = exclusive;
    method.comments = true;
    std::string out;
    NodeSetCanonicalizer::canonicalize(view, platform::xml::NodeSet::subtree(*document, true),
                                       method, [&out](const unsigned char* bytes, size_t size) {
                                           out.append(reinterpret_cast<const char*>(bytes), size);
                                       });
    return out;
}

std::string xmllint(const std::string& text, const char* option) {
    testpki::TempHome home;
    std::string path = home.path() + "/in.xml";
    testpki::writeFile(path, text);
    std::string output;
    EXPECT_EQ(testpki::run(std::string("xmllint ") + option + " " + path + " 2>/dev/null", &output),
              0);
    return output;
}

} // namespace

TEST(CanonicalizationPeer, InclusiveAsXmllint) {
    for (const char* text : kDocuments) {
        EXPECT_EQ(canonical(text, false), xmllint(text, "--c14n")) << text;
    }
    std::string withSignature = dsigtemplate::document("<empty/>");
    EXPECT_EQ(canonical(withSignature, false), xmllint(withSignature, "--c14n"));
}

TEST(CanonicalizationPeer, ExclusiveAsXmllint) {
    for (const char* text : kDocuments) {
        EXPECT_EQ(canonical(text, true), xmllint(text, "--exc-c14n")) << text;
    }
    std::string withSignature = dsigtemplate::document("<empty/>");
    EXPECT_EQ(canonical(withSignature, true), xmllint(withSignature, "--exc-c14n"));
}

// The mend of the exclusive canonicaliser's xmlns="" reads octets across any split.
TEST(CanonicalizationPeer, TheEmptyDefaultNamespaceMendIsIndependentOfChunks) {
    const std::string text =
        "<a:root xmlns=\"urn:d\" xmlns:a=\"urn:a\"><!-- <c xmlns=\"\"> --><?p <q xmlns=\"\">?>"
        "<child xmlns=\"\" t=\"&quot;>&lt;x xmlns=&quot;&quot;\">x xmlns=\"\" y<g xmlns=\"urn:d\">"
        "<h xmlns=\"\"/></g></child></a:root>";
    const std::string expected = xmllint(text, "--exc-c14n");
    EXPECT_EQ(canonical(text, true), expected);

    // What XML-Security-C's canonicaliser writes by itself.
    auto document = xmltest::parse(text);
    XSECC14n20010315 c14n(document.get());
    c14n.setExclusive();
    std::string raw;
    unsigned char buffer[4096];
    for (XMLSize_t n; (n = c14n.outputBuffer(buffer, sizeof buffer)) > 0;) {
        raw.append(reinterpret_cast<const char*>(buffer), n);
    }
    ASSERT_NE(raw, expected);
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{7}, raw.size()}) {
        std::string mended;
        platform::xml::EmptyDefaultNamespaceFilter filter(
            [&mended](const unsigned char* bytes, size_t size) {
                mended.append(reinterpret_cast<const char*>(bytes), size);
            });
        for (size_t at = 0; at < raw.size(); at += chunk) {
            filter.write(reinterpret_cast<const unsigned char*>(raw.data()) + at,
                         std::min(chunk, raw.size() - at));
        }
        filter.finish();
        EXPECT_EQ(mended, expected) << "chunks of " << chunk;
    }
}
