#pragma once

#include "com/DispatchObject.h"
#include "component/certificates/IQNCertificates.h"
#include "platform/certificates/CertificateCollection.h"
#include "platform/certificates/CertificateStoreObject.h"

namespace component::certificates {

// The scriptable list of certificates (CQNCertificates).
class QNCertificates final : public com::DispatchObject<QNCertificates, IQNCertificates> {
public:
    QNCertificates();
    ~QNCertificates();
    static const com::DispatchTable& dispatchTable();

    void setCollection(platform::certificates::CertificateCollectionPtr collection) {
        collection_ = std::move(collection);
    }
    // Null until first needed.
    const platform::certificates::CertificateCollectionPtr& collection() const {
        return collection_;
    }

    HRESULT add(IDispatch* certificate) override;
    HRESULT clear() override;
    HRESULT find(LONG findType, VARIANT findData, IDispatch** certs) override;
    HRESULT remove(LONG index) override;
    HRESULT select(BSTR title, BSTR displayString, LONG multiSelect, IDispatch** certs) override;
    HRESULT getCertificate(LONG index, IDispatch** certificate) override;
    HRESULT get_length(LONG* length) override;

private:
    platform::certificates::CertificateCollection& ensure();
    template <class Body> HRESULT call(const char* method, Body&& body) noexcept;

    platform::certificates::CertificateCollectionPtr collection_;
};

// An opened certificate store (CQNCertificateStore).
class QNCertificateStore final
    : public com::DispatchObject<QNCertificateStore, IQNCertificateStore> {
public:
    QNCertificateStore();
    ~QNCertificateStore();
    static const com::DispatchTable& dispatchTable();

    // Opens the platform store read-only; raises CryptException.
    void open(int32_t location, const std::string& name);

    HRESULT getCertificates(IDispatch** certs) override;

private:
    std::shared_ptr<platform::certificates::CertificateStoreObject> store_;
};

} // namespace component::certificates
