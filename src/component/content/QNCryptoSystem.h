#pragma once

#include "com/DispatchObject.h"
#include "component/content/CQNCryptoSystem.h"
#include "component/content/IQNCryptoSystem.h"

namespace component::content {

// The scriptable facade: mode, settings and version; the factories, stores, certificate
// listing and raw encryption are filled in by the classes they create (each member below
// says E_NOTIMPL until then).
class QNCryptoSystem final : public com::DispatchObject<QNCryptoSystem, IQNCryptoSystem> {
public:
    QNCryptoSystem() = default;

    static const com::DispatchTable& dispatchTable();

    CQNCryptoSystem& system() noexcept { return system_; }

    HRESULT openSystemStore(BSTR storeName, LONG storeType, IDispatch** store) override;
    HRESULT setProperty(BSTR name, BSTR value) override;
    HRESULT newSignData(IDispatch** signer) override;
    HRESULT newEnvelopedData(IDispatch** envelopedData) override;
    HRESULT newVerifier(IDispatch** verifier) override;
    HRESULT setMode(LONG mode) override;
    HRESULT getVersion(BSTR* vers) override;
    HRESULT encrypt(IDispatch* contentKey, IDispatch* contentData,
                    IDispatch** cryptedContent) override;
    HRESULT decrypt(IDispatch* contentKey, IDispatch* contentData,
                    IDispatch** decryptedContent) override;
    HRESULT getCertificates(IDispatch** certificates, LONG bFilterCAs, BSTR sOnlyWithPrivateKey,
                            LONG bOnlyNotExpired, BSTR sCertificateField,
                            BSTR sCertificateFieldPart, VARIANT* retCertificates) override;
    HRESULT addRestriction(BSTR field, BSTR value) override;
    HRESULT addTrustEntity(BSTR trustEntity) override;
    HRESULT clearRestrictionsAndTrustEntities() override;
    HRESULT setInitProperty(BSTR name, BSTR value) override;

private:
    template <class Body> HRESULT guarded(const char* method, Body&& body) noexcept;

    CQNCryptoSystem system_;
};

} // namespace component::content
