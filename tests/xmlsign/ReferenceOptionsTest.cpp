// SignFromHash (a reference with the caller's digest, added after signing, then the
// signature made again) and OverrideUri (the URI written instead of the one fetched).
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "XmlSignFixture.h"
#include "platform/crypt/Digest.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;
using platform::xml::textOf;

namespace {

const std::string kDocument = "<doc><a Id=\"p1\">uno</a></doc>";

std::string sha1Base64(const std::string& bytes) {
    auto digest =
        platform::crypt::digest(platform::crypt::HashAlgorithm::SHA1,
                                reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

} // namespace

TEST_F(XmlSignTest, SignFromHashAddsTheCallersReferenceAndSignsAgain) {
    const std::string data = std::string("datos firmados por su resumen\0\x01", 32);
    testpki::writeFile(path("data.bin"), data);
    set("EnvelopeType", "ENVELOPED");
    set("SignFromHash", "TRUE");
    set("URIReference", "file://" + path("data.bin"));
    set("HashData", sha1Base64(data));
    set("IdReference", "ref-datos");
    std::string out = signOk(kDocument, false, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 3u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "");
    EXPECT_EQ(attributeText(*references[1], "URI"), "#Signature1-TimeStamp1");
    EXPECT_EQ(attributeText(*references[2], "URI"), "file://" + path("data.bin"));
    EXPECT_EQ(attributeText(*references[2], "Id"), "ref-datos");
    EXPECT_EQ(textOf(*elementsNamed(*references[2], "DigestValue").at(0)), sha1Base64(data));
    // xmlsec1 digests the file itself and checks the value signed the second time.
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "--id-attr:Id SignatureProperty", false)) << output;

    // A wrong digest is signed as given, and so the peer refuses that reference.
    set("HashData", sha1Base64("otros datos"));
    std::string wrong = signOk(kDocument);
    EXPECT_FALSE(xmlsecVerify(wrong, &output, "", false)) << output;
}

TEST_F(XmlSignTest, SignFromHashTransformsAndParameters) {
    set("EnvelopeType", "ENVELOPING");
    set("SignFromHash", "TRUE");
    set("URIReference", "http://example.invalid/resumen");
    set("HashData", sha1Base64("x"));
    set("NumberTransforms", "2");
    set("TransformsNames0", dsig::kXPath);
    set("TransformsParams0", "<ds:XPath xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">"
                             "not(ancestor-or-self::ds:Signature)</ds:XPath>");
    set("TransformsNames1", dsig::kC14n);
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    const xercesc::DOMElement* added = references[1];
    EXPECT_EQ(attributeText(*added, "URI"), "http://example.invalid/resumen");
    // Added after the Ids were given, and without IdReference: no Id.
    EXPECT_FALSE(platform::xml::hasAttribute(*added, "Id"));
    auto transforms = elementsNamed(*added, "Transform");
    ASSERT_EQ(transforms.size(), 2u);
    EXPECT_EQ(attributeText(*transforms[0], "Algorithm"), dsig::kXPath);
    EXPECT_EQ(textOf(*transforms[0]), "not(ancestor-or-self::ds:Signature)");
    EXPECT_EQ(attributeText(*transforms[1], "Algorithm"), dsig::kC14n);
    EXPECT_EQ(transforms[1]->getFirstChild(), nullptr);
    // Transforms come before DigestMethod.
    EXPECT_EQ(platform::xml::toUtf8(added->getFirstElementChild()->getLocalName()), "Transforms");

    // The first reference (the enveloped document) still verifies: only the added one
    // cannot be fetched by the peer.
    std::string output;
    xmlsecVerify(out, &output, "", false);
    EXPECT_NE(output.find("SignedInfo References (ok/all): 1/2"), std::string::npos) << output;
}

TEST_F(XmlSignTest, SignFromHashRefusesWhatCannotBeADigest) {
    set("EnvelopeType", "ENVELOPED");
    set("SignFromHash", "TRUE");
    set("URIReference", "urn:x");
    set("HashData", "no es base64 de veinte bytes");
    Result digest = sign(kDocument);
    EXPECT_EQ(digest.hr, static_cast<HRESULT>(0x80044663u));
    EXPECT_EQ(digest.description,
              "El valor de HashData no es un resumen SHA-1 en Base64: no es base64 de veinte "
              "bytes");
    set("HashData", sha1Base64("x"));
    for (const char* count : {"-1", "x", "65", "99999999999999999999"}) {
        set("NumberTransforms", count);
        Result result = sign(kDocument);
        EXPECT_EQ(result.hr, static_cast<HRESULT>(0x80044663u)) << count;
        EXPECT_EQ(result.description,
                  std::string("El valor de NumberTransforms no es válido: ") + count);
    }
    set("NumberTransforms", "1");
    set("TransformsNames0", dsig::kC14n);
    set("TransformsParams0", "<sin cerrar>");
    Result params = sign(kDocument);
    EXPECT_EQ(params.hr, static_cast<HRESULT>(0x8004465Bu));
}

TEST_F(XmlSignTest, SignFromHashDetachedFetchesNothing) {
    // The data reference is the caller's: the URL is never fetched (nothing listens there).
    set("EnvelopeType", "ENVELOPING");
    set("SignFromHash", "TRUE");
    set("URIReference", "http://127.0.0.1:9/datos.pdf");
    set("HashData", sha1Base64("pdf"));
    set("OverrideUri", "ignored.pdf");
    std::string out = signOk("http://127.0.0.1:9/datos.pdf", true, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "http://127.0.0.1:9/datos.pdf");
    // The signing-time object is there, unreferenced.
    EXPECT_EQ(elementsNamed(*document, "SignatureProperty").size(), 1u);
    EXPECT_EQ(out.find("ignored.pdf"), std::string::npos);
}

TEST_F(XmlSignTest, OverrideUriReplacesTheFetchedUri) {
    const std::string data = "<factura><total>10</total></factura>";
    testpki::writeFile(path("factura.xml"), data);
    set("EnvelopeType", "ENVELOPING");
    set("OverrideUri", "factura.xml");
    std::string out = signOk("file://" + path("factura.xml"), true, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "factura.xml");
    EXPECT_EQ(attributeText(*references[1], "URI"), "#Signature1-TimeStamp1");
    EXPECT_EQ(out.find(path("factura.xml")), std::string::npos);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(
        out, &output, "--id-attr:Id SignatureProperty --url-map:factura.xml " + path("factura.xml"),
        false))
        << output;
    // OverrideUri is for detached signatures only.
    set("EnvelopeType", "ENVELOPED");
    std::string enveloped = signOk(data);
    EXPECT_EQ(attributeText(*elementsNamed(*parseXml(enveloped), "Reference").at(0), "URI"), "");
}
