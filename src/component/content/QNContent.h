#pragma once

#include "com/DispatchObject.h"
#include "component/content/CContent.h"
#include "component/content/IQNContent.h"

namespace component::content {

// The scriptable content object: IQNContent over a CContent, following the module's error
// convention (error information with the QNContent CLSID's ProgID and the IQNContent IID).
class QNContent final : public com::DispatchObject<QNContent, IQNContent> {
public:
    QNContent() = default;

    static const com::DispatchTable& dispatchTable();

    // In-process access for the other classes.
    CContent& content() noexcept { return content_; }
    // The QNContent behind an interface pointer of a QNContent (any of its interfaces), or
    // null when the object is not one.
    static QNContent* from(IUnknown* object);

    HRESULT saveFile(BSTR pathAndFileName) override;
    HRESULT loadFileWithDialog(BSTR* loadedPath) override;
    HRESULT saveFileWithDialog(BSTR defaultName, BSTR* path) override;
    HRESULT get_contentString(BSTR* value) override;
    HRESULT put_contentString(BSTR value) override;
    HRESULT get_contentData(BSTR* value) override;
    HRESULT put_contentData(BSTR value) override;
    HRESULT toBASE64(BSTR* base64) override;
    HRESULT setBASE64(BSTR base64) override;
    HRESULT loadFileWithPath(BSTR path) override;
    HRESULT getHash(BSTR* hash) override;
    HRESULT get_encoding(BSTR* name) override;
    HRESULT put_encoding(BSTR name) override;
    HRESULT getContentStringEnc(BSTR* value) override;
    HRESULT putContentStringEnc(BSTR newVal) override;
    HRESULT loadFileWithDialogTitle(BSTR dialogTitle, BSTR* loadedPath) override;
    HRESULT getFilePathWithDialog(BSTR* loadedPath) override;
    HRESULT getFileSizeByPath(BSTR filePath, ULONG* size) override;

private:
    template <class Body> HRESULT guarded(const char* method, Body&& body) noexcept;
    HRESULT loadWithDialog(BSTR title, BSTR* loadedPath);

    CContent content_;
};

} // namespace component::content
