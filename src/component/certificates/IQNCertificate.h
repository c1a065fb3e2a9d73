#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::certificates {

class CQNCertificate_Internal;

// The dual interface of QNCertificate, in interface order (dispatch ids from 1).
struct IQNCertificate : IDispatch {
    static constexpr IID iid = module::kQNCertificate.iid;
    // Inside the component only (not in the dispatch table): the internal handle.
    virtual HRESULT getCertificateInternal(CQNCertificate_Internal** handle) = 0; // 1
    virtual HRESULT import2(IDispatch* content) = 0;                              // 2
    virtual HRESULT import3(BSTR text) = 0;                                       // 3
    virtual HRESULT verifyDates(DATE date, LONG* datesOk) = 0;                    // 4
    virtual HRESULT display() = 0;                                                // 5
    virtual HRESULT getIssuerName(BSTR* text) = 0;                                // 6
    virtual HRESULT getSerialNumber(BSTR* text) = 0;                              // 7
    virtual HRESULT getSubjectName(BSTR* text) = 0;                               // 8
    virtual HRESULT getValidFromDate(DATE* date) = 0;                             // 9
    virtual HRESULT getValidToDate(DATE* date) = 0;                               // 10
    virtual HRESULT getCertificate(IDispatch** object) = 0;                       // 11
    virtual HRESULT hasPrivateKey(LONG* value) = 0;                               // 12
    virtual HRESULT getUniqueId(BSTR* text) = 0;                                  // 13
    virtual HRESULT getKeyUsage(IDispatch** collection) = 0;                      // 14
    virtual HRESULT getExtendedKeyUsage(IDispatch** collection) = 0;              // 15
    virtual HRESULT toBASE64(BSTR* text) = 0;                                     // 16
    virtual HRESULT getAuthorityUniqueId(BSTR* text) = 0;                         // 17
    virtual HRESULT getInfo(VARIANT* array) = 0;                                  // 18
    virtual HRESULT addField(BSTR text) = 0;                                      // 19
    virtual HRESULT addPattern(BSTR text) = 0;                                    // 20
    virtual HRESULT addConstant(BSTR text) = 0;                                   // 21
    virtual HRESULT getFieldsDescriptions(VARIANT* array) = 0;                    // 22

protected:
    ~IQNCertificate() = default;
};

} // namespace component::certificates
