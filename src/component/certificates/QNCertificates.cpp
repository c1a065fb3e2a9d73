#include "component/certificates/QNCertificates.h"

#include <string>

#include "com/ComPtr.h"
#include "com/Variant.h"
#include "component/certificates/QNCertificate.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"
#include "platform/certificates/CertificateErrors.h"
#include "stream/exceptions/CryptException.h"

namespace component::certificates {

using module::ErrorReport;
namespace p = com::param;
namespace pc = platform::certificates;

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNCertificates::add>("add", 1),
    com::method<&IQNCertificates::clear>("clear", 2),
    com::method<&IQNCertificates::find>("find", 3),
    com::method<&IQNCertificates::remove>("remove", 4),
    com::method<&IQNCertificates::select>("select", 5),
    com::method<&IQNCertificates::getCertificate>("getCertificate", 6),
    com::propget<&IQNCertificates::get_length>("length", 7),
};
constexpr com::DispatchTable kTable{IQNCertificates::iid, "IQNCertificates", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

constexpr com::DispatchMember kStoreMembers[] = {
    com::method<&IQNCertificateStore::getCertificates>("getCertificates", 1),
};
constexpr com::DispatchTable kStoreTable{IQNCertificateStore::iid, "IQNCertificateStore",
                                         kStoreMembers,
                                         sizeof(kStoreMembers) / sizeof(kStoreMembers[0])};

// "<where>: <text>" at ERROR, the text alone as description, the platform's HRESULT.
HRESULT platformFailure(const module::ClassInfo& cls, const std::string& where, uint32_t code) {
    HRESULT hr = static_cast<HRESULT>(code);
    std::string text = module::hresultText(hr);
    module::logError(where + ": " + text);
    return ErrorReport::report(cls, text, hr);
}

} // namespace

QNCertificates::QNCertificates() {
    module::logTrace("CQNCertificates::CQNCertificates: " +
                     std::to_string(module::addressNumber(this)));
}

QNCertificates::~QNCertificates() {
    module::logTrace("CQNCertificates::~CQNCertificates: " +
                     std::to_string(module::addressNumber(this)));
}

const com::DispatchTable& QNCertificates::dispatchTable() {
    return kTable;
}

pc::CertificateCollection& QNCertificates::ensure() {
    if (!collection_) {
        collection_ = std::make_shared<pc::CertificateCollection>();
    }
    return *collection_;
}

template <class Body> HRESULT QNCertificates::call(const char* method, Body&& body) noexcept {
    module::logTrace(std::string("CQNCertificates::") + method);
    return ErrorReport::guard(module::kQNCertificates, "CQNCertificates", method, [&]() -> HRESULT {
        try {
            return body();
        } catch (const stream::exceptions::CryptException& e) {
            return platformFailure(module::kQNCertificates,
                                   std::string("CQNCertificates::") + method, e.errorCode());
        }
    });
}

HRESULT QNCertificates::add(IDispatch* certificate) {
    return call("add", [&] {
        if (certificate == nullptr) {
            return E_POINTER;
        }
        com::ComPtr<IQNCertificate> qn;
        if (FAILED(certificate->QueryInterface(IQNCertificate::iid, qn.outVoid()))) {
            return E_INVALIDARG;
        }
        auto* object = dynamic_cast<QNCertificate*>(qn.get());
        if (object == nullptr) {
            return E_INVALIDARG;
        }
        ensure().add(object->platformObject());
        return S_OK;
    });
}

HRESULT QNCertificates::clear() {
    return call("clear", [&] {
        ensure().clear();
        return S_OK;
    });
}

HRESULT QNCertificates::find(LONG findType, VARIANT findData, IDispatch** certs) {
    return call("find", [&] {
        pc::FindType type;
        switch (findType) {
        case 1:
            type = pc::FindType::IssuerName;
            break;
        case 2:
            type = pc::FindType::Extension;
            break;
        case 3:
            type = pc::FindType::KeyUsage;
            break;
        case 5:
            type = pc::FindType::SubjectName;
            break;
        default:
            module::logError("Tipo de busqueda no aceptada");
            return E_FAIL;
        }
        pc::FindCriterion criterion;
        com::Variant data;
        if (SUCCEEDED(VariantChangeType(data.get(), &findData, 0, VT_BSTR)) &&
            !(V_VT(&findData) == VT_I4 || V_VT(&findData) == VT_I2 || V_VT(&findData) == VT_R8)) {
            criterion = com::bstrToUtf8(V_BSTR(data.get()));
        } else {
            com::Variant number;
            if (FAILED(VariantChangeType(number.get(), &findData, 0, VT_I4))) {
                return E_INVALIDARG;
            }
            criterion = static_cast<int32_t>(V_I4(number.get()));
        }
        setCollection(ensure().find(type, criterion, false));
        if (certs != nullptr) {
            AddRef();
            *certs = static_cast<IDispatch*>(this);
        }
        return S_OK;
    });
}

HRESULT QNCertificates::remove(LONG index) {
    return call("remove", [&] {
        ensure().remove(index);
        return S_OK;
    });
}

HRESULT QNCertificates::select(BSTR title, BSTR displayString, LONG multiSelect,
                               IDispatch** certs) {
    module::logTrace("CQNCertificates::select");
    return ErrorReport::guard(
        module::kQNCertificates, "CQNCertificates", "select", [&]() -> HRESULT {
            pc::CertificateCollectionPtr chosen;
            try {
                chosen = ensure().select(com::bstrToUtf8(title), com::bstrToUtf8(displayString),
                                         multiSelect != 0);
            } catch (const stream::exceptions::CryptException& e) {
                if (e.errorCode() == pc::CAPICOM_E_CANCELLED || e.errorCode() == pc::E_POINTER) {
                    return ErrorReport::reportLogged(
                        module::kQNCertificates,
                        "CQNCertificates::select: Cancelado por el usuario",
                        module::QN_E_DIALOG_CANCELLED);
                }
                return platformFailure(module::kQNCertificates, "CQNCertificates::select",
                                       e.errorCode());
            }
            if (chosen->count() == 0) {
                module::logInfo("No certificates inside");
            }
            com::ComPtr<QNCertificates> result = QNCertificates::create();
            result->setCollection(chosen);
            if (certs != nullptr) {
                *certs = result.detach();
            }
            return S_OK;
        });
}

HRESULT QNCertificates::getCertificate(LONG index, IDispatch** certificate) {
    return call("getCertificate", [&] {
        if (certificate == nullptr) {
            return E_POINTER;
        }
        *certificate = nullptr;
        if (ensure().count() == 0) {
            module::logInfo("No certificates inside");
            return S_OK;
        }
        if (index < 0 || index >= ensure().count()) {
            throw stream::exceptions::CryptException(__FILE__, __LINE__, pc::E_INVALIDARG);
        }
        com::ComPtr<QNCertificate> result = QNCertificate::create();
        result->setPlatformObject(ensure().item(index + 1));
        *certificate = result.detach();
        return S_OK;
    });
}

HRESULT QNCertificates::get_length(LONG* length) {
    module::logTrace("CQNCertificates::get_length");
    return ErrorReport::guard(
        module::kQNCertificates, "CQNCertificates", "get_length", [&]() -> HRESULT {
            if (length == nullptr) {
                return E_POINTER;
            }
            if (!collection_) {
                return platformFailure(module::kQNCertificates, "CQNCertificates::get_length",
                                       pc::E_POINTER);
            }
            *length = collection_->count();
            return S_OK;
        });
}

QNCertificateStore::QNCertificateStore() {
    module::logTrace("CQNCertificateStore::CQNCertificateStore: " +
                     std::to_string(module::addressNumber(this)));
}

QNCertificateStore::~QNCertificateStore() {
    module::logTrace("CQNCertificateStore::~CQNCertificateStore: " +
                     std::to_string(module::addressNumber(this)));
}

const com::DispatchTable& QNCertificateStore::dispatchTable() {
    return kStoreTable;
}

void QNCertificateStore::open(int32_t location, const std::string& name) {
    auto store = std::make_shared<pc::CertificateStoreObject>();
    store->open(location, name, pc::StoreOpenMode::ReadOnly);
    store_ = std::move(store);
}

HRESULT QNCertificateStore::getCertificates(IDispatch** certs) {
    module::logTrace("CQNCertificateStore::getCertificates");
    return ErrorReport::guard(
        module::kQNCertificateStore, "CQNCertificateStore", "getCertificates", [&]() -> HRESULT {
            if (certs == nullptr) {
                return E_POINTER;
            }
            try {
                if (!store_) {
                    throw stream::exceptions::CryptException(__FILE__, __LINE__, pc::E_POINTER);
                }
                com::ComPtr<QNCertificates> result = QNCertificates::create();
                result->setCollection(store_->certificates());
                *certs = result.detach();
            } catch (const stream::exceptions::CryptException& e) {
                return platformFailure(module::kQNCertificateStore,
                                       "CQNCertificateStore::getCertificates", e.errorCode());
            }
            return S_OK;
        });
}

} // namespace component::certificates
