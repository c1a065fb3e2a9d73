// Certificate files of a store: the input becomes a certificate file (its first byte picks the
// extension) and, after a "----KEY----" line, the key file of the same name; the store is
// opened and every certificate it lists is read in every way the component reads one.
// Malformed files are skipped, never fatal.
#include "platform/crypt/Certificate.h"
#include "platform/crypt/NameString.h"
#include "platform/stores/FolderStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const std::filesystem::path& folder() {
    static const std::filesystem::path path = [] {
        std::filesystem::path made = std::filesystem::temp_directory_path() /
                                     ("q2_store_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        std::filesystem::permissions(made, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        return made;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const char* const kExtensions[] = {".cer", ".crt", ".der", ".pem"};
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string_view certificate = input;
    std::string_view key;
    size_t cut = input.find("\n----KEY----\n");
    if (cut != std::string_view::npos) {
        certificate = input.substr(0, cut);
        key = input.substr(cut + 13);
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ignored)) {
        std::filesystem::remove(entry.path(), ignored);
    }
    writeFile(folder() / (std::string("fuzz") + kExtensions[data[0] % 4]), certificate);
    if (cut != std::string_view::npos) {
        writeFile(folder() / "fuzz.key", key);
        std::filesystem::permissions(folder() / "fuzz.key", std::filesystem::perms::owner_read,
                                     std::filesystem::perm_options::replace);
    }
    try {
        auto store = platform::stores::FolderStore::openFolder(folder().string(), true);
        for (const auto& cert : store->certificates()) {
            cert->subjectName();
            cert->issuerName();
            cert->serialNumber();
            cert->notBefore();
            cert->notAfter();
            cert->extensions();
            cert->extendedKeyUsage();
            cert->keyIdentifier();
            cert->sha1Hash();
            cert->isSelfIssued();
            cert->pem();
            auto again = platform::crypt::Certificate::fromDer(cert->der());
            if (!again || !again->sameAs(*cert)) {
                std::abort(); // what a store lists must read back from its own encoding
            }
        }
    } catch (const std::exception&) {
    }
    return 0;
}
