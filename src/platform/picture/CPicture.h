#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Tells an image's format from its first bytes and, for a JPEG, its pixel size from the
// frame header (in place of the platform picture loader).
class CPicture {
public:
    static constexpr int16_t kUnknown = 0;
    static constexpr int16_t kGif = 1;
    static constexpr int16_t kJpeg = 2;
    static constexpr int16_t kPng = 3;
    static constexpr int16_t kTiff = 4;
    static constexpr int16_t kBmp = 5;

    // The format code of the first bytes; unknown for fewer than 8 bytes.
    static int16_t DetectType(const unsigned char* bytes, size_t length);

    // False for an unknown format; otherwise true, with the type set and, when the frame
    // header is found, the width and height in pixels (0 when they cannot be read).
    bool Load(const unsigned char* bytes, size_t length);

    int32_t GetWidth() const noexcept { return width_; }
    int32_t GetHeight() const noexcept { return height_; }
    int16_t GetType() const noexcept { return type_; }

private:
    void readJpegSize(const unsigned char* bytes, size_t length);

    int32_t width_ = 0;
    int32_t height_ = 0;
    int16_t type_ = kUnknown;
};

} // namespace platform
