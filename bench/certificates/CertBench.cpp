// bench_certificates make N DIR: a CA and N certificates issued by it (one shared key) as PEM
//   files of the store DIR/home/stores/CurrentUser/MY, the CA in DIR/ca.pem and the N
//   certificates in one bundle DIR/bundle.pem.
// bench_certificates digest FILE: the SHA-256 of FILE through platform::crypt::Digest (one
//   pass, 1 MiB reads), printed in hexadecimal.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/crypt/CertificateIssuer.h"
#include "platform/crypt/Digest.h"

using namespace platform::crypt;

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

int make(int n, const std::string& dir) {
    std::string store = dir + "/home/stores/CurrentUser/MY";
    std::filesystem::create_directories(store);
    auto caKey = generateRsaKey(2048);
    auto ca =
        issueCertificate({"CN=Bench CA (Pruebas), O=Bench, C=ES", 30, true, "keyCertSign", ""},
                         *caKey, nullptr, nullptr);
    write(dir + "/ca.pem", ca->pem());
    auto key = generateRsaKey(2048);
    std::string bundle;
    char name[32];
    for (int i = 0; i < n; ++i) {
        auto c = issueCertificate({"CN=Bench " + std::to_string(i) + ", SERIALNUMBER=" +
                                       std::to_string(10000000 + i) + "Z, O=Bench, C=ES",
                                   30, false, i % 2 ? "keyEncipherment" : "digitalSignature", ""},
                                  *key, ca.get(), caKey.get());
        std::snprintf(name, sizeof name, "/%06d.pem", i);
        std::string pem = c->pem();
        write(store + name, pem);
        bundle += pem;
    }
    write(dir + "/bundle.pem", bundle);
    return 0;
}

int digestFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return 1;
    }
    Digest d(HashAlgorithm::SHA256);
    std::vector<unsigned char> buffer(64 * 1024);
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
        d.update(buffer.data(), got);
    }
    std::fclose(f);
    for (unsigned char b : d.finish()) {
        std::printf("%02x", b);
    }
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "make") {
        return make(std::atoi(argv[2]), argv[3]);
    }
    if (argc == 3 && std::string(argv[1]) == "digest") {
        return digestFile(argv[2]);
    }
    std::fprintf(stderr, "usage: bench_certificates make N DIR | digest FILE\n");
    return 2;
}
