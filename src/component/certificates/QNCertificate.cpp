#include "component/certificates/QNCertificate.h"

#include <ctime>

#include "com/ComPtr.h"
#include "com/OleDate.h"
#include "com/SafeArray.h"
#include "com/Variant.h"
#include "component/certificates/CertificateFields.h"
#include "component/certificates/DistinguishedName.h"
#include "component/content/BstrText.h"
#include "component/content/IQNContent.h"
#include "component/content/QNCollection.h"
#include "component/content/QNContent.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"
#include "stream/HexBin.h"
#include "stream/exceptions/CryptException.h"

namespace component::certificates {

using module::ErrorReport;
namespace p = com::param;

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNCertificate::import2>("import2", 2),
    com::method<&IQNCertificate::import3>("import3", 3),
    com::method<&IQNCertificate::verifyDates>("verifyDates", 4, {p::in(VT_DATE), p::retval(VT_I4)}),
    com::method<&IQNCertificate::display>("display", 5),
    com::method<&IQNCertificate::getIssuerName>("getIssuerName", 6),
    com::method<&IQNCertificate::getSerialNumber>("getSerialNumber", 7),
    com::method<&IQNCertificate::getSubjectName>("getSubjectName", 8),
    com::method<&IQNCertificate::getValidFromDate>("getValidFromDate", 9, {p::retval(VT_DATE)}),
    com::method<&IQNCertificate::getValidToDate>("getValidToDate", 10, {p::retval(VT_DATE)}),
    com::method<&IQNCertificate::getCertificate>("getCertificate", 11),
    com::method<&IQNCertificate::hasPrivateKey>("hasPrivateKey", 12),
    com::method<&IQNCertificate::getUniqueId>("getUniqueId", 13),
    com::method<&IQNCertificate::getKeyUsage>("getKeyUsage", 14),
    com::method<&IQNCertificate::getExtendedKeyUsage>("getExtendedKeyUsage", 15),
    com::method<&IQNCertificate::toBASE64>("toBASE64", 16),
    com::method<&IQNCertificate::getAuthorityUniqueId>("getAuthorityUniqueId", 17),
    com::method<&IQNCertificate::getInfo>("getInfo", 18, {p::retval(VT_VARIANT)}),
    com::method<&IQNCertificate::addField>("addField", 19),
    com::method<&IQNCertificate::addPattern>("addPattern", 20),
    com::method<&IQNCertificate::addConstant>("addConstant", 21),
    com::method<&IQNCertificate::getFieldsDescriptions>("getFieldsDescriptions", 22,
                                                        {p::retval(VT_VARIANT)}),
};

constexpr com::DispatchTable kTable{IQNCertificate::iid, "IQNCertificate", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

HRESULT setText(BSTR* out, const std::string& utf8) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = com::allocBstrFromUtf8(utf8);
    return S_OK;
}

HRESULT setDate(DATE* out, std::time_t t) {
    if (out == nullptr) {
        return E_POINTER;
    }
    std::optional<DATE> d = com::dateFromTimeT(t);
    if (!d) {
        throw module::PlatformError(static_cast<HRESULT>(0x80090005)); // NTE_BAD_DATA
    }
    *out = *d;
    return S_OK;
}

// Upper-case hexadecimal of bytes, most significant first.
std::string upperHex(const std::vector<unsigned char>& bytes) {
    return stream::HexBin::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), true);
}

// The raw value of an extension, empty (with a WARNING) when absent.
std::vector<unsigned char> extensionValue(const platform::crypt::Certificate& c,
                                          const std::string& oid) {
    std::optional<std::vector<unsigned char>> value = c.extension(oid);
    if (!value) {
        stream::Log::instance().log(stream::LOG_WARNING, "Extension not found");
        return {};
    }
    return *value;
}

void fillMatrix(VARIANT* out, const std::vector<std::vector<std::string>>& rows, size_t columns) {
    com::SafeArray array =
        com::SafeArray::variantMatrix(static_cast<ULONG>(rows.size()), static_cast<ULONG>(columns));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < columns; ++c) {
            com::Variant cell = com::Variant::fromBstr(
                com::allocBstrFromUtf8(c < rows[r].size() ? rows[r][c] : std::string()));
            array.put(static_cast<LONG>(r), static_cast<LONG>(c), *cell.get());
        }
    }
    VariantInit(out);
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array.release();
}

} // namespace

const com::DispatchTable& QNCertificate::dispatchTable() {
    return kTable;
}

const platform::certificates::CertificateObjectPtr& QNCertificate::platformObject() {
    if (!object_) {
        object_ = std::make_shared<platform::certificates::CertificateObject>();
    }
    return object_;
}

// Platform failures are reported with the method's prefix and the code's text.
template <class Body>
HRESULT QNCertificate::platformCall(const char* method, Body&& body) noexcept {
    return ErrorReport::guard(module::kQNCertificate, "CQNCertificate", method, [&]() -> HRESULT {
        try {
            return body();
        } catch (const stream::exceptions::CryptException& e) {
            throw module::PlatformError(static_cast<HRESULT>(e.errorCode()));
        }
    });
}

HRESULT QNCertificate::getCertificateInternal(CQNCertificate_Internal** handle) {
    module::logInfo("CQNCertificate::getCertificateInternal");
    if (handle == nullptr) {
        return E_POINTER;
    }
    if (!internal_) {
        // Raised CryptException / StreamException reach the calling class.
        internal_ = std::make_unique<CQNCertificate_Internal>(*platformObject());
    }
    *handle = internal_.get();
    return S_OK;
}

HRESULT QNCertificate::importText(const char* method, const std::string& bytes) {
    return ErrorReport::guard(module::kQNCertificate, "CQNCertificate", method, [&] {
        try {
            platformObject()->import(bytes);
        } catch (const stream::exceptions::CryptException& e) {
            HRESULT hr = static_cast<HRESULT>(e.errorCode());
            std::string text = module::hresultText(hr);
            module::logError(std::string("CQNCertificate::") + method + ": " + text);
            return ErrorReport::report(module::kQNCertificate, text, hr);
        }
        return S_OK;
    });
}

HRESULT QNCertificate::import2(IDispatch* content) {
    module::logInfo("CQNCertificate::import2");
    if (content == nullptr) {
        return E_POINTER;
    }
    com::ComPtr<content::IQNContent> qn;
    if (FAILED(content->QueryInterface(content::IQNContent::iid, qn.outVoid()))) {
        return E_INVALIDARG;
    }
    auto* object = dynamic_cast<content::QNContent*>(qn.get());
    std::string bytes;
    if (object != nullptr) {
        const stream::ByteBuffer& buffer = object->content().buffer();
        bytes.assign(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    } else {
        com::BStr text;
        HRESULT hr = qn->get_contentString(text.out());
        if (FAILED(hr)) {
            return hr;
        }
        bytes = text.utf8();
    }
    return importText("import2", bytes);
}

HRESULT QNCertificate::import3(BSTR text) {
    module::logTrace("CQNCertificate::import3");
    return importText("import3", content::ansiOf(text));
}

HRESULT QNCertificate::verifyDates(DATE date, LONG* datesOk) {
    module::logTrace("CQNCertificate::verifyDates");
    DATE from = 0, to = 0;
    HRESULT hr = getValidFromDate(&from);
    if (FAILED(hr)) {
        return hr;
    }
    hr = getValidToDate(&to);
    if (FAILED(hr)) {
        return hr;
    }
    if (datesOk == nullptr) {
        return E_POINTER;
    }
    *datesOk = (from <= date && date <= to) ? 1 : 0;
    return S_OK;
}

HRESULT QNCertificate::display() {
    module::logTrace("CQNCertificate::display");
    return platformCall("display", [&] {
        platformObject()->display();
        return S_OK;
    });
}

HRESULT QNCertificate::getIssuerName(BSTR* text) {
    module::logTrace("CQNCertificate::getIssuerName");
    return platformCall("getIssuerName", [&] {
        std::string dn = platformObject()->issuerName();
        return setText(text, transformDN(dn, false, platformFlavour(), outputNameFormat()));
    });
}

HRESULT QNCertificate::getSerialNumber(BSTR* text) {
    module::logTrace("CQNCertificate::getSerialNumber");
    return platformCall("getSerialNumber",
                        [&] { return setText(text, platformObject()->serialNumber()); });
}

HRESULT QNCertificate::getSubjectName(BSTR* text) {
    module::logTrace("CQNCertificate::getSubjectName");
    return platformCall("getSubjectName", [&] {
        std::string dn = platformObject()->subjectName();
        return setText(text, transformDN(dn, false, platformFlavour(), outputNameFormat()));
    });
}

HRESULT QNCertificate::getValidFromDate(DATE* date) {
    module::logTrace("CQNCertificate::getValidFromDate");
    return platformCall("getValidFromDate",
                        [&] { return setDate(date, platformObject()->validFromDate()); });
}

HRESULT QNCertificate::getValidToDate(DATE* date) {
    module::logTrace("CQNCertificate::getValidToDate");
    return platformCall("getValidToDate",
                        [&] { return setDate(date, platformObject()->validToDate()); });
}

// There is no separate scriptable platform object on this platform: the certificate object
// answers for it.
HRESULT QNCertificate::getCertificate(IDispatch** object) {
    module::logTrace("CQNCertificate::getCertificate");
    return platformCall("getCertificate", [&] {
        if (object == nullptr) {
            return E_POINTER;
        }
        platformObject()->certificate();
        AddRef();
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    });
}

HRESULT QNCertificate::hasPrivateKey(LONG* value) {
    module::logTrace("CQNCertificate::hasPrivateKey");
    return platformCall("hasPrivateKey", [&] {
        if (value == nullptr) {
            return E_POINTER;
        }
        *value = platformObject()->hasPrivateKey() ? -1 : 0;
        return S_OK;
    });
}

HRESULT QNCertificate::getUniqueId(BSTR* text) {
    module::logTrace("CQNCertificate::getUniqueId");
    return platformCall("getUniqueId", [&] {
        const auto& c = platformObject()->certificate();
        std::vector<unsigned char> raw = extensionValue(*c, "2.5.29.14");
        return setText(text, raw.empty() ? std::string() : upperHex(c->keyIdentifier()));
    });
}

HRESULT QNCertificate::getKeyUsage(IDispatch** collection) {
    return platformCall("getKeyUsage", [&] {
        if (collection == nullptr) {
            return E_POINTER;
        }
        std::array<bool, 16> flags = keyUsageFlags(*platformObject()->certificate());
        com::ComPtr<content::QNCollection> list = content::QNCollection::create();
        for (bool flag : flags) {
            list->collection().append(com::Variant::fromBool(flag));
        }
        *collection = list.detach();
        return S_OK;
    });
}

HRESULT QNCertificate::getExtendedKeyUsage(IDispatch** collection) {
    return platformCall("getExtendedKeyUsage", [&] {
        if (collection == nullptr) {
            return E_POINTER;
        }
        com::ComPtr<content::QNCollection> list = content::QNCollection::create();
        for (const std::string& oid : platformObject()->extendedKeyUsage()) {
            list->collection().append(com::Variant::fromBstr(com::allocBstrFromUtf8(oid)));
        }
        *collection = list.detach();
        return S_OK;
    });
}

HRESULT QNCertificate::toBASE64(BSTR* text) {
    return platformCall("toBASE64", [&] {
        if (!object_ || object_->empty()) {
            throw module::PlatformError(E_POINTER);
        }
        return setText(text,
                       object_->exportEncoded(platform::certificates::ExportEncoding::Base64));
    });
}

HRESULT QNCertificate::getAuthorityUniqueId(BSTR* text) {
    module::logTrace("CQNCertificate::getAuthorityUniqueId");
    return platformCall("getAuthorityUniqueId", [&] {
        const auto& c = platformObject()->certificate();
        std::vector<unsigned char> raw = extensionValue(*c, "2.5.29.35");
        std::string aki =
            raw.empty() ? std::string() : CertificateFields(*object_).fieldValue("AKI");
        return setText(text, aki);
    });
}

HRESULT QNCertificate::getInfo(VARIANT* array) {
    return ErrorReport::guard(module::kQNCertificate, "CQNCertificate", "getInfo", [&] {
        if (array == nullptr) {
            return E_POINTER;
        }
        std::vector<std::vector<std::string>> rows =
            CertificateFields(*platformObject()).info(fields_, patterns_, constants_);
        fields_.clear();
        patterns_.clear();
        constants_.clear();
        size_t columns = rows.empty() ? 0 : rows.back().size();
        fillMatrix(array, rows, columns);
        return S_OK;
    });
}

HRESULT QNCertificate::addField(BSTR text) {
    fields_.push_back(content::ansiOf(text));
    return S_OK;
}

HRESULT QNCertificate::addPattern(BSTR text) {
    patterns_.push_back(content::ansiOf(text));
    return S_OK;
}

HRESULT QNCertificate::addConstant(BSTR text) {
    constants_.push_back(content::ansiOf(text));
    return S_OK;
}

HRESULT QNCertificate::getFieldsDescriptions(VARIANT* array) {
    return ErrorReport::guard(
        module::kQNCertificate, "CQNCertificate", "getFieldsDescriptions", [&] {
            if (array == nullptr) {
                return E_POINTER;
            }
            std::vector<std::vector<std::string>> rows;
            for (const auto& [field, text] : CertificateFields::descriptions()) {
                rows.push_back({field, text});
            }
            fillMatrix(array, rows, 2);
            return S_OK;
        });
}

} // namespace component::certificates
