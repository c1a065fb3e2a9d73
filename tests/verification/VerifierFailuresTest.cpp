// How failures reach the caller: error codes and texts, never a crash.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include "VerificationFixture.h"
#include "com/ErrorInfo.h"
#include "component/content/QNContent.h"
#include "component/module/ErrorCodes.h"
#include "component/module/SettingsTable.h"
#include "component/verification/CQNVerifier_Internal_PKCS7.h"
#include "component/verification/QNVerifier.h"
#include "component/verification/VerifierFailure.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/SignedDataParser.h"
#include "stream/Base64.h"
#include "stream/exceptions/CryptException.h"

using namespace component;

namespace {

// The description of the thread's error information (consumed).
std::string errorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr) {
        return {};
    }
    BSTR text = nullptr;
    info->GetDescription(&text);
    info->Release();
    return com::BStr::attach(text).utf8();
}

std::string sha(const std::string& name, const std::string& bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(bytes.data(), bytes.size(), out, &n, EVP_get_digestbyname(name.c_str()), nullptr);
    return std::string(reinterpret_cast<char*>(out), n);
}

std::string base64(const std::string& bytes) {
    return stream::Base64::encode(bytes);
}

} // namespace

TEST_F(VerificationTest, VerifierWithoutInternalFailsEveryMember) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    com::ComPtr<content::QNContent> m = content::QNContent::create();
    m->content().replace(std::string("x"));
    IDispatch* message = static_cast<content::IQNContent*>(m.get());
    const std::string text =
        "Verifier was not initialized correctly. Use QNCryptoSystem object for create a verifier";

    IDispatch* out = nullptr;
    EXPECT_EQ(verifier->getStatus(0, &out), module::QN_E_VERIFIER_NOT_INITIALIZED);
    EXPECT_EQ(errorDescription(), text);
    EXPECT_EQ(verifier->getContent(&out), module::QN_E_VERIFIER_NOT_INITIALIZED);
    EXPECT_EQ(errorDescription(), text);
    LONG result = 7;
    EXPECT_EQ(verifier->verify(message, nullptr, 0, &result),
              module::QN_E_VERIFIER_NOT_INITIALIZED);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(verifier->isDetached(message, &result), module::QN_E_VERIFIER_NOT_INITIALIZED);
}

TEST_F(VerificationTest, NullMessageIsEFailAndLeavesTheResult) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
    LONG result = 7;
    EXPECT_EQ(verifier->verify(nullptr, nullptr, 0, &result), E_FAIL);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(verifier->isDetached(nullptr, &result), E_FAIL);
    EXPECT_EQ(result, 7);
}

TEST_F(VerificationTest, NoMessageAtAllIsBadTagFromTheVerifiersSource) {
    Verification text = verify("esto no es un mensaje firmado");
    EXPECT_EQ(text.hr, static_cast<HRESULT>(0x8009310Bu));
    EXPECT_EQ(text.result, -1);
    EXPECT_TRUE(text.statuses.empty());
    std::string description = errorDescription();
    EXPECT_NE(description.find("Win32 error. Code: 2148086027"), std::string::npos) << description;
    EXPECT_NE(description.find("@QNVerifier_Internal_PKCS7(574)"), std::string::npos)
        << description;
}

TEST_F(VerificationTest, EnvelopedDataIsNotASignedMessage) {
    testpki::writeFile(path("content.bin"), "secreto");
    openssl("cms -encrypt -binary -in " + path("content.bin") + " -outform DER -out " +
            path("env.der") + " " + signerPath + ".pem");
    Verification v = verify(fileBytes(path("env.der")));
    EXPECT_EQ(v.hr, static_cast<HRESULT>(0x80091004u));
    EXPECT_NE(errorDescription().find("@QNVerifier_Internal_PKCS7(584)"), std::string::npos);
}

TEST_F(VerificationTest, TruncatedAndRandomBytesFailCleanly) {
    std::string message = cmsSign("trocitos", "-nodetach -outform DER");
    for (size_t n = 0; n < message.size(); n += (n < 64 ? 1 : 37)) {
        Verification v = verify(message.substr(0, n));
        EXPECT_TRUE(FAILED(v.hr)) << n;
        errorDescription();
    }
    std::string noise(4096, '\0');
    uint32_t state = 12345;
    for (int round = 0; round < 50; ++round) {
        for (char& c : noise) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        noise[0] = 0x30; // looks like a SEQUENCE at least
        Verification v = verify(noise.substr(0, 64 + round * 70));
        EXPECT_TRUE(FAILED(v.hr) || v.result == 0) << round;
        errorDescription();
    }
    // Flipping single bytes anywhere never crashes; a verdict or an error either way. The
    // BER form goes through OpenSSL's re-encoding as well.
    std::string ber = cmsSign("trocitos", "-nodetach -stream -outform DER");
    for (size_t i = 0; i < ber.size(); i += 13) {
        std::string flipped = ber;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x81);
        Verification v = verify(flipped);
        EXPECT_TRUE(FAILED(v.hr) || v.result == 0 || v.result == 1) << i;
        errorDescription();
    }
    // A flip inside what the signature covers (the content, the signed attributes) or inside
    // the signature itself is never a valid signature; elsewhere (say in the certificate's
    // own signature, which a dates-only check does not read) either verdict may stand.
    const auto* base = reinterpret_cast<const unsigned char*>(message.data());
    platform::crypt::SignedDataParser original(base, message.size());
    ASSERT_FALSE(original.normalised());
    const platform::crypt::SignerInfoView& signer = original.signers().at(0);
    auto within = [base](size_t i, const platform::crypt::ByteView& view) {
        return view.data != nullptr && i >= static_cast<size_t>(view.data - base) &&
               i < static_cast<size_t>(view.data - base) + view.size;
    };
    size_t covered = 0;
    for (size_t i = 0; i < message.size(); i += 3) {
        std::string flipped = message;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
        Verification v = verify(flipped);
        if (within(i, original.content()) || within(i, signer.signedAttributes) ||
            within(i, signer.signature)) {
            ++covered;
            EXPECT_TRUE(FAILED(v.hr) || v.result == 0) << i;
        } else {
            EXPECT_TRUE(FAILED(v.hr) || v.result == 0 || v.result == 1) << i;
        }
        errorDescription();
    }
    EXPECT_GT(covered, 50u);
}

TEST_F(VerificationTest, DeeplyNestedMessagesAreRefused) {
    std::string message = cmsSign("fondo", "-nodetach -outform DER");
    for (int i = 0; i < 40; ++i) {
        testpki::writeFile(path("inner.der"), message);
        openssl("cms -sign -binary -nodetach -noattr -nocerts -econtent_type "
                "1.2.840.113549.1.7.2 -in " +
                path("inner.der") + " -signer " + signerPath + ".pem -inkey " + signerPath +
                ".key -outform DER -out " + path("outer.der"));
        message = fileBytes(path("outer.der"));
    }
    Verification v = verify(message);
    EXPECT_TRUE(FAILED(v.hr));
}

TEST_F(VerificationTest, FailureCodesFollowTheirSign) {
    auto raising = [](uint32_t code) {
        return verification::guardVerifier(true, "verify", [code]() -> HRESULT {
            throw stream::exceptions::CryptException("f", 1, code);
        });
    };
    // A Win32 error number is reported negated, an HRESULT as it is.
    EXPECT_EQ(raising(13), -13);
    EXPECT_EQ(raising(0x80090006u), static_cast<HRESULT>(0x80090006u));
    EXPECT_EQ(verification::guardVerifier(true, "verify", []() -> HRESULT { throw 42; }),
              module::QN_E_OPERATION);
    EXPECT_EQ(errorDescription(), "Error desconocido");
    // getStatus and getContent keep an HRESULT unchanged; a Win32 error number, a success
    // code to a caller, goes out as the failure it is (FACILITY_WIN32).
    EXPECT_EQ(verification::guardVerifier(
                  false, "getStatus",
                  []() -> HRESULT { throw stream::exceptions::CryptException("f", 1, 13); }),
              static_cast<HRESULT>(0x8007000Du));
    EXPECT_EQ(verification::guardVerifier(false, "getStatus",
                                          []() -> HRESULT {
                                              throw stream::exceptions::CryptException("f", 1,
                                                                                       0x80090006u);
                                          }),
              static_cast<HRESULT>(0x80090006u));
    // Anything else there is an unexpected error.
    EXPECT_EQ(verification::guardVerifier(false, "getContent", []() -> HRESULT { throw 42; }),
              module::QN_E_UNEXPECTED);
    EXPECT_EQ(errorDescription(), "Unespected error");
}

TEST_F(VerificationTest, HashOnlyWithSignedAttributes) {
    module::SettingsTable::instance().set("SignFromHash", "TRUE");
    std::string content = "contenido que no viaja";
    std::string message = cmsSign(content, "-outform DER");
    Verification good = verify(message, base64(sha("SHA256", content)));
    ASSERT_EQ(good.hr, S_OK);
    EXPECT_EQ(good.result, 1);
    ASSERT_EQ(good.statuses.size(), 1u);
    EXPECT_EQ(good.statuses[0].idError, 0);
    EXPECT_EQ(good.statuses[0].subject, "CN=Firmante Uno, O=Quillion, C=ES");

    // The whole digest counts: a different last byte is another content.
    std::string digest = sha("SHA256", content);
    digest.back() = static_cast<char>(digest.back() ^ 1);
    Verification lastByte = verify(message, base64(digest));
    EXPECT_EQ(lastByte.result, 0);
    ASSERT_EQ(lastByte.statuses.size(), 1u);
    EXPECT_EQ(lastByte.statuses[0].idError, 1);
    EXPECT_EQ(lastByte.statuses[0].description, "Error verificando la firma");

    Verification other = verify(message, base64(sha("SHA256", "otro")));
    EXPECT_EQ(other.result, 0);
    EXPECT_EQ(other.statuses[0].idError, 1);
}

TEST_F(VerificationTest, HashOnlyWithoutSignedAttributes) {
    module::SettingsTable::instance().set("SignFromHash", "TRUE");
    std::string content = "sin atributos y sin contenido";
    std::string message = cmsSign(content, "-noattr -md sha1 -outform DER");
    Verification good = verify(message, base64(sha("SHA1", content)));
    EXPECT_EQ(good.result, 1);
    ASSERT_EQ(good.statuses.size(), 1u);
    EXPECT_EQ(good.statuses[0].idError, 0);

    std::string digest = sha("SHA1", content);
    digest.back() = static_cast<char>(digest.back() ^ 1);
    Verification bad = verify(message, base64(digest));
    EXPECT_EQ(bad.result, 0);
    EXPECT_EQ(bad.statuses[0].idError, static_cast<int32_t>(0x80090006u));
    EXPECT_EQ(bad.statuses[0].description, "Firma inválida");

    // A short digest is filled up and does not verify.
    Verification shortHash = verify(message, base64(digest.substr(0, 10)));
    EXPECT_EQ(shortHash.result, 0);
    EXPECT_EQ(shortHash.statuses[0].idError, static_cast<int32_t>(0x80090006u));

    // Without the setting the same text is taken as the content itself.
    module::SettingsTable::instance().set("SignFromHash", "true");
    Verification asContent = verify(message, base64(sha("SHA1", content)));
    EXPECT_EQ(asContent.result, 0);
    EXPECT_EQ(asContent.statuses[0].idError, static_cast<int32_t>(0x80090006u));
}

TEST_F(VerificationTest, EcdsaSignerAndAnUnsupportedSignatureScheme) {
    openssl("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 5 -subj "
            "\"/CN=Firmante EC\" -keyout " +
            path("ec.key") + " -out " + path("ec.pem"));
    Verification ec = verify(cmsSign("curva", "-nodetach -outform DER -signer " + path("ec.pem") +
                                                  " -inkey " + path("ec.key")));
    EXPECT_EQ(ec.result, 1);
    ASSERT_EQ(ec.statuses.size(), 1u);
    EXPECT_EQ(ec.statuses[0].idError, 0) << ec.statuses[0].description;
    EXPECT_EQ(ec.statuses[0].subject, "CN=Firmante EC");

    // RSASSA-PSS is not checked here: an unknown algorithm, not a bad signature.
    Verification pss =
        verify(cmsSign("pss", "-nodetach -outform DER -keyopt rsa_padding_mode:pss"));
    EXPECT_EQ(pss.result, 0);
    ASSERT_EQ(pss.statuses.size(), 1u);
    EXPECT_EQ(pss.statuses[0].idError, static_cast<int32_t>(0x80091002u));
    EXPECT_EQ(pss.statuses[0].description, "Error en la verificación");
}
