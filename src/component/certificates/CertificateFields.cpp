#include "component/certificates/CertificateFields.h"

#include <charconv>

#include <openssl/x509v3.h>

#include "component/certificates/DistinguishedName.h"
#include "component/certificates/XercesRegex.h"
#include "component/module/SettingsTable.h"
#include "stream/HexBin.h"

namespace component::certificates {

namespace {

using platform::crypt::Certificate;

const char* const kUsageNames[9] = {"digitalSignature", "nonRepudiation", "keyEncipherment",
                                    "dataEncipherment", "keyAgreement",   "keyCertSign",
                                    "cRLSign",          "encipherOnly",   "decipherOnly"};

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty()) {
            out += ",";
        }
        out += item;
    }
    return out;
}

std::vector<std::string> policyIdentifiers(const Certificate& certificate) {
    std::vector<std::string> out;
    auto* policies = static_cast<CERTIFICATEPOLICIES*>(
        X509_get_ext_d2i(certificate.x509(), NID_certificate_policies, nullptr, nullptr));
    if (policies == nullptr) {
        return out;
    }
    for (int i = 0; i < sk_POLICYINFO_num(policies); ++i) {
        char buffer[128];
        int n = OBJ_obj2txt(buffer, sizeof buffer, sk_POLICYINFO_value(policies, i)->policyid, 1);
        if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
            out.emplace_back(buffer, static_cast<size_t>(n));
        }
    }
    CERTIFICATEPOLICIES_free(policies);
    return out;
}

// Upper-case hexadecimal of bytes, most significant first.
std::string upperHex(const std::vector<unsigned char>& bytes) {
    return stream::HexBin::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), true);
}

std::string attributeField(const std::string& attribute, const std::string& dn) {
    std::string name =
        transformDN(attribute, true, "Java", module::SettingsTable::instance().get("DNFormat"));
    return getDNAttribute(name, dn);
}

// A number of the text at [at, at+len), 0 when it is not one (as atoi would give).
int numberAt(const std::string& text, size_t at, size_t len) {
    if (at + len > text.size()) {
        return 0;
    }
    int value = 0;
    std::from_chars(text.data() + at, text.data() + at + len, value);
    return value;
}

bool isDateField(const std::string& field) {
    return field == "NotAfter" || field == "NotBefore";
}

} // namespace

std::array<unsigned char, 2> keyUsageBytes(const Certificate& certificate) {
    std::optional<std::vector<unsigned char>> value = certificate.extension("2.5.29.15");
    if (!value) {
        return {0xFF, 0x80};
    }
    const std::vector<unsigned char>& v = *value;
    // BIT STRING: tag, length, padding count, bytes.
    if (v.size() < 4) {
        return {0, 0};
    }
    return {v[3], static_cast<unsigned char>(v.size() >= 5 ? v[4] : 0)};
}

std::array<bool, 16> keyUsageFlags(const Certificate& certificate) {
    std::array<unsigned char, 2> bytes = keyUsageBytes(certificate);
    std::array<bool, 16> flags{};
    for (int i = 0; i < 8; ++i) {
        flags[static_cast<size_t>(i)] = (bytes[0] & (0x80 >> i)) != 0;
    }
    flags[8] = (bytes[1] & 0x80) != 0;
    return flags;
}

std::string fieldDate(std::time_t t) {
    struct tm tm {};
    localtime_r(&t, &tm);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

std::string formatRestrictionDate(const std::string& value) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    struct tm tm {};
    tm.tm_year = numberAt(value, 0, 4) - 1900;
    tm.tm_mon = numberAt(value, 5, 2) - 1;
    tm.tm_mday = numberAt(value, 8, 2);
    tm.tm_hour = numberAt(value, 11, 2);
    tm.tm_min = numberAt(value, 14, 2);
    tm.tm_sec = numberAt(value, 17, 2);
    // Normalise (as mktime would) without the local zone.
    std::time_t t = timegm(&tm);
    struct tm n {};
    gmtime_r(&t, &n);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d CET %d", days[n.tm_wday % 7],
                  months[n.tm_mon % 12], n.tm_mday, n.tm_hour, n.tm_min, n.tm_sec,
                  n.tm_year + 1900);
    return buffer;
}

std::vector<std::string> splitPieces(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t at = text.find("$$$", start);
        std::string piece =
            text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (!piece.empty()) {
            out.push_back(piece);
        }
        if (at == std::string::npos) {
            break;
        }
        start = at + 3;
    }
    return out;
}

CertificateFields::CertificateFields(const platform::certificates::CertificateObject& certificate)
    : certificate_(certificate) {}

std::string CertificateFields::fieldValue(const std::string& name) const {
    if (name.empty()) {
        return {};
    }
    const Certificate& c = *certificate_.certificate();
    if (name == "Extension|2.5.29.15") {
        std::array<bool, 16> flags = keyUsageFlags(c);
        std::vector<std::string> names;
        for (size_t i = 0; i < 9; ++i) {
            if (flags[i]) {
                names.emplace_back(kUsageNames[i]);
            }
        }
        return joined(names);
    }
    if (name == "Extension|2.5.29.37") {
        return joined(c.extendedKeyUsage());
    }
    if (name == "Subject" || name == "SJ") {
        return c.subjectName();
    }
    if (name.rfind("Subject|", 0) == 0) {
        return attributeField(name.substr(8), c.subjectName());
    }
    if (name == "Issuer" || name == "I") {
        return c.issuerName();
    }
    if (name.rfind("Issuer|", 0) == 0) {
        return attributeField(name.substr(7), c.issuerName());
    }
    if (name == "SerialNumber" || name == "SN") {
        return c.serialNumber();
    }
    if (name == "NotAfter" || name == "DT") {
        return fieldDate(c.notAfter());
    }
    if (name == "NotBefore" || name == "DF") {
        return fieldDate(c.notBefore());
    }
    if (name == "SKI") {
        std::optional<std::vector<unsigned char>> ski = c.extension("2.5.29.14");
        return ski ? upperHex(c.keyIdentifier()) : std::string();
    }
    if (name == "AKI") {
        const ASN1_OCTET_STRING* aki = X509_get0_authority_key_id(c.x509());
        if (aki == nullptr) {
            return {};
        }
        const unsigned char* p = ASN1_STRING_get0_data(aki);
        return upperHex(std::vector<unsigned char>(p, p + ASN1_STRING_length(aki)));
    }
    if (name == "Extension|2.5.29.32") {
        return joined(policyIdentifiers(c));
    }
    return {};
}

bool CertificateFields::isExpired() const {
    const Certificate& c = *certificate_.certificate();
    std::time_t now = std::time(nullptr);
    return !(c.notBefore() <= now && now <= c.notAfter());
}

std::string CertificateFields::comparableValue(const std::string& field) const {
    std::string value = fieldValue(field);
    if (isDateField(field)) {
        return formatRestrictionDate(value);
    }
    return transformDN(value, false, platformFlavour(), "Java");
}

bool CertificateFields::isIssuedByTrustEntity(const std::string& entity) const {
    std::string issuer =
        transformDN(certificate_.certificate()->issuerName(), false, platformFlavour(), "Java");
    std::string pattern;
    for (char ch : issuer) {
        if (ch == '(') {
            pattern += "[(]";
        } else if (ch == ')') {
            pattern += "[)]";
        } else {
            pattern += ch;
        }
    }
    if (XercesRegex(pattern).matches(entity)) {
        return true;
    }
    auto clean = [](std::string s) {
        std::erase(s, ' ');
        std::erase(s, '"');
        return s;
    };
    return XercesRegex(clean(pattern)).matches(clean(entity));
}

bool CertificateFields::matchesRestriction(const std::string& field,
                                           const std::string& pattern) const {
    std::string value = comparableValue(field);
    if (value.empty()) {
        return false;
    }
    return XercesRegex(pattern).matches(value);
}

bool CertificateFields::matchesRestrictions(
    const std::vector<std::string>& trustEntities,
    const std::vector<std::pair<std::string, std::string>>& restrictions) const {
    bool result = false;
    for (size_t k = 0; k < trustEntities.size(); ++k) {
        if (!isIssuedByTrustEntity(trustEntities[k])) {
            continue;
        }
        result = true;
        if (k < restrictions.size()) {
            std::vector<std::string> fields = splitPieces(restrictions[k].first);
            std::vector<std::string> values = splitPieces(restrictions[k].second);
            for (size_t j = 0; j < fields.size(); ++j) {
                // A field without a value piece cannot be met.
                result = result && j < values.size() && matchesRestriction(fields[j], values[j]);
            }
        }
    }
    return result;
}

std::vector<std::vector<std::string>>
CertificateFields::info(const std::vector<std::string>& fields,
                        const std::vector<std::string>& patterns,
                        const std::vector<std::string>& constants) const {
    std::vector<std::vector<std::string>> rows;
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string pattern = i < patterns.size() ? patterns[i] : std::string();
        const std::string constant = i < constants.size() ? constants[i] : std::string();
        XercesRegex regex(pattern);
        std::string value = comparableValue(fields[i]);
        std::optional<std::vector<std::string>> groups = regex.groups(value);
        if (!groups) {
            continue;
        }
        std::vector<std::string> row{fields[i]};
        if (groups->size() > 1) {
            for (size_t g = 1; g < groups->size(); ++g) {
                row.push_back(constant.empty() ? (*groups)[g] : constant);
            }
        } else {
            row.push_back(constant.empty() ? value : constant);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const std::vector<std::pair<std::string, std::string>>& CertificateFields::descriptions() {
    static const std::vector<std::pair<std::string, std::string>> rows = {
        {"Subject", "Subject"},
        {"Subject|SERIALNUMBER", "Subject - Número de serie del asunto"},
        {"Extension|2.5.29.15", "Uso de la clave"},
        {"Extension|2.5.29.37", "Uso mejorado de claves"},
        {"Extension|2.5.29.32", "Certificate Policies"},
        {"Issuer", "Issuer"},
        {"NotAfter", "Fin Validez"},
        {"NotBefore", "Inicio Validez"},
    };
    return rows;
}

} // namespace component::certificates
