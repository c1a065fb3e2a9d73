#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stream {

// Streaming Base64 codec (RFC 4648 alphabet, no line breaks when encoding). Each update()
// returns only what that call produced; the caller concatenates the outputs. The appending
// overloads write into the caller's string instead (no intermediate copy).
//
// Encoder: keeps up to two pending bytes; finish() pads with "=" and resets.
// Decoder: skips every character outside the alphabet ("=", blanks, line breaks); keeps up to
// three pending characters; finish() turns 2 pending characters into 1 byte, 3 into 2.
class Base64 {
public:
    enum Mode { ENCODE = 0, DECODE = 1 };

    // bufferLength is the initial capacity of the output; 0 raises StreamException
    // "Invalid buffer length(0). Must be a positive value.".
    explicit Base64(int mode, size_t bufferLength = 4096);

    std::string update(const unsigned char* bytes, size_t n);
    std::string update(std::string_view bytes);
    std::string finish();

    void update(const unsigned char* bytes, size_t n, std::string& out);
    void finish(std::string& out);

    // Decoding straight into the caller's storage, from narrow text or from UTF-16 units (a
    // unit above 0xFF is outside the alphabet like any other character). out must have room
    // for decodeRoom(n) bytes; returns the bytes written. finishInto writes at most 2 bytes.
    // Both raise StreamException on an encoder.
    size_t decodeRoom(size_t n) const noexcept { return (pendingCount_ + n) / 4 * 3; }
    size_t decodeInto(const unsigned char* text, size_t n, unsigned char* out);
    size_t decodeInto(const char16_t* text, size_t n, unsigned char* out);
    size_t finishInto(unsigned char* out);

    // One-shot helpers.
    static std::string encode(std::string_view bytes);
    static std::string decode(std::string_view text);
    // The text of encode() in lines of 64 characters joined by lineBreak, with no break after
    // the last line: the form certificates and digests are written in for XML and PEM-like
    // exports.
    static std::string encodeLines(const unsigned char* bytes, size_t n,
                                   std::string_view lineBreak);

private:
    void encodeUpdate(const unsigned char* bytes, size_t n, std::string& out);
    void decodeUpdate(const unsigned char* bytes, size_t n, std::string& out);
    template <typename Unit> size_t decodeUnits(const Unit* text, size_t n, unsigned char* dst);
    void requireDecoder() const;
    void ensureRoom(std::string& out, size_t extra) const;

    int mode_;
    size_t bufferLength_;
    unsigned char pending_[4] = {0, 0, 0, 0};
    size_t pendingCount_ = 0;
};

} // namespace stream
