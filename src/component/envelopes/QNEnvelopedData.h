#pragma once

#include <memory>

#include "com/DispatchObject.h"
#include "component/content/CContent.h"
#include "component/envelopes/CQNEnvelopedData_Internal.h"
#include "component/envelopes/IQNEnvelopedData.h"

namespace component::envelopes {

// The scriptable envelope (CQNEnvelopedData). The crypto-system facade creates it with the
// enveloper of its mode; one created directly by a script has none, and encrypt and decrypt
// then fail with QN_E_ENVELOPE (kNotInitialized).
class QNEnvelopedData final : public com::DispatchObject<QNEnvelopedData, IQNEnvelopedData> {
public:
    QNEnvelopedData() = default;
    static const com::DispatchTable& dispatchTable();

    void setInternal(std::unique_ptr<CQNEnvelopedData_Internal> internal) {
        internal_ = std::move(internal);
    }
    CQNEnvelopedData_Internal* internal() const noexcept { return internal_.get(); }

    HRESULT encrypt(IDispatch* content, IDispatch* recipients, IDispatch** encrypted) override;
    HRESULT decrypt(IDispatch* content, IDispatch** decrypted) override;

    static constexpr char kNotInitialized[] = "QNEnvelopedData: El objeto no ha sido "
                                              "inicializado. Utilice "
                                              "QNCryptoSystem.newEnvelopedData.";
    static constexpr char kNotDecrypted[] = "No se ha podido descifrar";

private:
    HRESULT notInitialized() const;
    // The checks encrypt and decrypt begin with (entry line, content, result, enveloper):
    // S_OK with the content's bytes, or what the call returns.
    HRESULT enter(const char* method, IDispatch* content, IDispatch** result,
                  content::CContent*& bytes) const;

    std::unique_ptr<CQNEnvelopedData_Internal> internal_;
};

} // namespace component::envelopes
