#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::certificates {

// The dual interface of QNCertificates.
struct IQNCertificates : IDispatch {
    static constexpr IID iid = module::kQNCertificates.iid;
    virtual HRESULT add(IDispatch* certificate) = 0;                              // 1
    virtual HRESULT clear() = 0;                                                  // 2
    virtual HRESULT find(LONG findType, VARIANT findData, IDispatch** certs) = 0; // 3
    virtual HRESULT remove(LONG index) = 0;                                       // 4
    virtual HRESULT select(BSTR title, BSTR displayString, LONG multiSelect,
                           IDispatch** certs) = 0;                           // 5
    virtual HRESULT getCertificate(LONG index, IDispatch** certificate) = 0; // 6
    virtual HRESULT get_length(LONG* length) = 0;                            // 7

protected:
    ~IQNCertificates() = default;
};

// The dual interface of QNCertificateStore.
struct IQNCertificateStore : IDispatch {
    static constexpr IID iid = module::kQNCertificateStore.iid;
    virtual HRESULT getCertificates(IDispatch** certs) = 0; // 1

protected:
    ~IQNCertificateStore() = default;
};

} // namespace component::certificates
