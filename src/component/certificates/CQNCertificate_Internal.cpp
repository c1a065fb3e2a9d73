#include "component/certificates/CQNCertificate_Internal.h"

#include <string>

#include "component/module/ModuleLog.h"
#include "stream/exceptions/CryptException.h"
#include "stream/exceptions/StreamException.h"

namespace component::certificates {

CQNCertificate_Internal::CQNCertificate_Internal(
    const platform::certificates::CertificateObject& object)
    : object_(object) {
    module::logTrace("CQNCertificate_Internal::CQNCertificate_Internal: " +
                     std::to_string(module::addressNumber(this)));
    std::vector<unsigned char> der;
    try {
        // A platform error of the certificate object goes on as a StreamException with its
        // code and description.
        der = object_.certificate()->der();
    } catch (const stream::exceptions::CryptException& e) {
        throw stream::exceptions::StreamException(e.description(),
                                                  static_cast<int32_t>(e.errorCode()));
    }
    try {
        context_ = platform::crypt::Certificate::fromDer(der);
    } catch (const stream::exceptions::CryptException& e) {
        throw stream::exceptions::CryptException("ActiveX/src/QNCertificate_Internal", 32,
                                                 e.errorCode());
    }
    // The key-provider property travels with the platform object's certificate.
    provider_ = object_.certificate()->keyProvider();
    if (provider_) {
        const platform::crypt::KeyProviderInfo& info = provider_->info();
        module::logInfo("Cryptographic context adquire, provider: " + info.provider +
                        ", container: " + info.container);
        keySpec_ = info.keySpec;
        context_->setKeyProvider(provider_);
    }
}

CQNCertificate_Internal::~CQNCertificate_Internal() {
    module::logTrace("CQNCertificate_Internal::~CQNCertificate_Internal: " +
                     std::to_string(module::addressNumber(this)));
}

std::vector<unsigned char> CQNCertificate_Internal::getKeyIdentifier() const {
    try {
        return context_->keyIdentifier();
    } catch (const stream::exceptions::CryptException& e) {
        throw stream::exceptions::CryptException("ActiveX/src/QNCertificate_Internal", 169,
                                                 e.errorCode());
    }
}

} // namespace component::certificates
