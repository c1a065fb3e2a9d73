#pragma once

#include "com/ComPtr.h"
#include "component/content/IQNContent.h"
#include "component/pdf/IPdfSign.h"

namespace component::pdf {

// The document on its way from a PdfSign to a QNContent, which pass it as Base64 text
// (GetBytesB64ToSign or GetAllB64Bytes, then setBASE64). When the objects are the
// component's own, the bytes go across as they are, with the same log lines and results,
// instead of being encoded only to be decoded again.
class DocumentTransfer {
public:
    // GetBytesB64ToSign(index) into content: S_OK or S_FALSE as GetBytesB64ToSign answers
    // (the content then holds the signed ranges, or nothing when there are none), or its
    // failure (the content unchanged).
    static HRESULT bytesToSign(IPdfSign* pdf, LONG index, content::IQNContent* content);

    // GetAllB64Bytes into target, for the end of a signature: ranges holds the bytes that
    // bytesToSign gave for the signature pdf created last, unchanged since. The signed
    // document is those bytes with the signature value between them, so, for objects of ours,
    // target is made from them once pdf has let go of its own copy (the caller's reference is
    // taken over and released here): the document is never held three times over.
    static HRESULT signedDocument(com::ComPtr<IPdfSign> pdf, content::IQNContent* ranges,
                                  content::IQNContent* target);
};

} // namespace component::pdf
