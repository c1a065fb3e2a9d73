#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stream {

// Streaming hexadecimal codec. Encoder: two digits per byte ("%02X" or "%02x"). Decoder: digit
// pairs become bytes; an odd digit left at the end of update() waits for the next call;
// finish() with a digit pending raises StreamException "Invalid input for decoding HexBin".
// A pair that is not two hexadecimal digits is read as "%02x" reads it: the leading hex
// digits of the pair (none gives 0).
class HexBin {
public:
    explicit HexBin(bool decode, bool upperCase = true);

    std::string update(const unsigned char* bytes, size_t n);
    std::string update(std::string_view bytes);
    std::string finish();

    void update(const unsigned char* bytes, size_t n, std::string& out);
    void finish(std::string& out);

    static std::string encode(std::string_view bytes, bool upperCase = true);
    static std::string decode(std::string_view text);

private:
    bool decode_;
    bool upperCase_;
    bool hasPending_ = false;
    unsigned char pending_ = 0;
};

} // namespace stream
