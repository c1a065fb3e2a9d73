// Messages written by openssl, verified by the PKCS#7/CMS verifier.
#include <algorithm>

#include <gtest/gtest.h>

#include "VerificationFixture.h"
#include "component/content/QNContent.h"
#include "component/module/SettingsTable.h"
#include "component/verification/CQNVerifier_Internal_PKCS7.h"
#include "component/verification/QNVerifier.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/Digest.h"
#include "platform/crypt/RsaKey.h"
#include "platform/stores/FolderStore.h"

using namespace component;

namespace {

constexpr long kBadSignature = static_cast<int32_t>(0x80090006u);
const std::string kValid = "No hay ningun error";
const std::string kSignerSubject = "CN=Firmante Uno, O=Quillion, C=ES";

void expectAllValid(const Verification& v, size_t count) {
    ASSERT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), count);
    for (const SignerStatus& s : v.statuses) {
        EXPECT_EQ(s.idError, 0) << s.description;
        EXPECT_EQ(s.description, kValid);
    }
}

// getContent of a verifier after one verification.
std::string contentAfterVerify(const std::string& message) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    com::ComPtr<content::QNContent> m = content::QNContent::create();
    m->content().replace(message);
    LONG result = -1;
    EXPECT_EQ(verifier->verify(static_cast<content::IQNContent*>(m.get()), nullptr, 0, &result),
              S_OK);
    IDispatch* raw = nullptr;
    EXPECT_EQ(verifier->getContent(&raw), S_OK);
    if (raw == nullptr) {
        return {};
    }
    com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(raw);
    content::QNContent* c = content::QNContent::from(raw);
    return c != nullptr ? std::string(c->content().buffer().view()) : std::string();
}

} // namespace

TEST_F(VerificationTest, AttachedCmsWithSignedAttributes) {
    std::string message = cmsSign("contenido firmado\n", "-nodetach -outform DER");
    Verification v = verify(message);
    expectAllValid(v, 1);
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[0].subject, kSignerSubject);
    EXPECT_EQ(contentAfterVerify(message), "contenido firmado\n");
}

TEST_F(VerificationTest, AttachedWithoutSignedAttributesAndWithSha1) {
    expectAllValid(verify(cmsSign("sin atributos", "-nodetach -noattr -outform DER")), 1);
    expectAllValid(verify(cmsSign("sha1", "-nodetach -md sha1 -outform DER")), 1);
    expectAllValid(verify(cmsSign("sha512", "-nodetach -md sha512 -noattr -outform DER")), 1);
}

TEST_F(VerificationTest, BerStreamedMessageIsNormalised) {
    std::string message = cmsSign(std::string(5000, 'b'), "-nodetach -stream -outform DER");
    ASSERT_EQ(static_cast<unsigned char>(message[1]), 0x80u) << "expected indefinite lengths";
    expectAllValid(verify(message), 1);
    EXPECT_EQ(contentAfterVerify(message), std::string(5000, 'b'));
}

TEST_F(VerificationTest, DetachedWithAndWithoutContent) {
    std::string message = cmsSign("separado", "-outform DER");
    expectAllValid(verify(message, "separado"), 1);

    // Without the content the attached path runs and every signer fails.
    Verification without = verify(message);
    ASSERT_EQ(without.hr, S_OK);
    EXPECT_EQ(without.result, 0);
    ASSERT_EQ(without.statuses.size(), 1u);
    EXPECT_NE(without.statuses[0].idError, 0);

    // Other content than the one signed.
    Verification other = verify(message, "separadO");
    ASSERT_EQ(other.hr, S_OK);
    EXPECT_EQ(other.result, 0);
    ASSERT_EQ(other.statuses.size(), 1u);
    EXPECT_EQ(other.statuses[0].idError, kBadSignature);
    EXPECT_EQ(other.statuses[0].description, "Firma inválida");
    EXPECT_EQ(other.statuses[0].subject, kSignerSubject);
}

TEST_F(VerificationTest, Pkcs7FromOpensslSmime) {
    testpki::writeFile(path("content.bin"), "pkcs7 content");
    openssl("smime -sign -binary -nodetach -in " + path("content.bin") + " -signer " + signerPath +
            ".pem -inkey " + signerPath + ".key -outform DER -out " + path("p7.der"));
    std::string message = fileBytes(path("p7.der"));
    expectAllValid(verify(message), 1);
    EXPECT_EQ(contentAfterVerify(message), "pkcs7 content");

    openssl("smime -sign -binary -in " + path("content.bin") + " -signer " + signerPath +
            ".pem -inkey " + signerPath + ".key -outform DER -out " + path("p7d.der"));
    expectAllValid(verify(fileBytes(path("p7d.der")), "pkcs7 content"), 1);
}

TEST_F(VerificationTest, TwoSignersGiveTwoStatusesAtLevelZero) {
    testpki::Issued second =
        testpki::issue({.subject = "CN=Firmante Dos, O=Quillion, C=ES", .serial = 3}, &root);
    std::string secondPath = writeIdentity("second", second);
    std::string message = cmsSign(
        "dos firmas", "-nodetach -outform DER -signer " + signerPath + ".pem -inkey " + signerPath +
                          ".key -signer " + secondPath + ".pem -inkey " + secondPath + ".key");
    Verification v = verify(message);
    expectAllValid(v, 2);
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[1].level, 0);
    std::vector<std::string> subjects = {v.statuses[0].subject, v.statuses[1].subject};
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects[0], "CN=Firmante Dos, O=Quillion, C=ES");
    EXPECT_EQ(subjects[1], kSignerSubject);
}

TEST_F(VerificationTest, KeyIdentifierSigner) {
    expectAllValid(verify(cmsSign("por keyid", "-nodetach -keyid -outform DER")), 1);
    expectAllValid(verify(cmsSign("por keyid", "-keyid -outform DER"), "por keyid"), 1);
}

TEST_F(VerificationTest, NestedSignedMessageGivesInnerSignersAtLevelOne) {
    std::string inner = cmsSign("contenido interior", "-nodetach -outform DER");
    testpki::Issued outerSigner =
        testpki::issue({.subject = "CN=Firmante Exterior, C=ES", .serial = 4}, &root);
    std::string outerPath = writeIdentity("outer", outerSigner);
    testpki::writeFile(path("inner.der"), inner);
    openssl("cms -sign -binary -nodetach -econtent_type 1.2.840.113549.1.7.2 -in " +
            path("inner.der") + " -signer " + outerPath + ".pem -inkey " + outerPath +
            ".key -outform DER -out " + path("outer.der"));
    std::string outer = fileBytes(path("outer.der"));
    Verification v = verify(outer);
    expectAllValid(v, 2);
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante Exterior, C=ES");
    EXPECT_EQ(v.statuses[1].level, 1);
    EXPECT_EQ(v.statuses[1].subject, kSignerSubject);
    // The content handed back is the innermost one.
    EXPECT_EQ(contentAfterVerify(outer), "contenido interior");

    // A tampered inner signature spoils the whole result, not the outer status.
    std::string tampered = inner;
    size_t at = tampered.find("contenido interior");
    ASSERT_NE(at, std::string::npos);
    tampered[at] = 'C';
    testpki::writeFile(path("inner.der"), tampered);
    openssl("cms -sign -binary -nodetach -econtent_type 1.2.840.113549.1.7.2 -in " +
            path("inner.der") + " -signer " + outerPath + ".pem -inkey " + outerPath +
            ".key -outform DER -out " + path("outer2.der"));
    Verification bad = verify(fileBytes(path("outer2.der")));
    ASSERT_EQ(bad.hr, S_OK);
    EXPECT_EQ(bad.result, 0);
    ASSERT_EQ(bad.statuses.size(), 2u);
    EXPECT_EQ(bad.statuses[0].idError, 0);
    EXPECT_EQ(bad.statuses[1].idError, kBadSignature);
    EXPECT_EQ(bad.statuses[1].level, 1);
}

TEST_F(VerificationTest, IsDetachedDescendsIntoNestedMessages) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    auto ask = [&](const std::string& bytes) {
        com::ComPtr<content::QNContent> m = content::QNContent::create();
        m->content().replace(bytes);
        LONG answer = -1;
        EXPECT_EQ(verifier->isDetached(static_cast<content::IQNContent*>(m.get()), &answer), S_OK);
        return answer;
    };
    std::string detachedInner = cmsSign("x", "-outform DER");
    EXPECT_EQ(ask(detachedInner), 1);
    std::string attachedInner = cmsSign("x", "-nodetach -outform DER");
    EXPECT_EQ(ask(attachedInner), 0);
    testpki::writeFile(path("inner.der"), detachedInner);
    openssl("cms -sign -binary -nodetach -econtent_type 1.2.840.113549.1.7.2 -in " +
            path("inner.der") + " -signer " + signerPath + ".pem -inkey " + signerPath +
            ".key -outform DER -out " + path("outer.der"));
    EXPECT_EQ(ask(fileBytes(path("outer.der"))), 1);
}

TEST_F(VerificationTest, TamperedContentIsABadSignature) {
    std::string message = cmsSign("importe: 100 EUR", "-nodetach -outform DER");
    size_t at = message.find("100");
    ASSERT_NE(at, std::string::npos);
    message[at] = '9';
    Verification v = verify(message);
    ASSERT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, kBadSignature);
    EXPECT_EQ(v.statuses[0].description, "Firma inválida");
    EXPECT_EQ(v.statuses[0].subject, kSignerSubject);
    // openssl agrees on both the tampered message and the original.
    testpki::writeFile(path("tampered.der"), message);
    EXPECT_NE(testpki::run("openssl cms -verify -noverify -binary -inform DER -in " +
                           path("tampered.der") + " -out /dev/null"),
              0);
    message[at] = '1';
    testpki::writeFile(path("original.der"), message);
    EXPECT_EQ(testpki::run("openssl cms -verify -noverify -binary -inform DER -in " +
                           path("original.der") + " -out /dev/null"),
              0);
    expectAllValid(verify(message), 1);

    // The same without signed attributes: the signature itself covers the content.
    std::string bare = cmsSign("importe: 100 EUR", "-nodetach -noattr -outform DER");
    bare[bare.find("100")] = '9';
    Verification w = verify(bare);
    EXPECT_EQ(w.result, 0);
    ASSERT_EQ(w.statuses.size(), 1u);
    EXPECT_EQ(w.statuses[0].idError, kBadSignature);
}

TEST_F(VerificationTest, SignerCertificateFromTheUsersStoreWhenTheMessageHasNone) {
    std::string message = cmsSign("sin certificados", "-nodetach -nocerts -outform DER");
    Verification missing = verify(message);
    ASSERT_EQ(missing.hr, S_OK);
    EXPECT_EQ(missing.result, 0);
    ASSERT_EQ(missing.statuses.size(), 1u);
    EXPECT_EQ(missing.statuses[0].idError, static_cast<int32_t>(0x80092004u));
    EXPECT_EQ(missing.statuses[0].description, "Error getting signer certificate");
    EXPECT_EQ(missing.statuses[0].subject, "");

    // A detached message without certificates cannot name its signer either.
    Verification detached =
        verify(cmsSign("sin certificados", "-nocerts -outform DER"), "sin certificados");
    EXPECT_EQ(detached.result, 0);
    ASSERT_EQ(detached.statuses.size(), 1u);
    EXPECT_EQ(detached.statuses[0].idError, static_cast<int32_t>(0x80092004u));
    EXPECT_EQ(detached.statuses[0].description, "Error getting signer certificate");

    auto store = platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser,
                                                     "MY", false);
    store->add(signer.certificate, nullptr, "");
    Verification found = verify(message);
    expectAllValid(found, 1);
    EXPECT_EQ(found.statuses[0].subject, kSignerSubject);
}

TEST_F(VerificationTest, ExpiredSignerByDates) {
    std::string signers = expiredSigner("expired", "CN=Caducado, C=ES");
    Verification withTime = verify(cmsSign("caducado", "-nodetach -outform DER" + signers));
    ASSERT_EQ(withTime.statuses.size(), 1u);
    EXPECT_EQ(withTime.result, 0);
    EXPECT_EQ(withTime.statuses[0].idError, -101);
    EXPECT_EQ(withTime.statuses[0].description,
              "Alguno de los certificados en la ruta de verificación no es válido para la fecha "
              "en la que se hizo la firma");
    EXPECT_EQ(withTime.statuses[0].subject, "CN=Caducado, C=ES");

    Verification withoutTime =
        verify(cmsSign("caducado", "-nodetach -noattr -outform DER" + signers));
    ASSERT_EQ(withoutTime.statuses.size(), 1u);
    EXPECT_EQ(withoutTime.result, 0);
    EXPECT_EQ(withoutTime.statuses[0].idError, -102);
    EXPECT_EQ(withoutTime.statuses[0].description,
              "Alguno de los certificados en la ruta de verificación no es válido en la fecha "
              "actual.");
}

// The signers of two messages over the same content joined into one, first's signer first.
static std::string joinSigners(const std::string& first, const std::string& second) {
    using namespace platform::crypt;
    auto fieldsOf = [](const std::string& m) {
        DerReader top(reinterpret_cast<const unsigned char*>(m.data()), m.size());
        DerReader info = top.inside(top.expect(0x30));
        info.expect(0x06);
        DerReader wrapped = info.inside(info.expect(0xA0));
        DerReader fields = wrapped.inside(wrapped.expect(0x30));
        std::vector<DerElement> out;
        while (!fields.atEnd()) {
            out.push_back(fields.next());
        }
        return out; // version, digestAlgorithms, encapContentInfo, [0] certificates, signerInfos
    };
    std::vector<DerElement> a = fieldsOf(first);
    std::vector<DerElement> b = fieldsOf(second);
    auto whole = [](const DerElement& e) {
        return Bytes(e.value - e.headerLength, e.value + e.length);
    };
    auto value = [](const DerElement& e) { return Bytes(e.value, e.value + e.length); };
    Bytes certs = value(a[3]);
    Bytes moreCerts = value(b[3]);
    certs.insert(certs.end(), moreCerts.begin(), moreCerts.end());
    Bytes signers = value(a[4]);
    Bytes moreSigners = value(b[4]);
    signers.insert(signers.end(), moreSigners.begin(), moreSigners.end());
    Bytes version = whole(a[0]), algorithms = whole(a[1]), encapsulated = whole(a[2]);
    Bytes certSet = der::tlv(0xA0, certs);
    Bytes signerSet = der::tlv(0x31, signers);
    Bytes signedData = der::sequence({&version, &algorithms, &encapsulated, &certSet, &signerSet});
    Bytes type = der::oid("1.2.840.113549.1.7.2");
    Bytes explicitContent = der::tlv(0xA0, signedData);
    Bytes info = der::sequence({&type, &explicitContent});
    return std::string(info.begin(), info.end());
}

TEST_F(VerificationTest, SecondSignerIsJudgedAtTheFirstSignersTime) {
    std::string expired = expiredSigner("expired", "CN=Caducado, C=ES");
    std::string withTime = cmsSign("dos momentos", "-nodetach -outform DER");
    std::string expiredWithout =
        cmsSign("dos momentos", "-nodetach -noattr -outform DER" + expired);
    std::string expiredWith = cmsSign("dos momentos", "-nodetach -outform DER" + expired);
    std::string plainWithout = cmsSign("dos momentos", "-nodetach -noattr -outform DER");

    // The second signer has no signing time of its own, yet the message has one: -101.
    std::string joined = joinSigners(withTime, expiredWithout);
    testpki::writeFile(path("joined.der"), joined);
    openssl("cms -verify -noverify -inform DER -in " + path("joined.der") + " -out /dev/null");
    Verification v = verify(joined);
    ASSERT_EQ(v.statuses.size(), 2u);
    EXPECT_EQ(v.result, 0);
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante Uno, O=Quillion, C=ES");
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[1].subject, "CN=Caducado, C=ES");
    EXPECT_EQ(v.statuses[1].idError, -101);

    // The second signer has a time, the first none: judged now, -102.
    Verification w = verify(joinSigners(plainWithout, expiredWith));
    ASSERT_EQ(w.statuses.size(), 2u);
    EXPECT_EQ(w.statuses[0].idError, 0);
    EXPECT_EQ(w.statuses[1].idError, -102);
}

TEST_F(VerificationTest, CompleteChainTrustedUntrustedAndIncomplete) {
    module::SettingsTable::instance().set("VerifyCompleteChain", "true");
    std::string message = cmsSign("cadena", "-nodetach -outform DER -certfile " + path("root.pem"));

    Verification untrusted = verify(message);
    ASSERT_EQ(untrusted.statuses.size(), 1u);
    EXPECT_EQ(untrusted.result, 0);
    EXPECT_EQ(untrusted.statuses[0].idError, -107);
    EXPECT_EQ(untrusted.statuses[0].description,
              "Alguno de los certificados en la ruta de verificación ha sido firmado por una CA "
              "que no es de confianza.");

    trustRoot();
    expectAllValid(verify(message), 1);

    // An issuer nobody can find: the chain cannot be completed and the signer never passes.
    testpki::Issued orphanCa =
        testpki::issue({.subject = "CN=CA ausente", .ca = true, .serial = 20}, nullptr);
    testpki::Issued orphan = testpki::issue({.subject = "CN=Huerfano", .serial = 21}, &orphanCa);
    std::string orphanPath = writeIdentity("orphan", orphan);
    Verification incomplete =
        verify(cmsSign("cadena", "-nodetach -outform DER -signer " + orphanPath + ".pem -inkey " +
                                     orphanPath + ".key"));
    ASSERT_EQ(incomplete.statuses.size(), 1u);
    EXPECT_EQ(incomplete.result, 0);
    EXPECT_EQ(incomplete.statuses[0].idError, -110);
    EXPECT_EQ(incomplete.statuses[0].description,
              "La cadena de verificación de certificados no está completa.");

    // "true" is matched exactly: anything else checks the dates only.
    module::SettingsTable::instance().set("VerifyCompleteChain", "TRUE");
    expectAllValid(verify(cmsSign("cadena", "-nodetach -outform DER -signer " + orphanPath +
                                                ".pem -inkey " + orphanPath + ".key")),
                   1);
}

TEST_F(VerificationTest, StatusesAccumulateOverVerifications) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    com::ComPtr<content::QNContent> m = content::QNContent::create();
    m->content().replace(cmsSign("uno", "-nodetach -outform DER"));
    IDispatch* none = reinterpret_cast<IDispatch*>(1);
    ASSERT_EQ(verifier->getStatus(0, &none), S_OK);
    EXPECT_EQ(none, nullptr);
    LONG result = 0;
    ASSERT_EQ(verifier->verify(static_cast<content::IQNContent*>(m.get()), nullptr, 0, &result),
              S_OK);
    ASSERT_EQ(verifier->verify(static_cast<content::IQNContent*>(m.get()), nullptr, 0, &result),
              S_OK);
    for (LONG i = 0; i < 2; ++i) {
        IDispatch* s = nullptr;
        ASSERT_EQ(verifier->getStatus(i, &s), S_OK);
        ASSERT_NE(s, nullptr) << i;
        s->Release();
    }
    IDispatch* past = nullptr;
    EXPECT_EQ(verifier->getStatus(2, &past), S_OK);
    EXPECT_EQ(past, nullptr);
    EXPECT_EQ(verifier->getStatus(-1, &past), S_OK);
    EXPECT_EQ(past, nullptr);
}

TEST_F(VerificationTest, LargeAttachedContentComesBackWhole) {
    std::string big(8u << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>((i * 131) >> 7);
    }
    std::string message = cmsSign(big, "-nodetach -outform DER");
    expectAllValid(verify(message), 1);
    EXPECT_TRUE(contentAfterVerify(message) == big);
}

// A PKCS#7 message (RFC 2315) whose content is not data: the content sits in [0] as its own
// encoding, and the digest covers its contents octets only.
TEST_F(VerificationTest, Pkcs7WithASignedDataContentOfItsOwnEncoding) {
    using namespace platform::crypt;
    std::string inner = cmsSign("dentro de PKCS7", "-nodetach -outform DER");
    DerReader top(reinterpret_cast<const unsigned char*>(inner.data()), inner.size());
    DerReader info = top.inside(top.expect(0x30));
    info.expect(0x06);
    DerReader wrapped = info.inside(info.expect(0xA0));
    DerElement innerSignedData = wrapped.expect(0x30);
    Bytes innerTlv(innerSignedData.value - innerSignedData.headerLength,
                   innerSignedData.value + innerSignedData.length);

    auto build = [&](const Bytes& digested) {
        Bytes hash = digest(HashAlgorithm::SHA256, digested.data(), digested.size());
        Bytes signature = signer.key->signHash(HashAlgorithm::SHA256, hash, ByteOrder::BigEndian);
        Bytes sha256 = der::oid("2.16.840.1.101.3.4.2.1"), null = der::null();
        Bytes sha256Algorithm = der::sequence({&sha256, &null});
        Bytes rsa = der::oid("1.2.840.113549.1.1.1");
        Bytes rsaAlgorithm = der::sequence({&rsa, &null});
        Bytes one = der::integer(1);
        Bytes algorithms = der::constructed(0x31, {&sha256Algorithm});
        Bytes type = der::oid("1.2.840.113549.1.7.2");
        Bytes content = der::tlv(0xA0, innerTlv);
        Bytes contentInfo = der::sequence({&type, &content});
        Bytes certs = der::tlv(0xA0, signer.certificate->der());
        Bytes issuer = signer.certificate->issuerDer(), serial = der::integer(2);
        Bytes sid = der::sequence({&issuer, &serial});
        Bytes signatureValue = der::octetString(signature.data(), signature.size());
        Bytes signerInfo =
            der::sequence({&one, &sid, &sha256Algorithm, &rsaAlgorithm, &signatureValue});
        Bytes signers = der::constructed(0x31, {&signerInfo});
        Bytes signedData = der::sequence({&one, &algorithms, &contentInfo, &certs, &signers});
        Bytes explicitContent = der::tlv(0xA0, signedData);
        Bytes message = der::sequence({&type, &explicitContent});
        return std::string(message.begin(), message.end());
    };

    Bytes contentsOctets(innerSignedData.value, innerSignedData.value + innerSignedData.length);
    std::string message = build(contentsOctets);
    Verification v = verify(message);
    expectAllValid(v, 2);
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[1].level, 1);
    EXPECT_EQ(contentAfterVerify(message), "dentro de PKCS7");

    // A digest over the whole encoding (tag and length included) is not what was signed.
    Verification whole = verify(build(innerTlv));
    EXPECT_EQ(whole.result, 0);
    ASSERT_EQ(whole.statuses.size(), 2u);
    EXPECT_EQ(whole.statuses[0].idError, kBadSignature);
    EXPECT_EQ(whole.statuses[1].idError, 0);
}

TEST_F(VerificationTest, CertificatesOnlyMessageVerifiesNothing) {
    openssl("crl2pkcs7 -nocrl -certfile " + signerPath + ".pem -outform DER -out " +
            path("certs.p7b"));
    Verification v = verify(fileBytes(path("certs.p7b")));
    ASSERT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    EXPECT_TRUE(v.statuses.empty());
}

TEST_F(VerificationTest, GetContentKeepsWhatItFetchedFirst) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    auto contentNow = [&] {
        IDispatch* raw = nullptr;
        EXPECT_EQ(verifier->getContent(&raw), S_OK);
        com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(raw);
        content::QNContent* c = content::QNContent::from(raw);
        return c != nullptr ? std::string(c->content().buffer().view()) : std::string("<none>");
    };
    auto verifyBytes = [&](const std::string& bytes) {
        com::ComPtr<content::QNContent> m = content::QNContent::create();
        m->content().replace(bytes);
        LONG result = -1;
        EXPECT_EQ(verifier->verify(static_cast<content::IQNContent*>(m.get()), nullptr, 0, &result),
                  S_OK);
        return result;
    };
    std::string first = cmsSign("primero", "-nodetach -outform DER");
    std::string second = cmsSign("segundo", "-nodetach -outform DER");
    EXPECT_EQ(verifyBytes(first), 1);
    // The message object may change or go once verify returned: the content is the verifier's.
    EXPECT_EQ(contentNow(), "primero");
    EXPECT_EQ(contentNow(), "primero");
    EXPECT_EQ(verifyBytes(second), 1);
    EXPECT_EQ(contentNow(), "primero");

    // Before any verification there is an empty content.
    com::ComPtr<verification::QNVerifier> fresh = verification::QNVerifier::create();
    fresh->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    IDispatch* raw = nullptr;
    ASSERT_EQ(fresh->getContent(&raw), S_OK);
    ASSERT_NE(raw, nullptr);
    com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(raw);
    EXPECT_EQ(content::QNContent::from(raw)->content().size(), 0u);
}

TEST_F(VerificationTest, InternalContentFollowsTheLastVerification) {
    verification::CQNVerifier_Internal_PKCS7 internal;
    auto run = [&](const std::string& bytes) {
        return internal.verify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                               nullptr, 0, false, 0);
    };
    std::string good = cmsSign("bueno", "-nodetach -outform DER");
    std::string bad = good;
    bad[bad.find("bueno")] = 'B';
    EXPECT_EQ(run(good), 1);
    EXPECT_EQ(internal.getContent().toString(), "bueno");
    EXPECT_EQ(run(good), 1);
    EXPECT_EQ(run(bad), 0);
    EXPECT_EQ(internal.getContent().size(), 0u);
    // The same buffer verified again after a change in place is read again.
    std::string buffer = good;
    EXPECT_EQ(run(buffer), 1);
    buffer[buffer.find("bueno")] = 'B';
    EXPECT_EQ(run(buffer), 0);
    EXPECT_EQ(internal.getContent().size(), 0u);
}
