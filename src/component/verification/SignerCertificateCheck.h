#pragma once

#include <ctime>
#include <optional>
#include <vector>

#include "component/certificates/QNCertificate.h"
#include "component/verification/QNVerifyStatus.h"
#include "platform/crypt/Certificate.h"

namespace component::verification {

// Judges a signer's certificate at the moment the message was signed: the signing time of
// the message's first signer (every signer of a message is judged at that one time), or the
// current time when it has none. With "VerifyCompleteChain" = "true" the whole chain is
// built (the message's certificates help find issuers); otherwise only the certificate's
// validity dates are checked.
class SignerCertificateCheck {
public:
    SignerCertificateCheck(std::optional<std::time_t> signingTime,
                           std::vector<platform::crypt::CertificatePtr> messageCertificates);

    // True when the certificate holds; otherwise the status gets the outcome code and its
    // text.
    bool check(certificates::QNCertificate& object, const platform::crypt::Certificate& context,
               QNVerifyStatus& status) const;

    // The outcome code (1 = no problem) without touching a status.
    int outcome(certificates::QNCertificate& object,
                const platform::crypt::Certificate& context) const;

private:
    std::optional<std::time_t> signingTime_;
    std::vector<platform::crypt::CertificatePtr> extra_;
};

} // namespace component::verification
