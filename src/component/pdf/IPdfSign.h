#pragma once

#include "com/Com.h"

// The dual interface of the PdfSign class, in interface order (dispatch ids 1 to 13).
// Byte strings (BSTRs used as byte containers) are marked binary in the dispatch table.
struct IPdfSign : public IDispatch {
    static constexpr IID iid = com::makeGuid("5D605A2B-ACDE-49CD-9642-7B268923ACD9");

    virtual HRESULT InicializarPdf() = 0;
    virtual HRESULT GetAllBytes(BSTR* pVal) = 0;
    virtual HRESULT GetBytesToSign(LONG Index, BSTR* pVal) = 0;
    virtual HRESULT CreateSign(BSTR nombre, BSTR imgB64, LONG pag, LONG x1, LONG y1, LONG x2,
                               LONG y2, BSTR font, LONG fontsize, LONG angulo, LONG add,
                               LONG* pVal) = 0;
    virtual HRESULT InsertSign(BSTR pVal, LONG num) = 0;
    virtual HRESULT Set_Data(BSTR newVal, LONG size) = 0;
    virtual HRESULT Set_Base64(BSTR newVal) = 0;
    virtual HRESULT GetBytesB64ToSign(LONG Index, BSTR* pVal) = 0;
    virtual HRESULT GetAllB64Bytes(BSTR* pVal) = 0;
    virtual HRESULT CountPages(LONG* pVal) = 0;
    virtual HRESULT GetRotate(LONG pagina, LONG* pVal) = 0;
    virtual HRESULT GetMaxSign(LONG* pVal) = 0;
    virtual HRESULT GetSignHex(LONG Index, BSTR* pVal) = 0;
};
