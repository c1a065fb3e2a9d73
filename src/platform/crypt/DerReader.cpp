#include "platform/crypt/DerReader.h"

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt {

DerReader::DerReader(const unsigned char* data, size_t size, const unsigned char* base)
    : data_(data), size_(size), base_(base == nullptr ? data : base) {}

DerReader DerReader::inside(const DerElement& element) const {
    return DerReader(element.value, element.length, base_);
}

uint8_t DerReader::peekTag() const noexcept {
    return atEnd() ? 0 : data_[position_];
}

DerElement DerReader::next() {
    if (atEnd()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_EOD);
    }
    size_t left = size_ - position_;
    const unsigned char* p = data_ + position_;
    if (left < 2 || (p[0] & 0x1F) == 0x1F) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    size_t header = 2;
    size_t length = p[1];
    if (length & 0x80) {
        size_t count = length & 0x7F;
        // 0x80 is the indefinite form (BER only); more than 8 octets cannot be a size.
        if (count == 0 || count > sizeof(size_t) || left < 2 + count) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
        length = 0;
        for (size_t i = 0; i < count; ++i) {
            length = (length << 8) | p[2 + i];
        }
        header += count;
    }
    if (length > left - header) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    DerElement element;
    element.tag = p[0];
    element.offset = static_cast<size_t>(p - base_);
    element.headerLength = header;
    element.value = p + header;
    element.length = length;
    position_ += header + length;
    return element;
}

DerElement DerReader::expect(uint8_t tag) {
    if (peekTag() != tag) {
        raiseCrypt(__FILE__, __LINE__,
                   atEnd() ? errors::CRYPT_E_ASN1_EOD : errors::CRYPT_E_ASN1_BADTAG);
    }
    return next();
}

bool DerReader::skipIf(uint8_t tag) {
    if (atEnd() || peekTag() != tag) {
        return false;
    }
    next();
    return true;
}

std::string oidText(const unsigned char* value, size_t length) {
    if (length == 0 || (value[length - 1] & 0x80) != 0) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    std::string out;
    uint64_t arc = 0;
    bool first = true;
    for (size_t i = 0; i < length; ++i) {
        if (arc > (UINT64_MAX >> 7)) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
        arc = (arc << 7) | (value[i] & 0x7F);
        if (value[i] & 0x80) {
            continue;
        }
        if (first) {
            uint64_t top = arc < 40 ? 0 : (arc < 80 ? 1 : 2);
            out = std::to_string(top) + "." + std::to_string(arc - top * 40);
            first = false;
        } else {
            out += "." + std::to_string(arc);
        }
        arc = 0;
    }
    return out;
}

std::string oidText(const DerElement& element) {
    if (element.tag != 0x06) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return oidText(element.value, element.length);
}

uint64_t integerValue(const DerElement& element) {
    if (element.tag != 0x02 || element.length == 0 || (element.value[0] & 0x80) != 0) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    size_t i = 0;
    while (i + 1 < element.length && element.value[i] == 0) {
        ++i;
    }
    if (element.length - i > sizeof(uint64_t)) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    uint64_t v = 0;
    for (; i < element.length; ++i) {
        v = (v << 8) | element.value[i];
    }
    return v;
}

} // namespace platform::crypt
