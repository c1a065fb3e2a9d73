#include "component/pdf/SignatureValue.h"

#include "stream/HexBin.h"

#include <cstdint>
#include <optional>

namespace component::pdf {

namespace {

constexpr unsigned char kSequence = 0x30;
// Nesting deeper than this is not a signature some signer wrote.
constexpr int kMaxDepth = 64;

bool isPdfWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

// Where the BER element that starts at `at` ends: after its value for a definite length,
// after the end-of-contents octets of an indefinite one (as some signers write their
// messages); none when the element does not end inside the bytes.
std::optional<size_t> elementEnd(std::string_view bytes, size_t at, int depth) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (depth > kMaxDepth || at >= bytes.size()) {
        return std::nullopt;
    }
    const bool constructed = (byte(at) & 0x20) != 0;
    size_t p = at + 1;
    if ((byte(at) & 0x1F) == 0x1F) { // tag number in the following octets
        while (p < bytes.size() && (byte(p) & 0x80) != 0) {
            ++p;
        }
        ++p;
    }
    if (p >= bytes.size()) {
        return std::nullopt;
    }
    const unsigned char first = byte(p++);
    if (first == 0x80) {
        if (!constructed) {
            return std::nullopt;
        }
        while (p + 1 < bytes.size()) {
            if (byte(p) == 0 && byte(p + 1) == 0) {
                return p + 2;
            }
            std::optional<size_t> next = elementEnd(bytes, p, depth + 1);
            if (!next) {
                return std::nullopt;
            }
            p = *next;
        }
        return std::nullopt;
    }
    uint64_t length = first;
    if (first > 0x80) {
        const size_t octets = first & 0x7F;
        if (octets > 4 || p + octets > bytes.size()) {
            return std::nullopt;
        }
        length = 0;
        for (size_t i = 0; i < octets; ++i) {
            length = length << 8 | byte(p + i);
        }
        p += octets;
    }
    if (length > bytes.size() - p) {
        return std::nullopt;
    }
    return p + static_cast<size_t>(length);
}

} // namespace

std::string SignatureValue::fromHex(std::string_view hexText) {
    std::string digits;
    digits.reserve(hexText.size() + 1);
    for (char c : hexText) {
        if (!isPdfWhitespace(c)) {
            digits += c;
        }
    }
    size_t significant = digits.find_last_not_of('0');
    significant = significant == std::string::npos ? 0 : significant + 1;
    if (digits.size() % 2 != 0) {
        digits += '0';
    }
    std::string bytes = stream::HexBin::decode(digits);
    std::optional<size_t> end;
    if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == kSequence) {
        end = elementEnd(bytes, 0, 0);
    }
    // Without a complete SEQUENCE, the placeholder's zeros end the value.
    bytes.resize(end ? *end : (significant + 1) / 2);
    return bytes;
}

} // namespace component::pdf
