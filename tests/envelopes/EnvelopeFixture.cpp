#include "EnvelopeFixture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <openssl/ec.h>

#include "SigningTestSupport.h"
#include "platform/certificates/CertificateObject.h"
#include "platform/stores/FolderStore.h"

namespace envelopetest {

namespace certificates = component::certificates;
namespace content = component::content;
namespace envelopes = component::envelopes;
namespace stores = platform::stores;

std::shared_ptr<platform::crypt::PrivateKey> People::ecKey() {
    EVP_PKEY* raw = EVP_EC_gen("P-256");
    if (raw == nullptr) {
        throw std::runtime_error("EVP_EC_gen");
    }
    return std::make_shared<platform::crypt::PrivateKey>(platform::crypt::EvpPkeyPtr(raw));
}

const People& People::shared() {
    static const People people;
    return people;
}

void EnvelopeFixture::SetUp() {
    settings().clear();
    unsetenv("QUILLION_UI_ANSWERS");
}

void EnvelopeFixture::TearDown() {
    settings().clear();
    unsetenv("QUILLION_UI_ANSWERS");
}

com::ComPtr<certificates::QNCertificate>
EnvelopeFixture::inStore(const testpki::Issued& who, bool withKey, const std::string& password) {
    auto store = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", false);
    store->add(who.certificate, withKey ? who.key.get() : nullptr, password);
    auto reread = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", true);
    com::ComPtr<certificates::QNCertificate> certificate = certificates::QNCertificate::create();
    for (const auto& entry : reread->entries()) {
        if (entry.certificate->sameAs(*who.certificate)) {
            certificate->setPlatformObject(
                std::make_shared<platform::certificates::CertificateObject>(entry.certificate));
        }
    }
    return certificate;
}

com::ComPtr<certificates::QNCertificate> EnvelopeFixture::loose(const testpki::Issued& who) {
    com::ComPtr<certificates::QNCertificate> certificate = certificates::QNCertificate::create();
    certificate->setPlatformObject(std::make_shared<platform::certificates::CertificateObject>(
        platform::crypt::Certificate::fromDer(who.certificate->der())));
    return certificate;
}

com::ComPtr<envelopes::QNRecipients>
EnvelopeFixture::recipients(std::initializer_list<certificates::QNCertificate*> certificates) {
    com::ComPtr<envelopes::QNRecipients> list = envelopes::QNRecipients::create();
    for (certificates::QNCertificate* certificate : certificates) {
        EXPECT_EQ(list->setRecipient(static_cast<certificates::IQNCertificate*>(certificate)),
                  S_OK);
    }
    return list;
}

com::ComPtr<envelopes::QNEnvelopedData> EnvelopeFixture::enveloper(bool cms) {
    com::ComPtr<envelopes::QNEnvelopedData> envelope = envelopes::QNEnvelopedData::create();
    if (cms) {
        envelope->setInternal(std::make_unique<envelopes::CQNEnvelopedData_Internal_CMS>());
    } else {
        envelope->setInternal(std::make_unique<envelopes::CQNEnvelopedData_Internal_PKCS7>());
    }
    return envelope;
}

com::ComPtr<content::QNContent> EnvelopeFixture::content(const std::string& bytes) {
    com::ComPtr<content::QNContent> c = content::QNContent::create();
    c->content().replace(bytes);
    return c;
}

Outcome EnvelopeFixture::outcome(HRESULT hr, IDispatch* result) {
    Outcome out;
    out.hr = hr;
    out.description = signingtest::errorDescription();
    com::ComPtr<IDispatch> owned = com::ComPtr<IDispatch>::attach(result);
    if (content::QNContent* qn = result != nullptr ? content::QNContent::from(result) : nullptr) {
        out.bytes = qn->content().buffer().toString();
    }
    return out;
}

Outcome EnvelopeFixture::encrypt(envelopes::QNEnvelopedData& envelope, const std::string& bytes,
                                 envelopes::QNRecipients* list) {
    com::ComPtr<content::QNContent> c = content(bytes);
    IDispatch* result = nullptr;
    HRESULT hr = envelope.encrypt(static_cast<content::IQNContent*>(c.get()),
                                  static_cast<envelopes::IQNRecipients*>(list), &result);
    return outcome(hr, result);
}

Outcome EnvelopeFixture::decrypt(envelopes::QNEnvelopedData& envelope, const std::string& bytes) {
    com::ComPtr<content::QNContent> c = content(bytes);
    IDispatch* result = nullptr;
    HRESULT hr = envelope.decrypt(static_cast<content::IQNContent*>(c.get()), &result);
    return outcome(hr, result);
}

void EnvelopeFixture::keep(const std::string& name, const testpki::Issued& who) const {
    put(name + ".pem", who.certificate->pem());
    put(name + ".key", who.key->toPem(""));
}

std::string EnvelopeFixture::opensslOpens(const std::string& message, const std::string& name,
                                          const std::string& tool) const {
    put("m.der", message);
    std::remove(path("m.out").c_str());
    int status = testpki::run("openssl " + tool + " -decrypt -binary -inform DER -in " +
                              path("m.der") + " -recip " + path(name + ".pem") + " -inkey " +
                              path(name + ".key") + " -out " + path("m.out"));
    return status == 0 ? testpki::readFile(path("m.out")) : "<failed>";
}

std::string EnvelopeFixture::opensslEnvelope(const std::string& content, const std::string& options,
                                             std::initializer_list<std::string> names) const {
    put("plain.bin", content);
    std::string command = "openssl cms -encrypt -binary -outform DER " + options + " -in " +
                          path("plain.bin") + " -out " + path("o.der");
    for (const std::string& name : names) {
        command += " -recip " + path(name + ".pem");
    }
    std::string log;
    EXPECT_EQ(testpki::run(command, &log), 0) << log;
    return testpki::readFile(path("o.der"));
}

} // namespace envelopetest
