#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace platform::crypt {

using Bytes = std::vector<unsigned char>;

// Builders of DER encodings (definite lengths in their shortest form).
namespace der {

// Appends the length octets of a value of n bytes.
void appendLength(Bytes& out, size_t n);
// The length octets alone.
Bytes length(size_t n);
// tag, length, value.
Bytes tlv(uint8_t tag, const unsigned char* value, size_t n);
Bytes tlv(uint8_t tag, const Bytes& value);
// tag and length of the concatenation of the parts, then the parts.
Bytes constructed(uint8_t tag, std::initializer_list<const Bytes*> parts);
Bytes sequence(std::initializer_list<const Bytes*> parts);
// OBJECT IDENTIFIER from dotted text; CRYPT_E_OID_FORMAT when the text is not one.
Bytes oid(std::string_view dotted);
// The value octets of an OBJECT IDENTIFIER (no tag, no length).
Bytes oidValue(std::string_view dotted);
Bytes octetString(const unsigned char* value, size_t n);
Bytes integer(uint64_t value);
Bytes null();
// An Attribute (X.501) with one value: SEQUENCE { type, SET { value } }.
Bytes attribute(std::string_view type, const Bytes& value);

} // namespace der
} // namespace platform::crypt
