#include "component/signing/QNSignData.h"

#include <string>

#include "com/ComPtr.h"
#include "com/Variant.h"
#include "component/certificates/IQNCertificate.h"
#include "component/content/IQNCollection.h"
#include "component/content/QNContent.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"
#include "component/signing/SignFailure.h"

namespace component::signing {

namespace {

namespace p = com::param;
using module::ErrorReport;

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNSignData::sign>(
        "sign", 1, {p::in(VT_DISPATCH), p::in(VT_DISPATCH), p::in(VT_I4), p::retval(VT_DISPATCH)}),
    com::method<&IQNSignData::cosign>("cosign", 3,
                                      {p::in(VT_DISPATCH), p::optionalIn(VT_DISPATCH),
                                       p::in(VT_DISPATCH), p::in(VT_I4), p::retval(VT_DISPATCH)}),
    com::propget<&IQNSignData::get_timeStamp>("timeStamp", 4),
    com::propput<&IQNSignData::put_timeStamp>("timeStamp", 4),
};

constexpr com::DispatchTable kTable{IQNSignData::iid, "IQNSignData", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

constexpr char kNotForSigning[] = "QNSignData::sign: Certificado no válido para firma.";

content::CContent* contentOf(IDispatch* object) {
    content::QNContent* qn = content::QNContent::from(object);
    return qn != nullptr ? &qn->content() : nullptr;
}

com::ComPtr<certificates::IQNCertificate> certificateOf(IDispatch* object) {
    com::ComPtr<certificates::IQNCertificate> certificate;
    if (object != nullptr) {
        object->QueryInterface(certificates::IQNCertificate::iid, certificate.outVoid());
    }
    return certificate;
}

// Whether key usage item index of the collection is set (a non-zero boolean).
bool usageSet(content::IQNCollection* usages, LONG index) {
    com::Variant item;
    if (FAILED(usages->get_Item(index, item.out()))) {
        return false;
    }
    const VARIANT* v = item.get();
    if (v->vt == VT_BOOL) {
        return v->boolVal != 0;
    }
    com::Variant asBool;
    return SUCCEEDED(item.changeType(VT_BOOL, asBool)) && asBool.get()->boolVal != 0;
}

// S_OK when the certificate may sign (digitalSignature or nonRepudiation); the certificate's
// own failure when it cannot tell; else the report of a certificate not valid for signing.
HRESULT checkKeyUsage(certificates::IQNCertificate* certificate) {
    if (certificate == nullptr) {
        return ErrorReport::report(module::kQNSignData, kNotForSigning, 0, true);
    }
    com::ComPtr<IDispatch> collection;
    HRESULT hr = certificate->getKeyUsage(collection.out());
    if (FAILED(hr)) {
        return hr;
    }
    com::ComPtr<content::IQNCollection> usages;
    if (!collection ||
        FAILED(collection->QueryInterface(content::IQNCollection::iid, usages.outVoid()))) {
        return ErrorReport::report(module::kQNSignData, kNotForSigning, 0, true);
    }
    if (!usageSet(usages.get(), 0) && !usageSet(usages.get(), 1)) {
        return ErrorReport::report(module::kQNSignData, kNotForSigning, 0, true);
    }
    return S_OK;
}

// The new content holding exactly the result bytes.
IDispatch* resultContent(stream::ByteBuffer&& bytes) {
    com::ComPtr<content::QNContent> result = content::QNContent::create();
    result->content().replace(std::move(bytes));
    return static_cast<content::IQNContent*>(result.detach());
}

} // namespace

QNSignData::QNSignData() {
    module::logTrace("CQNSignData::CQNSignData: " + std::to_string(module::addressNumber(this)));
}

QNSignData::~QNSignData() {
    module::logTrace("CQNSignData::~CQNSignData: " + std::to_string(module::addressNumber(this)));
}

const com::DispatchTable& QNSignData::dispatchTable() {
    return kTable;
}

template <class Call>
HRESULT QNSignData::runSigner(SignOperation operation, certificates::IQNCertificate* certificate,
                              IDispatch** result, Call&& call) {
    try {
        certificates::CQNCertificate_Internal* handle = nullptr;
        HRESULT hr = certificate->getCertificateInternal(&handle);
        if (FAILED(hr) || handle == nullptr) {
            hr = FAILED(hr) ? hr : E_POINTER;
            return ErrorReport::reportLogged(module::kQNSignData, module::hresultText(hr), hr);
        }
        if (timeStamp_) {
            module::logInfo("TimeStamp activado");
        }
        internal_->setSigningTime(timeStamp_);
        *result = resultContent(call(*handle));
        return S_OK;
    } catch (...) {
        return reportSignFailure(classifyCurrentFailure(operation));
    }
}

HRESULT QNSignData::sign(IDispatch* content, IDispatch* certificate, LONG detached,
                         IDispatch** signedContent) {
    try {
        module::logInfo("CQNSignData::sign");
        if (signedContent != nullptr) {
            *signedContent = nullptr;
        }
        com::ComPtr<certificates::IQNCertificate> cert = certificateOf(certificate);
        HRESULT usable = checkKeyUsage(cert.get());
        if (FAILED(usable)) {
            return usable;
        }
        content::CContent* bytes = content != nullptr ? contentOf(content) : nullptr;
        if (bytes == nullptr) {
            module::logError("content null");
            return E_FAIL;
        }
        if (signedContent == nullptr) {
            return E_POINTER;
        }
        if (!internal_) {
            return ErrorReport::reportLogged(module::kQNSignData, kNotInitialized,
                                             module::QN_E_OPERATION);
        }
        return runSigner(SignOperation::Sign, cert.get(), signedContent,
                         [&](const certificates::CQNCertificate_Internal& handle) {
                             return internal_->sign(bytes->data(), bytes->size(), handle,
                                                    detached != 0);
                         });
    } catch (...) {
        return ErrorReport::reportUnexpected(module::kQNSignData, "sign");
    }
}

HRESULT QNSignData::cosign(IDispatch* signedContent, IDispatch* detachedContent,
                           IDispatch* certificate, LONG detached, IDispatch** cosignedContent) {
    try {
        module::logTrace("CQNSignData::cosign");
        if (cosignedContent != nullptr) {
            *cosignedContent = nullptr;
        }
        content::CContent* message = signedContent != nullptr ? contentOf(signedContent) : nullptr;
        if (message == nullptr) {
            module::logError("content null");
            return E_FAIL;
        }
        if (cosignedContent == nullptr) {
            return E_POINTER;
        }
        if (!internal_) {
            return ErrorReport::reportLogged(module::kQNSignData, kNotInitialized,
                                             module::QN_E_OPERATION);
        }
        com::ComPtr<certificates::IQNCertificate> cert = certificateOf(certificate);
        if (!cert) {
            return ErrorReport::reportLogged(module::kQNSignData,
                                             "QNSignData::cosign: Certificado nulo.",
                                             module::QN_E_OPERATION);
        }
        content::CContent* detachedBytes =
            detachedContent != nullptr ? contentOf(detachedContent) : nullptr;
        return runSigner(
            SignOperation::Cosign, cert.get(), cosignedContent,
            [&](const certificates::CQNCertificate_Internal& handle) {
                // A detached content that is there but empty is still there.
                static const unsigned char kEmpty = 0;
                const unsigned char* detachedData = nullptr;
                if (detachedBytes != nullptr) {
                    detachedData = detachedBytes->size() != 0 ? detachedBytes->data() : &kEmpty;
                }
                return internal_->cosign(message->data(), message->size(), detachedData,
                                         detachedBytes != nullptr ? detachedBytes->size() : 0,
                                         handle, detached != 0);
            });
    } catch (...) {
        return ErrorReport::reportUnexpected(module::kQNSignData, "cosign");
    }
}

HRESULT QNSignData::get_timeStamp(LONG* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = timeStamp_ ? 1 : 0;
    return S_OK;
}

HRESULT QNSignData::put_timeStamp(LONG value) {
    timeStamp_ = value != 0;
    return S_OK;
}

} // namespace component::signing
