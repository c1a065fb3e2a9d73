#pragma once

#include <memory>

#include "com/DispatchObject.h"
#include "component/certificates/IQNCertificate.h"
#include "component/signing/CQNSignData_Internal.h"
#include "component/signing/IQNSignData.h"
#include "component/signing/SignFailure.h"

namespace component::signing {

// The scriptable signer (CQNSignData): checks its arguments, hands bytes and the certificate
// handle to its internal signer and wraps the result in a new QNContent. The facade installs
// the internal signer; an object made by its class factory alone has none and refuses to sign.
class QNSignData final : public com::DispatchObject<QNSignData, IQNSignData> {
public:
    QNSignData();
    ~QNSignData();

    static const com::DispatchTable& dispatchTable();

    void setInternal(std::unique_ptr<CQNSignData_Internal> internal) {
        internal_ = std::move(internal);
    }
    CQNSignData_Internal* internal() const noexcept { return internal_.get(); }

    // The report of a signer without an internal signer.
    static constexpr char kNotInitialized[] =
        "QNSignData: El objeto no ha sido inicializado. Utilice QNCryptoSystem.newSignData.";

    HRESULT sign(IDispatch* content, IDispatch* certificate, LONG detached,
                 IDispatch** signedContent) override;
    HRESULT cosign(IDispatch* signedContent, IDispatch* detachedContent, IDispatch* certificate,
                   LONG detached, IDispatch** cosignedContent) override;
    HRESULT get_timeStamp(LONG* value) override;
    HRESULT put_timeStamp(LONG value) override;

private:
    // Gets the certificate handle, passes the signing-time flag on, runs the internal signer
    // and wraps its bytes in *result; every failure becomes the error report of its kind.
    template <class Call>
    HRESULT runSigner(SignOperation operation, certificates::IQNCertificate* certificate,
                      IDispatch** result, Call&& call);

    std::unique_ptr<CQNSignData_Internal> internal_;
    bool timeStamp_ = false;
};

} // namespace component::signing
