// The log lines of a verification, byte for byte.
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "VerificationFixture.h"
#include "component/module/SettingsTable.h"

namespace {

bool has(const std::string& log, const std::string& line) {
    return log.find(line) != std::string::npos;
}

} // namespace

TEST_F(VerificationTest, LogLinesOfAttachedDetachedAndFailedSigners) {
    std::string attached = cmsSign("registro", "-nodetach -outform DER");
    std::string detached = cmsSign("registro", "-outform DER");
    std::string orphanless = cmsSign("registro", "-nodetach -nocerts -outform DER");
    TestLog log(home);
    verify(attached);
    verify(detached, "registro");
    verify(detached, "otro");
    verify(orphanless);
    std::string text = log.text();
    for (const char* line : {
             "CQNVerifier::CQNVerifier: ",
             "CQNVerifier_Internal_PKCS7::CQNVerifier_Internal_PKCS7: ",
             "CQNVerifier::verify",
             "CQNVerifier_Internal_PKCS7::verify",
             "CQNVerifier_Internal_PKCS7::getSignersNumber(). Signer number: 1",
             "CQNVerifier_Internal_PKCS7::verify() Signer number: 1",
             "CQNVerifier_Internal_PKCS7::verify(). Signer: 0",
             "Verify ATTACHED",
             "Detached data",
             "Verificando firma detached",
             "Verify DETACHED",
             "Bad signature",
             "No signer certificate",
             "Error creatring signer certificate context->",
             "CQNVerifier::getStatus",
             "CQNVerifier_Internal_PKCS7::~CQNVerifier_Internal_PKCS7: ",
             "CQNVerifier::~CQNVerifier: ",
         }) {
        EXPECT_TRUE(has(text, line)) << line << "\n" << text;
    }
}

TEST_F(VerificationTest, LogLinesOfHashOnlyAndNestedMessages) {
    std::string inner = cmsSign("anidado", "-nodetach -outform DER");
    testpki::writeFile(path("inner.der"), inner);
    openssl("cms -sign -binary -nodetach -econtent_type 1.2.840.113549.1.7.2 -in " +
            path("inner.der") + " -signer " + signerPath + ".pem -inkey " + signerPath +
            ".key -outform DER -out " + path("outer.der"));
    std::string outer = fileBytes(path("outer.der"));
    std::string withAttributes = cmsSign("hash", "-outform DER");
    std::string without = cmsSign("hash", "-noattr -outform DER");
    TestLog log(home);
    verify(outer);
    component::module::SettingsTable::instance().set("SignFromHash", "TRUE");
    verify(withAttributes, "AAAA");
    verify(without, "AAAA");
    std::string text = log.text();
    for (const char* line : {
             "verify inner",
             "Verificando firma detached byHash",
             "Si hay atributos autenticados",
             "Error al emplazar hash precalculado en la firma",
             "No hay atributos autenticados",
             "Error al verificar la firma",
         }) {
        EXPECT_TRUE(has(text, line)) << line << "\n" << text;
    }
}
