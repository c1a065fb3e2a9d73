#include "component/certificates/SystemStoreOpening.h"

#include "com/ComPtr.h"
#include "component/certificates/QNCertificates.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"
#include "stream/exceptions/CryptException.h"

namespace component::certificates {

HRESULT openSystemStore(const std::string& storeName, LONG storeType, IDispatch** store) {
    if (store == nullptr) {
        return E_POINTER;
    }
    if (storeType != 1 && storeType != 2) {
        // No other location exists: refused rather than opened somewhere unexpected.
        return module::ErrorReport::reportLogged(
            module::kQNCryptoSystem, "Tipo de almacen de certificados no valido", E_INVALIDARG);
    }
    com::ComPtr<QNCertificateStore> result = QNCertificateStore::create();
    module::logTrace("CQNCryptoSystem::openSystemStore  CAPICOM_STORE_OPEN_READ_ONLY");
    try {
        result->open(storeType, storeName);
    } catch (const stream::exceptions::CryptException& e) {
        HRESULT hr = static_cast<HRESULT>(e.errorCode());
        return module::ErrorReport::reportLogged(module::kQNCryptoSystem, module::hresultText(hr),
                                                 hr);
    }
    *store = result.detach();
    return S_OK;
}

} // namespace component::certificates
