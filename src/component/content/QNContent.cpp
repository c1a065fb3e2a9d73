#include "component/content/QNContent.h"

#include "component/content/BstrText.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "platform/system/Charset.h"

namespace component::content {

using module::ErrorReport;
using platform::system::Charset;

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNContent::saveFile>("saveFile", 2),
    com::method<&IQNContent::loadFileWithDialog>("loadFileWithDialog", 3,
                                                 {com::param::optionalRetval(VT_BSTR)}),
    com::method<&IQNContent::saveFileWithDialog>("saveFileWithDialog", 4),
    com::propget<&IQNContent::get_contentString>("contentString", 5),
    com::propput<&IQNContent::put_contentString>("contentString", 5),
    com::propget<&IQNContent::get_contentData>("contentData", 6,
                                               {com::param::retval(VT_BSTR, com::param::binary)}),
    com::propput<&IQNContent::put_contentData>("contentData", 6,
                                               {com::param::in(VT_BSTR, com::param::binary)}),
    com::method<&IQNContent::toBASE64>("toBASE64", 8),
    com::method<&IQNContent::setBASE64>("setBASE64", 9),
    com::method<&IQNContent::loadFileWithPath>("loadFileWithPath", 10),
    com::method<&IQNContent::getHash>("getHash", 12),
    com::propget<&IQNContent::get_encoding>("encoding", 13),
    com::propput<&IQNContent::put_encoding>("encoding", 13),
    com::method<&IQNContent::getContentStringEnc>("getContentStringEnc", 15),
    com::method<&IQNContent::putContentStringEnc>("putContentStringEnc", 16),
    com::method<&IQNContent::loadFileWithDialogTitle>(
        "loadFileWithDialogTitle", 17,
        {com::param::optionalIn(VT_BSTR), com::param::optionalRetval(VT_BSTR)}),
    com::method<&IQNContent::getFilePathWithDialog>("getFilePathWithDialog", 18,
                                                    {com::param::optionalRetval(VT_BSTR)}),
    com::method<&IQNContent::getFileSizeByPath>(
        "getFileSizeByPath", 19, {com::param::in(VT_BSTR), com::param::optionalRetval(VT_UI4)}),
};

constexpr com::DispatchTable kTable{IQNContent::iid, "IQNContent", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

// A new BSTR for the result, null for empty text.
BSTR textResult(std::u16string_view text) {
    if (text.empty()) {
        return nullptr;
    }
    BSTR result = com::allocBstr(text);
    if (result == nullptr) {
        throw std::bad_alloc();
    }
    return result;
}

BSTR ansiResult(const std::string& text) {
    return text.empty() ? nullptr : textResult(Charset::fromAnsi(text));
}

// Only a set result slot is written (optional results may be omitted).
void setResult(BSTR* slot, BSTR value) {
    if (slot == nullptr) {
        SysFreeString(value);
        return;
    }
    *slot = value;
}

} // namespace

const com::DispatchTable& QNContent::dispatchTable() {
    return kTable;
}

QNContent* QNContent::from(IUnknown* object) {
    if (object == nullptr) {
        return nullptr;
    }
    IQNContent* content = nullptr;
    if (FAILED(object->QueryInterface(IQNContent::iid, reinterpret_cast<void**>(&content))) ||
        content == nullptr) {
        return nullptr;
    }
    // An IQNContent of another implementation is not one of ours.
    QNContent* self = dynamic_cast<QNContent*>(content);
    content->Release();
    return self;
}

template <class Body> HRESULT QNContent::guarded(const char* method, Body&& body) noexcept {
    return ErrorReport::guard(module::kQNContent, "CContent", method, std::forward<Body>(body));
}

HRESULT QNContent::saveFile(BSTR pathAndFileName) {
    return guarded("saveFile", [&] {
        content_.saveFile(pathOf(pathAndFileName));
        return S_OK;
    });
}

HRESULT QNContent::loadWithDialog(BSTR title, BSTR* loadedPath) {
    return guarded("loadFileWithDialog", [&] {
        if (loadedPath != nullptr) {
            *loadedPath = nullptr;
        }
        try {
            std::string path = content_.loadFileWithDialog(ansiOf(title));
            setResult(loadedPath, ansiResult(path));
        } catch (const stream::exceptions::StreamException& e) {
            module::logError(e.message());
        }
        return S_OK;
    });
}

HRESULT QNContent::loadFileWithDialog(BSTR* loadedPath) {
    return loadWithDialog(nullptr, loadedPath);
}

HRESULT QNContent::loadFileWithDialogTitle(BSTR dialogTitle, BSTR* loadedPath) {
    return loadWithDialog(dialogTitle, loadedPath);
}

HRESULT QNContent::getFilePathWithDialog(BSTR* loadedPath) {
    return guarded("getFilePathWithDialog", [&] {
        if (loadedPath != nullptr) {
            *loadedPath = nullptr;
        }
        setResult(loadedPath, ansiResult(content_.getFilePathWithDialog()));
        return S_OK;
    });
}

HRESULT QNContent::saveFileWithDialog(BSTR defaultName, BSTR* path) {
    return guarded("saveFileWithDialog", [&] {
        if (path != nullptr) {
            *path = nullptr;
        }
        std::string chosen;
        try {
            content_.saveFileWithDialog(pathOf(defaultName), chosen);
        } catch (...) {
            if (!chosen.empty()) {
                setResult(path, ansiResult(chosen));
            }
            throw;
        }
        setResult(path, ansiResult(chosen));
        return S_OK;
    });
}

HRESULT QNContent::get_contentString(BSTR* value) {
    return guarded("get_contentString", [&] {
        if (value == nullptr) {
            return E_POINTER;
        }
        *value = textResult(content_.getContentString());
        return S_OK;
    });
}

HRESULT QNContent::put_contentString(BSTR value) {
    return guarded("put_contentString", [&] {
        if (value != nullptr) {
            content_.putContentString(com::bstrToUtf16(value));
        }
        return S_OK;
    });
}

HRESULT QNContent::get_contentData(BSTR* value) {
    return guarded("get_contentData", [&] {
        module::logTrace("CContent::get_contentData");
        if (value == nullptr) {
            return E_POINTER;
        }
        *value = nullptr;
        if (content_.size() == 0) {
            return S_OK;
        }
        *value = SysAllocStringByteLen(reinterpret_cast<const char*>(content_.data()),
                                       static_cast<UINT>(content_.size()));
        return *value == nullptr ? E_OUTOFMEMORY : S_OK;
    });
}

HRESULT QNContent::put_contentData(BSTR value) {
    return guarded("put_contentData", [&] {
        module::logTrace("CContent::put_contentData");
        UINT n = SysStringByteLen(value);
        content_.replace(std::string_view(reinterpret_cast<const char*>(value), n));
        return S_OK;
    });
}

HRESULT QNContent::toBASE64(BSTR* base64) {
    return guarded("toBASE64", [&] {
        module::logTrace("CContent::toBASE64");
        if (base64 == nullptr) {
            return E_POINTER;
        }
        *base64 = nullptr;
        size_t length = content_.base64Length();
        if (length == 0) {
            return S_OK;
        }
        if (length > 0x7FFFFFFFu) {
            return E_OUTOFMEMORY; // longer than a BSTR can be
        }
        BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (text == nullptr) {
            return E_OUTOFMEMORY;
        }
        try {
            content_.toBASE64(text);
        } catch (const stream::exceptions::StreamException& e) {
            SysFreeString(text);
            module::logError(e.message());
            return S_OK;
        } catch (...) {
            SysFreeString(text);
            throw;
        }
        *base64 = text;
        return S_OK;
    });
}

HRESULT QNContent::setBASE64(BSTR base64) {
    return guarded("setBase64", [&] {
        content_.setBASE64(
            std::u16string_view(base64 == nullptr ? u"" : base64, SysStringLen(base64)));
        return S_OK;
    });
}

HRESULT QNContent::loadFileWithPath(BSTR path) {
    return guarded("loadFileWithPath", [&] {
        std::string file = pathOf(path);
        try {
            content_.loadFileWithPath(file);
        } catch (const stream::exceptions::StreamException& e) {
            module::logError(e.message());
            return ErrorReport::report(module::kQNContent, "No se ha podido leer el fichero.",
                                       module::QN_E_READ);
        }
        return S_OK;
    });
}

HRESULT QNContent::getHash(BSTR* hash) {
    return guarded("getHash", [&] {
        if (hash == nullptr) {
            return E_POINTER;
        }
        *hash = nullptr;
        std::optional<std::string> digest = content_.getHash();
        if (digest) {
            *hash = ansiResult(*digest);
        }
        return S_OK;
    });
}

HRESULT QNContent::get_encoding(BSTR* name) {
    return guarded("get_encoding", [&] {
        module::logTrace("CContent::get_encoding");
        if (name == nullptr) {
            return E_POINTER;
        }
        *name = com::allocBstr(Charset::fromAnsi(content_.encoding()));
        return *name == nullptr ? E_OUTOFMEMORY : S_OK;
    });
}

HRESULT QNContent::put_encoding(BSTR name) {
    return guarded("put_encoding", [&] {
        module::logTrace("CContent::put_encoding");
        content_.setEncoding(ansiOf(name));
        return S_OK;
    });
}

HRESULT QNContent::getContentStringEnc(BSTR* value) {
    return guarded("getContentStringEnc", [&] {
        if (value == nullptr) {
            return E_POINTER;
        }
        *value = textResult(content_.getContentStringEnc());
        return S_OK;
    });
}

HRESULT QNContent::putContentStringEnc(BSTR newVal) {
    return guarded("putContentStringEnc", [&] {
        if (newVal != nullptr) {
            content_.putContentStringEnc(com::bstrToUtf16(newVal));
        }
        return S_OK;
    });
}

HRESULT QNContent::getFileSizeByPath(BSTR filePath, ULONG* size) {
    return guarded("getFileSizeByPath", [&] {
        ULONG result = CContent::getFileSizeByPath(pathOf(filePath));
        if (size != nullptr) {
            *size = result;
        }
        return S_OK;
    });
}

} // namespace component::content
