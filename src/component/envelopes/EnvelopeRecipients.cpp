#include "component/envelopes/EnvelopeRecipients.h"

#include <string>

#include "com/Variant.h"
#include "component/content/IQNCollection.h"
#include "component/module/ErrorCodes.h"
#include "component/module/HResultText.h"
#include "stream/exceptions/StreamException.h"

namespace component::envelopes {

using stream::exceptions::StreamException;

std::vector<com::ComPtr<certificates::IQNCertificate>>
recipientCertificates(IQNRecipients* recipients) {
    com::ComPtr<content::IQNCollection> list;
    if (recipients != nullptr) {
        com::ComPtr<IDispatch> collection;
        if (SUCCEEDED(recipients->getRecipients(collection.out())) && collection) {
            collection->QueryInterface(content::IQNCollection::iid, list.outVoid());
        }
    }
    LONG count = 0;
    if (!list || FAILED(list->get_Count(&count)) || count < 1) {
        throw StreamException(kNoRecipients, module::QN_E_ENCRYPT_SETUP);
    }
    std::vector<com::ComPtr<certificates::IQNCertificate>> out;
    for (LONG i = 0; i < count; ++i) {
        com::Variant item;
        com::ComPtr<certificates::IQNCertificate> certificate;
        if (SUCCEEDED(list->get_Item(i, item.out())) && item.get()->vt == VT_DISPATCH &&
            item.get()->pdispVal != nullptr) {
            item.get()->pdispVal->QueryInterface(certificates::IQNCertificate::iid,
                                                 certificate.outVoid());
        }
        if (!certificate) {
            throw StreamException("El destinatario " + std::to_string(i) + " no es un certificado",
                                  module::QN_E_ENCRYPT_SETUP);
        }
        out.push_back(std::move(certificate));
    }
    return out;
}

const certificates::CQNCertificate_Internal&
internalHandle(certificates::IQNCertificate& certificate) {
    certificates::CQNCertificate_Internal* handle = nullptr;
    HRESULT hr = certificate.getCertificateInternal(&handle);
    if (FAILED(hr) || handle == nullptr) {
        hr = FAILED(hr) ? hr : E_POINTER;
        throw StreamException(module::hresultText(hr), hr);
    }
    return *handle;
}

} // namespace component::envelopes
