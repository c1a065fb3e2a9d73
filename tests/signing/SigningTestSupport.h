#pragma once

#include <string>
#include <vector>

#include "TestPki.h"
#include "stream/ByteBuffer.h"

namespace signingtest {

inline std::vector<unsigned char> bytes(const std::string& s) {
    return std::vector<unsigned char>(s.begin(), s.end());
}
inline std::string text(const std::vector<unsigned char>& b) {
    return std::string(b.begin(), b.end());
}
inline std::vector<unsigned char> bytes(const stream::ByteBuffer& b) {
    return std::vector<unsigned char>(b.data(), b.data() + b.size());
}

// The description of the thread's error information ("<none>" when there is none).
std::string errorDescription();

// A root and signers issued by it, all generated at test time.
struct Pki {
    testpki::Issued root =
        testpki::issue({.subject = "CN=Raiz Pruebas, O=Quillion, C=ES", .ca = true}, nullptr);
    testpki::Issued signer = testpki::issue({.subject = "CN=Firmante Uno, O=Quillion, C=ES",
                                             .keyUsage = "digitalSignature",
                                             .serial = 0x1234567},
                                            &root);
    testpki::Issued second = testpki::issue({.subject = "CN=Firmante Dos, O=Quillion, C=ES",
                                             .keyUsage = "nonRepudiation",
                                             .serial = 77},
                                            &root);
};

// Runs openssl on files in dir; the message (DER) is written to dir/<name>.der, the root to
// dir/root.pem, and the detached content (when given) to dir/<name>.content.
class OpensslPeer {
public:
    OpensslPeer(std::string dir, const testpki::Issued& root) : dir_(std::move(dir)) {
        testpki::writeFile(dir_ + "/root.pem", root.certificate->pem());
    }
    // openssl cms -verify; the verified content lands in *content (when asked).
    bool cmsVerify(const std::vector<unsigned char>& message, const std::string& detached,
                   bool useDetached, std::string* output = nullptr,
                   std::string* content = nullptr) const;
    bool smimeVerify(const std::vector<unsigned char>& message, const std::string* detached,
                     std::string* output = nullptr) const;
    // openssl cms -cmsout -print.
    std::string print(const std::vector<unsigned char>& message) const;
    const std::string& dir() const { return dir_; }

private:
    std::string write(const std::vector<unsigned char>& message) const;
    std::string dir_;
    mutable int counter_ = 0;
};

} // namespace signingtest
