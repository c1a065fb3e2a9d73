#include "component/envelopes/RawRsaCall.h"

#include <new>

#include "com/ComPtr.h"
#include "component/content/QNContent.h"
#include "component/envelopes/RawRsaCipher.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "stream/exceptions/StreamException.h"

namespace component::envelopes {

namespace {

content::CContent* contentOf(IDispatch* object) {
    content::QNContent* qn = object != nullptr ? content::QNContent::from(object) : nullptr;
    return qn != nullptr ? &qn->content() : nullptr;
}

} // namespace

HRESULT rawRsaCall(RawRsaDirection direction, IDispatch* contentKey, IDispatch* contentData,
                   IDispatch** result) noexcept {
    const bool encrypting = direction == RawRsaDirection::Encrypt;
    try {
        module::logTrace(encrypting ? "CQNCryptoSystem::encrypt Entrando cifrado puro en RSA."
                                    : "CQNCryptoSystem::decrypt Entrando descifrado puro en RSA.");
        if (result != nullptr) {
            *result = nullptr;
        }
        const content::CContent* data = contentOf(contentData);
        if (data == nullptr) {
            module::logError("CQNCryptoSystem::encrypt content null");
        }
        const content::CContent* key = contentOf(contentKey);
        if (key == nullptr) {
            module::logError("CQNCryptoSystem::encrypt keys null");
            return E_FAIL;
        }
        if (result == nullptr) {
            return E_POINTER;
        }
        static const unsigned char kNothing = 0;
        const unsigned char* bytes = data != nullptr ? data->data() : &kNothing;
        const size_t size = data != nullptr ? data->size() : 0;
        stream::ByteBuffer output =
            encrypting ? RawRsaCipher::encrypt(key->data(), key->size(), bytes, size)
                       : RawRsaCipher::decrypt(key->data(), key->size(), bytes, size);
        com::ComPtr<content::QNContent> made = content::QNContent::create();
        made->content().replace(std::move(output));
        *result = static_cast<content::IQNContent*>(made.detach());
        return S_OK;
    } catch (const stream::exceptions::StreamException& e) {
        try {
            return module::ErrorReport::reportLogged(module::kQNCryptoSystem, e.message(),
                                                     e.code());
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return module::ErrorReport::reportUnexpected(module::kQNCryptoSystem,
                                                     encrypting ? "encrypt" : "decrypt");
    }
}

} // namespace component::envelopes
