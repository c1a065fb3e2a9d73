#pragma once

#include <memory>
#include <string>
#include <vector>

#include "com/DispatchObject.h"
#include "component/certificates/CQNCertificate_Internal.h"
#include "component/certificates/IQNCertificate.h"
#include "platform/certificates/CertificateObject.h"

namespace component::certificates {

// The scriptable certificate (CQNCertificate).
class QNCertificate final : public com::DispatchObject<QNCertificate, IQNCertificate> {
public:
    QNCertificate() = default;
    static const com::DispatchTable& dispatchTable();

    // The platform object, shared with the collection it came from.
    void setPlatformObject(platform::certificates::CertificateObjectPtr object) {
        object_ = std::move(object);
    }
    const platform::certificates::CertificateObjectPtr& platformObject();

    HRESULT getCertificateInternal(CQNCertificate_Internal** handle) override;
    HRESULT import2(IDispatch* content) override;
    HRESULT import3(BSTR text) override;
    HRESULT verifyDates(DATE date, LONG* datesOk) override;
    HRESULT display() override;
    HRESULT getIssuerName(BSTR* text) override;
    HRESULT getSerialNumber(BSTR* text) override;
    HRESULT getSubjectName(BSTR* text) override;
    HRESULT getValidFromDate(DATE* date) override;
    HRESULT getValidToDate(DATE* date) override;
    HRESULT getCertificate(IDispatch** object) override;
    HRESULT hasPrivateKey(LONG* value) override;
    HRESULT getUniqueId(BSTR* text) override;
    HRESULT getKeyUsage(IDispatch** collection) override;
    HRESULT getExtendedKeyUsage(IDispatch** collection) override;
    HRESULT toBASE64(BSTR* text) override;
    HRESULT getAuthorityUniqueId(BSTR* text) override;
    HRESULT getInfo(VARIANT* array) override;
    HRESULT addField(BSTR text) override;
    HRESULT addPattern(BSTR text) override;
    HRESULT addConstant(BSTR text) override;
    HRESULT getFieldsDescriptions(VARIANT* array) override;

private:
    template <class Body> HRESULT platformCall(const char* method, Body&& body) noexcept;
    HRESULT importText(const char* method, const std::string& bytes);

    platform::certificates::CertificateObjectPtr object_;
    std::unique_ptr<CQNCertificate_Internal> internal_;
    std::vector<std::string> fields_;
    std::vector<std::string> patterns_;
    std::vector<std::string> constants_;
};

} // namespace component::certificates
