// What the reference digester refuses and how it leaves documents.
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "DsigTemplates.h"
#include "XmlTestSupport.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "stream/exceptions/StreamException.h"

using namespace dsigtemplate;
using platform::xml::ReferenceDigester;

namespace {

struct Parsed {
    platform::xml::DocumentPtr document;
    xercesc::DOMElement* reference;
};

// The document of the tests with one reference in its signature.
Parsed withReference(const std::string& referenceText) {
    Parsed parsed;
    parsed.document = xmltest::parse(document(signature({referenceText})));
    auto found = platform::xml::descendantElements(*parsed.document,
                                                   platform::xml::dsig::kNamespace, "Reference");
    parsed.reference = const_cast<xercesc::DOMElement*>(found.at(0));
    return parsed;
}

// The message the digest raises, or "" when it raises nothing.
std::string failureOf(const std::string& referenceText) {
    Parsed parsed = withReference(referenceText);
    try {
        ReferenceDigester::digest(*parsed.reference);
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.code(), platform::xml::kXmlFailureCode);
        return e.message();
    }
    return "";
}

bool handled(const std::string& referenceText) {
    return ReferenceDigester::handles(*withReference(referenceText).reference);
}

} // namespace

TEST(ReferenceDigester, SaysWhichReferencesAreItsOwn) {
    EXPECT_TRUE(handled(reference("", {transform(kEnveloped), xpath("true()"),
                                       filter2({{"subtract", "/"}}), transform(kC14n)})));
    EXPECT_TRUE(handled(reference("#p1", {}, kSha256)));
    EXPECT_TRUE(handled(reference("#xpointer(id('p1'))", {exclusive("x")})));
    EXPECT_FALSE(handled(reference("http://example.org/data.xml", {transform(kC14n)})));
    EXPECT_FALSE(handled(reference("file:///etc/hosts", {})));
    EXPECT_FALSE(handled(reference("#xpointer(//x:part)", {})));
    EXPECT_FALSE(handled(reference("", {transform("http://www.w3.org/2006/12/xml-c14n11")})));
    EXPECT_FALSE(
        handled(reference("#p1", {transform("http://www.w3.org/2000/09/xmldsig#base64")})));
    EXPECT_FALSE(handled(reference("", {transform(kC14n), transform(kEnveloped)})));
    EXPECT_FALSE(handled(reference("#p1", {}, "http://www.w3.org/2001/04/xmlenc#sha512")));
}

TEST(ReferenceDigester, RefusesWhatItCannotComputeByName) {
    EXPECT_NE(failureOf(reference("", {transform(kEnveloped),
                                       transform("http://www.w3.org/2006/12/xml-c14n11")}))
                  .find("Canonical XML 1.1"),
              std::string::npos);
    EXPECT_NE(
        failureOf(reference("#p1", {transform("http://www.w3.org/TR/1999/REC-xslt-19991116")}))
            .find("REC-xslt-19991116\" is not supported"),
        std::string::npos);
    EXPECT_NE(failureOf(reference("", {transform(kC14n), transform(kEnveloped)}))
                  .find("Only the last transform"),
              std::string::npos);
    EXPECT_NE(failureOf(reference("#p1", {}, "http://www.w3.org/2001/04/xmlenc#sha512"))
                  .find("xmlenc#sha512\" is not supported"),
              std::string::npos);
    EXPECT_NE(failureOf(reference("http://example.org/", {})).find("not a same-document"),
              std::string::npos);
}

TEST(ReferenceDigester, IdsMustNameExactlyOneElement) {
    EXPECT_EQ(failureOf(reference("#missing", {})), "No element has the Id \"missing\"");
    // p1 appears twice once the x:keep element carries it as well.
    std::string twice = document(signature({reference("#p1", {})}));
    twice.replace(twice.find("<x:keep"), 7, "<x:keep iD=\"p1\"");
    auto parsed = xmltest::parse(twice);
    auto found =
        platform::xml::descendantElements(*parsed, platform::xml::dsig::kNamespace, "Reference");
    try {
        ReferenceDigester::digest(const_cast<xercesc::DOMElement&>(*found.at(0)));
        FAIL() << "no exception";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.message(), "More than one element has the Id \"p1\"");
    }
}

TEST(ReferenceDigester, MalformedTransformsFailClearly) {
    EXPECT_NE(failureOf(reference("", {xpath("count(")})).find("cannot be compiled"),
              std::string::npos);
    EXPECT_NE(failureOf(reference("", {xpath("not(ancestor::undeclared:x)")})), "");
    EXPECT_NE(failureOf(reference("", {transform(kXPath)})).find("no XPath element"),
              std::string::npos);
    EXPECT_NE(
        failureOf(reference("", {filter2({{"exclude", "/"}})})).find("\"exclude\" is unknown"),
        std::string::npos);
    EXPECT_NE(
        failureOf(reference("", {filter2({{"intersect", "1 + 1"}})})).find("does not select nodes"),
        std::string::npos);

    // An enveloped-signature transform outside any signature.
    auto parsed = xmltest::parse("<r><ds:Reference xmlns:ds=\"" + kDsigNamespace +
                                 "\" URI=\"\"><ds:Transforms>" + transform(kEnveloped) +
                                 "</ds:Transforms><ds:DigestMethod Algorithm=\"" + kSha1 +
                                 "\"/><ds:DigestValue/></ds:Reference></r>");
    auto* loose = static_cast<xercesc::DOMElement*>(parsed->getDocumentElement()->getFirstChild());
    EXPECT_THROW(ReferenceDigester::digest(*loose), stream::exceptions::StreamException);
}

TEST(ReferenceDigester, OctetsOfTheSignersReference) {
    // The signer's whole-document reference: the signature goes, everything else stays.
    Parsed parsed = withReference(
        reference("", {transform(kEnveloped), xpath("not(ancestor-or-self::ds:Signature)"),
                       transform(kC14n)}));
    std::string octets = ReferenceDigester::octets(*parsed.reference);
    EXPECT_EQ(octets.find("Signature"), std::string::npos);
    EXPECT_EQ(octets.find("<!--"), std::string::npos);
    // The instruction before the document element stays, the comment does not.
    EXPECT_EQ(octets.rfind("<?first instruction?>\n<doc xmlns=\"urn:example:default\"", 0), 0u);
    EXPECT_NE(octets.find("<x:secret Id=\"s1\">secret<x:keep xml:lang=\"en\">kept</x:keep>"),
              std::string::npos);
    EXPECT_NE(octets.find("&lt;cdata &amp; more&gt;"), std::string::npos);
    EXPECT_NE(octets.find("CR:&#xD;fin\n"), std::string::npos);
    EXPECT_EQ(octets.substr(octets.size() - 6), "</doc>");
}

TEST(ReferenceDigester, AFilterNeverAddsToItsInput) {
    // XPath Filter 2.0 keeps the input's nodes that are in the filter: a union reaching outside
    // "#p2" adds nothing (xmlsec1 would add the x:secret subtree here).
    std::string alone = ReferenceDigester::octets(*withReference(reference("#p2", {})).reference);
    Parsed filtered = withReference(
        reference("#p2", {filter2({{"union", "//x:secret"}}, "xmlns:x=\"urn:example:x\"")}));
    EXPECT_EQ(ReferenceDigester::octets(*filtered.reference), alone);
    EXPECT_EQ(alone.find("secret"), std::string::npos);
}
