#pragma once

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "TestPki.h"
#include "com/ComPtr.h"
#include "component/certificates/QNCertificate.h"
#include "component/content/QNContent.h"
#include "component/envelopes/CQNEnvelopedData_Internal_CMS.h"
#include "component/envelopes/CQNEnvelopedData_Internal_PKCS7.h"
#include "component/envelopes/QNEnvelopedData.h"
#include "component/envelopes/QNRecipients.h"
#include "component/module/SettingsTable.h"

namespace envelopetest {

inline constexpr char kTripleDes[] = "1.2.840.113549.3.7";
inline constexpr char kAes128[] = "2.16.840.1.101.3.4.1.2";
inline constexpr char kAes256[] = "2.16.840.1.101.3.4.1.42";

// What a call through a scriptable interface gave: its HRESULT, the result content's bytes
// and the description of the thread's error information ("<none>" without one).
struct Outcome {
    HRESULT hr = S_OK;
    std::string bytes;
    std::string description;
    uint32_t code() const { return static_cast<uint32_t>(hr); }
};

// The people of the tests: a CA and certificates it issued (RSA, and one with an EC key).
struct People {
    testpki::Issued ca =
        testpki::issue({.subject = "CN=CA Sobres, O=Quillion, C=ES", .ca = true}, nullptr);
    testpki::Issued one = testpki::issue({.subject = "CN=Uno Cifrado, O=Quillion, C=ES",
                                          .keyUsage = "keyEncipherment",
                                          .serial = 0x0102},
                                         &ca);
    testpki::Issued two = testpki::issue({.subject = "CN=Dos Cifrado, O=Quillion, C=ES",
                                          .keyUsage = "keyEncipherment",
                                          .serial = 0xFF03},
                                         &ca);
    testpki::Issued three =
        testpki::issue({.subject = "CN=Tres Cifrado, O=Quillion, C=ES", .serial = 0x7777}, &ca);
    testpki::Issued ec = testpki::issue({.subject = "CN=Curva Cifrado, O=Quillion, C=ES",
                                         .keyUsage = "keyAgreement",
                                         .serial = 0x0909},
                                        &ca, ecKey());

    static std::shared_ptr<platform::crypt::PrivateKey> ecKey();
    // One set per test program: key generation is what the tests would spend most on.
    static const People& shared();
};

// A fresh home with a log, the settings table emptied, openssl beside.
class EnvelopeFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static component::module::SettingsTable& settings() {
        return component::module::SettingsTable::instance();
    }

    // A QNCertificate read back from the "MY" store, where who is put (with its key unless
    // withKey is false; encrypted with password when one is given).
    com::ComPtr<component::certificates::QNCertificate>
    inStore(const testpki::Issued& who, bool withKey = true, const std::string& password = "");
    // A QNCertificate of a certificate that is in no store.
    static com::ComPtr<component::certificates::QNCertificate> loose(const testpki::Issued& who);
    static com::ComPtr<component::envelopes::QNRecipients>
    recipients(std::initializer_list<component::certificates::QNCertificate*> certificates);
    static com::ComPtr<component::envelopes::QNEnvelopedData> enveloper(bool cms);
    static com::ComPtr<component::content::QNContent> content(const std::string& bytes);

    static Outcome encrypt(component::envelopes::QNEnvelopedData& envelope,
                           const std::string& bytes, component::envelopes::QNRecipients* list);
    static Outcome decrypt(component::envelopes::QNEnvelopedData& envelope,
                           const std::string& bytes);
    static Outcome outcome(HRESULT hr, IDispatch* result);

    // Files for openssl in the test's folder.
    std::string path(const std::string& name) const { return home_.path() + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        testpki::writeFile(path(name), bytes);
    }
    // who's certificate and key as <name>.pem and <name>.key.
    void keep(const std::string& name, const testpki::Issued& who) const;
    // openssl <tool> -decrypt of a DER message with the files of name: the plaintext, or
    // "<failed>".
    std::string opensslOpens(const std::string& message, const std::string& name,
                             const std::string& tool = "cms") const;
    // openssl cms -encrypt (DER) of content for the certificates named.
    std::string opensslEnvelope(const std::string& content, const std::string& options,
                                std::initializer_list<std::string> names) const;

    testpki::TempHome home_;
    TestLog log_{home_};
    const People& people_ = People::shared();
};

} // namespace envelopetest
