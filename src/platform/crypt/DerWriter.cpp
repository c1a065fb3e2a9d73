#include "platform/crypt/DerWriter.h"

#include <charconv>

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt::der {

void appendLength(Bytes& out, size_t n) {
    if (n < 0x80) {
        out.push_back(static_cast<unsigned char>(n));
        return;
    }
    unsigned char octets[sizeof(size_t)];
    size_t count = 0;
    for (size_t v = n; v != 0; v >>= 8) {
        octets[count++] = static_cast<unsigned char>(v & 0xFF);
    }
    out.push_back(static_cast<unsigned char>(0x80 | count));
    while (count > 0) {
        out.push_back(octets[--count]);
    }
}

Bytes length(size_t n) {
    Bytes out;
    appendLength(out, n);
    return out;
}

Bytes tlv(uint8_t tag, const unsigned char* value, size_t n) {
    Bytes out;
    out.reserve(n + 10);
    out.push_back(tag);
    appendLength(out, n);
    out.insert(out.end(), value, value + n);
    return out;
}

Bytes tlv(uint8_t tag, const Bytes& value) {
    return tlv(tag, value.data(), value.size());
}

Bytes constructed(uint8_t tag, std::initializer_list<const Bytes*> parts) {
    size_t n = 0;
    for (const Bytes* part : parts) {
        n += part->size();
    }
    Bytes out;
    out.reserve(n + 10);
    out.push_back(tag);
    appendLength(out, n);
    for (const Bytes* part : parts) {
        out.insert(out.end(), part->begin(), part->end());
    }
    return out;
}

Bytes sequence(std::initializer_list<const Bytes*> parts) {
    return constructed(0x30, parts);
}

Bytes oidValue(std::string_view dotted) {
    std::vector<uint64_t> arcs;
    const char* p = dotted.data();
    const char* end = p + dotted.size();
    while (p < end) {
        uint64_t arc = 0;
        auto [next, ec] = std::from_chars(p, end, arc);
        if (ec != std::errc() || next == p || (next < end && *next != '.') ||
            (next + 1 == end && *next == '.')) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_OID_FORMAT);
        }
        arcs.push_back(arc);
        p = next < end ? next + 1 : end;
    }
    if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40) ||
        arcs[1] > UINT64_MAX - 80) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_OID_FORMAT);
    }
    Bytes out;
    auto put = [&out](uint64_t v) {
        unsigned char groups[10];
        size_t count = 0;
        do {
            groups[count++] = static_cast<unsigned char>(v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (count > 1) {
            out.push_back(static_cast<unsigned char>(groups[--count] | 0x80));
        }
        out.push_back(groups[0]);
    };
    put(arcs[0] * 40 + arcs[1]);
    for (size_t i = 2; i < arcs.size(); ++i) {
        put(arcs[i]);
    }
    return out;
}

Bytes oid(std::string_view dotted) {
    return tlv(0x06, oidValue(dotted));
}

Bytes octetString(const unsigned char* value, size_t n) {
    return tlv(0x04, value, n);
}

Bytes integer(uint64_t value) {
    Bytes v;
    do {
        v.insert(v.begin(), static_cast<unsigned char>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if (v[0] & 0x80) {
        v.insert(v.begin(), 0);
    }
    return tlv(0x02, v);
}

Bytes null() {
    return Bytes{0x05, 0x00};
}

Bytes attribute(std::string_view type, const Bytes& value) {
    Bytes oid = der::oid(type);
    Bytes values = tlv(0x31, value);
    return sequence({&oid, &values});
}

} // namespace platform::crypt::der
