#include "component/pdf/FlateDecoder.h"

#include "component/pdf/PdfParseException.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace component::pdf {

namespace {

constexpr size_t kChunk = 64 * 1024;

// The inflate state, released whatever way the decoding ends.
class Inflater {
public:
    Inflater() {
        if (inflateInit(&stream_) != Z_OK) {
            throw PdfParseException();
        }
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& get() noexcept { return stream_; }

private:
    z_stream stream_{};
};

} // namespace

std::string FlateDecoder::Decode(std::string_view data, size_t limit) {
    Inflater inflater;
    z_stream& z = inflater.get();
    std::string out;
    size_t consumed = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && consumed < data.size()) {
            const size_t take =
                std::min<size_t>(data.size() - consumed, std::numeric_limits<uInt>::max());
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
            z.avail_in = static_cast<uInt>(take);
            consumed += take;
        }
        const size_t before = out.size();
        // One byte more than the limit allows shows that the data goes on past it.
        const size_t left = limit - before;
        const size_t room = left < kChunk ? left + 1 : kChunk;
        out.resize(before + room);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = static_cast<uInt>(room);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(before + (room - z.avail_out));
        if (out.size() > limit) {
            throw PdfParseException(); // inflates past what the document can hold
        }
        if (status == Z_BUF_ERROR && z.avail_in == 0 && consumed == data.size()) {
            break; // the data ends before the zlib trailer
        }
        if (status != Z_OK && status != Z_STREAM_END) {
            throw PdfParseException();
        }
        if (status == Z_OK && z.avail_in == 0 && consumed == data.size() && z.avail_out != 0) {
            break; // everything given was inflated and no more output is pending
        }
    }
    return out;
}

} // namespace component::pdf
