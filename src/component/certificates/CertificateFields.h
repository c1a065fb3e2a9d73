#pragma once

#include <array>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/certificates/CertificateObject.h"

namespace component::certificates {

// The two key usage bytes of a certificate: those after the bit string's padding count in
// extension 2.5.29.15 (the second 0 for a one-byte string), or 0xFF 0x80 when it is absent.
std::array<unsigned char, 2> keyUsageBytes(const platform::crypt::Certificate& certificate);
// The 16 booleans of getKeyUsage: nine usages in order, then seven false.
std::array<bool, 16> keyUsageFlags(const platform::crypt::Certificate& certificate);

// "2010-05-03T14:03:22Z" -> "Mon May 03 14:03:22 CET 2010". Numbers that cannot be read count
// as 0, as atoi gives them, and the moment is normalised.
std::string formatRestrictionDate(const std::string& value);
// A moment as "%Y-%m-%dT%XZ" in local time.
std::string fieldDate(std::time_t t);

// Splits at every "$$$", dropping empty pieces.
std::vector<std::string> splitPieces(const std::string& text);

// The field vocabulary, descriptions and restriction tests of a certificate.
class CertificateFields {
public:
    explicit CertificateFields(const platform::certificates::CertificateObject& certificate);

    std::string fieldValue(const std::string& name) const;
    bool isExpired() const;
    bool isIssuedByTrustEntity(const std::string& entity) const;
    bool matchesRestriction(const std::string& field, const std::string& pattern) const;
    bool
    matchesRestrictions(const std::vector<std::string>& trustEntities,
                        const std::vector<std::pair<std::string, std::string>>& restrictions) const;

    // Rows of getInfo for parallel lists of fields, patterns and constants (each row starts
    // with the field name). Missing patterns or constants count as empty.
    std::vector<std::vector<std::string>> info(const std::vector<std::string>& fields,
                                               const std::vector<std::string>& patterns,
                                               const std::vector<std::string>& constants) const;

    // The 8 describable fields: (field, description).
    static const std::vector<std::pair<std::string, std::string>>& descriptions();

private:
    // The value as restrictions and getInfo compare it: dates reformatted, names in "Java".
    std::string comparableValue(const std::string& field) const;

    const platform::certificates::CertificateObject& certificate_;
};

} // namespace component::certificates
