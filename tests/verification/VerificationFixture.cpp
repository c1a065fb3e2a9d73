#include "VerificationFixture.h"

#include "com/BStr.h"
#include "component/certificates/IQNCertificate.h"
#include "component/content/QNContent.h"
#include "component/module/SettingsTable.h"
#include "component/verification/CQNVerifier_Internal_PKCS7.h"
#include "component/verification/QNVerifier.h"
#include "platform/stores/FolderStore.h"

using namespace component;

namespace {

com::ComPtr<content::QNContent> contentOf(const std::string& bytes) {
    com::ComPtr<content::QNContent> c = content::QNContent::create();
    c->content().replace(bytes);
    return c;
}

} // namespace

std::string fileBytes(const std::string& path) {
    return testpki::readFile(path);
}

VerificationTest::VerificationTest() {
    module::SettingsTable::instance().clear();
    root = testpki::issue({.subject = "CN=Raiz de pruebas, O=Quillion, C=ES",
                           .keyUsage = "keyCertSign,cRLSign",
                           .ca = true,
                           .serial = 1},
                          nullptr);
    signer = testpki::issue({.subject = "CN=Firmante Uno, O=Quillion, C=ES",
                             .keyUsage = "digitalSignature,nonRepudiation",
                             .serial = 2},
                            &root);
    signerPath = writeIdentity("signer", signer);
    testpki::writeFile(path("root.pem"), root.certificate->pem());
}

VerificationTest::~VerificationTest() {
    module::SettingsTable::instance().clear();
}

std::string VerificationTest::writeIdentity(const std::string& name,
                                            const testpki::Issued& identity) {
    std::string base = path(name);
    testpki::writeFile(base + ".pem", identity.certificate->pem());
    testpki::writeFile(base + ".key", identity.key->toPem(""));
    return base;
}

void VerificationTest::openssl(const std::string& arguments) {
    std::string output;
    int status = testpki::run("openssl " + arguments, &output);
    ASSERT_EQ(status, 0) << "openssl " << arguments << "\n" << output;
}

std::string VerificationTest::cmsSign(const std::string& content, const std::string& args) {
    testpki::writeFile(path("content.bin"), content);
    std::string signers = args.find("-signer") == std::string::npos
                              ? " -signer " + signerPath + ".pem -inkey " + signerPath + ".key"
                              : "";
    openssl("cms -sign -binary -in " + path("content.bin") + signers + " -out " +
            path("message.der") + " " + args);
    return fileBytes(path("message.der"));
}

Verification VerificationTest::verify(const std::string& message, const std::string& detached,
                                      bool detachedFlag) {
    return verifyWith(std::make_unique<verification::CQNVerifier_Internal_PKCS7>(), message,
                      detached, detachedFlag);
}

Verification
VerificationTest::verifyWith(std::unique_ptr<verification::CQNVerifier_Internal> internal,
                             const std::string& message, const std::string& detached,
                             bool detachedFlag) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::move(internal));
    com::ComPtr<content::QNContent> signedMessage = contentOf(message);
    com::ComPtr<content::QNContent> detachedContent = contentOf(detached);
    Verification out;
    LONG result = -1;
    out.hr = verifier->verify(
        static_cast<content::IQNContent*>(signedMessage.get()),
        detached.empty() ? nullptr : static_cast<content::IQNContent*>(detachedContent.get()),
        detachedFlag ? 1 : 0, &result);
    out.result = result;
    for (LONG i = 0;; ++i) {
        IDispatch* raw = nullptr;
        EXPECT_EQ(verifier->getStatus(i, &raw), S_OK);
        if (raw == nullptr) {
            break;
        }
        com::ComPtr<IDispatch> object = com::ComPtr<IDispatch>::attach(raw);
        auto* status = static_cast<verification::QNVerifyStatus*>(
            static_cast<verification::IQNVerifyStatus*>(raw));
        SignerStatus s;
        s.idError = status->idError();
        s.description = status->errorDescription();
        s.level = status->level();
        IDispatch* cert = nullptr;
        EXPECT_EQ(status->get_signerCertificate(&cert), S_OK);
        if (cert != nullptr) {
            com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(cert);
            com::ComPtr<certificates::IQNCertificate> qn = held.as<certificates::IQNCertificate>();
            BSTR subject = nullptr;
            if (qn && qn->getSubjectName(&subject) == S_OK) {
                s.subject = com::BStr::attach(subject).utf8();
            }
        }
        out.statuses.push_back(s);
    }
    IDispatch* content = nullptr;
    EXPECT_EQ(verifier->getContent(&content), S_OK);
    if (content != nullptr) {
        com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(content);
        out.content = static_cast<content::QNContent*>(static_cast<content::IQNContent*>(content))
                          ->content()
                          .buffer()
                          .toString();
    }
    return out;
}

void VerificationTest::trustRoot() {
    auto store = platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser,
                                                     "ROOT", false);
    store->add(root.certificate, nullptr, "");
}

std::string VerificationTest::expiredSigner(const std::string& name, const std::string& subject) {
    testpki::Issued expired = testpki::issue({.subject = subject,
                                              .notBeforeOffset = -10L * 86400,
                                              .notAfterOffset = -86400,
                                              .serial = 9},
                                             &root);
    std::string base = writeIdentity(name, expired);
    return " -signer " + base + ".pem -inkey " + base + ".key";
}
