#include "component/certificates/CertificateListing.h"

#include "com/ComPtr.h"
#include "com/SafeArray.h"
#include "component/certificates/CertificateFields.h"
#include "component/certificates/DistinguishedName.h"
#include "component/certificates/QNCertificates.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/SettingsTable.h"
#include "platform/certificates/CertificateErrors.h"
#include "stream/exceptions/CryptException.h"

namespace component::certificates {

namespace pc = platform::certificates;

namespace {

bool keyFilterPasses(const std::string& filter, bool hasKey) {
    return (filter == "PRI" && hasKey) || (filter == "PUB" && !hasKey) || filter == "ALL";
}

} // namespace

HRESULT listCertificates(IDispatch* certificates, const ListingRequest& request, VARIANT* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    VariantInit(result);
    com::ComPtr<IQNCertificates> list;
    if (certificates == nullptr ||
        FAILED(certificates->QueryInterface(IQNCertificates::iid, list.outVoid()))) {
        return E_INVALIDARG;
    }
    auto* object = dynamic_cast<QNCertificates*>(list.get());
    if (object == nullptr) {
        return E_INVALIDARG;
    }
    std::vector<std::pair<std::string, std::string>> restrictions;
    for (size_t i = 0; i + 1 < request.restrictions.size(); i += 2) {
        restrictions.emplace_back(request.restrictions[i], request.restrictions[i + 1]);
    }
    const std::string format = module::SettingsTable::instance().get("DNFormat");
    std::string part;
    if (!request.fieldPart.empty()) {
        part = transformDN(request.fieldPart, true, format, platformFlavour());
    }
    std::vector<std::pair<std::string, std::string>> rows;
    try {
        if (!object->collection()) {
            throw stream::exceptions::CryptException(__FILE__, __LINE__, pc::E_POINTER);
        }
        const std::vector<pc::CertificateObjectPtr>& items = object->collection()->items();
        for (size_t i = 0; i < items.size(); ++i) {
            CertificateFields fields(*items[i]);
            if (request.filterCAs &&
                !fields.matchesRestrictions(request.trustEntities, restrictions)) {
                continue;
            }
            if (request.onlyNotExpired && fields.isExpired()) {
                continue;
            }
            std::string value = fields.fieldValue(request.field);
            if (!part.empty()) {
                value = getDNAttribute(part, value);
            }
            if (value.empty() ||
                !keyFilterPasses(request.onlyWithPrivateKey, items[i]->hasPrivateKey())) {
                continue;
            }
            rows.emplace_back(std::to_string(i),
                              transformDN(value, false, platformFlavour(), format));
        }
    } catch (const stream::exceptions::CryptException& e) {
        HRESULT hr = static_cast<HRESULT>(e.errorCode());
        std::string text = e.errorCode() == pc::CAPICOM_E_CERTIFICATE_NOT_INITIALIZED
                               ? module::ErrorReport::kCertificateNotInitialized
                               : module::hresultText(hr);
        return module::ErrorReport::reportLogged(module::kQNCryptoSystem, text, hr);
    }
    com::SafeArray array = com::SafeArray::variantMatrix(static_cast<ULONG>(rows.size()), 2);
    for (size_t r = 0; r < rows.size(); ++r) {
        com::Variant position = com::Variant::fromBstr(com::allocBstrFromUtf8(rows[r].first));
        com::Variant value = com::Variant::fromBstr(com::allocBstrFromUtf8(rows[r].second));
        array.put(static_cast<LONG>(r), 0, *position.get());
        array.put(static_cast<LONG>(r), 1, *value.get());
    }
    V_VT(result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(result) = array.release();
    return S_OK;
}

} // namespace component::certificates
