#include "component/envelopes/QNEnvelopedData.h"

#include <optional>
#include <string>

#include "com/ComPtr.h"
#include "component/content/QNContent.h"
#include "component/envelopes/EnvelopeFailure.h"
#include "component/envelopes/EnvelopeStep.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"

namespace component::envelopes {

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNEnvelopedData::encrypt>("encrypt", 1),
    com::method<&IQNEnvelopedData::decrypt>("decrypt", 2),
};

constexpr com::DispatchTable kTable{IQNEnvelopedData::iid, "IQNEnvelopedData", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

content::CContent* contentOf(IDispatch* object) {
    content::QNContent* qn = object != nullptr ? content::QNContent::from(object) : nullptr;
    return qn != nullptr ? &qn->content() : nullptr;
}

IDispatch* resultContent(stream::ByteBuffer&& bytes) {
    com::ComPtr<content::QNContent> result = content::QNContent::create();
    result->content().replace(std::move(bytes));
    return static_cast<content::IQNContent*>(result.detach());
}

} // namespace

const com::DispatchTable& QNEnvelopedData::dispatchTable() {
    return kTable;
}

HRESULT QNEnvelopedData::notInitialized() const {
    return module::ErrorReport::reportLogged(module::kQNEnvelopedData, kNotInitialized,
                                             module::QN_E_ENVELOPE);
}

HRESULT QNEnvelopedData::enter(const char* method, IDispatch* content, IDispatch** result,
                               content::CContent*& bytes) const {
    module::logInfo(std::string("CQNEnvelopedData::") + method);
    if (result != nullptr) {
        *result = nullptr;
    }
    bytes = contentOf(content);
    if (bytes == nullptr) {
        module::logError("content null");
        return E_FAIL;
    }
    if (result == nullptr) {
        return E_POINTER;
    }
    return internal_ ? S_OK : notInitialized();
}

HRESULT QNEnvelopedData::encrypt(IDispatch* content, IDispatch* recipients, IDispatch** encrypted) {
    try {
        content::CContent* bytes = nullptr;
        HRESULT entered = enter("encrypt", content, encrypted, bytes);
        if (entered != S_OK) {
            return entered;
        }
        com::ComPtr<IQNRecipients> list;
        if (recipients != nullptr) {
            recipients->QueryInterface(IQNRecipients::iid, list.outVoid());
        }
        try {
            *encrypted =
                resultContent(internal_->encrypt(bytes->data(), bytes->size(), list.get()));
        } catch (...) {
            return reportEncryptFailure();
        }
        return S_OK;
    } catch (...) {
        return module::ErrorReport::reportUnexpected(module::kQNEnvelopedData, "encrypt");
    }
}

HRESULT QNEnvelopedData::decrypt(IDispatch* content, IDispatch** decrypted) {
    try {
        content::CContent* bytes = nullptr;
        HRESULT entered = enter("decrypt", content, decrypted, bytes);
        if (entered != S_OK) {
            return entered;
        }
        std::optional<stream::ByteBuffer> opened;
        try {
            opened = internal_->decrypt(bytes->data(), bytes->size());
        } catch (...) {
            return reportDecryptFailure();
        }
        if (!opened) {
            logWarning(kNotDecrypted);
            return module::ErrorReport::report(module::kQNEnvelopedData, kNotDecrypted,
                                               module::QN_E_DECRYPT);
        }
        *decrypted = resultContent(std::move(*opened));
        return S_OK;
    } catch (...) {
        return module::ErrorReport::reportUnexpected(module::kQNEnvelopedData, "decrypt");
    }
}

} // namespace component::envelopes
