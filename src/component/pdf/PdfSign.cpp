#include "component/pdf/PdfSign.h"

#include "component/module/ClassInfo.h"
#include "component/module/ErrorReport.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/PdfEncryptedException.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfParseException.h"
#include "component/pdf/PdfText.h"

#include "com/DispatchImpl.h"
#include "stream/RawCodecs.h"

#include <cstring>
#include <new>

namespace component::pdf {

namespace {

using module::ErrorReport;
using module::kPdfSign;

constexpr USHORT kBinary = com::param::binary;

inline constexpr com::DispatchMember kMembers[] = {
    com::method<&IPdfSign::InicializarPdf>("InicializarPdf", 1),
    com::method<&IPdfSign::GetAllBytes>("GetAllBytes", 2, {com::param::retval(VT_BSTR, kBinary)}),
    com::method<&IPdfSign::GetBytesToSign>(
        "GetBytesToSign", 3, {com::param::in(VT_I4), com::param::retval(VT_BSTR, kBinary)}),
    com::method<&IPdfSign::CreateSign>("CreateSign", 4),
    com::method<&IPdfSign::InsertSign>("InsertSign", 5,
                                       {com::param::in(VT_BSTR, kBinary), com::param::in(VT_I4)}),
    com::method<&IPdfSign::Set_Data>("Set_Data", 6,
                                     {com::param::in(VT_BSTR, kBinary), com::param::in(VT_I4)}),
    com::method<&IPdfSign::Set_Base64>("Set_Base64", 7),
    com::method<&IPdfSign::GetBytesB64ToSign>(
        "GetBytesB64ToSign", 8, {com::param::in(VT_I4), com::param::retval(VT_BSTR, kBinary)}),
    com::method<&IPdfSign::GetAllB64Bytes>("GetAllB64Bytes", 9,
                                           {com::param::retval(VT_BSTR, kBinary)}),
    com::method<&IPdfSign::CountPages>("CountPages", 10),
    com::method<&IPdfSign::GetRotate>("GetRotate", 11),
    com::method<&IPdfSign::GetMaxSign>("GetMaxSign", 12),
    com::method<&IPdfSign::GetSignHex>(
        "GetSignHex", 13, {com::param::in(VT_I4), com::param::retval(VT_BSTR, kBinary)}),
};

inline constexpr com::DispatchTable kTable{IPdfSign::iid, "IPdfSign", kMembers,
                                           sizeof kMembers / sizeof kMembers[0]};

std::string_view bytesOf(BSTR text) {
    return text == nullptr
               ? std::string_view()
               : std::string_view(reinterpret_cast<const char*>(text), SysStringByteLen(text));
}

HRESULT giveBytes(BSTR* out, std::string_view bytes) {
    *out = com::allocBstrFromBytes(bytes);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

// The Base64 text of bytes as a binary string, encoded in place.
HRESULT giveBase64(BSTR* out, std::string_view bytes) {
    size_t length = stream::base64EncodeRaw(nullptr, nullptr, bytes.size());
    if (length > UINT32_MAX) {
        return E_OUTOFMEMORY;
    }
    *out = SysAllocStringByteLen(nullptr, static_cast<UINT>(length));
    if (*out == nullptr) {
        return E_OUTOFMEMORY;
    }
    stream::base64EncodeRaw(reinterpret_cast<char*>(*out),
                            reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return S_OK;
}

} // namespace

const com::DispatchTable& PdfSign::dispatchTable() {
    return kTable;
}

HRESULT PdfSign::createInstance(IUnknown* outer, REFIID riid, void** ppv) {
    return com::DispatchObject<PdfSign, IPdfSign>::createInstance(outer, riid, ppv);
}

// The engine's parse error and the encrypted-document error reach the caller with their
// text as description; everything else follows the module's convention.
template <class Body> HRESULT PdfSign::guarded(const char* method, Body&& body) noexcept {
    return ErrorReport::guard(kPdfSign, "CPdfSign", method, [&]() -> HRESULT {
        try {
            return body();
        } catch (const PdfParseException& e) {
            return ErrorReport::reportLogged(kPdfSign, e.message());
        } catch (const PdfEncryptedException& e) {
            return ErrorReport::reportLogged(kPdfSign, e.what());
        }
    });
}

std::string PdfSign::SAFE_OLE2A(BSTR text) {
    pdfInfo("CPdfSign::SAFE_OLE2A()  :: Entrando");
    if (text == nullptr) {
        return {};
    }
    return PdfText::toWindows1252(std::u16string_view(text, SysStringLen(text)));
}

std::string PdfSign::Fmt_PdfText(std::string_view text) {
    pdfInfo("CPdfSign::Fmt_PdfText()  :: Entrando");
    return PdfText::escapeLiteral(text);
}

std::string PdfSign::Fmt_base64(std::string_view bytes) {
    pdfInfo("CPdfSign::Fmt_base64()  :: Entrando.");
    std::string text(stream::base64EncodeRaw(nullptr, nullptr, bytes.size()), '\0');
    stream::base64EncodeRaw(text.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size());
    return text;
}

HRESULT PdfSign::InicializarPdf() {
    return S_OK;
}

HRESULT PdfSign::GetAllBytes(BSTR* pVal) {
    return guarded("GetAllBytes", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetAllBytes()  :: Entrando, (Llamda no recomendada).");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = nullptr;
        if (!engine_.IsLoaded()) {
            pdfError("CPdfSign::GetAllBytes()  :ERROR: No se ha cargado el PDF.");
            return S_OK;
        }
        return giveBytes(pVal, engine_.GetPdf());
    });
}

HRESULT PdfSign::signedRanges(LONG index, bool base64, const char* method,
                              std::optional<std::vector<std::string_view>>& ranges) {
    std::string prefix = std::string("CPdfSign::") + method + "()  :ERROR: ";
    ranges.reset();
    if (!engine_.IsLoaded()) {
        pdfError(prefix + "No se ha cargado el PDF.");
        return S_OK;
    }
    int64_t size = engine_.GetSizeSignedBytes(index);
    if (size <= static_cast<int64_t>(engine_.GetPdf().size())) {
        ranges = engine_.GetSignedRanges(index);
    }
    if (!ranges) {
        pdfError(prefix + "Rango no valido.");
        return S_FALSE;
    }
    if (base64) {
        pdfInfo("CPdfSign::Fmt_base64()  :: Entrando.");
    }
    return S_OK;
}

HRESULT PdfSign::bytesToSign(LONG index, BSTR* pVal, bool base64, const char* method) {
    if (pVal == nullptr) {
        return E_POINTER;
    }
    *pVal = nullptr;
    std::optional<std::vector<std::string_view>> ranges;
    HRESULT hr = signedRanges(index, base64, method, ranges);
    if (hr != S_OK || !ranges) {
        return hr;
    }
    size_t total = 0;
    for (std::string_view range : *ranges) {
        total += range.size();
    }
    if (base64) {
        total = stream::base64EncodeRaw(nullptr, *ranges);
    }
    if (total > UINT32_MAX) {
        return E_OUTOFMEMORY;
    }
    *pVal = SysAllocStringByteLen(nullptr, static_cast<UINT>(total));
    if (*pVal == nullptr) {
        return E_OUTOFMEMORY;
    }
    char* write = reinterpret_cast<char*>(*pVal);
    if (base64) {
        stream::base64EncodeRaw(write, *ranges);
        return S_OK;
    }
    for (std::string_view range : *ranges) {
        std::memcpy(write, range.data(), range.size());
        write += range.size();
    }
    return S_OK;
}

HRESULT PdfSign::GetBytesToSign(LONG Index, BSTR* pVal) {
    return guarded("GetBytesToSign", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetBytesToSign()  :: Entrando.");
        return bytesToSign(Index, pVal, false, "GetBytesToSign");
    });
}

HRESULT PdfSign::GetBytesB64ToSign(LONG Index, BSTR* pVal) {
    return guarded("GetBytesB64ToSign", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetBytesB64ToSign()  :: Entrando.");
        return bytesToSign(Index, pVal, true, "GetBytesB64ToSign");
    });
}

HRESULT PdfSign::GetBytesB64ToSign(LONG Index,
                                   std::optional<std::vector<std::string_view>>& ranges) {
    return guarded("GetBytesB64ToSign", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetBytesB64ToSign()  :: Entrando.");
        return signedRanges(Index, true, "GetBytesB64ToSign", ranges);
    });
}

HRESULT PdfSign::CreateSign(BSTR nombre, BSTR imgB64, LONG pag, LONG x1, LONG y1, LONG x2, LONG y2,
                            BSTR font, LONG fontsize, LONG angulo, LONG add, LONG* pVal) {
    return guarded("CreateSign", [&]() -> HRESULT {
        pdfInfo("CPdfSign::CreateSign()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        std::string name = Fmt_PdfText(SAFE_OLE2A(nombre));
        std::string fontName = Fmt_PdfText(SAFE_OLE2A(font));
        bool built = engine_.CreateSignature(pag, x1, y1, x2, y2, com::bstrToUtf16(imgB64), name,
                                             fontName, fontsize, angulo, add != 0);
        *pVal = engine_.CountSigns() - 1;
        // No update built (no document, no such page, fields that cannot be updated).
        return built ? S_OK : S_FALSE;
    });
}

HRESULT PdfSign::InsertSign(BSTR pVal, LONG num) {
    return guarded("InsertSign", [&]() -> HRESULT {
        // Written, or refused (no document, no placeholder, a value that is not whole bytes
        // of hexadecimal digits or does not fit); the engine logs why.
        return engine_.InsertSign(bytesOf(pVal)) == CPdfSign::InsertResult::Written ? S_OK
                                                                                    : S_FALSE;
    });
}

HRESULT PdfSign::Set_Data(BSTR newVal, LONG size) {
    pdfInfo("CPdfSign::Set_Data()  :: ============ Cargando Pdf, pasado en Binario  "
            "============ (Llamda no recomendada)");
    try {
        // Whatever happens next, the previous document is gone: a refused load never leaves
        // it in place to be signed by mistake.
        engine_.Unload();
        if (newVal == nullptr || size < 0) {
            pdfError("CPdfSign::Set_Data()  :ERROR: No se ha pasado un PDF valido.");
            return S_FALSE;
        }
        std::string_view bytes = bytesOf(newVal);
        // Never more than the string holds.
        bytes = bytes.substr(0, static_cast<size_t>(size));
        std::string copy;
        try {
            copy.assign(bytes);
        } catch (const std::bad_alloc&) {
            pdfError("CPdfSign::Set_Data()  :ERROR: No hay memoria suficiente.");
            return S_FALSE;
        }
        return engine_.LoadPdfPtr(copy) ? S_OK : S_FALSE;
    } catch (...) {
        return ErrorReport::reportUnexpected(kPdfSign, "display");
    }
}

template <class Load> HRESULT PdfSign::loadBase64(size_t characters, Load&& load) {
    return guarded("Set_Base64", [&]() -> HRESULT {
        pdfInfo("CPdfSign::Set_Base64()  :: ============  Cargando Pdf, pasado en B64  "
                "============");
        pdfInfo("CPdfSign::Set_Base64()  Se chequea si es un B64 valido");
        // The previous document goes first, so that a refused text never leaves it loaded.
        engine_.Unload();
        if (characters < 4 || characters % 4 != 0) {
            pdfError("CPdfSign::Set_Base64()  :ERROR: El texto no es un B64 valido.");
            return S_FALSE;
        }
        pdfInfo("CPdfSign::Set_Base64()  Chequeado y válido");
        // SAFE_OLE2A and the decoding run together, slice by slice, over the text.
        pdfInfo("CPdfSign::SAFE_OLE2A()  :: Entrando");
        return load() ? S_OK : S_FALSE;
    });
}

HRESULT PdfSign::Set_Base64(BSTR newVal) {
    UINT length = newVal == nullptr ? 0 : SysStringLen(newVal);
    // Line breaks and blanks (as encoders wrap and end their output) are not Base64
    // characters and do not count.
    size_t characters = 0;
    for (UINT i = 0; i < length; ++i) {
        char16_t c = newVal[i];
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') {
            ++characters;
        }
    }
    return loadBase64(
        characters, [&] { return engine_.LoadPdfPtrBase64(std::u16string_view(newVal, length)); });
}

HRESULT PdfSign::Set_Base64(Base64Decoded decoded) {
    // The text of these bytes is whole groups of four characters, none when they are none.
    size_t characters = stream::base64EncodeRaw(nullptr, nullptr, decoded.bytes.size());
    return loadBase64(characters, [&] { return engine_.LoadPdfPtrBase64(decoded); });
}

HRESULT PdfSign::GetAllB64Bytes(BSTR* pVal) {
    return guarded("GetAllB64Bytes", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetAllB64Bytes()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = nullptr;
        std::optional<std::string_view> document = wholeDocument();
        return document ? giveBase64(pVal, *document) : S_OK;
    });
}

HRESULT PdfSign::GetAllB64Bytes(std::optional<std::string_view>& document) {
    return guarded("GetAllB64Bytes", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetAllB64Bytes()  :: Entrando.");
        document = wholeDocument();
        return S_OK;
    });
}

std::optional<std::string_view> PdfSign::wholeDocument() {
    if (!engine_.IsLoaded()) {
        pdfError("CPdfSign::GetAllB64Bytes()  :ERROR: No se ha cargado el PDF.");
        return std::nullopt;
    }
    pdfInfo("CPdfSign::Fmt_base64()  :: Entrando.");
    return std::string_view(engine_.GetPdf());
}

HRESULT PdfSign::CountPages(LONG* pVal) {
    return guarded("CountPages", [&]() -> HRESULT {
        pdfInfo("CPdfSign::CountPages()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = engine_.GetMaxPag();
        return S_OK;
    });
}

HRESULT PdfSign::GetRotate(LONG pagina, LONG* pVal) {
    return guarded("GetRotate", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetRotate()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = engine_.GetRotatePag(pagina);
        return S_OK;
    });
}

HRESULT PdfSign::GetMaxSign(LONG* pVal) {
    return guarded("GetMaxSign", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetMaxSign()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = engine_.CountSigns();
        return S_OK;
    });
}

HRESULT PdfSign::GetSignHex(LONG Index, BSTR* pVal) {
    return guarded("GetSignHex", [&]() -> HRESULT {
        pdfInfo("CPdfSign::GetSignHex()  :: Entrando.");
        if (pVal == nullptr) {
            return E_POINTER;
        }
        *pVal = nullptr;
        if (Index < 0 || Index >= engine_.CountSigns()) {
            return S_FALSE;
        }
        CBPdfValue* contents = engine_.GetContents(Index);
        if (contents == nullptr) {
            return S_FALSE;
        }
        std::string_view hex = contents->GetText();
        while (!hex.empty() && hex.front() == '<') {
            hex.remove_prefix(1);
        }
        while (!hex.empty() && hex.back() == '>') {
            hex.remove_suffix(1);
        }
        return giveBytes(pVal, hex);
    });
}

} // namespace component::pdf
