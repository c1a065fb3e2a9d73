#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::crypt {

// One DER element inside a buffer the reader does not own: the tag byte, where the element
// starts, the size of its tag and length octets, and its value.
struct DerElement {
    uint8_t tag = 0;
    size_t offset = 0;       // of the tag byte, from the start of the reader's buffer
    size_t headerLength = 0; // tag and length octets
    const unsigned char* value = nullptr;
    size_t length = 0; // of the value

    size_t end() const noexcept { return offset + headerLength + length; }
    size_t totalLength() const noexcept { return headerLength + length; }
    const unsigned char* begin(const unsigned char* base) const noexcept { return base + offset; }
    bool constructed() const noexcept { return (tag & 0x20) != 0; }
    std::vector<unsigned char> valueBytes() const { return {value, value + length}; }
};

// Bounds-checked reader of definite-length DER with single-byte tags (all that PKCS#7, CMS
// and X.509 use). Malformed input raises CryptException CRYPT_E_ASN1_CORRUPT (a length past
// the end or an indefinite length) or CRYPT_E_ASN1_EOD (nothing left); an unexpected tag
// raises CRYPT_E_ASN1_BADTAG.
class DerReader {
public:
    // Reads the elements of [data, data + size); offsets count from base (the start of the
    // whole message) so that nested readers report positions in the message.
    DerReader(const unsigned char* data, size_t size, const unsigned char* base = nullptr);
    // A reader over the value of a constructed element read from this one.
    DerReader inside(const DerElement& element) const;

    bool atEnd() const noexcept { return position_ >= size_; }
    // The tag of the next element, 0 at the end.
    uint8_t peekTag() const noexcept;
    DerElement next();
    // next(), and CRYPT_E_ASN1_BADTAG when its tag is not the one expected.
    DerElement expect(uint8_t tag);
    // Skips the next element when it has this tag; true when it did.
    bool skipIf(uint8_t tag);

private:
    const unsigned char* data_;
    size_t size_;
    const unsigned char* base_;
    size_t position_ = 0;
};

// Dotted text of an OBJECT IDENTIFIER value ("1.2.840.113549.1.7.2"); CRYPT_E_ASN1_CORRUPT
// when the value is malformed.
std::string oidText(const unsigned char* value, size_t length);
std::string oidText(const DerElement& element);
// A non-negative INTEGER value as a number; CRYPT_E_ASN1_CORRUPT when it does not fit.
uint64_t integerValue(const DerElement& element);

} // namespace platform::crypt
