#include "stream/RawCodecs.h"

#include <cstring>
#include <vector>

#include "stream/Base64Alphabet.h"
#include "stream/Base64Vector.h"
#include "stream/HexDigits.h"

namespace stream {

size_t base64EncodeRaw(char* dst, const unsigned char* src, size_t n) {
    return base64::encodeAll(dst, src, n);
}

size_t base64EncodeRawWide(char16_t* dst, const unsigned char* src, size_t n) {
    size_t done = dst != nullptr ? base64::encodeWideVector(src, n, dst) : 0;
    return done / 3 * 4 +
           base64::encodeAll(dst == nullptr ? nullptr : dst + done / 3 * 4, src + done, n - done);
}

size_t base64EncodeRaw(char* dst, const std::vector<std::string_view>& pieces) {
    size_t total = 0;
    for (std::string_view piece : pieces) {
        total += piece.size();
    }
    if (dst == nullptr) {
        return base64::encodeAll<char>(nullptr, nullptr, total);
    }
    char* write = dst;
    unsigned char carry[3];
    size_t carried = 0;
    for (std::string_view piece : pieces) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
        size_t n = piece.size();
        // Complete a group left over from the previous piece.
        while (carried > 0 && n > 0) {
            carry[carried++] = *bytes++;
            --n;
            if (carried == 3) {
                write += base64::encodeGroups(carry, 3, write);
                carried = 0;
            }
        }
        write += base64::encodeGroups(bytes, n, write);
        for (size_t i = n / 3 * 3; i < n; ++i) {
            carry[carried++] = bytes[i];
        }
    }
    if (carried > 0) {
        base64::encodeTail(carry, carried, write);
    }
    return base64::encodeAll<char>(nullptr, nullptr, total);
}

size_t base64DecodeRawEstimate(std::string_view text) {
    size_t estimate = text.size() / 4 * 3;
    if (!text.empty() && text.back() == '=') {
        if (estimate > 0) {
            --estimate;
        }
        if (text.size() >= 2 && text[text.size() - 2] == '=' && estimate > 0) {
            --estimate;
        }
    }
    return estimate;
}

std::optional<std::string> base64DecodeRaw(std::string_view text) {
    std::string out;
    out.reserve(base64DecodeRawEstimate(text) + 3);
    char group[4];
    size_t count = 0;
    for (char c : text) {
        bool kept = c == '=' || base64::kDecode[static_cast<unsigned char>(c)] != 0xFF;
        if (!kept) {
            continue;
        }
        group[count++] = c;
        if (count < 4) {
            continue;
        }
        count = 0;
        // A "=" inside the group counts as value 0; the group's end decides the byte count.
        uint32_t v = 0;
        for (char g : group) {
            uint8_t value = g == '=' ? 0 : base64::kDecode[static_cast<unsigned char>(g)];
            v = (v << 6) | value;
        }
        size_t bytes = group[3] != '=' ? 3 : (group[2] == '=' ? 1 : 2);
        out.push_back(static_cast<char>(v >> 16));
        if (bytes > 1) {
            out.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
        if (bytes > 2) {
            out.push_back(static_cast<char>(v & 0xFF));
        }
    }
    if (count != 0) {
        return std::nullopt;
    }
    return out;
}

size_t hexToBytes(std::string_view text, unsigned char* out, size_t outSize) {
    bool roomy = outSize >= text.size() / 2 + text.size() % 2; // outSize * 2 >= length
    if (!roomy || out == nullptr) {
        return 0;
    }
    std::memset(out, 0, outSize);
    for (size_t i = 0; i < text.size(); ++i) {
        int value = hex::digitValue(static_cast<unsigned char>(text[i]));
        if (value < 0) {
            return 0;
        }
        if (i % 2 == 0) {
            out[i / 2] = static_cast<unsigned char>(value << 4);
        } else {
            out[i / 2] |= static_cast<unsigned char>(value);
        }
    }
    return text.size() / 2;
}

size_t bytesToDecimalRoom(size_t n) {
    // Every byte adds at most log10(256) < 2.41 digits; 3 per byte is always enough, plus
    // one digit for the empty or zero input and the terminator.
    return n * 3 + 2;
}

size_t bytesToDecimal(const unsigned char* bytes, size_t n, char* out) {
    // Double dabble: one decimal digit per work byte, least significant digit first.
    std::vector<unsigned char> digits(1, 0);
    for (size_t i = 0; i < n; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            for (unsigned char& d : digits) {
                if (d >= 5) {
                    d = static_cast<unsigned char>(d + 3);
                }
            }
            unsigned carry = (bytes[i] >> bit) & 1u;
            for (unsigned char& d : digits) {
                unsigned shifted = (static_cast<unsigned>(d) << 1) | carry;
                carry = shifted >> 4;
                d = static_cast<unsigned char>(shifted & 0x0F);
            }
            if (carry) {
                digits.push_back(1); // the top digit overflowed: a new digit 1 in front
            }
        }
    }
    size_t top = digits.size();
    while (top > 1 && digits[top - 1] == 0) {
        --top;
    }
    for (size_t i = 0; i < top; ++i) {
        out[i] = static_cast<char>('0' + digits[top - 1 - i]);
    }
    out[top] = '\0';
    return top - 1;
}

std::string bytesToDecimal(const unsigned char* bytes, size_t n) {
    std::string out(bytesToDecimalRoom(n), '\0');
    size_t last = bytesToDecimal(bytes, n, out.data());
    out.resize(last + 1);
    return out;
}

std::unique_ptr<char[]> duplicateString(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t length = std::strlen(text);
    std::unique_ptr<char[]> copy(new char[length + 1]()); // zero-filled
    std::memcpy(copy.get(), text, length);
    return copy;
}

} // namespace stream
