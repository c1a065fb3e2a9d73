#include "component/verification/QNVerifier.h"

#include <string>

#include "component/content/QNContent.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "component/verification/VerifierFailure.h"

namespace component::verification {

namespace {

namespace p = com::param;

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNVerifier::verify>(
        "verify", 1,
        {p::in(VT_DISPATCH), p::optionalIn(VT_DISPATCH), p::optionalIn(VT_I4), p::retval(VT_I4)}),
    com::method<&IQNVerifier::getStatus>("getStatus", 2),
    com::method<&IQNVerifier::getContent>("getContent", 3),
    com::method<&IQNVerifier::isDetached>("isDetached", 4),
};

constexpr com::DispatchTable kTable{IQNVerifier::iid, "IQNVerifier", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

// The content object behind a script's argument, or null.
content::CContent* contentOf(IDispatch* object) {
    content::QNContent* qn = content::QNContent::from(object);
    return qn != nullptr ? &qn->content() : nullptr;
}

} // namespace

QNVerifier::QNVerifier() {
    module::logTrace("CQNVerifier::CQNVerifier: " + std::to_string(module::addressNumber(this)));
}

QNVerifier::~QNVerifier() {
    module::logTrace("CQNVerifier::~CQNVerifier: " + std::to_string(module::addressNumber(this)));
}

const com::DispatchTable& QNVerifier::dispatchTable() {
    return kTable;
}

HRESULT QNVerifier::notInitialized() const {
    return module::ErrorReport::reportLogged(module::kQNVerifier, kNotInitialized,
                                             module::QN_E_VERIFIER_NOT_INITIALIZED);
}

HRESULT QNVerifier::verify(IDispatch* signedMessage, IDispatch* detachedContent, LONG detached,
                           LONG* verifyResult) {
    module::logTrace("CQNVerifier::verify");
    content::CContent* message = signedMessage != nullptr ? contentOf(signedMessage) : nullptr;
    if (message == nullptr) {
        module::logError("content null");
        return E_FAIL;
    }
    const unsigned char* detachedBytes = nullptr;
    size_t detachedSize = 0;
    if (detachedContent != nullptr && detached != 0) {
        content::CContent* given = contentOf(detachedContent);
        if (given != nullptr) {
            detachedBytes = given->data();
            detachedSize = given->size();
        }
    }
    if (!internal_) {
        return notInitialized();
    }
    return guardVerifier(true, "verify", [&]() -> HRESULT {
        int result = internal_->verify(message->data(), message->size(), detachedBytes,
                                       detachedSize, detached != 0, 0);
        if (verifyResult != nullptr) {
            *verifyResult = result;
        }
        return S_OK;
    });
}

HRESULT QNVerifier::getStatus(LONG index, IDispatch** status) {
    module::logTrace("CQNVerifier::getStatus");
    if (status != nullptr) {
        *status = nullptr;
    }
    if (!internal_) {
        return notInitialized();
    }
    return guardVerifier(false, "getStatus", [&]() -> HRESULT {
        com::ComPtr<QNVerifyStatus> found = internal_->getStatus(index);
        if (status != nullptr && found) {
            *status = static_cast<IQNVerifyStatus*>(found.detach());
        }
        return S_OK;
    });
}

HRESULT QNVerifier::getContent(IDispatch** result) {
    module::logTrace("CQNVerifier::getContent");
    if (result != nullptr) {
        *result = nullptr;
    }
    if (!internal_) {
        return notInitialized();
    }
    return guardVerifier(false, "getContent", [&]() -> HRESULT {
        if (!contentFetched_) {
            content_ = internal_->getContent();
            contentFetched_ = true;
        }
        com::ComPtr<content::QNContent> made = content::QNContent::create();
        stream::ByteBuffer copy;
        if (!content_.empty()) {
            copy.reserveExact(content_.size());
            copy.prefault(content_.size());
            copy.append(content_.data(), content_.size());
        }
        made->content().replace(std::move(copy));
        if (result != nullptr) {
            *result = static_cast<content::IQNContent*>(made.detach());
        }
        return S_OK;
    });
}

HRESULT QNVerifier::isDetached(IDispatch* pkcs7, LONG* detached) {
    module::logTrace("CQNVerifier::isDetached");
    content::CContent* message = pkcs7 != nullptr ? contentOf(pkcs7) : nullptr;
    if (message == nullptr) {
        module::logError("content null");
        return E_FAIL;
    }
    if (!internal_) {
        return notInitialized();
    }
    return guardVerifier(true, "isDetached", [&]() -> HRESULT {
        int answer = internal_->isDetached(message->data(), message->size());
        if (detached != nullptr) {
            *detached = answer;
        }
        return S_OK;
    });
}

} // namespace component::verification
