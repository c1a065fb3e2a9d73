#pragma once

#include <vector>

#include "com/ComPtr.h"
#include "component/certificates/CQNCertificate_Internal.h"
#include "component/certificates/IQNCertificate.h"
#include "component/envelopes/IQNRecipients.h"

namespace component::envelopes {

// The certificates of a QNRecipients, in the order they were added. Raises StreamException
// QN_E_ENCRYPT_SETUP "No se han especificado destinatarios" when there are none (or no list),
// and QN_E_ENCRYPT_SETUP for an item that is not a certificate.
std::vector<com::ComPtr<certificates::IQNCertificate>>
recipientCertificates(IQNRecipients* recipients);

// The internal handle of a certificate; what building it raises passes through, and a
// failing call is raised as StreamException with its code and the code's text.
const certificates::CQNCertificate_Internal&
internalHandle(certificates::IQNCertificate& certificate);

inline constexpr char kNoRecipients[] = "No se han especificado destinatarios";

} // namespace component::envelopes
