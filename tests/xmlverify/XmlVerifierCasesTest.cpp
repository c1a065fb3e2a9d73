// The cases of the XML verifier beyond plain signatures: several signatures, the signing time
// a signature states, XAdES properties, the content it hands out, "SignFromHash", and
// documents that verify nothing.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>

#include "DsigTemplates.h"
#include "StoreTestSupport.h"
#include "TestServer.h"
#include "XmlVerifyFixture.h"
#include "com/BStr.h"
#include "component/content/QNContent.h"
#include "component/module/SettingsTable.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "component/verification/QNVerifier.h"
#include "platform/certificates/ChainValidation.h"
#include "platform/crypt/Digest.h"
#include "platform/stores/FolderStore.h"
#include "stream/Base64.h"

using namespace dsigtemplate;
using component::module::SettingsTable;

namespace {

const std::string kXadesIds = "--id-attr:Id " + xmltemplate::kXades122 + ":SignedProperties";
const std::string kSignatureIds = "--id-attr:Id " + xmltemplate::kDsig + ":Signature";

std::string base64(const std::vector<unsigned char>& bytes) {
    return stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string sha1Base64(const std::string& bytes) {
    return base64(platform::crypt::digest(platform::crypt::HashAlgorithm::SHA1,
                                          reinterpret_cast<const unsigned char*>(bytes.data()),
                                          bytes.size()));
}

// Seconds from now to a UTC moment.
long offsetTo(int year, int month, int day, int hour, int minute) {
    struct tm when {};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    return static_cast<long>(timegm(&when) - std::time(nullptr));
}

// What a XAdES signature of the tests holds in its signed properties.
struct XadesProperties {
    std::string signingTime; // the text of xades:SigningTime; none when empty
    std::string certificateDigest;
    std::string serialNumber;
    std::string policy; // the content of SignaturePolicyIdentifier; none when empty
};

// An invoice with an enveloped XAdES signature (Signature1) of the whole document and of its
// signed properties, the QualifyingProperties as the first child of the signature's Object.
std::string xadesTemplate(const XadesProperties& p) {
    const std::string& x = xmltemplate::kXades122;
    std::string signedProperties =
        "<xades:SignedProperties Id=\"Signature1-SignedProperties\">"
        "<xades:SignedSignatureProperties>" +
        (p.signingTime.empty() ? ""
                               : "<xades:SigningTime>" + p.signingTime + "</xades:SigningTime>") +
        "<xades:SigningCertificate><xades:Cert><xades:CertDigest><ds:DigestMethod Algorithm=\"" +
        kSha1 + "\"/><ds:DigestValue>" + p.certificateDigest +
        "</ds:DigestValue></xades:CertDigest><xades:IssuerSerial><ds:X509IssuerName>"
        "CN=Raiz de pruebas, O=Quillion, C=ES</ds:X509IssuerName><ds:X509SerialNumber>" +
        p.serialNumber +
        "</ds:X509SerialNumber></xades:IssuerSerial></xades:Cert></xades:SigningCertificate>" +
        (p.policy.empty() ? ""
                          : "<xades:SignaturePolicyIdentifier>" + p.policy +
                                "</xades:SignaturePolicyIdentifier>") +
        "</xades:SignedSignatureProperties></xades:SignedProperties>";
    std::string object = "<ds:Object><xades:QualifyingProperties Target=\"#Signature1\">" +
                         signedProperties +
                         "<xades:UnsignedProperties Id=\"Signature1-UnsignedProperties\">"
                         "<xades:UnsignedSignatureProperties/></xades:UnsignedProperties>"
                         "</xades:QualifyingProperties></ds:Object>";
    std::string references = reference("", {transform(kEnveloped), transform(kC14n)}) +
                             "<ds:Reference URI=\"#Signature1-SignedProperties\" Type=\"" + x +
                             "SignedProperties\"><ds:Transforms>" + transform(kC14n) +
                             "</ds:Transforms><ds:DigestMethod Algorithm=\"" + kSha1 +
                             "\"/><ds:DigestValue></ds:DigestValue></ds:Reference>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<factura><importe>100</importe>" +
           xmltemplate::signature("Signature1", references, object, "xmlns:xades=\"" + x + "\"") +
           "</factura>";
}

// A policy named by URI whose digest is given.
std::string policyId(const std::string& uri, const std::string& digest) {
    return "<xades:SignaturePolicyId><xades:SigPolicyId><xades:Identifier>" + uri +
           "</xades:Identifier></xades:SigPolicyId><xades:SigPolicyHash><ds:DigestMethod "
           "Algorithm=\"" +
           kSha1 + "\"/><ds:DigestValue>" + digest +
           "</ds:DigestValue></xades:SigPolicyHash></xades:SignaturePolicyId>";
}

// An enveloped signature of the document whose objects are given.
std::string signedWithObjects(const std::string& objects) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pedido><linea>1</linea>" +
           xmltemplate::signature(
               "Signature1", reference("", {transform(kEnveloped), transform(kC14n)}), objects) +
           "</pedido>";
}

std::string signatureProperties(const std::string& date, const std::string& time) {
    return "<ds:Object><SignatureProperties><SignatureProperty Id=\"Signature1-TimeStamp1\" "
           "Target=\"#Signature1\"><timestamp><date>" +
           date + "</date><time>" + time +
           "</time></timestamp></SignatureProperty></SignatureProperties></ds:Object>";
}

} // namespace

class XmlVerifierCases : public XmlVerifyTest {
protected:
    // A signer with a serial number that reads differently in hexadecimal (0x12C = 300).
    XmlVerifierCases() {
        xadesSigner = testpki::issue({.subject = "CN=Firmante XAdES, O=Quillion, C=ES",
                                      .keyUsage = "digitalSignature,nonRepudiation",
                                      .serial = 300},
                                     &root);
        xadesIdentity = writeIdentity("xades", xadesSigner);
    }

    XadesProperties matching() const {
        return {.certificateDigest = base64(xadesSigner.certificate->sha1Hash()),
                .serialNumber = "300"};
    }
    std::string xadesSigned(const XadesProperties& properties) {
        return xmlsecSign(xadesTemplate(properties), kXadesIds, xadesIdentity);
    }

    // A root valid since 2000 (trusted) and a signer valid only from 2006-12-31 23:30 to
    // 2007-01-01 00:30 UTC; returns the signer's identity.
    std::string signerOf2006() {
        testpki::Issued oldRoot = testpki::issue({.subject = "CN=Raiz 2000, O=Quillion, C=ES",
                                                  .notBeforeOffset = offsetTo(2000, 1, 1, 0, 0),
                                                  .keyUsage = "keyCertSign,cRLSign",
                                                  .ca = true,
                                                  .serial = 60},
                                                 nullptr);
        testpki::Issued old = testpki::issue({.subject = "CN=Firmante 2006, O=Quillion, C=ES",
                                              .notBeforeOffset = offsetTo(2006, 12, 31, 23, 30),
                                              .notAfterOffset = offsetTo(2007, 1, 1, 0, 30),
                                              .keyUsage = "digitalSignature",
                                              .serial = 61},
                                             &oldRoot);
        platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser, "ROOT",
                                            false)
            ->add(oldRoot.certificate, nullptr, "");
        return writeIdentity("signer2006", old);
    }

    testpki::Issued xadesSigner;
    std::string xadesIdentity;
};

TEST_F(XmlVerifierCases, TwoSignaturesGiveTwoStatusesInDocumentOrder) {
    std::string text =
        document(xmltemplate::signature("sigA", reference("#p1", {transform(kC14n)})) +
                 xmltemplate::signature("sigB", reference("#s1", {transform(kC14n)})));
    std::string once = xmlsecSign(text, kDocumentIds + " " + kSignatureIds + " --node-id sigA");
    std::string twice = xmlsecSign(once, kDocumentIds + " " + kSignatureIds + " --node-id sigB");
    Verification good = verifyXml(twice);
    EXPECT_EQ(good.result, 1);
    ASSERT_EQ(good.statuses.size(), 2u);

    // The second signature's element changed: the first still holds.
    size_t at = twice.find(">secret<");
    ASSERT_NE(at, std::string::npos);
    Verification v = verifyXml(twice.replace(at, 8, ">Secret<"));
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 2u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].description, "No error");
    EXPECT_EQ(v.statuses[1].idError, -1);
    EXPECT_EQ(v.statuses[1].description, "Reference URI=\"#s1\" failed to verify\n");
}

TEST_F(XmlVerifierCases, XadesPropertiesOfTheSigningCertificatePass) {
    SettingsTable::instance().set("XadesSignedContent", "");
    Verification v = verifyXml(xadesSigned(matching()));
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante XAdES, O=Quillion, C=ES");
    std::string kept = SettingsTable::instance().get("XadesSignedContent");
    EXPECT_EQ(kept.rfind("<xades:SignedProperties", 0), 0u) << kept;
    EXPECT_NE(kept.find("Id=\"Signature1-SignedProperties\""), std::string::npos);
    // The DOM writer declares the namespaces the element uses.
    EXPECT_NE(kept.find(">300</ds:X509SerialNumber>"), std::string::npos) << kept;
}

TEST_F(XmlVerifierCases, XadesCertificateOfAnotherSignerGivesASecondStatus) {
    SettingsTable::instance().set("XadesSignedContent", "");
    XadesProperties other = matching();
    other.certificateDigest = base64(signer.certificate->sha1Hash());
    Verification v = verifyXml(xadesSigned(other));
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 2u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].description, "No error");
    EXPECT_EQ(v.statuses[1].idError, -1);
    EXPECT_EQ(v.statuses[1].description,
              "El certificado XAdES no coincide con el certificado de la firma.");
    EXPECT_EQ(v.statuses[1].subject, "");
    EXPECT_EQ(SettingsTable::instance().get("XadesSignedContent"), "");

    // The serial number counts as well.
    XadesProperties serial = matching();
    serial.serialNumber = "301";
    Verification w = verifyXml(xadesSigned(serial));
    EXPECT_EQ(w.result, 0);
    ASSERT_EQ(w.statuses.size(), 2u);
    EXPECT_EQ(w.statuses[1].idError, -1);
}

TEST_F(XmlVerifierCases, ImpliedPolicyEndsTheChecksWithTheResultSoFar) {
    SettingsTable::instance().set("XadesSignedContent", "");
    XadesProperties implied = matching();
    implied.policy = "<xades:SignaturePolicyImplied/>";
    Verification v = verifyXml(xadesSigned(implied));
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(SettingsTable::instance().get("XadesSignedContent"), "");
}

TEST_F(XmlVerifierCases, PolicyDigestIsCheckedAgainstThePolicyDocument) {
    std::string policy = std::string("%PDF-1.4 politica de firma\0\r\n", 30);
    std::string folder = path("policies");
    std::filesystem::create_directories(folder);
    testpki::writeFile(folder + "/politica.pdf", policy);
    TestServer server({"--files", folder});
    for (const std::string& uri :
         {"file://" + folder + "/politica.pdf", server.url("/files/politica.pdf")}) {
        SCOPED_TRACE(uri);
        SettingsTable::instance().set("XadesSignedContent", "");
        XadesProperties right = matching();
        right.policy = policyId(uri, sha1Base64(policy));
        Verification v = verifyXml(xadesSigned(right));
        EXPECT_EQ(v.result, 1);
        ASSERT_EQ(v.statuses.size(), 1u);
        EXPECT_EQ(v.statuses[0].idError, 0);
        EXPECT_NE(SettingsTable::instance().get("XadesSignedContent"), "");

        XadesProperties wrong = matching();
        wrong.policy = policyId(uri, sha1Base64(policy + "x"));
        Verification w = verifyXml(xadesSigned(wrong));
        EXPECT_EQ(w.result, 0);
        ASSERT_EQ(w.statuses.size(), 1u);
        EXPECT_EQ(w.statuses[0].idError, -1);
        EXPECT_EQ(w.statuses[0].description, "El hash de la política es incorrecto");
        EXPECT_EQ(w.statuses[0].subject, "CN=Firmante XAdES, O=Quillion, C=ES");
    }
    // A policy that cannot be fetched is no policy that holds.
    XadesProperties gone = matching();
    gone.policy = policyId(server.url("/files/otra.pdf"), sha1Base64(policy));
    Verification g = verifyXml(xadesSigned(gone));
    EXPECT_EQ(g.result, 0);
    ASSERT_EQ(g.statuses.size(), 1u);
    EXPECT_EQ(g.statuses[0].description, "El hash de la política es incorrecto");
}

TEST_F(XmlVerifierCases, SignaturePropertiesTimeIsReadWithoutItsOffset) {
    std::string identity = signerOf2006();
    // 23:59:59 is inside the certificate's validity; 22:59:59 (the offset applied) is not.
    Verification v = verifyXml(xmlsecSign(
        signedWithObjects(signatureProperties("20061231", "23:59:59+01:00")), "", identity));
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante 2006, O=Quillion, C=ES");

    Verification before = verifyXml(xmlsecSign(
        signedWithObjects(signatureProperties("20061231", "23:29:59+00:00")), "", identity));
    EXPECT_EQ(before.result, 0);
    ASSERT_EQ(before.statuses.size(), 1u);
    EXPECT_EQ(before.statuses[0].idError, -101);
    EXPECT_EQ(before.statuses[0].description, platform::certificates::chainStatusText(-101));
}

TEST_F(XmlVerifierCases, UnreadablePropertiesLeaveAnEarlierTimeWhole) {
    std::string identity = signerOf2006();
    // The second block reads an hour (2) and then fails: the first time stands as it was.
    Verification v =
        verifyXml(xmlsecSign(signedWithObjects(signatureProperties("20061231", "23:59:59+01:00") +
                                               signatureProperties("20061231", "2")),
                             "", identity));
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
}

TEST_F(XmlVerifierCases, XadesSigningTimeIsTheTimeOfTheChainCheck) {
    std::string identity = signerOf2006();
    std::string template2006 = xadesTemplate(
        {.signingTime = "2006-12-31T23:59:59Z", .certificateDigest = "", .serialNumber = ""});
    Verification v = verifyXml(xmlsecSign(template2006, kXadesIds, identity));
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante 2006, O=Quillion, C=ES");

    // A leading "-" moves every position one place on.
    Verification shifted = verifyXml(xmlsecSign(
        xadesTemplate(
            {.signingTime = "-2006-12-31T23:59:59Z", .certificateDigest = "", .serialNumber = ""}),
        kXadesIds, identity));
    ASSERT_EQ(shifted.statuses.size(), 1u);
    EXPECT_EQ(shifted.statuses[0].idError, 0);

    // A time outside the certificate's validity.
    Verification later = verifyXml(xmlsecSign(
        xadesTemplate(
            {.signingTime = "2007-01-02T00:00:00Z", .certificateDigest = "", .serialNumber = ""}),
        kXadesIds, identity));
    ASSERT_EQ(later.statuses.size(), 1u);
    EXPECT_EQ(later.statuses[0].idError, -101);
}

TEST_F(XmlVerifierCases, XadesSigningTimeWithoutTimeOfDayEndsWithNoStatus) {
    XadesProperties dateOnly = matching();
    dateOnly.signingTime = "2006-12-31";
    Verification v = verifyXml(xadesSigned(dateOnly));
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    EXPECT_TRUE(v.statuses.empty());
    EXPECT_EQ(v.content, "");
}

TEST_F(XmlVerifierCases, WithoutASigningTimeTheSystemTimeIsUsed) {
    TestLog log(home);
    Verification v = verifyXml(xmlsecSign(signedWithObjects("")));
    EXPECT_EQ(v.result, 1);
    EXPECT_NE(log.text().find("Validaremos contra fecha del sistema"), std::string::npos);

    TestLog again(home);
    verifyXml(xmlsecSign(signedWithObjects(signatureProperties("20261231", "10:00:00+00:00"))));
    EXPECT_EQ(again.text().find("Validaremos contra fecha del sistema"), std::string::npos);
}

TEST_F(XmlVerifierCases, EnvelopingContentComesFromTheFirstObjectWithAnId) {
    std::string signedText = xmlsecSign(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
            xmltemplate::signature("Signature1", reference("#contenido", {transform(kC14n)}),
                                   "<ds:Object><nota>sin Id</nota></ds:Object>"
                                   "<ds:Object Id=\"\"><nota>Id vacío</nota></ds:Object>"
                                   "<ds:Object Id=\"contenido\"><pedido><linea>1</linea></pedido>"
                                   "<resto/></ds:Object>"),
        "--id-attr:Id " + xmltemplate::kDsig + ":Object");
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.content, xmltemplate::kEmptyDocument + "<pedido><linea>1</linea></pedido>");
}

TEST_F(XmlVerifierCases, KeyInfoWithoutCertificateVerifiesNothing) {
    std::string text = signedWithObjects("");
    size_t at = text.find("<ds:X509Data/>");
    ASSERT_NE(at, std::string::npos);
    Verification v = verifyXml(xmlsecSign(text.replace(at, 14, "<ds:KeyValue/>")));
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    EXPECT_TRUE(v.statuses.empty());
}

TEST_F(XmlVerifierCases, UnreadableCertificatesAreRefused) {
    std::string signedText = xmlsecSign(signedWithObjects(""));
    size_t from = signedText.find("<ds:X509Certificate>") + 20;
    size_t to = signedText.find("</ds:X509Certificate>");
    ASSERT_LT(from, to);
    for (const std::string& text :
         {std::string(), std::string("AAAA"), signedText.substr(from, (to - from) / 2)}) {
        std::string changed = signedText;
        changed.replace(from, to - from, text);
        Verification v = verifyXml(changed);
        EXPECT_EQ(v.hr, static_cast<HRESULT>(0x8004465B)) << text;
        EXPECT_TRUE(v.statuses.empty());
    }
}

TEST_F(XmlVerifierCases, DocumentsWithoutSignatureVerifyNothing) {
    for (const std::string& message :
         {std::string("esto no es XML"), std::string("\x00\xff\x01", 3), std::string(),
          std::string("<?xml version=\"1.0\"?><pedido><linea>1</linea></pedido>"),
          std::string("<pedido><linea>1</linea>")}) {
        Verification v = verifyXml(message);
        EXPECT_EQ(v.hr, S_OK);
        EXPECT_EQ(v.result, 0) << message;
        EXPECT_TRUE(v.statuses.empty());
        EXPECT_EQ(v.content, "");
    }
}

TEST_F(XmlVerifierCases, StatusesOfLaterVerificationsFollowTheEarlierOnes) {
    std::string good = xmlsecSign(signedWithObjects(""));
    com::ComPtr<component::verification::QNVerifier> verifier =
        component::verification::QNVerifier::create();
    verifier->setInternal(
        std::make_unique<component::verification::CQNVerifier_Internal_XMLDSig>());
    for (int i = 0; i < 2; ++i) {
        com::ComPtr<component::content::QNContent> message =
            component::content::QNContent::create();
        message->content().replace(good);
        LONG result = -1;
        EXPECT_EQ(verifier->verify(message.get(), nullptr, 0, &result), S_OK);
        EXPECT_EQ(result, 1);
    }
    IDispatch* status = nullptr;
    EXPECT_EQ(verifier->getStatus(1, &status), S_OK);
    ASSERT_NE(status, nullptr);
    status->Release();
    EXPECT_EQ(verifier->getStatus(2, &status), S_OK);
    EXPECT_EQ(status, nullptr);

    // isDetached answers 1 for anything.
    com::ComPtr<component::content::QNContent> noise = component::content::QNContent::create();
    noise->content().replace("ruido");
    LONG detached = 0;
    EXPECT_EQ(verifier->isDetached(noise.get(), &detached), S_OK);
    EXPECT_EQ(detached, 1);
}

TEST_F(XmlVerifierCases, VerificationThatEndsEarlyLeavesNoContentOfAnEarlierOne) {
    XadesProperties dateOnly = matching();
    dateOnly.signingTime = "2006-12-31";
    std::string unreadable = xadesSigned(dateOnly);
    std::string good = xmlsecSign(signedWithObjects(""));
    com::ComPtr<component::verification::QNVerifier> verifier =
        component::verification::QNVerifier::create();
    verifier->setInternal(
        std::make_unique<component::verification::CQNVerifier_Internal_XMLDSig>());
    for (const std::string* text : {&good, &unreadable}) {
        com::ComPtr<component::content::QNContent> message =
            component::content::QNContent::create();
        message->content().replace(*text);
        LONG result = -1;
        EXPECT_EQ(verifier->verify(message.get(), nullptr, 0, &result), S_OK);
    }
    IDispatch* content = nullptr;
    ASSERT_EQ(verifier->getContent(&content), S_OK);
    ASSERT_NE(content, nullptr);
    com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(content);
    EXPECT_EQ(static_cast<component::content::QNContent*>(
                  static_cast<component::content::IQNContent*>(content))
                  ->content()
                  .size(),
              0u);
}

class SignFromHash : public XmlVerifierCases {
protected:
    void SetUp() override {
        signedText_ = xmlsecSign(document(xmltemplate::withKeyInfo(signature({
                                     reference("#p1", {transform(kC14n)}),
                                     reference("#s1", {transform(kC14n)}),
                                 }))),
                                 kDocumentIds);
        std::smatch last;
        std::string text = signedText_;
        std::regex value("<ds:DigestValue>([^<]*)</ds:DigestValue>");
        for (std::sregex_iterator i(text.begin(), text.end(), value), end; i != end; ++i) {
            digest_ = stream::Base64::decode((*i)[1].str());
        }
        ASSERT_EQ(digest_.size(), 20u);
        SettingsTable::instance().set("SignFromHash", "TRUE");
    }
    Verification withDigest(const std::string& bytes) {
        return verifyXml(signedText_, stream::Base64::encode(bytes), true);
    }

    std::string signedText_;
    std::string digest_; // of the last reference
};

TEST_F(SignFromHash, TheWholeDigestOfTheLastReferenceMustBeSupplied) {
    Verification v = withDigest(digest_);
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);

    std::string other = digest_;
    other[19] = static_cast<char>(other[19] ^ 1);
    for (const std::string& wrong :
         {other, digest_.substr(0, 10), digest_ + "x", std::string(), digest_.substr(0, 1)}) {
        Verification w = withDigest(wrong);
        EXPECT_EQ(w.result, 0) << wrong.size();
        ASSERT_EQ(w.statuses.size(), 1u);
        EXPECT_EQ(w.statuses[0].idError, -1);
        EXPECT_EQ(w.statuses[0].description,
                  "Reference URI=\"#s1\" failed to verify: the supplied digest is not its "
                  "DigestValue\n");
    }
}

TEST_F(SignFromHash, TheReferencesAreNotComputedButTheValueIsChecked) {
    // The data changed: the references are not computed, the supplied digest stands for them.
    std::string changed = signedText_;
    changed.replace(changed.find(">secret<"), 8, ">Secret<");
    EXPECT_EQ(verifyXml(changed, stream::Base64::encode(digest_), true).result, 1);
    // A changed SignedInfo is still found.
    changed.replace(changed.find("URI=\"#p1\""), 9, "URI=\"#p2\"");
    Verification v = verifyXml(changed, stream::Base64::encode(digest_), true);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].description, "Validation of <SignedInfo> failed");
}
