#include "platform/certificates/ChainValidation.h"

#include <ctime>

#include "platform/crypt/ChainEngine.h"
#include "platform/stores/FolderStore.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

namespace platform::certificates {

namespace {

struct BitOutcome {
    uint32_t bit;
    int code;
    const char* text;
};

constexpr BitOutcome kOutcomes[] = {
    {crypt::trust::NOT_TIME_VALID, -101,
     "This certificate or one of the certificates in the certificate chain is not time-valid."},
    {crypt::trust::NOT_TIME_NESTED, -103,
     "Certificates in the chain are not properly time-nested.\n"},
    {crypt::trust::IS_REVOKED, -104,
     "Trust for this certificate or one of the certificates in the certificate chain has been "
     "revoked."},
    {crypt::trust::NOT_SIGNATURE_VALID, -105,
     "The certificate or one of the certificates in the certificate chain does not have a valid "
     "signature."},
    {crypt::trust::NOT_VALID_FOR_USAGE, -106,
     "The certificate or certificate chain is not valid in its proposed usage."},
    {crypt::trust::IS_UNTRUSTED_ROOT, -107,
     "The certificate or certificate chain is based on an untrusted root."},
    {crypt::trust::REVOCATION_STATUS_UNKNOWN, -108,
     "The revocation status of the certificate or one of the certificates in the certificate "
     "chain is unknown."},
    {crypt::trust::IS_CYCLIC, -109,
     "One of the certificates in the chain was issued by a certification authority that the "
     "original certificate had certified."},
    {crypt::trust::IS_PARTIAL_CHAIN, -110, "The certificate chain is not complete."},
    {crypt::trust::CTL_IS_NOT_TIME_VALID, -111,
     "A CTL used to create this chain was not time-valid."},
    {crypt::trust::CTL_IS_NOT_SIGNATURE_VALID, -112,
     "A CTL used to create this chain did not have a valid signature."},
    {crypt::trust::CTL_IS_NOT_VALID_FOR_USAGE, -113,
     "A CTL used to create this chain is not valid for this usage."},
};

void logError(const std::string& text) {
    stream::Log::instance().log(stream::LOG_ERROR, text);
}

// The time, or nullopt when it is not a real moment.
std::optional<std::time_t> toEpoch(const ChainTime& t) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > days[t.month - 1] || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
        t.second < 0 || t.second > 59) {
        return std::nullopt;
    }
    bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.month == 2 && t.day == 29 && !leap) {
        return std::nullopt;
    }
    struct tm tm {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return timegm(&tm);
}

} // namespace

std::vector<crypt::CertificatePtr> trustedRoots() {
    std::vector<crypt::CertificatePtr> roots;
    for (stores::StoreLocation location :
         {stores::StoreLocation::CurrentUser, stores::StoreLocation::LocalMachine}) {
        std::vector<crypt::CertificatePtr> some =
            stores::FolderStore::open(location, "ROOT", true)->certificates();
        roots.insert(roots.end(), some.begin(), some.end());
    }
    return roots;
}

int outcomeOfTrustErrors(uint32_t trustErrors, bool logProblems) {
    int outcome = 1;
    for (const BitOutcome& entry : kOutcomes) {
        if ((trustErrors & entry.bit) != 0) {
            if (logProblems) {
                logError(entry.text);
            }
            outcome = entry.code;
        }
    }
    return outcome;
}

int checkCertificateChain(const crypt::Certificate& certificate,
                          const std::vector<crypt::CertificatePtr>& extra, const ChainTime& time,
                          int& outcome) {
    return checkCertificateChain(certificate, extra, time, trustedRoots(), outcome);
}

int checkCertificateChain(const crypt::Certificate& certificate,
                          const std::vector<crypt::CertificatePtr>& extra, const ChainTime& time,
                          const std::vector<crypt::CertificatePtr>& roots, int& outcome) {
    std::optional<std::time_t> at = toEpoch(time);
    if (!at) {
        logError("Error parseando la fecha con la que comprobar la validez");
        at = std::time(nullptr);
    }
    outcome = 1;
    crypt::ChainResult result;
    try {
        result = crypt::ChainEngine(roots).build(certificate, extra, *at);
    } catch (const std::exception&) {
        logError("Error creating signer certificate chain.");
        // No chain at all must not pass: it counts as an incomplete chain.
        outcome = -110;
        return -101;
    }
    outcome = outcomeOfTrustErrors(result.trustErrors, true);
    return 0;
}

std::string chainStatusText(int code) {
    switch (code) {
    case 0:
        return "No ha habido errores.";
    case -101:
        return "Alguno de los certificados en la ruta de verificación no es válido para la fecha "
               "en la que se hizo la firma";
    case -102:
        return "Alguno de los certificados en la ruta de verificación no es válido en la fecha "
               "actual.";
    case -103:
        return "Alguno de los certificados en la ruta de verificación no está correctamente "
               "encadenado en el tiempo.";
    case -104:
        return "Alguno de los certificados en la ruta de verificación ha sido revocado.";
    case -105:
        return "Alguno de los certificados en la ruta de verificación no es válido.";
    case -106:
        return "Alguno de los certificados en la ruta de verificación no es válido para el "
               "proposito seleccionado.";
    case -107:
        return "Alguno de los certificados en la ruta de verificación ha sido firmado por una CA "
               "que no es de confianza.";
    case -108:
        return "El estado de revocación de alguno de los certificados en la ruta de verificación "
               "es desconocido.";
    case -109:
        return "Se ha generado una cadena de verificación de certificados cíclica";
    case -110:
        return "La cadena de verificación de certificados no está completa.";
    case -111:
        return "La CTL usada para crear esta cadena no es válida en la fecha actual.";
    case -112:
        return "La CTL usada para crear esta cadena no es válida.";
    default:
        return {};
    }
}

} // namespace platform::certificates
