#include "platform/picture/CPicture.h"

#include "stream/Log.h"
#include "stream/LogLevel.h"

#include <cstring>

namespace platform {

int16_t CPicture::DetectType(const unsigned char* bytes, size_t length) {
    if (bytes == nullptr || length < 8) {
        return kUnknown;
    }
    if (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0) {
        return kGif;
    }
    if (bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        return kJpeg;
    }
    static const unsigned char png[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(bytes, png, 8) == 0) {
        return kPng;
    }
    if (std::memcmp(bytes, "II", 2) == 0 || std::memcmp(bytes, "MM", 2) == 0) {
        return kTiff;
    }
    if (std::memcmp(bytes, "BM", 2) == 0) {
        return kBmp;
    }
    return kUnknown;
}

bool CPicture::Load(const unsigned char* bytes, size_t length) {
    stream::Log& log = stream::Log::instance();
    if (log.enabled(stream::LOG_INFO)) {
        log.log(stream::LOG_INFO, "CPicture::Load()  :: Entrando.");
    }
    width_ = 0;
    height_ = 0;
    type_ = kUnknown;
    int16_t type = DetectType(bytes, length);
    if (type == kUnknown) {
        return false;
    }
    if (type == kJpeg) {
        readJpegSize(bytes, length);
    }
    type_ = type;
    return true;
}

void CPicture::readJpegSize(const unsigned char* bytes, size_t length) {
    // Walk the marker segments after SOI up to the first start-of-frame marker.
    size_t pos = 2;
    while (pos + 4 <= length) {
        if (bytes[pos] != 0xFF) {
            return;
        }
        unsigned char marker = bytes[pos + 1];
        if (marker == 0xFF) {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2; // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return; // end of image or start of scan before any frame header
        }
        size_t segment = (static_cast<size_t>(bytes[pos + 2]) << 8) | bytes[pos + 3];
        if (segment < 2) {
            return;
        }
        bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (segment < 7 || pos + 2 + 7 > length) {
                return;
            }
            const unsigned char* header = bytes + pos + 4; // precision, height, width
            height_ = (header[1] << 8) | header[2];
            width_ = (header[3] << 8) | header[4];
            return;
        }
        pos += 2 + segment;
    }
}

} // namespace platform
