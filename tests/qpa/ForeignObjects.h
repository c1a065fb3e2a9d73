#pragma once

#include "com/ComPtr.h"
#include "com/UnknownImpl.h"
#include "component/content/IQNContent.h"
#include "component/pdf/IPdfSign.h"

namespace qpatest {

// Objects of another implementation that answer the component's interfaces by handing every
// call to one of the component's own objects: what the component gets when a caller passes
// objects it did not make.
template <class Derived, class Interface>
class Forwarder : public com::UnknownImpl<Derived, Interface> {
public:
    explicit Forwarder(Interface* inner) : inner_(inner) {}

    HRESULT GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        return inner_->Invoke(id, riid, lcid, flags, params, result, exception, argError);
    }

protected:
    com::ComPtr<Interface> inner_;
};

class ForeignContent final : public Forwarder<ForeignContent, component::content::IQNContent> {
public:
    using Forwarder::Forwarder;
    HRESULT saveFile(BSTR a) override { return inner_->saveFile(a); }
    HRESULT loadFileWithDialog(BSTR* a) override { return inner_->loadFileWithDialog(a); }
    HRESULT saveFileWithDialog(BSTR a, BSTR* b) override {
        return inner_->saveFileWithDialog(a, b);
    }
    HRESULT get_contentString(BSTR* a) override { return inner_->get_contentString(a); }
    HRESULT put_contentString(BSTR a) override { return inner_->put_contentString(a); }
    HRESULT get_contentData(BSTR* a) override { return inner_->get_contentData(a); }
    HRESULT put_contentData(BSTR a) override { return inner_->put_contentData(a); }
    HRESULT toBASE64(BSTR* a) override { return inner_->toBASE64(a); }
    HRESULT setBASE64(BSTR a) override { return inner_->setBASE64(a); }
    HRESULT loadFileWithPath(BSTR a) override { return inner_->loadFileWithPath(a); }
    HRESULT getHash(BSTR* a) override { return inner_->getHash(a); }
    HRESULT get_encoding(BSTR* a) override { return inner_->get_encoding(a); }
    HRESULT put_encoding(BSTR a) override { return inner_->put_encoding(a); }
    HRESULT getContentStringEnc(BSTR* a) override { return inner_->getContentStringEnc(a); }
    HRESULT putContentStringEnc(BSTR a) override { return inner_->putContentStringEnc(a); }
    HRESULT loadFileWithDialogTitle(BSTR a, BSTR* b) override {
        return inner_->loadFileWithDialogTitle(a, b);
    }
    HRESULT getFilePathWithDialog(BSTR* a) override { return inner_->getFilePathWithDialog(a); }
    HRESULT getFileSizeByPath(BSTR a, ULONG* b) override { return inner_->getFileSizeByPath(a, b); }
};

class ForeignPdfSign final : public Forwarder<ForeignPdfSign, IPdfSign> {
public:
    using Forwarder::Forwarder;
    HRESULT InicializarPdf() override { return inner_->InicializarPdf(); }
    HRESULT GetAllBytes(BSTR* a) override { return inner_->GetAllBytes(a); }
    HRESULT GetBytesToSign(LONG a, BSTR* b) override { return inner_->GetBytesToSign(a, b); }
    HRESULT CreateSign(BSTR a, BSTR b, LONG c, LONG d, LONG e, LONG f, LONG g, BSTR h, LONG i,
                       LONG j, LONG k, LONG* l) override {
        return inner_->CreateSign(a, b, c, d, e, f, g, h, i, j, k, l);
    }
    HRESULT InsertSign(BSTR a, LONG b) override { return inner_->InsertSign(a, b); }
    HRESULT Set_Data(BSTR a, LONG b) override { return inner_->Set_Data(a, b); }
    HRESULT Set_Base64(BSTR a) override { return inner_->Set_Base64(a); }
    HRESULT GetBytesB64ToSign(LONG a, BSTR* b) override { return inner_->GetBytesB64ToSign(a, b); }
    HRESULT GetAllB64Bytes(BSTR* a) override { return inner_->GetAllB64Bytes(a); }
    HRESULT CountPages(LONG* a) override { return inner_->CountPages(a); }
    HRESULT GetRotate(LONG a, LONG* b) override { return inner_->GetRotate(a, b); }
    HRESULT GetMaxSign(LONG* a) override { return inner_->GetMaxSign(a); }
    HRESULT GetSignHex(LONG a, BSTR* b) override { return inner_->GetSignHex(a, b); }
};

template <class Foreign, class Interface> com::ComPtr<Interface> foreign(Interface* inner) {
    return com::ComPtr<Interface>(new Foreign(inner));
}

} // namespace qpatest
