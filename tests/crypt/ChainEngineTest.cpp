#include "platform/crypt/ChainEngine.h"

#include <ctime>

#include <gtest/gtest.h>

#include "TestPki.h"

using namespace platform::crypt;

namespace {

// Root -> intermediate -> leaf, the leaf valid for two days from yesterday.
struct Pki {
    testpki::Issued root = testpki::issue(
        {.subject = "CN=Root CA, O=ACME, C=ES", .keyUsage = "keyCertSign,cRLSign", .ca = true},
        nullptr);
    testpki::Issued intermediate = testpki::issue({.subject = "CN=AC (Pruebas), O=ACME, C=ES",
                                                   .keyUsage = "keyCertSign,cRLSign",
                                                   .ca = true,
                                                   .serial = 2},
                                                  &root);
    testpki::Issued leaf = testpki::issue({.subject = "CN=Juan, O=ACME, C=ES",
                                           .notAfterOffset = 86400,
                                           .keyUsage = "digitalSignature",
                                           .serial = 3},
                                          &intermediate);
};

// openssl verify's exit status and text for the same question.
std::string opensslVerify(const testpki::TempHome& home, const Pki& pki, bool trustRoot,
                          bool giveRoot, std::time_t at, int* status) {
    std::string dir = home.path();
    testpki::writeFile(dir + "/root.pem", pki.root.certificate->pem());
    testpki::writeFile(dir + "/untrusted.pem", pki.intermediate.certificate->pem() +
                                                   (giveRoot ? pki.root.certificate->pem() : ""));
    testpki::writeFile(dir + "/leaf.pem", pki.leaf.certificate->pem());
    std::string cmd = "openssl verify -no-CApath -no-CAstore " +
                      std::string(trustRoot ? "-CAfile " + dir + "/root.pem" : "-no-CAfile") +
                      " -untrusted " + dir + "/untrusted.pem -attime " + std::to_string(at) + " " +
                      dir + "/leaf.pem";
    std::string out;
    *status = testpki::run(cmd, &out);
    return out;
}

} // namespace

TEST(ChainEngine, OutcomesAgreeWithOpensslVerify) {
    testpki::TempHome home;
    Pki pki;
    std::time_t now = std::time(nullptr);
    std::time_t later = now + 3 * 86400; // the leaf has expired by then
    std::vector<CertificatePtr> withRoot = {pki.intermediate.certificate, pki.root.certificate};
    std::vector<CertificatePtr> noRoot = {pki.intermediate.certificate};
    ChainEngine trusting({pki.root.certificate});
    ChainEngine empty({});
    int status = 0;

    // Valid.
    ChainResult valid = trusting.build(*pki.leaf.certificate, noRoot, now);
    EXPECT_EQ(valid.trustErrors, 0u);
    EXPECT_EQ(valid.chain.size(), 3u);
    std::string out = opensslVerify(home, pki, true, false, now, &status);
    EXPECT_EQ(status, 0) << out;

    // Expired.
    ChainResult expired = trusting.build(*pki.leaf.certificate, noRoot, later);
    EXPECT_EQ(expired.trustErrors, trust::NOT_TIME_VALID);
    out = opensslVerify(home, pki, true, false, later, &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("certificate has expired"), std::string::npos) << out;

    // Untrusted root (the root is known, but not trusted).
    ChainResult untrusted = empty.build(*pki.leaf.certificate, withRoot, now);
    EXPECT_EQ(untrusted.trustErrors, trust::IS_UNTRUSTED_ROOT);
    out = opensslVerify(home, pki, false, true, now, &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("self-signed certificate in certificate chain"), std::string::npos) << out;

    // Partial chain (no root at all).
    ChainResult partial = empty.build(*pki.leaf.certificate, noRoot, now);
    EXPECT_EQ(partial.trustErrors, trust::IS_PARTIAL_CHAIN);
    out = opensslVerify(home, pki, false, false, now, &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("unable to get local issuer certificate"), std::string::npos) << out;

    // Expired and untrusted: both bits.
    ChainResult both = empty.build(*pki.leaf.certificate, withRoot, later);
    EXPECT_EQ(both.trustErrors, trust::NOT_TIME_VALID | trust::IS_UNTRUSTED_ROOT);
    // openssl verify stops at the first problem, the untrusted root; the engine goes on and
    // also reports the expiry.
    out = opensslVerify(home, pki, false, true, later, &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("self-signed certificate in certificate chain"), std::string::npos) << out;
    EXPECT_EQ(both.verifierErrors.size(), 2u);
}

TEST(ChainEngine, NotYetValidBadSignatureAndNonCaIssuerDoNotPass) {
    Pki pki;
    std::time_t now = std::time(nullptr);
    ChainEngine trusting({pki.root.certificate});
    // Not yet valid.
    testpki::Issued future = testpki::issue({.subject = "CN=Future",
                                             .notBeforeOffset = 86400,
                                             .notAfterOffset = 2 * 86400,
                                             .serial = 9},
                                            &pki.root);
    EXPECT_EQ(trusting.build(*future.certificate, {}, now).trustErrors, trust::NOT_TIME_VALID);
    // A signature that does not verify (last byte of the signature changed).
    testpki::Issued good = testpki::issue({.subject = "CN=Good", .serial = 10}, &pki.root);
    std::vector<unsigned char> der = good.certificate->der();
    der.back() ^= 0x01;
    CertificatePtr forged = Certificate::fromDer(der);
    EXPECT_EQ(trusting.build(*good.certificate, {}, now).trustErrors, 0u);
    EXPECT_EQ(trusting.build(*forged, {}, now).trustErrors, trust::NOT_SIGNATURE_VALID);
    // An issuer of the same name but another key: no chain to a trusted root.
    testpki::Issued impostor =
        testpki::issue({.subject = "CN=Root CA, O=ACME, C=ES", .ca = true}, nullptr);
    testpki::Issued other = testpki::issue({.subject = "CN=Other", .serial = 12}, &impostor);
    EXPECT_NE(trusting.build(*other.certificate, {}, now).trustErrors, 0u);
    // Issued by an end-entity certificate.
    testpki::Issued child = testpki::issue({.subject = "CN=Child", .serial = 11}, &pki.leaf);
    uint32_t bits =
        trusting
            .build(*child.certificate, {pki.leaf.certificate, pki.intermediate.certificate}, now)
            .trustErrors;
    EXPECT_NE(bits, 0u);
    // A trusted self-signed root on its own is valid.
    EXPECT_EQ(trusting.build(*pki.root.certificate, {}, now).trustErrors, 0u);
}
