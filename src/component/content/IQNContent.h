#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::content {

// The dual interface of QNContent, in dispatch-id order.
struct IQNContent : IDispatch {
    static constexpr IID iid = module::kQNContent.iid;
    virtual HRESULT saveFile(BSTR pathAndFileName) = 0;                              // 2
    virtual HRESULT loadFileWithDialog(BSTR* loadedPath) = 0;                        // 3
    virtual HRESULT saveFileWithDialog(BSTR defaultName, BSTR* path) = 0;            // 4
    virtual HRESULT get_contentString(BSTR* value) = 0;                              // 5
    virtual HRESULT put_contentString(BSTR value) = 0;                               // 5
    virtual HRESULT get_contentData(BSTR* value) = 0;                                // 6
    virtual HRESULT put_contentData(BSTR value) = 0;                                 // 6
    virtual HRESULT toBASE64(BSTR* base64) = 0;                                      // 8
    virtual HRESULT setBASE64(BSTR base64) = 0;                                      // 9
    virtual HRESULT loadFileWithPath(BSTR path) = 0;                                 // 10
    virtual HRESULT getHash(BSTR* hash) = 0;                                         // 12
    virtual HRESULT get_encoding(BSTR* name) = 0;                                    // 13
    virtual HRESULT put_encoding(BSTR name) = 0;                                     // 13
    virtual HRESULT getContentStringEnc(BSTR* value) = 0;                            // 15
    virtual HRESULT putContentStringEnc(BSTR newVal) = 0;                            // 16
    virtual HRESULT loadFileWithDialogTitle(BSTR dialogTitle, BSTR* loadedPath) = 0; // 17
    virtual HRESULT getFilePathWithDialog(BSTR* loadedPath) = 0;                     // 18
    virtual HRESULT getFileSizeByPath(BSTR filePath, ULONG* size) = 0;               // 19

protected:
    ~IQNContent() = default;
};

} // namespace component::content
