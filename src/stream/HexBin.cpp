#include "stream/HexBin.h"

#include "stream/HexDigits.h"
#include "stream/exceptions/StreamException.h"

namespace stream {

namespace {

// A digit pair as "%02x" reads it: the leading hexadecimal digits of the pair; none gives 0.
unsigned char pairValue(unsigned char first, unsigned char second) {
    int high = hex::digitValue(first);
    if (high < 0) {
        return 0;
    }
    int low = hex::digitValue(second);
    if (low < 0) {
        return static_cast<unsigned char>(high);
    }
    return static_cast<unsigned char>(high * 16 + low);
}

} // namespace

HexBin::HexBin(bool decode, bool upperCase) : decode_(decode), upperCase_(upperCase) {}

std::string HexBin::update(const unsigned char* bytes, size_t n) {
    std::string out;
    update(bytes, n, out);
    return out;
}

std::string HexBin::update(std::string_view bytes) {
    return update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string HexBin::finish() {
    std::string out;
    finish(out);
    return out;
}

void HexBin::update(const unsigned char* bytes, size_t n, std::string& out) {
    if (n == 0) {
        return;
    }
    if (!decode_) {
        const char* digits = upperCase_ ? hex::kUpper : hex::kLower;
        size_t start = out.size();
        out.resize(start + n * 2);
        char* dst = out.data() + start;
        for (size_t i = 0; i < n; ++i) {
            dst[2 * i] = digits[bytes[i] >> 4];
            dst[2 * i + 1] = digits[bytes[i] & 0x0F];
        }
        return;
    }
    size_t i = 0;
    if (hasPending_) {
        out.push_back(static_cast<char>(pairValue(pending_, bytes[0])));
        hasPending_ = false;
        i = 1;
    }
    out.reserve(out.size() + (n - i) / 2);
    for (; i + 1 < n; i += 2) {
        out.push_back(static_cast<char>(pairValue(bytes[i], bytes[i + 1])));
    }
    if (i < n) {
        pending_ = bytes[i];
        hasPending_ = true;
    }
}

void HexBin::finish(std::string& out) {
    if (decode_ && hasPending_) {
        hasPending_ = false;
        throw exceptions::StreamException("Invalid input for decoding HexBin");
    }
}

std::string HexBin::encode(std::string_view bytes, bool upperCase) {
    HexBin codec(false, upperCase);
    return codec.update(bytes);
}

std::string HexBin::decode(std::string_view text) {
    HexBin codec(true);
    std::string out = codec.update(text);
    codec.finish(out);
    return out;
}

} // namespace stream
