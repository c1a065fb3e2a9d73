#pragma once

#include "com/ComPtr.h"
#include "com/DispatchObject.h"
#include "component/content/IQNContent.h"
#include "component/pdf/IPdfSign.h"
#include "component/pdf/IQPASigner.h"
#include "component/verification/IQNVerifier.h"

#include <string>

namespace component::pdf {

// The one-call PDF signer ("Quillion2.QPASigner", writing its log lines as CQPASigner). It has
// no PDF or signing logic of its own: it drives a PdfSign, a QNCryptoSystem with the
// QNSignData and QNVerifier it makes, and QNContent objects, all created by ProgID through
// the COM runtime, as a script would.
class QPASigner final : public com::DispatchObject<QPASigner, IQPASigner> {
public:
    QPASigner() = default;

    static const com::DispatchTable& dispatchTable();

    HRESULT GetMaxSign(LONG* count) override;
    HRESULT getSign(LONG Index, IDispatch** signature) override;
    HRESULT getSignedData(LONG Index, IDispatch** signedData) override;
    HRESULT getStatus(LONG Index, IDispatch** status) override;
    HRESULT load(IDispatch* content) override;
    HRESULT sign(BSTR nombre, LONG pagina, LONG x1, LONG y1, LONG x2, LONG y2, BSTR font,
                 LONG fontsize, IDispatch* imgContent, IDispatch* content, IDispatch* certificate,
                 LONG detached, LONG add, IDispatch** signedContent) override;

private:
    template <class Body> HRESULT guarded(const char* method, Body&& body) noexcept;
    // The PdfSign of the last load; without one, the report of an object not initialised.
    IPdfSign& document() const;
    // A new QNContent (logLine: what a failure to create it logs, the default line when
    // empty) that fill(document, content) fills, as the result of method.
    template <class Fill>
    HRESULT newContent(const char* method, IDispatch** result, const std::string& logLine,
                       Fill&& fill);

    com::ComPtr<IPdfSign> document_;
    com::ComPtr<verification::IQNVerifier> verifier_;
    LONG lastStatusIndex_ = -1;
};

} // namespace component::pdf
