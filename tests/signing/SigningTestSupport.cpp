#include "SigningTestSupport.h"

#include "com/BStr.h"
#include "com/ErrorInfo.h"

namespace signingtest {

std::string errorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr) {
        return "<none>";
    }
    com::BStr text;
    info->GetDescription(text.out());
    info->Release();
    return text.utf8();
}

std::string OpensslPeer::write(const std::vector<unsigned char>& message) const {
    std::string path = dir_ + "/m" + std::to_string(++counter_);
    testpki::writeFile(path + ".der", text(message));
    return path;
}

bool OpensslPeer::cmsVerify(const std::vector<unsigned char>& message, const std::string& detached,
                            bool useDetached, std::string* output, std::string* content) const {
    std::string path = write(message);
    std::string command = "openssl cms -verify -binary -inform DER -in " + path + ".der -CAfile " +
                          dir_ + "/root.pem -out " + path + ".out";
    if (useDetached) {
        testpki::writeFile(path + ".content", detached);
        command += " -content " + path + ".content";
    }
    std::string log;
    int status = testpki::run(command, &log);
    if (output != nullptr) {
        *output = log;
    }
    if (content != nullptr) {
        *content = status == 0 ? testpki::readFile(path + ".out") : std::string();
    }
    return status == 0;
}

bool OpensslPeer::smimeVerify(const std::vector<unsigned char>& message,
                              const std::string* detached, std::string* output) const {
    std::string path = write(message);
    std::string command = "openssl smime -verify -binary -inform DER -in " + path +
                          ".der -CAfile " + dir_ + "/root.pem -out /dev/null";
    if (detached != nullptr) {
        testpki::writeFile(path + ".content", *detached);
        command += " -content " + path + ".content";
    }
    std::string log;
    int status = testpki::run(command, &log);
    if (output != nullptr) {
        *output = log;
    }
    return status == 0;
}

std::string OpensslPeer::print(const std::vector<unsigned char>& message) const {
    std::string path = write(message);
    std::string out;
    testpki::run("openssl cms -cmsout -print -inform DER -in " + path + ".der", &out);
    return out;
}

} // namespace signingtest
