// EncryptedData elements made by `xmlsec1 --encrypt` from templates (RSA key transport to a
// certificate named by issuer and serial number), opened by the XML verifier with the key the
// user's MY store holds for it.
#include <gtest/gtest.h>

#include "DsigTemplates.h"
#include "XmlVerifyFixture.h"

using namespace dsigtemplate;

namespace {

const std::string kInvoice = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<pedido><cliente Id=\"c1\">Juan</cliente>"
                             "<tarjeta>1234 5678</tarjeta><cuenta>ES00 1111</cuenta></pedido>";

// An EncryptedData template (AES-128 content, RSA 1.5 key transport) whose key names the
// recipient by issuer and serial number.
std::string encryptionTemplate(const std::string& issuer, const std::string& serial) {
    return "<EncryptedData xmlns=\"http://www.w3.org/2001/04/xmlenc#\" "
           "Type=\"http://www.w3.org/2001/04/xmlenc#Element\">"
           "<EncryptionMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#aes128-cbc\"/>"
           "<ds:KeyInfo xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"><EncryptedKey>"
           "<EncryptionMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#rsa-1_5\"/>"
           "<ds:KeyInfo><ds:X509Data><ds:X509IssuerSerial><ds:X509IssuerName>" +
           issuer + "</ds:X509IssuerName><ds:X509SerialNumber>" + serial +
           "</ds:X509SerialNumber></ds:X509IssuerSerial></ds:X509Data></ds:KeyInfo>"
           "<CipherData><CipherValue/></CipherData></EncryptedKey></ds:KeyInfo>"
           "<CipherData><CipherValue/></CipherData></EncryptedData>";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

class XmlDecryption : public XmlVerifyTest {
protected:
    // The element encrypted for the fixture's signer, named as xmlsec1 would write the issuer.
    std::string encrypted(const std::string& document, const std::string& node,
                          const std::string& issuer = "CN=Raiz de pruebas,O=Quillion,C=ES",
                          const std::string& serial = "2") {
        return xmlsecEncrypt(document, encryptionTemplate(issuer, serial), node,
                             signerPath + ".pem");
    }
};

TEST_F(XmlDecryption, DocumentWithoutSignatureIsDecryptedForTheRecipient) {
    signerInMyStore();
    std::string message = encrypted(kInvoice, "tarjeta");
    ASSERT_FALSE(contains(message, "1234 5678"));
    Verification v = verifyXml(message);
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 5);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].description, "No error");
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante Uno, O=Quillion, C=ES");
    // The content is the whole document, decrypted.
    EXPECT_TRUE(contains(v.content, "<cliente Id=\"c1\">Juan</cliente><tarjeta>1234 5678</tarjeta>"
                                    "<cuenta>ES00 1111</cuenta></pedido>"))
        << v.content;
    EXPECT_FALSE(contains(v.content, "EncryptedData"));
}

TEST_F(XmlDecryption, EveryElementIsDecryptedAndTheContentIsOneDocument) {
    signerInMyStore();
    // The issuer as the platform renders it, and a serial number in hexadecimal, match too.
    std::string message = encrypted(encrypted(kInvoice, "tarjeta"), "cuenta",
                                    "O=Quillion, C=ES, CN=Raiz de pruebas", "02");
    Verification v = verifyXml(message);
    EXPECT_EQ(v.result, 5);
    ASSERT_EQ(v.statuses.size(), 2u);
    EXPECT_EQ(v.statuses[1].idError, 0);
    EXPECT_EQ(v.statuses[1].subject, "CN=Firmante Uno, O=Quillion, C=ES");
    EXPECT_TRUE(contains(v.content, "<tarjeta>1234 5678</tarjeta><cuenta>ES00 1111</cuenta>"));
    EXPECT_EQ(v.content.find("<?xml"), v.content.rfind("<?xml")) << v.content;
}

TEST_F(XmlDecryption, RecipientNotInTheStoreFailsTheVerification) {
    std::string message = encrypted(kInvoice, "tarjeta");
    Verification v = verifyXml(message);
    // StreamException code 1, reported negated.
    EXPECT_EQ(v.hr, static_cast<HRESULT>(-1));
    EXPECT_TRUE(v.statuses.empty());

    signerInMyStore();
    Verification otherSerial =
        verifyXml(encrypted(kInvoice, "tarjeta", "CN=Raiz de pruebas,O=Quillion,C=ES", "3"));
    EXPECT_EQ(otherSerial.hr, static_cast<HRESULT>(-1));
    Verification otherIssuer = verifyXml(encrypted(kInvoice, "tarjeta", "CN=Otra,O=Quillion,C=ES"));
    EXPECT_EQ(otherIssuer.hr, static_cast<HRESULT>(-1));
}

TEST_F(XmlDecryption, FailedSignatureAndEncryptedElementGiveFive) {
    signerInMyStore();
    // The whole document signed, then one element encrypted: the signature no longer holds.
    std::string signedText = xmlsecSign(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pedido><cliente>Juan</cliente>"
        "<tarjeta>1234 5678</tarjeta>" +
        xmltemplate::signature("Signature1", reference("", {transform(kEnveloped)})) + "</pedido>");
    Verification v = verifyXml(encrypted(signedText, "tarjeta"));
    EXPECT_EQ(v.result, 5);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
}

TEST_F(XmlDecryption, ValidSignatureAndEncryptedElement) {
    std::string signedText = xmlsecSign(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pedido><cliente Id=\"c1\">Juan</cliente>"
        "<tarjeta>1234 5678</tarjeta>" +
            xmltemplate::signature("Signature1", reference("#c1", {transform(kC14n)})) +
            "</pedido>",
        "--id-attr:Id cliente");
    std::string message = encrypted(signedText, "tarjeta");
    // Without the recipient the decryption ends the verification where it is, without error.
    Verification without = verifyXml(message);
    EXPECT_EQ(without.hr, S_OK);
    EXPECT_EQ(without.result, 1);
    ASSERT_EQ(without.statuses.size(), 1u);

    signerInMyStore();
    Verification v = verifyXml(message);
    EXPECT_EQ(v.result, 5);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    // The content is the signature's, taken before the decryption.
    EXPECT_EQ(v.content, xmltemplate::kEmptyDocument + "<cliente Id=\"c1\">Juan</cliente>");
}

TEST_F(XmlDecryption, EncryptedElementWithoutRecipientDetails) {
    std::string message = encrypted(kInvoice, "tarjeta");
    size_t from = message.find("<ds:X509IssuerName>");
    size_t to = message.find("</ds:X509IssuerName>");
    ASSERT_NE(from, std::string::npos);
    message.erase(from, to + 20 - from);
    signerInMyStore();
    Verification v = verifyXml(message);
    EXPECT_EQ(v.hr, static_cast<HRESULT>(-1));
    EXPECT_TRUE(v.statuses.empty());
}
