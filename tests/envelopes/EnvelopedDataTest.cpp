#include "component/envelopes/QNEnvelopedData.h"

#include <gtest/gtest.h>

#include "EnvelopeFixture.h"
#include "SigningTestSupport.h"
#include "com/Variant.h"
#include "component/content/QNCollection.h"
#include "component/content/QNCryptoSystem.h"
#include "component/envelopes/CQNEnvelopedData_Internal_CMS.h"
#include "component/envelopes/CQNEnvelopedData_Internal_PKCS7.h"
#include "component/envelopes/QNRecipients.h"
#include "platform/crypt/EnvelopedDataDecoder.h"

namespace certificates = component::certificates;
namespace content = component::content;
namespace envelopes = component::envelopes;
using namespace envelopetest;

namespace {

constexpr uint32_t QN_E_DECRYPT = 0x80044658;
constexpr uint32_t QN_E_ENCRYPT_SETUP = 0x80044659;
constexpr uint32_t QN_E_ENVELOPE = 0x8004465C;
constexpr uint32_t QN_E_USER_CANCELLED = 0x80044661;
constexpr uint32_t QN_E_WRONG_PASSWORD = 0x80044662;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const char* flavour(bool cms) {
    return cms ? "CMS" : "PKCS#7";
}

// The recipients of a message in order: for each, the person it is for (by certificate).
std::vector<std::string> recipientOrder(const std::string& message, const People& people) {
    platform::crypt::EnvelopedDataDecoder decoder(
        reinterpret_cast<const unsigned char*>(message.data()), message.size());
    std::vector<std::string> names;
    for (size_t i = 0; i < decoder.recipientCount(); ++i) {
        platform::crypt::EnvelopeRecipient r = decoder.recipient(i);
        std::string name = "?";
        for (const auto& [who, label] :
             {std::pair{&people.one, "one"}, {&people.two, "two"}, {&people.ec, "ec"}}) {
            if (!r.keys.empty() && r.keys[0].matches(*who->certificate)) {
                name = label;
            }
        }
        names.push_back(name);
    }
    return names;
}

class EnvelopedDataTest : public EnvelopeFixture {
protected:
    // A signed message (openssl cms -sign, content inside) by "one" (kept first).
    std::string signedByOne(const std::string& content) const {
        put("doc.txt", content);
        std::string log;
        int status = testpki::run("openssl cms -sign -binary -nodetach -outform DER -in " +
                                      path("doc.txt") + " -signer " + path("one.pem") + " -inkey " +
                                      path("one.key") + " -out " + path("signed.der"),
                                  &log);
        EXPECT_EQ(status, 0) << log;
        return status == 0 ? testpki::readFile(path("signed.der")) : std::string();
    }
};

} // namespace

TEST_F(EnvelopedDataTest, OpensslOpensOurEnvelopesForEveryRecipientAndAlgorithm) {
    keep("one", people_.one);
    keep("two", people_.two);
    auto one = loose(people_.one);
    auto two = loose(people_.two);
    auto list = recipients({one.get(), two.get()});
    const std::string secret("sobre con\0ceros y acentos: canción\n", 36);
    for (bool cms : {true, false}) {
        for (const char* algorithm : {kTripleDes, kAes128, kAes256}) {
            SCOPED_TRACE(std::string(flavour(cms)) + " " + algorithm);
            settings().set("SymmmetricCryptAlgorithm", algorithm);
            Outcome made = encrypt(*enveloper(cms), secret, list.get());
            ASSERT_EQ(made.hr, S_OK) << made.description;
            EXPECT_EQ(opensslOpens(made.bytes, "one"), secret);
            EXPECT_EQ(opensslOpens(made.bytes, "two"), secret);
            EXPECT_EQ(opensslOpens(made.bytes, "one", "smime"), secret);
            // A third party opens nothing.
            keep("three", people_.three);
            EXPECT_EQ(opensslOpens(made.bytes, "three"), "<failed>");
        }
    }
    std::string logged = log_.text();
    EXPECT_TRUE(contains(logged, "CQNEnvelopedData::encrypt"));
    EXPECT_TRUE(contains(logged, "KeyTrans"));
    EXPECT_TRUE(contains(logged, "Recipient number: 2"));
}

TEST_F(EnvelopedDataTest, ASignedContentKeepsItsTypeInside) {
    keep("one", people_.one);
    const std::string signedMessage = signedByOne("documento firmado");
    ASSERT_FALSE(signedMessage.empty());
    auto one = inStore(people_.one);
    settings().set("SymmmetricCryptAlgorithm", kAes256);
    for (bool cms : {true, false}) {
        Outcome made = encrypt(*enveloper(cms), signedMessage, recipients({one.get()}).get());
        ASSERT_EQ(made.hr, S_OK) << made.description;
        put("e.der", made.bytes);
        std::string printed;
        testpki::run("openssl cms -cmsout -print -inform DER -in " + path("e.der"), &printed);
        EXPECT_TRUE(contains(printed, "contentType: pkcs7-signedData")) << printed;
        // Opening gives back the signed message as it was.
        Outcome opened = decrypt(*enveloper(cms), made.bytes);
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        EXPECT_EQ(opened.bytes, signedMessage);
    }
    // Plain text stays data.
    Outcome plain = encrypt(*enveloper(true), "texto", recipients({one.get()}).get());
    put("e.der", plain.bytes);
    std::string printed;
    testpki::run("openssl cms -cmsout -print -inform DER -in " + path("e.der"), &printed);
    EXPECT_TRUE(contains(printed, "contentType: pkcs7-data")) << printed;
}

TEST_F(EnvelopedDataTest, OpensOpensslEnvelopesSkippingRecipientsTheUserDoesNotHold) {
    keep("one", people_.one);
    keep("two", people_.two);
    inStore(people_.two); // one is not the user's
    const std::string secret = "de openssl para dos";
    for (const char* option : {"-des3", "-aes128", "-aes256"}) {
        std::string message = opensslEnvelope(secret, option, {"one", "two"});
        // The recipient the user holds stands second.
        ASSERT_EQ(recipientOrder(message, people_), (std::vector<std::string>{"one", "two"}));
        for (bool cms : {true, false}) {
            SCOPED_TRACE(std::string(flavour(cms)) + " " + option);
            Outcome opened = decrypt(*enveloper(cms), message);
            ASSERT_EQ(opened.hr, S_OK) << opened.description;
            EXPECT_EQ(opened.bytes, secret);
        }
    }
    // By subject key identifier, and streamed (BER) by openssl.
    std::string streamed = opensslEnvelope(secret, "-aes256 -keyid -stream", {"one", "two"});
    for (bool cms : {true, false}) {
        Outcome opened = decrypt(*enveloper(cms), streamed);
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        EXPECT_EQ(opened.bytes, secret);
    }
    std::string logged = log_.text();
    EXPECT_TRUE(contains(logged, "Recipient number: 2"));
    EXPECT_TRUE(contains(logged, "Decrypt certificate found"));
    EXPECT_TRUE(contains(logged, "Decrypt context acquire"));
    EXPECT_TRUE(contains(logged, "Message decrypted"));
}

TEST_F(EnvelopedDataTest, CmsOpensKeyAgreementRecipientsOfEcCertificates) {
    keep("one", people_.one);
    keep("ec", people_.ec);
    inStore(people_.ec);
    const std::string secret = "para una curva";
    for (const char* option : {"-aes128", "-aes256"}) {
        std::string message = opensslEnvelope(secret, option, {"one", "ec"});
        ASSERT_EQ(recipientOrder(message, people_), (std::vector<std::string>{"one", "ec"}));
        Outcome opened = decrypt(*enveloper(true), message);
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        EXPECT_EQ(opened.bytes, secret);
        // PKCS#7 opens key-transport recipients only.
        Outcome refused = decrypt(*enveloper(false), message);
        EXPECT_EQ(refused.code(), QN_E_DECRYPT);
        EXPECT_EQ(refused.description, "No se ha podido descifrar");
    }
}

TEST_F(EnvelopedDataTest, AKeyAgreementCertificateWithoutItsKeyIsAnError) {
    keep("ec", people_.ec);
    inStore(people_.ec, false);
    Outcome opened = decrypt(*enveloper(true), opensslEnvelope("x", "-aes128", {"ec"}));
    EXPECT_EQ(opened.code(), QN_E_ENVELOPE);
    EXPECT_TRUE(contains(opened.description, "@QNEnvelopedData_Internal_CMS(441)"))
        << opened.description;
    EXPECT_TRUE(contains(log_.text(), "WARNING: Decrypt context fail: "));
}

TEST_F(EnvelopedDataTest, NoRecipientTheUserHoldsIsNotDecryptable) {
    keep("one", people_.one);
    keep("two", people_.two);
    inStore(people_.three);
    std::string message = opensslEnvelope("nadie", "-aes256", {"one", "two"});
    for (bool cms : {true, false}) {
        Outcome opened = decrypt(*enveloper(cms), message);
        EXPECT_EQ(opened.code(), QN_E_DECRYPT) << flavour(cms) << " " << opened.description;
        EXPECT_EQ(opened.description, "No se ha podido descifrar");
        EXPECT_TRUE(opened.bytes.empty());
    }
    std::string logged = log_.text();
    EXPECT_TRUE(contains(logged, "WARNING: No se ha podido descifrar"));
    EXPECT_TRUE(contains(logged, "WARNING: des-Enveloping fail"));
    EXPECT_FALSE(contains(logged, "Decrypt certificate found"));
}

TEST_F(EnvelopedDataTest, ACertificateWithoutItsKeyIsSkippedByCmsAndAnErrorForPkcs7) {
    keep("one", people_.one);
    keep("two", people_.two);
    inStore(people_.one, false);
    std::string message = opensslEnvelope("sin clave", "-aes256", {"one", "two"});
    Outcome cms = decrypt(*enveloper(true), message);
    EXPECT_EQ(cms.code(), QN_E_DECRYPT) << cms.description;
    Outcome pkcs7 = decrypt(*enveloper(false), message);
    EXPECT_EQ(pkcs7.code(), QN_E_ENVELOPE) << pkcs7.description;
    EXPECT_TRUE(contains(pkcs7.description, "@QNEnvelopedData_Internal_PKCS7(733)"))
        << pkcs7.description;
    EXPECT_TRUE(contains(log_.text(), "WARNING: Decrypt context fail: 2148073494"));
    // With the second recipient's key at hand CMS opens it; PKCS#7 still stops at the first
    // certificate it finds.
    inStore(people_.two);
    Outcome opened = decrypt(*enveloper(true), message);
    ASSERT_EQ(opened.hr, S_OK) << opened.description;
    EXPECT_EQ(opened.bytes, "sin clave");
    EXPECT_EQ(decrypt(*enveloper(false), message).code(), QN_E_ENVELOPE);
}

TEST_F(EnvelopedDataTest, TheKeyPasswordDecidesAndACancelledPromptIsReported) {
    keep("one", people_.one);
    inStore(people_.one, true, "secreto");
    std::string message = opensslEnvelope("bajo llave", "-aes128", {"one"});
    for (bool cms : {true, false}) {
        SCOPED_TRACE(flavour(cms));
        scriptAnswers(home_, "password=otra\n");
        Outcome wrong = decrypt(*enveloper(cms), message);
        EXPECT_EQ(wrong.code(), QN_E_WRONG_PASSWORD);
        EXPECT_EQ(wrong.description, "Ha introducido una contraseña erronea");
        scriptAnswers(home_, "password=cancel\n");
        Outcome cancelled = decrypt(*enveloper(cms), message);
        EXPECT_EQ(cancelled.code(), QN_E_USER_CANCELLED);
        EXPECT_EQ(cancelled.description, "El usuario ha cancelado la operacion");
        scriptAnswers(home_, "password=secreto\n");
        Outcome opened = decrypt(*enveloper(cms), message);
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        EXPECT_EQ(opened.bytes, "bajo llave");
    }
    EXPECT_TRUE(contains(log_.text(), "ERROR: CryptoAPI: Win32 error. Code: 13 "));
}

TEST_F(EnvelopedDataTest, AContentCipherTheProvidersLackIsReportedNotSkipped) {
    keep("one", people_.one);
    inStore(people_.one);
    put("plain.bin", "rc2");
    std::string log;
    ASSERT_EQ(testpki::run("openssl cms -encrypt -binary -outform DER -rc2 -provider legacy "
                           "-provider default -in " +
                               path("plain.bin") + " -out " + path("rc2.der") + " " +
                               path("one.pem"),
                           &log),
              0)
        << log;
    const std::string message = testpki::readFile(path("rc2.der"));
    for (bool cms : {true, false}) {
        Outcome opened = decrypt(*enveloper(cms), message);
        if (opened.hr == S_OK) {
            EXPECT_EQ(opened.bytes, "rc2"); // this process has the legacy provider
            continue;
        }
        EXPECT_EQ(opened.code(), QN_E_ENVELOPE) << opened.description;
        EXPECT_TRUE(contains(opened.description, "Invalid algorithm specified."))
            << opened.description;
    }
}

TEST_F(EnvelopedDataTest, EachEncryptionStepFailsWithItsOwnLine) {
    auto one = loose(people_.one);
    auto ec = loose(people_.ec);
    for (bool cms : {true, false}) {
        const std::string source =
            cms ? "@QNEnvelopedData_Internal_CMS(" : "@QNEnvelopedData_Internal_PKCS7(";
        settings().set("SymmmetricCryptAlgorithm", "");
        Outcome unset = encrypt(*enveloper(cms), "x", recipients({one.get()}).get());
        EXPECT_EQ(unset.code(), 0x80091002u) << unset.description; // CRYPT_E_UNKNOWN_ALGO
        EXPECT_TRUE(contains(unset.description, source + (cms ? "210)" : "510)")))
            << unset.description;
        // An EC key cannot take a key-transport recipient.
        settings().set("SymmmetricCryptAlgorithm", kAes128);
        Outcome agreement = encrypt(*enveloper(cms), "x", recipients({one.get(), ec.get()}).get());
        EXPECT_EQ(agreement.code(), 0x80090003u) << agreement.description; // NTE_BAD_KEY
        EXPECT_TRUE(contains(agreement.description, source + (cms ? "222)" : "522)")))
            << agreement.description;
        // No recipients at all, an empty list, or a list that is not one.
        auto empty = recipients({});
        for (envelopes::QNRecipients* list :
             {static_cast<envelopes::QNRecipients*>(nullptr), empty.get()}) {
            Outcome none = encrypt(*enveloper(cms), "x", list);
            EXPECT_EQ(none.code(), QN_E_ENCRYPT_SETUP);
            EXPECT_EQ(none.description, "No se han especificado destinatarios");
        }
    }
    std::string logged = log_.text();
    EXPECT_TRUE(contains(logged, "ERROR: No se han especificado destinatarios -2147203495"));
    EXPECT_TRUE(contains(logged, "Algoritmo de cifrado no reconocido o no disponible"));
    // An empty certificate object (never imported) cannot be a recipient.
    auto empty = certificates::QNCertificate::create();
    Outcome hollow = encrypt(*enveloper(true), "x", recipients({empty.get()}).get());
    EXPECT_EQ(hollow.code(), 0x80880210u) << hollow.description;
}

TEST_F(EnvelopedDataTest, ContentsThatAreNoEnvelopeAreRefused) {
    keep("one", people_.one);
    const std::string signedMessage = signedByOne("x");
    ASSERT_FALSE(signedMessage.empty());
    for (bool cms : {true, false}) {
        const std::string line =
            cms ? "@QNEnvelopedData_Internal_CMS(299)" : "@QNEnvelopedData_Internal_PKCS7(604)";
        for (const std::string& bytes : {std::string("no es un sobre"), std::string(),
                                         signedMessage, std::string("\x30\x82\xff\xff", 4)}) {
            Outcome refused = decrypt(*enveloper(cms), bytes);
            EXPECT_EQ(refused.code(), QN_E_ENVELOPE) << refused.description;
            EXPECT_TRUE(contains(refused.description, line)) << refused.description;
        }
    }
}

TEST_F(EnvelopedDataTest, ALargeContentRoundTrips) {
    auto one = inStore(people_.one);
    settings().set("SymmmetricCryptAlgorithm", kAes256);
    std::string big(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>((i * 131) >> 3);
    }
    for (bool cms : {true, false}) {
        Outcome made = encrypt(*enveloper(cms), big, recipients({one.get()}).get());
        ASSERT_EQ(made.hr, S_OK) << made.description;
        Outcome opened = decrypt(*enveloper(cms), made.bytes);
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
        EXPECT_TRUE(opened.bytes == big);
    }
}

TEST_F(EnvelopedDataTest, RecipientsCollectTheirCertificatesAndRefuseOtherObjects) {
    auto list = envelopes::QNRecipients::create();
    IDispatch* held = nullptr;
    ASSERT_EQ(list->getRecipients(&held), S_OK);
    com::ComPtr<IDispatch> collection = com::ComPtr<IDispatch>::attach(held);
    auto* items = dynamic_cast<content::QNCollection*>(collection.get());
    ASSERT_NE(items, nullptr);
    LONG count = -1;
    items->get_Count(&count);
    EXPECT_EQ(count, 0);
    auto one = loose(people_.one);
    auto two = loose(people_.two);
    EXPECT_EQ(list->setRecipient(static_cast<certificates::IQNCertificate*>(one.get())), S_OK);
    EXPECT_EQ(list->setRecipient(static_cast<certificates::IQNCertificate*>(two.get())), S_OK);
    // The collection a script holds sees the new items.
    items->get_Count(&count);
    EXPECT_EQ(count, 2);
    com::Variant first;
    ASSERT_EQ(items->get_Item(0, first.out()), S_OK);
    ASSERT_EQ(first.get()->vt, VT_DISPATCH);
    com::ComPtr<certificates::IQNCertificate> back;
    ASSERT_EQ(
        first.get()->pdispVal->QueryInterface(certificates::IQNCertificate::iid, back.outVoid()),
        S_OK);
    EXPECT_EQ(static_cast<certificates::IQNCertificate*>(one.get()), back.get());

    EXPECT_EQ(list->setRecipient(nullptr), E_POINTER);
    EXPECT_EQ(signingtest::errorDescription(), "QNRecipients::setRecipient: Certificado nulo.");
    auto notACertificate = content("x");
    EXPECT_EQ(list->setRecipient(static_cast<content::IQNContent*>(notACertificate.get())),
              E_NOINTERFACE);
    items->get_Count(&count);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(contains(log_.text(), "CQNRecipients::CQNRecipients: "));
}

TEST_F(EnvelopedDataTest, AnEnvelopeMadeWithoutTheFacadeReportsInsteadOfCrashing) {
    auto bare = envelopes::QNEnvelopedData::create();
    auto one = loose(people_.one);
    Outcome made = encrypt(*bare, "x", recipients({one.get()}).get());
    EXPECT_EQ(made.code(), QN_E_ENVELOPE);
    EXPECT_EQ(made.description, envelopes::QNEnvelopedData::kNotInitialized);
    Outcome opened = decrypt(*bare, "x");
    EXPECT_EQ(opened.code(), QN_E_ENVELOPE);
    // No content object: E_FAIL, nothing else.
    IDispatch* result = nullptr;
    EXPECT_EQ(enveloper(true)->decrypt(nullptr, &result), E_FAIL);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(enveloper(true)->encrypt(nullptr, nullptr, &result), E_FAIL);
    EXPECT_TRUE(contains(log_.text(), "ERROR: content null"));
}

TEST_F(EnvelopedDataTest, TheFacadeChoosesTheEnveloperByMode) {
    auto system = content::QNCryptoSystem::create();
    std::vector<com::ComPtr<IDispatch>> kept;
    auto enveloperOf = [&](LONG mode) -> envelopes::CQNEnvelopedData_Internal* {
        system->setMode(mode);
        IDispatch* made = nullptr;
        EXPECT_EQ(system->newEnvelopedData(&made), S_OK);
        kept.push_back(com::ComPtr<IDispatch>::attach(made));
        auto* envelope = dynamic_cast<envelopes::QNEnvelopedData*>(made);
        return envelope == nullptr ? nullptr : envelope->internal();
    };
    auto isCms = [](envelopes::CQNEnvelopedData_Internal* e) {
        return dynamic_cast<envelopes::CQNEnvelopedData_Internal_CMS*>(e) != nullptr;
    };
    auto isPkcs7 = [](envelopes::CQNEnvelopedData_Internal* e) {
        return dynamic_cast<envelopes::CQNEnvelopedData_Internal_PKCS7*>(e) != nullptr;
    };
    EXPECT_TRUE(isCms(enveloperOf(3)));
    for (LONG mode : {0, 1, 2, 4, 5, 7, 8, 42}) {
        EXPECT_TRUE(isPkcs7(enveloperOf(mode))) << mode;
    }
    EXPECT_EQ(settings().get("XMLEncryption"), "");
    EXPECT_TRUE(isPkcs7(enveloperOf(6)));
    EXPECT_EQ(settings().get("XMLEncryption"), "TRUE");
}
