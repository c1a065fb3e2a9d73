#pragma once

#include "com/ComPtr.h"
#include "com/DispatchObject.h"
#include "component/content/QNCollection.h"
#include "component/envelopes/IQNRecipients.h"

namespace component::envelopes {

// The scriptable recipient list (CQNRecipients): the certificates an envelope is made for,
// kept as dispatch values in a QNCollection that a script may hold and watch grow.
class QNRecipients final : public com::DispatchObject<QNRecipients, IQNRecipients> {
public:
    QNRecipients();
    ~QNRecipients();
    static const com::DispatchTable& dispatchTable();

    // Appends the certificate; a null object or one that is not a QNCertificate is refused
    // with an error report and nothing is appended.
    HRESULT setRecipient(IDispatch* certificate) override;
    HRESULT getRecipients(IDispatch** recipients) override;

private:
    com::ComPtr<content::QNCollection> collection_;
};

} // namespace component::envelopes
