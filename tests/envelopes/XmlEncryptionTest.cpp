#include "component/envelopes/XmlEncryption.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "EnvelopeFixture.h"
#include "component/content/QNCryptoSystem.h"
#include "stream/RawCodecs.h"

namespace envelopes = component::envelopes;
namespace content = component::content;
using namespace envelopetest;

namespace {

constexpr uint32_t QN_E_ENCRYPT_SETUP = 0x80044659;

// A document with a default namespace, an element with an Id, mixed content and an attribute
// named "id" deeper down.
constexpr char kDocument[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<pedido xmlns=\"urn:ejemplo:pedidos\" xmlns:p=\"urn:ejemplo:p\">"
    "<cabecera Id=\"cab\">Cliente: <p:nombre>Ana</p:nombre> canción</cabecera>"
    "<linea id=\"l1\"><p:articulo>tornillos</p:articulo><cantidad>"
    "100</cantidad></linea>"
    "<nota iD=\"n\">solo texto</nota><vacio ID=\"v\"/></pedido>";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class XmlEncryptionTest : public EnvelopeFixture {
protected:
    void SetUp() override {
        EnvelopeFixture::SetUp();
        keep("one", people_.one);
        keep("two", people_.two);
        one_ = loose(people_.one);
        two_ = loose(people_.two);
        put("original.xml", kDocument);
    }
    // An XML Encryption of the document for the recipients, with the settings given.
    Outcome encryptXml(const std::string& algorithm, const std::string& element = "",
                       bool contentOnly = false, const std::string& document = kDocument,
                       std::initializer_list<component::certificates::QNCertificate*> to = {}) {
        settings().set("XMLEncryption", "TRUE");
        settings().set("SymmmetricCryptAlgorithm", algorithm);
        settings().set("ElementToCypher", element);
        settings().set("XMLEncDoContentOnly", contentOnly ? "TRUE" : "FALSE");
        auto list = to.size() == 0 ? recipients({one_.get()}) : recipients(to);
        return encrypt(*enveloper(false), document, list.get());
    }
    // xmlsec1 --decrypt with the key of name; the document it gives, canonical, or "<failed>".
    std::string xmlsecOpens(const std::string& encrypted, const std::string& name) const {
        put("encrypted.xml", encrypted);
        std::string log;
        int status = testpki::run("xmlsec1 --decrypt --privkey-pem " + path(name + ".key") + "," +
                                      path(name + ".pem") + " --output " + path("opened.xml") +
                                      " " + path("encrypted.xml"),
                                  &log);
        if (status != 0) {
            return "<failed>";
        }
        return canonical("opened.xml");
    }
    std::string canonical(const std::string& file) const {
        std::string out;
        // Exclusive canonical form: namespace declarations where they are used, so that a
        // declaration the encrypted subtree carried down compares equal.
        EXPECT_EQ(testpki::run("xmllint --exc-c14n " + path(file), &out), 0) << out;
        return out;
    }
    // The EncryptedData elements' Type attributes of a document, in order.
    static std::vector<std::string> encryptedTypes(const std::string& document) {
        std::vector<std::string> types;
        std::regex type("<xenc:EncryptedData[^>]*Type=\"([^\"]*)\"");
        for (std::sregex_iterator i(document.begin(), document.end(), type), end; i != end; ++i) {
            types.push_back((*i)[1]);
        }
        return types;
    }

    com::ComPtr<component::certificates::QNCertificate> one_;
    com::ComPtr<component::certificates::QNCertificate> two_;
};

constexpr char kElement[] = "http://www.w3.org/2001/04/xmlenc#Element";
constexpr char kContent[] = "http://www.w3.org/2001/04/xmlenc#Content";

} // namespace

TEST_F(XmlEncryptionTest, XmlsecOpensEveryAlgorithmInEveryPlacement) {
    const std::string original = canonical("original.xml");
    struct Case {
        const char* algorithm;
        const char* method;
    };
    for (Case c : {Case{"1.2.840.113549.3.7", "xmlenc#tripledes-cbc"},
                   Case{"AES-128", "xmlenc#aes128-cbc"}, Case{"AES-256", "xmlenc#aes256-cbc"}}) {
        struct Placement {
            const char* element;
            bool contentOnly;
            const char* type;
            const char* stillClear;
            const char* hidden;
        };
        for (Placement p : {Placement{"", false, kElement, "", "tornillos"},
                            Placement{"/", false, kElement, "", "Ana"},
                            Placement{"l1", false, kElement, "solo texto", "tornillos"},
                            Placement{"cab", true, kContent, "<cabecera Id=\"cab\">", "Ana"},
                            Placement{"l1", true, kContent, "<linea id=\"l1\">", "tornillos"}}) {
            SCOPED_TRACE(std::string(c.algorithm) + " element [" + p.element + "]" +
                         (p.contentOnly ? " content" : ""));
            Outcome made = encryptXml(c.algorithm, p.element, p.contentOnly);
            ASSERT_EQ(made.hr, S_OK) << made.description;
            EXPECT_EQ(encryptedTypes(made.bytes), std::vector<std::string>{p.type});
            EXPECT_TRUE(contains(made.bytes, c.method));
            EXPECT_TRUE(contains(made.bytes, "xmlenc#rsa-1_5"));
            EXPECT_TRUE(contains(made.bytes, p.stillClear));
            EXPECT_FALSE(contains(made.bytes, p.hidden));
            EXPECT_EQ(xmlsecOpens(made.bytes, "one"), original);
        }
    }
}

TEST_F(XmlEncryptionTest, TheEncryptedKeyNamesTheRecipientCertificate) {
    Outcome made = encryptXml("AES-128");
    ASSERT_EQ(made.hr, S_OK) << made.description;
    // Issuer and serial number (0x0102 = 258) as the certificate object gives them, then the
    // certificate.
    std::regex keyInfo(
        "<xenc:EncryptedKey[^>]*>\\s*<xenc:EncryptionMethod[^>]*/>\\s*"
        "<ds:KeyInfo[^>]*>\\s*<ds:X509Data>\\s*<ds:X509IssuerSerial>\\s*"
        "<ds:X509IssuerName>CN=CA Sobres, O=Quillion, C=ES</ds:X509IssuerName>\\s*"
        "<ds:X509SerialNumber>258</ds:X509SerialNumber>\\s*"
        "</ds:X509IssuerSerial>\\s*<ds:X509Certificate>([^<]*)</ds:X509Certificate>");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(made.bytes, found, keyInfo)) << made.bytes;
    std::string base64 = found[1];
    EXPECT_FALSE(contains(base64, "&#xD;"));
    base64.erase(std::remove(base64.begin(), base64.end(), '\n'), base64.end());
    const std::vector<unsigned char>& der = people_.one.certificate->der();
    std::string expected(stream::base64EncodeRaw(nullptr, der.data(), der.size()), '\0');
    stream::base64EncodeRaw(expected.data(), der.data(), der.size());
    EXPECT_EQ(base64, expected);
}

TEST_F(XmlEncryptionTest, SessionKeysAreFreshRandomBytesOfTheAlgorithmsLength) {
    // The EncryptedKey opened with openssl gives the content key itself.
    std::set<std::string> keys;
    for (auto [algorithm, length] : {std::pair{"1.2.840.113549.3.7", 24},
                                     {"AES-128", 16},
                                     {"AES-128", 16},
                                     {"AES-256", 32},
                                     {"AES-256", 32}}) {
        Outcome made = encryptXml(algorithm);
        ASSERT_EQ(made.hr, S_OK) << made.description;
        std::regex cipherValue("<xenc:EncryptedKey.*?<xenc:CipherValue>([^<]*)</xenc:CipherValue>");
        std::string flat = made.bytes;
        std::replace(flat.begin(), flat.end(), '\n', ' ');
        std::smatch found;
        ASSERT_TRUE(std::regex_search(flat, found, cipherValue));
        std::string base64 = found[1];
        base64.erase(std::remove(base64.begin(), base64.end(), ' '), base64.end());
        put("key.b64", base64 + "\n");
        std::string key;
        ASSERT_EQ(testpki::run("openssl base64 -d -A -in " + path("key.b64") + " -out " +
                               path("key.bin") + " && openssl pkeyutl -decrypt -inkey " +
                               path("one.key") + " -in " + path("key.bin") + " -out " +
                               path("key.raw")),
                  0);
        key = testpki::readFile(path("key.raw"));
        EXPECT_EQ(key.size(), static_cast<size_t>(length)) << algorithm;
        EXPECT_TRUE(keys.insert(key).second) << "a content key came twice";
    }
}

TEST_F(XmlEncryptionTest, TheSettingsAreOneShot) {
    ASSERT_EQ(encryptXml("AES-256", "cab", true).hr, S_OK);
    EXPECT_EQ(settings().get("XMLEncryption"), "FALSE");
    EXPECT_EQ(settings().get("XMLEncDoContentOnly"), "FALSE");
    EXPECT_EQ(settings().get("ElementToCypher"), "");
    EXPECT_EQ(settings().get("SymmmetricCryptAlgorithm"), "AES-256");
    // Reset even when the call fails.
    settings().set("XMLEncDoContentOnly", "TRUE");
    settings().set("ElementToCypher", "cab");
    settings().set("XMLEncryption", "TRUE");
    Outcome failed = encrypt(*enveloper(false), kDocument, recipients({}).get());
    EXPECT_EQ(failed.code(), QN_E_ENCRYPT_SETUP);
    EXPECT_EQ(failed.description, "No se han especificado destinatarios");
    EXPECT_EQ(settings().get("XMLEncryption"), "FALSE");
    EXPECT_EQ(settings().get("XMLEncDoContentOnly"), "FALSE");
    EXPECT_EQ(settings().get("ElementToCypher"), "");
}

TEST_F(XmlEncryptionTest, ModeSixMakesOneXmlEncryptionThenPkcs7Envelopes) {
    auto system = content::QNCryptoSystem::create();
    system->setMode(6);
    IDispatch* made = nullptr;
    ASSERT_EQ(system->newEnvelopedData(&made), S_OK);
    com::ComPtr<IDispatch> owned = com::ComPtr<IDispatch>::attach(made);
    auto* envelope = dynamic_cast<envelopes::QNEnvelopedData*>(made);
    ASSERT_NE(envelope, nullptr);
    settings().set("SymmmetricCryptAlgorithm", "AES-128");
    Outcome first = encrypt(*envelope, kDocument, recipients({one_.get()}).get());
    ASSERT_EQ(first.hr, S_OK) << first.description;
    EXPECT_TRUE(contains(first.bytes, "<xenc:EncryptedData"));
    settings().set("SymmmetricCryptAlgorithm", kAes128);
    Outcome second = encrypt(*envelope, kDocument, recipients({one_.get()}).get());
    ASSERT_EQ(second.hr, S_OK) << second.description;
    EXPECT_EQ(opensslOpens(second.bytes, "one"), kDocument);
}

TEST_F(XmlEncryptionTest, ContentOnlyNeedsTwoChildNodes) {
    // One text child, or none: the whole element.
    for (const char* element : {"n", "v"}) {
        Outcome made = encryptXml("AES-128", element, true);
        ASSERT_EQ(made.hr, S_OK) << made.description;
        EXPECT_EQ(encryptedTypes(made.bytes), std::vector<std::string>{kElement}) << element;
        EXPECT_EQ(xmlsecOpens(made.bytes, "one"), canonical("original.xml"));
    }
}

TEST_F(XmlEncryptionTest, OnlyTheFirstRecipientCanOpenAndTheOthersAreNamed) {
    auto three = loose(people_.three);
    Outcome made =
        encryptXml("AES-256", "", false, kDocument, {one_.get(), two_.get(), three.get()});
    ASSERT_EQ(made.hr, S_OK) << made.description;
    EXPECT_EQ(xmlsecOpens(made.bytes, "one"), canonical("original.xml"));
    EXPECT_EQ(xmlsecOpens(made.bytes, "two"), "<failed>");
    EXPECT_TRUE(contains(log_.text(),
                         "WARNING: XMLEncrypt: solo el primer destinatario podra descifrar el "
                         "documento; destinatarios omitidos: CN=Dos Cifrado, O=Quillion, C=ES; "
                         "CN=Tres Cifrado, O=Quillion, C=ES"));
}

TEST_F(XmlEncryptionTest, FailuresAreReportedThroughTheTable) {
    struct Case {
        std::string document;
        std::string algorithm;
        std::string element;
        std::string message;
    };
    for (const Case& c : {
             Case{"<a><b>no cerrado</a>", "AES-128", "", "Error XML"},
             Case{"", "AES-128", "", "Error XML"},
             Case{"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "AES-128", "", "Error XML"},
             Case{kDocument, "AES-192", "", "Algoritmo de cifrado no reconocido."},
             Case{kDocument, "2.16.840.1.101.3.4.1.2", "", "Algoritmo de cifrado no reconocido."},
             Case{kDocument, "AES-128", "ninguno",
                  "No se ha podido encontrar el elemento a "
                  "descifrar."},
             Case{kDocument, "AES-128", "CAB",
                  "No se ha podido encontrar el elemento a "
                  "descifrar."},
         }) {
        SCOPED_TRACE(c.document.substr(0, 20) + " " + c.algorithm + " " + c.element);
        Outcome failed = encryptXml(c.algorithm, c.element, false, c.document);
        EXPECT_EQ(failed.code(), QN_E_ENCRYPT_SETUP);
        EXPECT_EQ(failed.description, c.message);
        EXPECT_TRUE(failed.bytes.empty());
    }
    // An EC certificate's key cannot take the content key.
    auto ec = loose(people_.ec);
    Outcome refused = encryptXml("AES-128", "", false, kDocument, {ec.get()});
    EXPECT_EQ(refused.code(), QN_E_ENCRYPT_SETUP);
    EXPECT_EQ(refused.description, "Tipo de clave de certificado no reconocido.");
    EXPECT_TRUE(contains(log_.text(), "ERROR: Error XML"));
}
