#pragma once

#include "com/DispatchObject.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/IPdfSign.h"

#include <string>
#include <string_view>

namespace component::pdf {

// The scripting face of the PDF signing engine ("Quillion2.PdfSign"): load a document,
// create a signature placeholder, hand out the bytes to sign, insert the signature value
// and give the signed document back.
class PdfSign final : public com::DispatchObject<PdfSign, IPdfSign> {
public:
    static const com::DispatchTable& dispatchTable();
    // The class factory entry of the module's class table.
    static HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv);

    HRESULT InicializarPdf() override;
    HRESULT GetAllBytes(BSTR* pVal) override;
    HRESULT GetBytesToSign(LONG Index, BSTR* pVal) override;
    HRESULT CreateSign(BSTR nombre, BSTR imgB64, LONG pag, LONG x1, LONG y1, LONG x2, LONG y2,
                       BSTR font, LONG fontsize, LONG angulo, LONG add, LONG* pVal) override;
    HRESULT InsertSign(BSTR pVal, LONG num) override;
    HRESULT Set_Data(BSTR newVal, LONG size) override;
    HRESULT Set_Base64(BSTR newVal) override;
    HRESULT GetBytesB64ToSign(LONG Index, BSTR* pVal) override;
    HRESULT GetAllB64Bytes(BSTR* pVal) override;
    HRESULT CountPages(LONG* pVal) override;
    HRESULT GetRotate(LONG pagina, LONG* pVal) override;
    HRESULT GetMaxSign(LONG* pVal) override;
    HRESULT GetSignHex(LONG Index, BSTR* pVal) override;

    // The conversions of the class.
    static std::string SAFE_OLE2A(BSTR text);
    static std::string Fmt_PdfText(std::string_view text);
    static std::string Fmt_base64(std::string_view bytes);

    CPdfSign& Engine() noexcept { return engine_; }

private:
    friend class com::DispatchObject<PdfSign, IPdfSign>;
    PdfSign() = default;

    template <class Body> HRESULT guarded(const char* method, Body&& body) noexcept;
    HRESULT bytesToSign(LONG index, BSTR* pVal, bool base64, const char* method);

    CPdfSign engine_;
};

} // namespace component::pdf
