#pragma once

#include "com/DispatchObject.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/IPdfSign.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // For the component's own objects, which would otherwise pass the document to each other
    // as Base64 text only to decode it again: the same work, log lines and results as the
    // members of the same names, with the bytes themselves in place of their Base64 text.
    HRESULT Set_Base64(Base64Decoded decoded);
    // The signed ranges in place of their Base64 text (views into the document, valid until
    // it changes); none without a document.
    HRESULT GetBytesB64ToSign(LONG Index, std::optional<std::vector<std::string_view>>& ranges);
    // The whole document in place of its Base64 text (a view, valid until it changes); none
    // without a document.
    HRESULT GetAllB64Bytes(std::optional<std::string_view>& document);

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
    HRESULT signedRanges(LONG index, bool base64, const char* method,
                         std::optional<std::vector<std::string_view>>& ranges);
    // characters: the number of Base64 characters of the text to load.
    template <class Load> HRESULT loadBase64(size_t characters, Load&& load);
    std::optional<std::string_view> wholeDocument();

    CPdfSign engine_;
};

} // namespace component::pdf
