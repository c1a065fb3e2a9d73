#include "component/signing/QNSignData.h"

#include <gtest/gtest.h>

#include "SigningTestSupport.h"
#include "StoreCertificate.h"
#include "StoreTestSupport.h"
#include "component/certificates/QNCertificate.h"
#include "component/content/QNContent.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CQNSignData_Internal_CMS.h"
#include "component/signing/CQNSignData_Internal_PKCS7.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DigestAlgorithms.h"
#include "platform/crypt/SignedDataParser.h"
#include "platform/stores/FolderStore.h"

namespace content = component::content;
namespace module = component::module;
namespace signing = component::signing;
namespace certificates = component::certificates;
namespace pc = platform::crypt;
namespace stores = platform::stores;
using pc::Bytes;
using signingtest::bytes;
using signingtest::text;

namespace {

constexpr const char* kSha1 = "1.3.14.3.2.26";
constexpr HRESULT kDispException = static_cast<HRESULT>(0x80020009u);

struct Attribute {
    std::string type;
    Bytes value; // the first value, whole
};

// The signed attributes of signer index, read with our own DER reader.
std::vector<Attribute> signedAttributes(const Bytes& message, size_t index = 0) {
    pc::SignedDataParser parts(message.data(), message.size());
    const pc::ByteView& span = parts.signers().at(index).encoding;
    pc::DerReader outer(span.data, span.size);
    pc::DerReader info = outer.inside(outer.expect(0x30));
    info.next(); // version
    info.next(); // sid
    info.next(); // digestAlgorithm
    std::vector<Attribute> out;
    if (info.peekTag() != 0xA0) {
        return out;
    }
    for (pc::DerReader set = info.inside(info.next()); !set.atEnd();) {
        pc::DerReader a = set.inside(set.expect(0x30));
        Attribute attribute;
        attribute.type = pc::oidText(a.expect(0x06));
        pc::DerReader values = a.inside(a.expect(0x31));
        pc::DerElement first = values.next();
        attribute.value.assign(first.value - first.headerLength, first.value + first.length);
        out.push_back(std::move(attribute));
    }
    return out;
}

std::vector<std::string> types(const std::vector<Attribute>& attributes) {
    std::vector<std::string> out;
    for (const Attribute& a : attributes) {
        out.push_back(a.type);
    }
    return out;
}

const Attribute* find(const std::vector<Attribute>& attributes, const std::string& type) {
    for (const Attribute& a : attributes) {
        if (a.type == type) {
            return &a;
        }
    }
    return nullptr;
}

class SignDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        module::SettingsTable::instance().clear();
        settings().set("HashAlgorithm", kSha1);
        unsetenv("QUILLION_UI_ANSWERS");
    }
    void TearDown() override {
        module::SettingsTable::instance().clear();
        unsetenv("QUILLION_UI_ANSWERS");
    }
    static module::SettingsTable& settings() { return module::SettingsTable::instance(); }

    // A QNCertificate read back from the MY store, with its key (encrypted when password).
    com::ComPtr<certificates::QNCertificate>
    certificate(const testpki::Issued& who, bool withKey = true, const std::string& password = "") {
        return signingtest::storeCertificate(who, withKey, password);
    }
    static com::ComPtr<content::QNContent> content(const std::string& bytes) {
        com::ComPtr<content::QNContent> c = content::QNContent::create();
        c->content().replace(bytes);
        return c;
    }
    static com::ComPtr<signing::QNSignData> signer(bool cms) {
        com::ComPtr<signing::QNSignData> s = signing::QNSignData::create();
        if (cms) {
            s->setInternal(std::make_unique<signing::CQNSignData_Internal_CMS>());
        } else {
            s->setInternal(std::make_unique<signing::CQNSignData_Internal_PKCS7>());
        }
        return s;
    }
    static Bytes resultOf(IDispatch* result) {
        com::ComPtr<IDispatch> owned = com::ComPtr<IDispatch>::attach(result);
        content::QNContent* qn = content::QNContent::from(result);
        if (qn == nullptr) {
            return {};
        }
        return Bytes(qn->content().data(), qn->content().data() + qn->content().size());
    }
    // sign through the interface; the result bytes, or empty with *hr set.
    Bytes sign(signing::QNSignData* s, const std::string& data, certificates::QNCertificate* cert,
               bool detached, HRESULT* hr = nullptr) {
        IDispatch* result = nullptr;
        com::ComPtr<content::QNContent> c = content(data);
        HRESULT status =
            s->sign(static_cast<content::IQNContent*>(c.get()),
                    static_cast<certificates::IQNCertificate*>(cert), detached ? 1 : 0, &result);
        if (hr != nullptr) {
            *hr = status;
        } else {
            EXPECT_EQ(status, S_OK) << signingtest::errorDescription();
        }
        return resultOf(result);
    }
    Bytes cosign(signing::QNSignData* s, const Bytes& message, const std::string* detachedContent,
                 certificates::QNCertificate* cert, bool detached, HRESULT* hr = nullptr) {
        IDispatch* result = nullptr;
        com::ComPtr<content::QNContent> m = content(text(message));
        com::ComPtr<content::QNContent> d;
        if (detachedContent != nullptr) {
            d = content(*detachedContent);
        }
        HRESULT status =
            s->cosign(static_cast<content::IQNContent*>(m.get()),
                      d ? static_cast<content::IQNContent*>(d.get()) : nullptr,
                      static_cast<certificates::IQNCertificate*>(cert), detached ? 1 : 0, &result);
        if (hr != nullptr) {
            *hr = status;
        } else {
            EXPECT_EQ(status, S_OK) << signingtest::errorDescription();
        }
        return resultOf(result);
    }

    testpki::TempHome home;
    TestLog log{home};
    signingtest::Pki pki;
    signingtest::OpensslPeer peer{home.path(), pki.root};
};

} // namespace

TEST_F(SignDataTest, Pkcs7AttachedDetachedAndSigningTimeVerifyWithOpenssl) {
    auto cert = certificate(pki.signer);
    auto s = signer(false);
    const std::string data("texto con\0cero", 14);
    std::string out, peerLog;
    Bytes attached = sign(s.get(), data, cert.get(), false);
    EXPECT_TRUE(peer.cmsVerify(attached, "", false, &peerLog, &out)) << peerLog;
    EXPECT_EQ(out, data);
    EXPECT_TRUE(signedAttributes(attached).empty());
    Bytes detached = sign(s.get(), data, cert.get(), true);
    EXPECT_TRUE(peer.cmsVerify(detached, data, true, &peerLog)) << peerLog;
    EXPECT_TRUE(peer.smimeVerify(detached, &data, &peerLog)) << peerLog;

    LONG value = -1;
    ASSERT_EQ(s->put_timeStamp(5), S_OK);
    ASSERT_EQ(s->get_timeStamp(&value), S_OK);
    EXPECT_EQ(value, 1);
    Bytes timed = sign(s.get(), data, cert.get(), true);
    EXPECT_EQ(types(signedAttributes(timed)),
              (std::vector<std::string>{"1.2.840.113549.1.9.3", "1.2.840.113549.1.9.4",
                                        "1.2.840.113549.1.9.5"}));
    EXPECT_TRUE(peer.cmsVerify(timed, data, true, &peerLog)) << peerLog;
    std::string logged = log.text();
    EXPECT_NE(logged.find("CQNSignData::sign"), std::string::npos);
    EXPECT_NE(logged.find("CQNSignData_Internal_PKCS7::sign"), std::string::npos);
    EXPECT_NE(logged.find("TimeStamp activado"), std::string::npos);
    EXPECT_NE(logged.find("Detached sign"), std::string::npos);
    EXPECT_NE(logged.find("Tamaño de la firma: " + std::to_string(timed.size())),
              std::string::npos);

    // With the OIW dsaWithSHA1 identifier no signing time goes in.
    settings().set("HashAlgorithm", "1.3.14.3.2.27");
    EXPECT_TRUE(signedAttributes(sign(s.get(), data, cert.get(), true)).empty());
}

TEST_F(SignDataTest, SignFromHashVerifiesAgainstTheOriginalContent) {
    auto cert = certificate(pki.signer);
    const std::string original = "contenido que el firmante solo conoce por su resumen";
    for (const char* algorithm : {kSha1, "2.16.840.1.101.3.4.2.1"}) {
        settings().set("HashAlgorithm", algorithm);
        Bytes digest = pc::digestWith(pc::digestAlgorithm(algorithm),
                                      reinterpret_cast<const unsigned char*>(original.data()),
                                      original.size());
        for (bool cms : {false, true}) {
            for (bool timeStamp : {false, true}) {
                SCOPED_TRACE(std::string(algorithm) + (cms ? " cms" : " pkcs7") +
                             (timeStamp ? " time" : ""));
                settings().set("SignFromHash", "TRUE");
                settings().set("CADES_ADD_ESS_SIGNING_CERTIFICATE", cms ? "TRUE" : "FALSE");
                auto s = signer(cms);
                s->put_timeStamp(timeStamp ? 1 : 0);
                Bytes m = sign(s.get(), text(digest), cert.get(), true);
                std::string peerLog;
                EXPECT_TRUE(peer.cmsVerify(m, original, true, &peerLog)) << peerLog;
                EXPECT_FALSE(peer.cmsVerify(m, original + "!", true));
            }
        }
    }
    // Lower case is not the setting: the digest bytes are signed as content.
    settings().set("HashAlgorithm", kSha1);
    settings().set("SignFromHash", "true");
    Bytes asContent = sign(signer(false).get(), "0123456789abcdefghij", cert.get(), true);
    std::string peerLog;
    EXPECT_TRUE(peer.cmsVerify(asContent, "0123456789abcdefghij", true, &peerLog)) << peerLog;

    // A digest of the wrong length is refused, not signed.
    settings().set("SignFromHash", "TRUE");
    for (const std::string& wrong :
         {std::string(21, 'x'), std::string(65, 'y'), std::string(19, 'z')}) {
        HRESULT hr = S_OK;
        Bytes none = sign(signer(true).get(), wrong, cert.get(), true, &hr);
        EXPECT_EQ(static_cast<uint32_t>(hr), 0x80090002u) << signingtest::errorDescription();
        EXPECT_TRUE(none.empty());
    }
    // Refused before the password of an encrypted key is asked.
    auto locked = certificate(pki.second, true, "clave");
    scriptAnswers(home, "password=clave\n");
    HRESULT hr = S_OK;
    EXPECT_TRUE(sign(signer(false).get(), std::string(32, 'k'), locked.get(), true, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80090002u);
    // A fresh handle (no key kept from before): the one scripted answer is still there.
    auto again = certificate(pki.second, true, "clave");
    Bytes m = sign(signer(false).get(), std::string(20, 'k'), again.get(), true);
    EXPECT_FALSE(m.empty());
}

TEST_F(SignDataTest, CadesSigningCertificateAttributeCarriesHashAndIssuerSerial) {
    // An issuer with an emailAddress attribute; its other values in PrintableString.
    testpki::Issued root =
        testpki::issue({.subject = "CN=Raiz Correo, E=ca@example.org, O=Quillion, C=ES",
                        .ca = true,
                        .utf8Names = false},
                       nullptr);
    testpki::Issued who = testpki::issue({.subject = "CN=Firmante CAdES, C=ES",
                                          .keyUsage = "digitalSignature",
                                          .serial = 0x00ABCDEF},
                                         &root);
    signingtest::OpensslPeer rootPeer{home.path() + "/cades", root};
    auto cert = certificate(who);
    settings().set("CADES_ADD_ESS_SIGNING_CERTIFICATE", "TRUE");
    auto s = signer(true);
    const std::string data = "documento CAdES-BES";
    for (bool detached : {false, true}) {
        Bytes m = sign(s.get(), data, cert.get(), detached);
        std::vector<Attribute> attributes = signedAttributes(m);
        EXPECT_EQ(types(attributes),
                  (std::vector<std::string>{"1.2.840.113549.1.9.3", "1.2.840.113549.1.9.4",
                                            "1.2.840.113549.1.9.16.2.12"}));
        std::string peerLog;
        EXPECT_TRUE(rootPeer.cmsVerify(m, data, detached, &peerLog)) << peerLog;

        const Attribute* ess = find(attributes, "1.2.840.113549.1.9.16.2.12");
        ASSERT_NE(ess, nullptr);
        pc::DerReader top(ess->value.data(), ess->value.size());
        pc::DerReader signingCertificate = top.inside(top.expect(0x30));
        pc::DerReader certs = signingCertificate.inside(signingCertificate.expect(0x30));
        EXPECT_TRUE(signingCertificate.atEnd()); // no policies
        pc::DerReader id = certs.inside(certs.expect(0x30));
        EXPECT_TRUE(certs.atEnd());
        EXPECT_EQ(id.expect(0x04).valueBytes(), who.certificate->sha1Hash());
        pc::DerReader issuerSerial = id.inside(id.expect(0x30));
        pc::DerReader generalNames = issuerSerial.inside(issuerSerial.expect(0x30));
        pc::DerReader directoryName = generalNames.inside(generalNames.expect(0xA4));
        pc::DerElement nameElement = directoryName.expect(0x30);
        // The same name as the certificate's issuer, compared the way verifiers compare
        // names (canonical form), though the string types differ.
        const unsigned char* at = nameElement.value - nameElement.headerLength;
        X509_NAME* rebuilt =
            d2i_X509_NAME(nullptr, &at, static_cast<long>(nameElement.totalLength()));
        ASSERT_NE(rebuilt, nullptr);
        EXPECT_EQ(X509_NAME_cmp(rebuilt, X509_get_issuer_name(who.certificate->x509())), 0);
        X509_NAME_free(rebuilt);
        pc::DerReader name = directoryName.inside(nameElement);
        std::vector<std::pair<std::string, uint8_t>> seen;
        while (!name.atEnd()) {
            pc::DerReader rdn = name.inside(name.expect(0x31));
            pc::DerReader atv = rdn.inside(rdn.expect(0x30));
            EXPECT_TRUE(rdn.atEnd());
            std::string type = pc::oidText(atv.expect(0x06));
            seen.emplace_back(type, atv.next().tag);
        }
        EXPECT_EQ(seen,
                  (std::vector<std::pair<std::string, uint8_t>>{{"2.5.4.6", 0x0C},
                                                                {"2.5.4.10", 0x0C},
                                                                {"1.2.840.113549.1.9.1", 0x16},
                                                                {"2.5.4.3", 0x0C}}));
        EXPECT_EQ(pc::integerValue(issuerSerial.expect(0x02)), 0x00ABCDEFu);
    }
    std::string logged = log.text();
    for (const char* line :
         {"IncludeSigningCertificate", "Calculando tamaño de atributos",
          "Construyendo array de atributos", "Construyendo objeto conjunto",
          "Construyendo array final de atributos", "Array de atributos contruido"}) {
        EXPECT_NE(logged.find(line), std::string::npos) << line;
    }
    // MT_CMS: no attributes unless a signing time is asked for.
    settings().set("CADES_ADD_ESS_SIGNING_CERTIFICATE", "FALSE");
    EXPECT_TRUE(signedAttributes(sign(s.get(), data, cert.get(), true)).empty());
    s->put_timeStamp(1);
    EXPECT_EQ(types(signedAttributes(sign(s.get(), data, cert.get(), true))).size(), 3u);
}

TEST_F(SignDataTest, CadesPolicyAttributeBytesInSignAndCosign) {
    auto cert = certificate(pki.signer);
    auto second = certificate(pki.second);
    settings().set("CADES_ADD_ESS_SIGNING_CERTIFICATE", "TRUE");
    settings().set("CADES_SIGNATURE_POLICY", "2.16.724.1.3.1.1.2.1.9");
    auto s = signer(true);
    const std::string data = "documento CAdES-EPES";
    Bytes m = sign(s.get(), data, cert.get(), true);
    std::vector<Attribute> attributes = signedAttributes(m);
    ASSERT_EQ(types(attributes),
              (std::vector<std::string>{"1.2.840.113549.1.9.3", "1.2.840.113549.1.9.4",
                                        "1.2.840.113549.1.9.16.2.15"}));
    Bytes oid = pc::der::oid("2.16.724.1.3.1.1.2.1.9");
    Bytes expected{0x30, static_cast<unsigned char>(oid.size() + 15)};
    expected.insert(expected.end(), oid.begin(), oid.end());
    for (unsigned char b : {0xA0, 0x0D, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E, 0x03, 0x02, 0x1A, 0x05,
                            0x00, 0x04, 0x00}) {
        expected.push_back(b);
    }
    EXPECT_EQ(attributes[2].value, expected);
    std::string peerLog;
    EXPECT_TRUE(peer.cmsVerify(m, data, true, &peerLog)) << peerLog;

    Bytes both = cosign(s.get(), m, &data, second.get(), true);
    std::vector<Attribute> added = signedAttributes(both, 1);
    ASSERT_EQ(added.size(), 3u);
    Bytes shortForm{0x30, static_cast<unsigned char>(oid.size())};
    shortForm.insert(shortForm.end(), oid.begin(), oid.end());
    EXPECT_EQ(added[2].value, shortForm);
    EXPECT_TRUE(peer.cmsVerify(both, data, true, &peerLog)) << peerLog;

    // A policy that is no OID is a clear failure, not a malformed attribute.
    settings().set("CADES_SIGNATURE_POLICY", "politica");
    HRESULT hr = S_OK;
    EXPECT_TRUE(sign(s.get(), data, cert.get(), true, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80091003u);
    EXPECT_NE(log.text().find("Error generando hash CAdES-EPES: "), std::string::npos);
}

TEST_F(SignDataTest, CmsSignerTypeSelectsTheSignerIdentifier) {
    auto cert = certificate(pki.signer);
    auto s = signer(true);
    const std::string data = "identificadores";
    // Read as an unsigned decimal number is read: leading blanks, then the leading digits.
    for (const char* type : {"2", "1", "x", "", "22", " 2", "2x", "+2", "x2", "-2"}) {
        SCOPED_TRACE(type);
        settings().set("CMSSignerType", type);
        Bytes m = sign(s.get(), data, cert.get(), false);
        pc::SignedDataParser parts(m.data(), m.size());
        pc::DerReader outer(parts.signers()[0].encoding.data, parts.signers()[0].encoding.size);
        pc::DerReader info = outer.inside(outer.expect(0x30));
        info.next();
        const std::string t = type;
        bool byKey = t == "2" || t == " 2" || t == "2x" || t == "+2";
        EXPECT_EQ(info.next().tag, byKey ? 0x80 : 0x30);
        std::string peerLog;
        EXPECT_TRUE(peer.cmsVerify(m, "", false, &peerLog)) << peerLog;
    }
}

TEST_F(SignDataTest, CosignAttachedAndDetachedInBothFormats) {
    auto one = certificate(pki.signer);
    auto two = certificate(pki.second);
    const std::string data = "firmado por dos";
    for (bool cms : {false, true}) {
        auto s = signer(cms);
        s->put_timeStamp(1);
        for (bool detached : {false, true}) {
            SCOPED_TRACE(std::string(cms ? "cms" : "pkcs7") + (detached ? " detached" : ""));
            Bytes first = sign(s.get(), data, one.get(), detached);
            // Attached: no detached content given.
            Bytes both = cosign(s.get(), first, detached ? &data : nullptr, two.get(), detached);
            EXPECT_EQ(pc::SignedDataParser(both.data(), both.size()).signers().size(), 2u);
            std::string peerLog;
            EXPECT_TRUE(peer.cmsVerify(both, data, detached, &peerLog)) << peerLog;
            EXPECT_EQ(signedAttributes(both, 1).size(), 3u);
        }
    }
    std::string logged = log.text();
    EXPECT_NE(logged.find("CQNSignData::cosign"), std::string::npos);
    EXPECT_NE(logged.find("Detached cosign"), std::string::npos);
}

TEST_F(SignDataTest, KeyUsageIsCheckedBySignOnly) {
    testpki::Issued encryption = testpki::issue(
        {.subject = "CN=Solo Cifrado", .keyUsage = "keyEncipherment", .serial = 90}, &pki.root);
    auto cert = certificate(encryption);
    auto good = certificate(pki.signer);
    auto s = signer(false);
    HRESULT hr = S_OK;
    EXPECT_TRUE(sign(s.get(), "x", cert.get(), false, &hr).empty());
    EXPECT_EQ(hr, kDispException);
    EXPECT_EQ(signingtest::errorDescription(),
              "QNSignData::sign: Certificado no válido para firma.");
    // The certificate check comes before the content check.
    IDispatch* result = nullptr;
    EXPECT_EQ(s->sign(nullptr, static_cast<certificates::IQNCertificate*>(cert.get()), 0, &result),
              kDispException);
    EXPECT_EQ(result, nullptr);

    Bytes first = sign(s.get(), "x", good.get(), false);
    Bytes both = cosign(s.get(), first, nullptr, cert.get(), false);
    EXPECT_EQ(pc::SignedDataParser(both.data(), both.size()).signers().size(), 2u);
}

TEST_F(SignDataTest, NullContentAndMissingInternalSigner) {
    auto cert = certificate(pki.signer);
    auto s = signer(true);
    IDispatch* result = nullptr;
    EXPECT_EQ(s->sign(nullptr, static_cast<certificates::IQNCertificate*>(cert.get()), 0, &result),
              E_FAIL);
    EXPECT_EQ(s->cosign(nullptr, nullptr, static_cast<certificates::IQNCertificate*>(cert.get()), 0,
                        &result),
              E_FAIL);
    EXPECT_NE(log.text().find("content null"), std::string::npos);

    // No certificate, a certificate object with nothing loaded, an object that is no
    // certificate: each ends in an error report, never a signature.
    com::ComPtr<content::QNContent> data = content("x");
    EXPECT_EQ(s->sign(static_cast<content::IQNContent*>(data.get()), nullptr, 0, &result),
              kDispException);
    EXPECT_EQ(signingtest::errorDescription(),
              "QNSignData::sign: Certificado no válido para firma.");
    com::ComPtr<certificates::QNCertificate> empty = certificates::QNCertificate::create();
    HRESULT emptyHr = s->sign(static_cast<content::IQNContent*>(data.get()),
                              static_cast<certificates::IQNCertificate*>(empty.get()), 0, &result);
    EXPECT_TRUE(FAILED(emptyHr));
    EXPECT_NE(signingtest::errorDescription(), "<none>");
    EXPECT_EQ(s->sign(static_cast<content::IQNContent*>(data.get()),
                      static_cast<content::IQNContent*>(data.get()), 0, &result),
              kDispException);
    EXPECT_EQ(result, nullptr);
    HRESULT cosignHr =
        s->cosign(static_cast<content::IQNContent*>(data.get()), nullptr,
                  static_cast<certificates::IQNCertificate*>(empty.get()), 0, &result);
    EXPECT_TRUE(FAILED(cosignHr));
    EXPECT_EQ(result, nullptr);

    com::ComPtr<signing::QNSignData> bare = signing::QNSignData::create();
    HRESULT hr = S_OK;
    EXPECT_TRUE(sign(bare.get(), "x", cert.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x8004465Bu);
    EXPECT_EQ(signingtest::errorDescription(), signing::QNSignData::kNotInitialized);
    EXPECT_TRUE(cosign(bare.get(), bytes("x"), nullptr, cert.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x8004465Bu);
}

TEST_F(SignDataTest, KeyFailuresMapToTheComponentCodes) {
    auto s = signer(false);
    HRESULT hr = S_OK;
    // No private key.
    auto keyless = certificate(pki.second, false);
    EXPECT_TRUE(sign(s.get(), "x", keyless.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80044656u);
    EXPECT_EQ(signingtest::errorDescription(), "Falta la clave privada del certificado");

    // Encrypted key: a wrong scripted password, then a cancelled prompt, then the right one.
    auto locked = certificate(pki.signer, true, "secreto");
    scriptAnswers(home, "password=otra\n");
    EXPECT_TRUE(sign(s.get(), "x", locked.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80044662u);
    EXPECT_EQ(signingtest::errorDescription(), "Ha introducido una contraseña erronea");
    auto locked2 = certificate(pki.signer, true, "secreto");
    scriptAnswers(home, "password=cancel\n");
    EXPECT_TRUE(cosign(s.get(), bytes("x"), nullptr, locked2.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80044661u);
    EXPECT_EQ(signingtest::errorDescription(), "El usuario ha cancelado la operacion");
    auto locked3 = certificate(pki.signer, true, "secreto");
    scriptAnswers(home, "password=secreto\n");
    Bytes m = sign(s.get(), "x", locked3.get(), true);
    std::string peerLog;
    EXPECT_TRUE(peer.cmsVerify(m, "x", true, &peerLog)) << peerLog;
}

TEST_F(SignDataTest, CryptFailuresKeepTheirCodes) {
    auto cert = certificate(pki.signer);
    auto s = signer(true);
    HRESULT hr = S_OK;
    // Co-signing bytes that are no SignedData.
    EXPECT_TRUE(cosign(s.get(), bytes("no es una firma"), nullptr, cert.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr) & 0xFFFFF000u, 0x80093000u) << std::hex << hr;
    EXPECT_NE(signingtest::errorDescription(), "<none>");
    // No digest algorithm set.
    settings().set("HashAlgorithm", "");
    EXPECT_TRUE(sign(s.get(), "x", cert.get(), false, &hr).empty());
    EXPECT_EQ(static_cast<uint32_t>(hr), 0x80091002u);
    EXPECT_NE(log.text().find("CryptoAPI: "), std::string::npos);
}

TEST_F(SignDataTest, ContentInfoIsSignedByItsInnerContent) {
    auto cert = certificate(pki.signer);
    const std::string inner = "contenido envuelto";
    Bytes type = pc::der::oid("1.2.840.113549.1.7.1");
    Bytes octets =
        pc::der::octetString(reinterpret_cast<const unsigned char*>(inner.data()), inner.size());
    Bytes explicitContent = pc::der::tlv(0xA0, octets);
    Bytes info = pc::der::sequence({&type, &explicitContent});
    for (bool cms : {false, true}) {
        Bytes m = sign(signer(cms).get(), text(info), cert.get(), false);
        pc::SignedDataParser parts(m.data(), m.size());
        EXPECT_EQ(parts.contentType(), "1.2.840.113549.1.7.1");
        std::string out, peerLog;
        EXPECT_TRUE(peer.cmsVerify(m, "", false, &peerLog, &out)) << peerLog;
        EXPECT_EQ(out, inner);
    }
    // Of another type: CMS carries its encoding under that type, with signed attributes.
    Bytes one = pc::der::integer(1);
    Bytes sequence = pc::der::sequence({&one});
    Bytes otherType = pc::der::oid("1.2.840.113549.1.9.16.1.4");
    Bytes explicitOther = pc::der::tlv(0xA0, sequence);
    Bytes other = pc::der::sequence({&otherType, &explicitOther});
    Bytes m = sign(signer(true).get(), text(other), cert.get(), false);
    pc::SignedDataParser parts(m.data(), m.size());
    EXPECT_EQ(parts.contentType(), "1.2.840.113549.1.9.16.1.4");
    EXPECT_EQ(types(signedAttributes(m)).size(), 2u);
    std::string out, peerLog;
    EXPECT_TRUE(peer.cmsVerify(m, "", false, &peerLog, &out)) << peerLog;
    EXPECT_EQ(bytes(out), sequence);
}

TEST_F(SignDataTest, EmptyContentSignsAndCosigns) {
    auto one = certificate(pki.signer);
    auto two = certificate(pki.second);
    for (bool cms : {false, true}) {
        auto s = signer(cms);
        for (bool detached : {false, true}) {
            SCOPED_TRACE(std::string(cms ? "cms" : "pkcs7") + (detached ? " detached" : ""));
            Bytes m = sign(s.get(), "", one.get(), detached);
            std::string empty, out, peerLog;
            EXPECT_TRUE(peer.cmsVerify(m, empty, detached, &peerLog, &out)) << peerLog;
            EXPECT_EQ(out, "");
            Bytes both = cosign(s.get(), m, detached ? &empty : nullptr, two.get(), detached);
            EXPECT_TRUE(peer.cmsVerify(both, empty, detached, &peerLog)) << peerLog;
            EXPECT_FALSE(peer.cmsVerify(both, "x", true));
        }
    }
}
