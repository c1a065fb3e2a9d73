#include "component/envelopes/QNRecipients.h"

#include <string>

#include "com/Variant.h"
#include "component/certificates/IQNCertificate.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"

namespace component::envelopes {

namespace {

namespace p = com::param;

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQNRecipients::setRecipient>("setRecipient", 1),
    com::method<&IQNRecipients::getRecipients>("getRecipients", 2),
};

constexpr com::DispatchTable kTable{IQNRecipients::iid, "IQNRecipients", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

constexpr char kNullCertificate[] = "QNRecipients::setRecipient: Certificado nulo.";
constexpr char kNotCertificate[] =
    "QNRecipients::setRecipient: El objeto no es un certificado (QNCertificate).";

} // namespace

QNRecipients::QNRecipients() : collection_(content::QNCollection::create()) {
    module::logTrace("CQNRecipients::CQNRecipients: " +
                     std::to_string(module::addressNumber(this)));
}

QNRecipients::~QNRecipients() {
    module::logTrace("CRecipients::~CRecipients: " + std::to_string(module::addressNumber(this)));
}

const com::DispatchTable& QNRecipients::dispatchTable() {
    return kTable;
}

HRESULT QNRecipients::setRecipient(IDispatch* certificate) {
    return module::ErrorReport::guard(
        module::kQNRecipients, "CQNRecipients", "setRecipient", [&]() -> HRESULT {
            if (certificate == nullptr) {
                return module::ErrorReport::reportLogged(module::kQNRecipients, kNullCertificate,
                                                         E_POINTER);
            }
            com::ComPtr<certificates::IQNCertificate> probe;
            if (FAILED(certificate->QueryInterface(certificates::IQNCertificate::iid,
                                                   probe.outVoid()))) {
                return module::ErrorReport::reportLogged(module::kQNRecipients, kNotCertificate,
                                                         E_NOINTERFACE);
            }
            collection_->collection().append(com::Variant::fromDispatch(certificate));
            return S_OK;
        });
}

HRESULT QNRecipients::getRecipients(IDispatch** recipients) {
    if (recipients == nullptr) {
        return E_POINTER;
    }
    com::ComPtr<content::QNCollection> shared = collection_;
    *recipients = static_cast<content::IQNCollection*>(shared.detach());
    return S_OK;
}

} // namespace component::envelopes
