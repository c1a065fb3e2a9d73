#include "platform/certificates/ChainValidation.h"

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "platform/crypt/ChainEngine.h"

using namespace platform;
using namespace platform::certificates;

namespace {

ChainTime at(std::time_t t) {
    struct tm tm {};
    gmtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

struct Pki {
    testpki::Issued root = testpki::issue(
        {.subject = "CN=Root, O=ACME, C=ES", .keyUsage = "keyCertSign", .ca = true}, nullptr);
    testpki::Issued leaf = testpki::issue(
        {.subject = "CN=Leaf, O=ACME, C=ES", .notAfterOffset = 86400, .serial = 2}, &root);
};

} // namespace

TEST(ChainValidation, OutcomesFromTheRootStore) {
    testpki::TempHome home;
    TestLog log(home);
    Pki pki;
    std::time_t now = std::time(nullptr);
    int outcome = 0;
    // No trusted root yet: untrusted (root known from the message) or partial (unknown).
    EXPECT_EQ(
        checkCertificateChain(*pki.leaf.certificate, {pki.root.certificate}, at(now), outcome), 0);
    EXPECT_EQ(outcome, -107);
    EXPECT_EQ(checkCertificateChain(*pki.leaf.certificate, {}, at(now), outcome), 0);
    EXPECT_EQ(outcome, -110);
    EXPECT_NE(log.text().find("ERROR: The certificate chain is not complete."), std::string::npos);

    // Expired and untrusted: -107, the later problem, with both ERROR lines.
    std::string before = log.text();
    checkCertificateChain(*pki.leaf.certificate, {pki.root.certificate}, at(now + 3 * 86400),
                          outcome);
    EXPECT_EQ(outcome, -107);
    std::string after = log.text().substr(before.size());
    EXPECT_EQ(count(after, "ERROR: This certificate or one of the certificates in the "
                           "certificate chain is not time-valid."),
              1u);
    EXPECT_EQ(count(after, "ERROR: The certificate or certificate chain is based on an "
                           "untrusted root."),
              1u);

    // Trusted through the user's ROOT store.
    testpki::writeFile(storeDir(home, "ROOT") + "/root.pem", pki.root.certificate->pem());
    checkCertificateChain(*pki.leaf.certificate, {}, at(now), outcome);
    EXPECT_EQ(outcome, 1);
    checkCertificateChain(*pki.leaf.certificate, {}, at(now + 3 * 86400), outcome);
    EXPECT_EQ(outcome, -101);
}

TEST(ChainValidation, ABadTimeValidatesNow) {
    testpki::TempHome home;
    TestLog log(home);
    Pki pki;
    int outcome = 0;
    ChainTime bad = at(std::time(nullptr));
    bad.month = 13;
    EXPECT_EQ(
        checkCertificateChain(*pki.leaf.certificate, {}, bad, {pki.root.certificate}, outcome), 0);
    EXPECT_EQ(outcome, 1);
    EXPECT_NE(log.text().find("ERROR: Error parseando la fecha con la que comprobar la validez"),
              std::string::npos);
}

TEST(ChainValidation, LastProblemInTableOrderWinsAndStatusTexts) {
    EXPECT_EQ(outcomeOfTrustErrors(0, false), 1);
    EXPECT_EQ(outcomeOfTrustErrors(crypt::trust::REVOCATION_STATUS_UNKNOWN, false), -108);
    EXPECT_EQ(chainStatusText(-108), "El estado de revocación de alguno de los certificados en "
                                     "la ruta de verificación es desconocido.");
    EXPECT_EQ(outcomeOfTrustErrors(crypt::trust::CTL_IS_NOT_VALID_FOR_USAGE, false), -113);
    EXPECT_EQ(chainStatusText(-113), "");
    EXPECT_EQ(
        outcomeOfTrustErrors(crypt::trust::IS_PARTIAL_CHAIN | crypt::trust::NOT_TIME_VALID, false),
        -110);
    EXPECT_EQ(chainStatusText(0), "No ha habido errores.");
    EXPECT_EQ(chainStatusText(-110), "La cadena de verificación de certificados no está completa.");
    EXPECT_EQ(chainStatusText(1), "");
}
