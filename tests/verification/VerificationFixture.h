#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/Com.h"
#include "component/verification/CQNVerifier_Internal.h"

#include "TestPki.h"

// One signer's outcome as a script reads it.
struct SignerStatus {
    long idError = 0;
    std::string description;
    long level = 0;
    std::string subject; // of signerCertificate, empty when it has none
};

struct Verification {
    HRESULT hr = S_OK;
    long result = -1;
    std::vector<SignerStatus> statuses;
    std::string content; // getContent after the verification
};

// A fresh home per test, a small PKI written where openssl can read it, and helpers that sign
// with openssl and verify through QNVerifier and QNContent objects.
class VerificationTest : public ::testing::Test {
protected:
    VerificationTest();
    ~VerificationTest() override;

    // name.pem and name.key in the test folder; returns the path without extension.
    std::string writeIdentity(const std::string& name, const testpki::Issued& identity);
    std::string path(const std::string& name) const { return home.path() + "/" + name; }
    // Runs openssl (arguments appended to "openssl "), failing the test on a non-zero status.
    void openssl(const std::string& arguments);
    // openssl cms -sign over content with the signer "signer" unless args names others;
    // returns the message bytes.
    std::string cmsSign(const std::string& content, const std::string& args);
    // Verifies through a QNVerifier with the PKCS#7/CMS verifier.
    Verification verify(const std::string& message, const std::string& detached = "",
                        bool detachedFlag = true);
    // Verifies through a QNVerifier with the given internal verifier.
    Verification verifyWith(std::unique_ptr<component::verification::CQNVerifier_Internal> internal,
                            const std::string& message, const std::string& detached,
                            bool detachedFlag);
    // A certificate of the root that expired yesterday, written as name; returns the openssl
    // arguments that sign with it.
    std::string expiredSigner(const std::string& name, const std::string& subject);
    // The root in the user's ROOT store (trusted for complete-chain checks).
    void trustRoot();

    testpki::TempHome home;
    testpki::Issued root;
    testpki::Issued signer;
    std::string signerPath;
};

// Binary-safe text of a file.
std::string fileBytes(const std::string& path);
