#include "component/verification/SignerCertificateCheck.h"

#include "com/OleDate.h"
#include "component/module/SettingsTable.h"
#include "platform/certificates/ChainValidation.h"

namespace component::verification {

namespace {

constexpr int kNotValidAtSigningTime = -101;
constexpr int kNotValidNow = -102;

} // namespace

SignerCertificateCheck::SignerCertificateCheck(
    std::optional<std::time_t> signingTime,
    std::vector<platform::crypt::CertificatePtr> messageCertificates)
    : signingTime_(signingTime), extra_(std::move(messageCertificates)) {}

int SignerCertificateCheck::outcome(certificates::QNCertificate& object,
                                    const platform::crypt::Certificate& context) const {
    std::time_t at = signingTime_.value_or(std::time(nullptr));
    if (module::SettingsTable::instance().get("VerifyCompleteChain") != "true") {
        std::optional<DATE> date = com::dateFromTimeT(at);
        LONG datesOk = 0;
        if (date && SUCCEEDED(object.verifyDates(*date, &datesOk)) && datesOk != 0) {
            return 1;
        }
        return signingTime_ ? kNotValidAtSigningTime : kNotValidNow;
    }
    struct tm utc {};
    gmtime_r(&at, &utc);
    platform::certificates::ChainTime time{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                                           utc.tm_hour,        utc.tm_min,     utc.tm_sec};
    int result = 1;
    if (platform::certificates::checkCertificateChain(context, extra_, time, result) != 0 &&
        result > 0) {
        // No chain could be built at all: such a signer never passes.
        result = -110;
    }
    return result;
}

bool SignerCertificateCheck::check(certificates::QNCertificate& object,
                                   const platform::crypt::Certificate& context,
                                   QNVerifyStatus& status) const {
    int code = outcome(object, context);
    if (code > 0) {
        return true;
    }
    status.setError(code, platform::certificates::chainStatusText(code));
    return false;
}

} // namespace component::verification
