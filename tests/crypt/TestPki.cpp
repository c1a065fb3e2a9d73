#include "TestPki.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <stdexcept>

#include <unistd.h>

#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include "platform/crypt/NameString.h"

namespace testpki {

using namespace platform::crypt;

namespace {

PrivateKey generateKey(int bits) {
    EVP_PKEY* raw = EVP_RSA_gen(static_cast<unsigned>(bits));
    if (raw == nullptr) {
        throw std::runtime_error("key generation failed");
    }
    return PrivateKey(EvpPkeyPtr(raw));
}

} // namespace

// Every test runs in a process of its own, and most build a small PKI first: generating its
// RSA keys was most of the time of the suites. The n-th key of a size a process asks for is
// therefore kept in TEST_KEY_POOL and read back by the next process that asks for it; keys
// within one process stay distinct. A key is written to a file of its own and renamed into
// place, so processes racing for the same key each get a whole one.
std::shared_ptr<PrivateKey> newKey(int bits) {
    static std::mutex mutex;
    static std::map<int, int> taken;
    int index;
    {
        std::lock_guard<std::mutex> lock(mutex);
        index = taken[bits]++;
    }
    namespace fs = std::filesystem;
    const fs::path pool(TEST_KEY_POOL);
    const fs::path file =
        pool / ("rsa" + std::to_string(bits) + "-" + std::to_string(index) + ".pem");
    std::error_code ignored;
    if (fs::exists(file, ignored)) {
        return std::make_shared<PrivateKey>(PrivateKey::fromPem(readFile(file.string()), ""));
    }
    PrivateKey key = generateKey(bits);
    fs::create_directories(pool, ignored);
    const fs::path partial = file.string() + "." + std::to_string(getpid());
    writeFile(partial.string(), key.toPem(""));
    fs::rename(partial, file, ignored);
    return std::make_shared<PrivateKey>(std::move(key));
}

namespace {

void addExt(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (ext == nullptr) {
        throw std::runtime_error("bad extension " + value);
    }
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

} // namespace

Issued issue(const CertSpec& wanted, const Issued* issuer, std::shared_ptr<PrivateKey> key) {
    if (!key) {
        key = newKey();
    }
    X509Ptr cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), wanted.serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), wanted.notBeforeOffset);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), wanted.notAfterOffset);
    std::vector<unsigned char> nameDer = stringToName(
        wanted.subject, name_str::X500 | name_str::REVERSE_FLAG |
                            (wanted.utf8Names ? name_str::ENABLE_UTF8_UNICODE_FLAG : 0));
    const unsigned char* p = nameDer.data();
    X509NamePtr name(d2i_X509_NAME(nullptr, &p, static_cast<long>(nameDer.size())));
    X509_set_subject_name(cert.get(), name.get());
    X509_set_issuer_name(cert.get(),
                         issuer ? X509_get_subject_name(issuer->certificate->x509()) : name.get());
    X509_set_pubkey(cert.get(), key->get());
    X509* issuerX509 = issuer ? issuer->certificate->x509() : cert.get();
    if (wanted.ca) {
        addExt(cert.get(), issuerX509, NID_basic_constraints, "critical,CA:TRUE");
    }
    if (!wanted.keyUsage.empty()) {
        addExt(cert.get(), issuerX509, NID_key_usage, "critical," + wanted.keyUsage);
    }
    if (!wanted.extendedKeyUsage.empty()) {
        std::string list;
        for (const std::string& e : wanted.extendedKeyUsage) {
            list += (list.empty() ? "" : ",") + e;
        }
        addExt(cert.get(), issuerX509, NID_ext_key_usage, list);
    }
    if (!wanted.policies.empty()) {
        CERTIFICATEPOLICIES* policies = CERTIFICATEPOLICIES_new();
        POLICYINFO* info = POLICYINFO_new();
        ASN1_OBJECT_free(info->policyid);
        info->policyid = OBJ_txt2obj(wanted.policies.c_str(), 1);
        sk_POLICYINFO_push(policies, info);
        X509_add1_ext_i2d(cert.get(), NID_certificate_policies, policies, 0, X509V3_ADD_DEFAULT);
        CERTIFICATEPOLICIES_free(policies);
    }
    if (wanted.subjectKeyId) {
        addExt(cert.get(), issuerX509, NID_subject_key_identifier, "hash");
    }
    if (issuer) {
        addExt(cert.get(), issuerX509, NID_authority_key_identifier, "keyid:always");
    }
    EVP_PKEY* signer = issuer ? issuer->key->get() : key->get();
    if (X509_sign(cert.get(), signer, EVP_sha256()) <= 0) {
        throw std::runtime_error("signing failed");
    }
    return Issued{std::make_shared<Certificate>(std::move(cert)), key};
}

namespace {

// The temporary folder the process started with (tests replace TMPDIR as they run).
const std::string& baseTemp() {
    static const std::string base = [] {
        const char* t = std::getenv("TMPDIR");
        return std::string(t != nullptr && *t != '\0' ? t : "/tmp");
    }();
    return base;
}

} // namespace

TempHome::TempHome() {
    std::string pattern = baseTemp() + "/q2crypt_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    setenv("TMPDIR", path_.c_str(), 1);
    setenv("QUILLION_HOME", home().c_str(), 1);
    unsetenv("QUILLION_UI_ANSWERS");
}

TempHome::~TempHome() {
    setenv("TMPDIR", baseTemp().c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int run(const std::string& command, std::string* output) {
    std::string full = command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, n);
    }
    int status = pclose(pipe);
    if (output) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testpki
