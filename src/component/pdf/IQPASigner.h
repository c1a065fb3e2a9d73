#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::pdf {

// The dual interface of QPASigner, in dispatch-id order. Objects of other classes travel as
// IDispatch (QNContent, QNCertificate, QNVerifyStatus).
struct IQPASigner : IDispatch {
    static constexpr IID iid = module::kQPASigner.iid;
    virtual HRESULT GetMaxSign(LONG* count) = 0;                           // 1
    virtual HRESULT getSign(LONG Index, IDispatch** signature) = 0;        // 2
    virtual HRESULT getSignedData(LONG Index, IDispatch** signedData) = 0; // 3
    virtual HRESULT getStatus(LONG Index, IDispatch** status) = 0;         // 4
    virtual HRESULT load(IDispatch* content) = 0;                          // 5
    virtual HRESULT sign(BSTR nombre, LONG pagina, LONG x1, LONG y1, LONG x2, LONG y2, BSTR font,
                         LONG fontsize, IDispatch* imgContent, IDispatch* content,
                         IDispatch* certificate, LONG detached, LONG add,
                         IDispatch** signedContent) = 0; // 6

protected:
    ~IQPASigner() = default;
};

} // namespace component::pdf
