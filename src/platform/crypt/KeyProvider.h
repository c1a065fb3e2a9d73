#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform::crypt {

class PrivateKey;

// The key-provider record of a certificate (property 2): where its private key lives.
// On this platform the container is the path of the key file and the provider the name of
// the folder key store.
struct KeyProviderInfo {
    std::string container;
    std::string provider;
    uint32_t providerType = 1; // PROV_RSA_FULL
    uint32_t flags = 0;
    uint32_t keySpec = 1; // AT_KEYEXCHANGE
};

// The name every folder store gives as provider.
inline constexpr const char* kFolderKeyProvider = "Quillion2 Folder Key Store";

// An acquired key-provider context: hands out the private key, loading (and, for an
// encrypted key, unlocking) it on first use and keeping it afterwards. Thread-safe.
class KeyProvider {
public:
    using Loader = std::function<std::shared_ptr<PrivateKey>()>;
    // `subject`: the certificate's subject, named when a use of the key is put to the user.
    KeyProvider(KeyProviderInfo info, Loader loader, std::string subject = std::string());

    const KeyProviderInfo& info() const noexcept { return info_; }
    // The private key; raises what the loader raises (13 wrong password, 1223 cancelled).
    // Every call is one use of the key: under the browser bridge it is confirmed by the user
    // first (confirmKeyUse; 1223 when refused).
    std::shared_ptr<PrivateKey> privateKey();

private:
    KeyProviderInfo info_;
    Loader loader_;
    std::string subject_;
    std::mutex mutex_;
    std::shared_ptr<PrivateKey> key_;
};

} // namespace platform::crypt
