// Detached signatures of HTTP resources served on loopback, verified by xmlsec1, which
// fetches them itself.
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "TestServer.h"
#include "XmlSignFixture.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;

namespace {

class HttpSigning : public XmlSignTest {
protected:
    void SetUp() override {
        XmlSignTest::SetUp();
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
        unsetenv("all_proxy");
        testpki::run("mkdir -p " + files_);
        testpki::writeFile(files_ + "/pedido.xml",
                           "<?xml version=\"1.0\"?>\n<pedido   numero = '7'>\n"
                           "  <linea>uno</linea>\r\n  <vacio></vacio>\n</pedido>\n");
        std::string large;
        for (int i = 0; large.size() < 10000; ++i) {
            large += "linea " + std::to_string(i) + " de un texto que no es XML\n";
        }
        testpki::writeFile(files_ + "/texto.txt", large);
        server_ = std::make_unique<TestServer>(std::vector<std::string>{"--files", files_});
        set("EnvelopeType", "ENVELOPING");
        set("IncludeSigningCertificate", "TRUE");
    }
    std::vector<std::string> transforms(const xercesc::DOMElement& reference) {
        std::vector<std::string> out;
        for (const xercesc::DOMElement* t : elementsNamed(reference, "Transform")) {
            out.push_back(attributeText(*t, "Algorithm"));
        }
        return out;
    }

    std::string files_ = path("served");
    std::unique_ptr<TestServer> server_;
};

} // namespace

TEST_F(HttpSigning, XmlResourceWithC14n) {
    const std::string url = server_->url("/files/pedido.xml");
    std::string out = signOk(url, true, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[0], "URI"), url);
    EXPECT_EQ(transforms(*references[0]), std::vector<std::string>{dsig::kC14n});
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "--id-attr:Id SignatureProperty")) << output;
}

TEST_F(HttpSigning, NonXmlResourceLargerThanTheFirstBuffer) {
    const std::string url = server_->url("/files/texto.txt");
    std::string out = signOk(url, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_TRUE(transforms(*references[0]).empty());
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output)) << output;
    // The peer checks every byte: a changed resource no longer verifies.
    testpki::writeFile(files_ + "/texto.txt", "otro texto");
    EXPECT_FALSE(xmlsecVerify(out, &output)) << output;
}

TEST_F(HttpSigning, XadesDetachedOverHttp) {
    set("Xades", "TRUE");
    std::string out = signOk(server_->url("/files/pedido.xml"), true, true);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, xadesIds())) << output;
}

TEST_F(HttpSigning, MissingResourceFailsWithAReport) {
    Result missing = sign(server_->url("/files/nada.xml"), true);
    EXPECT_EQ(missing.hr, static_cast<HRESULT>(0x80044651u));
    EXPECT_NE(missing.description.find("HTTP status 404"), std::string::npos)
        << missing.description;
    EXPECT_TRUE(missing.bytes.empty());
    // An empty answer is refused with its own message.
    testpki::writeFile(files_ + "/vacio.xml", "");
    Result empty = sign(server_->url("/files/vacio.xml"), true);
    EXPECT_EQ(empty.hr, static_cast<HRESULT>(0x80044651u));
    EXPECT_EQ(empty.description, "El fichero no debe ser nulo.");
    std::string logged = log.text();
    EXPECT_NE(
        logged.find("El fichero no debe ser nulo. " + std::to_string(0x80044651 - 0x100000000LL)),
        std::string::npos);
}
