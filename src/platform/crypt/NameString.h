#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <openssl/x509.h>

namespace platform::crypt {

// String types and flags of the Windows name conversions (CertNameToStr / CertStrToName).
namespace name_str {
constexpr uint32_t SIMPLE = 1; // values only
constexpr uint32_t OID = 2;    // "2.5.4.3=Juan"
constexpr uint32_t X500 = 3;   // "CN=Juan"
constexpr uint32_t SEMICOLON_FLAG = 0x40000000;
constexpr uint32_t NO_PLUS_FLAG = 0x20000000;
constexpr uint32_t NO_QUOTING_FLAG = 0x10000000;
constexpr uint32_t CRLF_FLAG = 0x08000000;
constexpr uint32_t COMMA_FLAG = 0x04000000;
constexpr uint32_t REVERSE_FLAG = 0x02000000;
constexpr uint32_t ENABLE_T61_UNICODE_FLAG = 0x00020000;
constexpr uint32_t ENABLE_UTF8_UNICODE_FLAG = 0x00040000;
} // namespace name_str

// CRYPT_E_INVALID_X500_STRING: the text is not a name.
constexpr uint32_t CRYPT_E_INVALID_X500_STRING = 0x80092029;

// Renders a name as CertNameToStr does: relative distinguished names in encoding order
// (most specific last) unless REVERSE_FLAG, joined by ", " (or "; ", "\r\n" with the flags),
// multi-valued ones by " + "; values that hold , + = " < > # ; a line break, or leading or
// trailing spaces (or are empty) are double-quoted with inner quotes doubled. X500 names
// attributes the "MsSP3" way (CN, O, OU, L, S, C, E, SERIALNUMBER, G, I, SN, T, ...), unknown
// ones "OID.<dotted>". Values are UTF-8.
std::string nameToString(const X509_NAME* name, uint32_t strType);
std::string nameToString(const std::vector<unsigned char>& der, uint32_t strType);

// Parses a name text as CertStrToName does and returns its DER encoding. Attribute keys are
// X500 names (case-insensitive), "OID.<dotted>" or a dotted OID. Values are encoded as
// PrintableString when they fit, IA5String for E and DC, else T61String (when every character
// is at most U+00FF and ENABLE_T61_UNICODE_FLAG is set), UTF8String (with
// ENABLE_UTF8_UNICODE_FLAG) or BMPString. REVERSE_FLAG reverses the order of the names.
// Raises CryptException CRYPT_E_INVALID_X500_STRING on a malformed text.
std::vector<unsigned char> stringToName(const std::string& text, uint32_t strType);

// The X500 key of an attribute OID ("CN", "SERIALNUMBER", ...), empty when it has none.
std::string attributeKey(const std::string& dottedOid);

} // namespace platform::crypt
