#include "component/content/QNCryptoSystem.h"

#include "component/certificates/CertificateListing.h"
#include "component/certificates/SystemStoreOpening.h"
#include "component/content/BstrText.h"
#include "component/content/ModeTable.h"
#include "component/envelopes/CQNEnvelopedData_Internal_CMS.h"
#include "component/envelopes/CQNEnvelopedData_Internal_PKCS7.h"
#include "component/envelopes/QNEnvelopedData.h"
#include "component/envelopes/RawRsaCall.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CQNSignData_Internal_CMS.h"
#include "component/signing/CQNSignData_Internal_PKCS7.h"
#include "component/signing/CQNSignData_Internal_XMLDSig.h"
#include "component/signing/QNSignData.h"
#include "component/verification/CQNVerifier_Internal_PKCS7.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "component/verification/QNVerifier.h"
#include "platform/system/Charset.h"

namespace component::content {

using module::ErrorReport;
using platform::system::Charset;

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNCryptoSystem::openSystemStore>("openSystemStore", 1),
    com::method<&IQNCryptoSystem::setProperty>("setProperty", 3),
    com::method<&IQNCryptoSystem::newSignData>("newSignData", 4),
    com::method<&IQNCryptoSystem::newEnvelopedData>("newEnvelopedData", 5),
    com::method<&IQNCryptoSystem::newVerifier>("newVerifier", 6),
    com::method<&IQNCryptoSystem::setMode>("setMode", 9),
    com::method<&IQNCryptoSystem::getVersion>("getVersion", 10),
    com::method<&IQNCryptoSystem::encrypt>("encrypt", 11),
    com::method<&IQNCryptoSystem::decrypt>("decrypt", 12),
    com::method<&IQNCryptoSystem::getCertificates>(
        "getCertificates", 13,
        {com::param::in(VT_BYREF | VT_DISPATCH), com::param::in(VT_I4), com::param::in(VT_BSTR),
         com::param::in(VT_I4), com::param::in(VT_BSTR), com::param::in(VT_BSTR),
         com::param::retval(VT_VARIANT)}),
    com::method<&IQNCryptoSystem::addRestriction>("addRestriction", 14),
    com::method<&IQNCryptoSystem::addTrustEntity>("addTrustEntity", 15),
    com::method<&IQNCryptoSystem::clearRestrictionsAndTrustEntities>(
        "clearRestrictionsAndTrustEntities", 16),
    com::method<&IQNCryptoSystem::setInitProperty>("setInitProperty", 17),
};

constexpr com::DispatchTable kTable{IQNCryptoSystem::iid, "IQNCryptoSystem", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

} // namespace

const com::DispatchTable& QNCryptoSystem::dispatchTable() {
    return kTable;
}

template <class Body> HRESULT QNCryptoSystem::guarded(const char* method, Body&& body) noexcept {
    return ErrorReport::guard(module::kQNCryptoSystem, "CQNCryptoSystem", method,
                              std::forward<Body>(body));
}

HRESULT QNCryptoSystem::openSystemStore(BSTR storeName, LONG storeType, IDispatch** store) {
    return guarded("openSystemStore", [&] {
        module::logTrace("CQNCryptoSystem::openSystemStore");
        if (store != nullptr) {
            *store = nullptr;
        }
        return certificates::openSystemStore(ansiOf(storeName), storeType, store);
    });
}

HRESULT QNCryptoSystem::setProperty(BSTR name, BSTR value) {
    return guarded("setProperty", [&] {
        return system_.setProperty(ansiOf(name), ansiOf(value)) ? S_OK : E_FAIL;
    });
}

HRESULT QNCryptoSystem::newSignData(IDispatch** signer) {
    return guarded("newSignData", [&] {
        module::logTrace("CQNCryptoSystem::newSignData");
        if (signer == nullptr) {
            return E_POINTER;
        }
        *signer = nullptr;
        SignerChoice choice = signerForMode(system_.mode());
        for (const auto& [name, value] : choice.settings) {
            module::SettingsTable::instance().set(name, value);
        }
        std::unique_ptr<signing::CQNSignData_Internal> internal;
        switch (choice.format) {
        case SignerFormat::PKCS7:
            internal = std::make_unique<signing::CQNSignData_Internal_PKCS7>();
            break;
        case SignerFormat::CMS:
            internal = std::make_unique<signing::CQNSignData_Internal_CMS>();
            break;
        case SignerFormat::XMLDSig:
            internal = std::make_unique<signing::CQNSignData_Internal_XMLDSig>();
            break;
        }
        com::ComPtr<signing::QNSignData> object = signing::QNSignData::create();
        object->setInternal(std::move(internal));
        *signer = object.detach();
        return S_OK;
    });
}

HRESULT QNCryptoSystem::newEnvelopedData(IDispatch** envelopedData) {
    return guarded("newEnvelopedData", [&] {
        module::logTrace("CQNCryptoSystem::newEnvelopedData");
        if (envelopedData == nullptr) {
            return E_POINTER;
        }
        *envelopedData = nullptr;
        EnveloperChoice choice = enveloperForMode(system_.mode());
        for (const auto& [name, value] : choice.settings) {
            module::SettingsTable::instance().set(name, value);
        }
        com::ComPtr<envelopes::QNEnvelopedData> object = envelopes::QNEnvelopedData::create();
        if (choice.format == EnveloperFormat::CMS) {
            object->setInternal(std::make_unique<envelopes::CQNEnvelopedData_Internal_CMS>());
        } else {
            object->setInternal(std::make_unique<envelopes::CQNEnvelopedData_Internal_PKCS7>());
        }
        *envelopedData = object.detach();
        return S_OK;
    });
}

HRESULT QNCryptoSystem::newVerifier(IDispatch** verifier) {
    return guarded("newVerifier", [&] {
        module::logTrace("CQNCryptoSystem::newVerifier");
        if (verifier == nullptr) {
            return E_POINTER;
        }
        *verifier = nullptr;
        com::ComPtr<verification::QNVerifier> object = verification::QNVerifier::create();
        if (verifierForMode(system_.mode()) == VerifierFormat::XMLDSig) {
            object->setInternal(std::make_unique<verification::CQNVerifier_Internal_XMLDSig>());
        } else {
            object->setInternal(std::make_unique<verification::CQNVerifier_Internal_PKCS7>());
        }
        *verifier = object.detach();
        return S_OK;
    });
}

HRESULT QNCryptoSystem::setMode(LONG mode) {
    return guarded("setMode", [&] {
        system_.setMode(mode);
        return S_OK;
    });
}

HRESULT QNCryptoSystem::getVersion(BSTR* vers) {
    return guarded("getVersion", [&] {
        module::logTrace("CQNCryptoSystem::getVersion");
        if (vers == nullptr) {
            return E_POINTER;
        }
        *vers = com::allocBstr(Charset::fromAnsi(CQNCryptoSystem::version()));
        return *vers == nullptr ? E_OUTOFMEMORY : S_OK;
    });
}

HRESULT QNCryptoSystem::encrypt(IDispatch* contentKey, IDispatch* contentData,
                                IDispatch** cryptedContent) {
    return envelopes::rawRsaCall(envelopes::RawRsaDirection::Encrypt, contentKey, contentData,
                                 cryptedContent);
}

HRESULT QNCryptoSystem::decrypt(IDispatch* contentKey, IDispatch* contentData,
                                IDispatch** decryptedContent) {
    return envelopes::rawRsaCall(envelopes::RawRsaDirection::Decrypt, contentKey, contentData,
                                 decryptedContent);
}

HRESULT QNCryptoSystem::getCertificates(IDispatch** certificates, LONG bFilterCAs,
                                        BSTR sOnlyWithPrivateKey, LONG bOnlyNotExpired,
                                        BSTR sCertificateField, BSTR sCertificateFieldPart,
                                        VARIANT* retCertificates) {
    return guarded("getCertificates", [&] {
        module::logTrace("CQNCryptoSystem::getCertificates");
        certificates::ListingRequest request{
            bFilterCAs != 0,           ansiOf(sOnlyWithPrivateKey),   bOnlyNotExpired != 0,
            ansiOf(sCertificateField), ansiOf(sCertificateFieldPart), system_.trustEntities(),
            system_.restrictions()};
        HRESULT hr = certificates::listCertificates(
            certificates != nullptr ? *certificates : nullptr, request, retCertificates);
        if (SUCCEEDED(hr)) {
            system_.clearRestrictionsAndTrustEntities();
        }
        return hr;
    });
}

HRESULT QNCryptoSystem::addRestriction(BSTR field, BSTR value) {
    return guarded("addRestriction", [&] {
        system_.addRestriction(ansiOf(field), ansiOf(value));
        return S_OK;
    });
}

HRESULT QNCryptoSystem::addTrustEntity(BSTR trustEntity) {
    return guarded("addTrustEntity", [&] {
        system_.addTrustEntity(ansiOf(trustEntity));
        return S_OK;
    });
}

HRESULT QNCryptoSystem::clearRestrictionsAndTrustEntities() {
    system_.clearRestrictionsAndTrustEntities();
    return S_OK;
}

HRESULT QNCryptoSystem::setInitProperty(BSTR name, BSTR value) {
    return guarded("setInitProperty", [&] {
        return CQNCryptoSystem::setInitProperty(ansiOf(name), ansiOf(value)) ? S_OK : E_FAIL;
    });
}

} // namespace component::content
