#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::content {

// The dual interface of QNCryptoSystem, in dispatch-id order. Interfaces of other classes
// travel as IDispatch.
struct IQNCryptoSystem : IDispatch {
    static constexpr IID iid = module::kQNCryptoSystem.iid;
    virtual HRESULT openSystemStore(BSTR storeName, LONG storeType, IDispatch** store) = 0; // 1
    virtual HRESULT setProperty(BSTR name, BSTR value) = 0;                                 // 3
    virtual HRESULT newSignData(IDispatch** signer) = 0;                                    // 4
    virtual HRESULT newEnvelopedData(IDispatch** envelopedData) = 0;                        // 5
    virtual HRESULT newVerifier(IDispatch** verifier) = 0;                                  // 6
    virtual HRESULT setMode(LONG mode) = 0;                                                 // 9
    virtual HRESULT getVersion(BSTR* vers) = 0;                                             // 10
    virtual HRESULT encrypt(IDispatch* contentKey, IDispatch* contentData,
                            IDispatch** cryptedContent) = 0; // 11
    virtual HRESULT decrypt(IDispatch* contentKey, IDispatch* contentData,
                            IDispatch** decryptedContent) = 0; // 12
    // certificates is an [in] reference to an IQNCertificates pointer.
    virtual HRESULT getCertificates(IDispatch** certificates, LONG bFilterCAs,
                                    BSTR sOnlyWithPrivateKey, LONG bOnlyNotExpired,
                                    BSTR sCertificateField, BSTR sCertificateFieldPart,
                                    VARIANT* retCertificates) = 0; // 13
    virtual HRESULT addRestriction(BSTR field, BSTR value) = 0;    // 14
    virtual HRESULT addTrustEntity(BSTR trustEntity) = 0;          // 15
    virtual HRESULT clearRestrictionsAndTrustEntities() = 0;       // 16
    virtual HRESULT setInitProperty(BSTR name, BSTR value) = 0;    // 17

protected:
    ~IQNCryptoSystem() = default;
};

} // namespace component::content
