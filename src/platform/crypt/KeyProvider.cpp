#include "platform/crypt/KeyProvider.h"

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/KeyUseConsent.h"

namespace platform::crypt {

KeyProvider::KeyProvider(KeyProviderInfo info, Loader loader, std::string subject)
    : info_(std::move(info)), loader_(std::move(loader)), subject_(std::move(subject)) {}

std::shared_ptr<PrivateKey> KeyProvider::privateKey() {
    std::lock_guard<std::mutex> lock(mutex_);
    confirmKeyUse(subject_);
    if (!key_) {
        if (!loader_) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_KEY);
        }
        key_ = loader_();
        if (!key_) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_KEY);
        }
    }
    return key_;
}

} // namespace platform::crypt
