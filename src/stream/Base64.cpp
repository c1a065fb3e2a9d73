#include "stream/Base64.h"

#include <cstdint>
#include <limits>

#include "stream/Base64Alphabet.h"
#include "stream/exceptions/StreamException.h"

namespace stream {

namespace {

constexpr size_t kMaxBufferLength = static_cast<size_t>(std::numeric_limits<int32_t>::max());

} // namespace

Base64::Base64(int mode, size_t bufferLength) : mode_(mode), bufferLength_(bufferLength) {
    if (bufferLength == 0 || bufferLength > kMaxBufferLength) {
        // A negative length passed through an unsigned parameter prints as its signed value.
        throw exceptions::StreamException("Invalid buffer length(" +
                                          std::to_string(static_cast<int64_t>(bufferLength)) +
                                          "). Must be a positive value.");
    }
    if (mode != ENCODE && mode != DECODE) {
        throw exceptions::StreamException("Invalid Base64 mode(" + std::to_string(mode) +
                                          "). Must be 0 (encode) or 1 (decode).");
    }
}

void Base64::ensureRoom(std::string& out, size_t extra) const {
    size_t needed = out.size() + extra;
    if (needed <= out.capacity()) {
        return;
    }
    size_t grown = out.capacity() < bufferLength_ ? bufferLength_ : out.capacity();
    while (grown < needed) {
        grown = grown > std::numeric_limits<size_t>::max() / 2 ? needed : grown * 2;
    }
    out.reserve(grown);
}

std::string Base64::update(const unsigned char* bytes, size_t n) {
    std::string out;
    update(bytes, n, out);
    return out;
}

std::string Base64::update(std::string_view bytes) {
    return update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Base64::finish() {
    std::string out;
    finish(out);
    return out;
}

void Base64::update(const unsigned char* bytes, size_t n, std::string& out) {
    if (n == 0) {
        return;
    }
    if (mode_ == ENCODE) {
        encodeUpdate(bytes, n, out);
    } else {
        decodeUpdate(bytes, n, out);
    }
}

void Base64::encodeUpdate(const unsigned char* bytes, size_t n, std::string& out) {
    size_t total = pendingCount_ + n;
    ensureRoom(out, total / 3 * 4);
    size_t start = out.size();
    out.resize(start + total / 3 * 4);
    char* dst = out.data() + start;

    // Complete the pending group first.
    if (pendingCount_ > 0) {
        while (pendingCount_ < 3 && n > 0) {
            pending_[pendingCount_++] = *bytes++;
            --n;
        }
        if (pendingCount_ < 3) {
            return;
        }
        dst += base64::encodeGroups(pending_, 3, dst);
        pendingCount_ = 0;
    }
    size_t whole = n - n % 3;
    base64::encodeGroups(bytes, whole, dst);
    for (size_t i = whole; i < n; ++i) {
        pending_[pendingCount_++] = bytes[i];
    }
}

void Base64::decodeUpdate(const unsigned char* bytes, size_t n, std::string& out) {
    size_t room = decodeRoom(n);
    ensureRoom(out, room);
    size_t start = out.size();
    out.resize(start + room);
    size_t written = decodeUnits(bytes, n, reinterpret_cast<unsigned char*>(out.data()) + start);
    out.resize(start + written);
}

namespace {

// The value of a character in the alphabet, 0xFF (bit 7 set) for any other.
inline uint8_t valueOf(unsigned char c) {
    return base64::kDecode[c];
}
inline uint8_t valueOf(char16_t c) {
    return c < 0x100 ? base64::kDecode[c] : 0xFF;
}

inline void putGroup(unsigned char* dst, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
    dst[0] = static_cast<unsigned char>(v >> 16);
    dst[1] = static_cast<unsigned char>(v >> 8);
    dst[2] = static_cast<unsigned char>(v);
}

} // namespace

template <typename Unit>
size_t Base64::decodeUnits(const Unit* text, size_t n, unsigned char* dst) {
    unsigned char* const begin = dst;
    size_t i = 0;
    while (i < n) {
        // Fast path: four alphabet characters in a row with nothing pending.
        if (pendingCount_ == 0) {
            while (i + 4 <= n) {
                uint8_t a = valueOf(text[i]);
                uint8_t b = valueOf(text[i + 1]);
                uint8_t c = valueOf(text[i + 2]);
                uint8_t d = valueOf(text[i + 3]);
                if ((a | b | c | d) & 0x80) {
                    break;
                }
                putGroup(dst, a, b, c, d);
                dst += 3;
                i += 4;
            }
            if (i >= n) {
                break;
            }
        }
        uint8_t value = valueOf(text[i++]);
        if (value & 0x80) {
            continue; // outside the alphabet: skipped wherever it occurs
        }
        pending_[pendingCount_++] = value;
        if (pendingCount_ == 4) {
            putGroup(dst, pending_[0], pending_[1], pending_[2], pending_[3]);
            dst += 3;
            pendingCount_ = 0;
        }
    }
    return static_cast<size_t>(dst - begin);
}

void Base64::requireDecoder() const {
    if (mode_ != DECODE) {
        throw exceptions::StreamException("Base64: decoding asked of an encoder.");
    }
}

size_t Base64::decodeInto(const unsigned char* text, size_t n, unsigned char* out) {
    requireDecoder();
    return decodeUnits(text, n, out);
}

size_t Base64::decodeInto(const char16_t* text, size_t n, unsigned char* out) {
    requireDecoder();
    return decodeUnits(text, n, out);
}

size_t Base64::finishInto(unsigned char* out) {
    requireDecoder();
    size_t written = 0;
    if (pendingCount_ >= 2) {
        uint32_t v = (uint32_t(pending_[0]) << 18) | (uint32_t(pending_[1]) << 12);
        if (pendingCount_ == 3) {
            v |= uint32_t(pending_[2]) << 6;
        }
        out[written++] = static_cast<unsigned char>(v >> 16);
        if (pendingCount_ == 3) {
            out[written++] = static_cast<unsigned char>((v >> 8) & 0xFF);
        }
    }
    pendingCount_ = 0;
    return written;
}

void Base64::finish(std::string& out) {
    if (mode_ == ENCODE) {
        if (pendingCount_ > 0) {
            char tail[4];
            base64::encodeTail(pending_, pendingCount_, tail);
            out.append(tail, 4);
        }
    } else {
        unsigned char tail[2];
        out.append(reinterpret_cast<const char*>(tail), finishInto(tail));
    }
    pendingCount_ = 0;
}

std::string Base64::encode(std::string_view bytes) {
    Base64 codec(ENCODE);
    std::string out;
    codec.update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
    codec.finish(out);
    return out;
}

std::string Base64::encodeLines(const unsigned char* bytes, size_t n, std::string_view lineBreak) {
    constexpr size_t kLine = 64;
    const std::string text = encode(std::string_view(reinterpret_cast<const char*>(bytes), n));
    std::string out;
    out.reserve(text.size() + text.size() / kLine * lineBreak.size());
    for (size_t at = 0; at < text.size(); at += kLine) {
        if (at != 0) {
            out.append(lineBreak);
        }
        out.append(text, at, kLine);
    }
    return out;
}

std::string Base64::decode(std::string_view text) {
    Base64 codec(DECODE);
    std::string out;
    codec.update(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
    codec.finish(out);
    return out;
}

} // namespace stream
