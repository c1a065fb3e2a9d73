#pragma once

#include <memory>

#include "com/DispatchObject.h"
#include "component/verification/CQNVerifier_Internal.h"
#include "component/verification/IQNVerifier.h"
#include "stream/ByteBuffer.h"

namespace component::verification {

// The scriptable verifier (CQNVerifier). The crypto-system facade creates it with the
// internal verifier of its mode; one created directly by a script has none, and every member
// then fails with QN_E_VERIFIER_NOT_INITIALIZED.
class QNVerifier final : public com::DispatchObject<QNVerifier, IQNVerifier> {
public:
    QNVerifier();
    ~QNVerifier();
    static const com::DispatchTable& dispatchTable();

    void setInternal(std::unique_ptr<CQNVerifier_Internal> internal) {
        internal_ = std::move(internal);
    }
    CQNVerifier_Internal* internal() const noexcept { return internal_.get(); }

    HRESULT verify(IDispatch* signedMessage, IDispatch* detachedContent, LONG detached,
                   LONG* verifyResult) override;
    HRESULT getStatus(LONG index, IDispatch** status) override;
    HRESULT getContent(IDispatch** content) override;
    HRESULT isDetached(IDispatch* pkcs7, LONG* detached) override;

    static constexpr char kNotInitialized[] =
        "Verifier was not initialized correctly. Use QNCryptoSystem object for create a verifier";

private:
    HRESULT notInitialized() const;

    std::unique_ptr<CQNVerifier_Internal> internal_;
    stream::ByteBuffer content_; // what the first getContent fetched
    bool contentFetched_ = false;
};

} // namespace component::verification
