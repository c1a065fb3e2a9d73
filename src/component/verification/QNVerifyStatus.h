#pragma once

#include <string>

#include "com/ComPtr.h"
#include "com/DispatchObject.h"
#include "component/verification/IQNVerifyStatus.h"

namespace component::verification {

// The outcome of one signer: its certificate, an error code and text, and the nesting depth
// of the signed message that holds it. A plain property bag; the verifiers fill it in.
class QNVerifyStatus final : public com::DispatchObject<QNVerifyStatus, IQNVerifyStatus> {
public:
    QNVerifyStatus() = default;
    static const com::DispatchTable& dispatchTable();

    HRESULT get_signerCertificate(IDispatch** certificate) override;
    HRESULT put_signerCertificate(IDispatch* certificate) override;
    HRESULT get_idError(LONG* code) override;
    HRESULT put_idError(LONG code) override;
    HRESULT get_errorDescription(BSTR* text) override;
    HRESULT put_errorDescription(BSTR text) override;
    HRESULT get_level(LONG* level) override;
    HRESULT put_level(LONG level) override;

    // In-process access for the verifiers (the description is narrow text).
    void setSignerCertificate(IDispatch* certificate) {
        certificate_ = com::ComPtr<IDispatch>(certificate);
    }
    IDispatch* signerCertificate() const noexcept { return certificate_.get(); }
    void setError(LONG code, std::string description) {
        idError_ = code;
        description_ = std::move(description);
    }
    LONG idError() const noexcept { return idError_; }
    const std::string& errorDescription() const noexcept { return description_; }
    void setLevel(LONG level) noexcept { level_ = level; }
    LONG level() const noexcept { return level_; }

private:
    com::ComPtr<IDispatch> certificate_;
    LONG idError_ = 0;
    std::string description_;
    LONG level_ = 0;
};

} // namespace component::verification
