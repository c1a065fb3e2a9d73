#include "component/pdf/CBRawPdf.h"

#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfParseException.h"
#include "component/pdf/PdfText.h"
#include "stream/RawCodecs.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace component::pdf {

namespace {

// Documents are addressed with 32-bit signed offsets.
constexpr size_t kMaxDocument = static_cast<size_t>(std::numeric_limits<int32_t>::max());
// Room kept after a document opened from base64, so that appending an incremental update
// does not copy the document.
constexpr size_t kUpdateRoom = 64 * 1024;

bool isTerminator(unsigned char c) {
    return c == '/' || c == '[' || c == ']' || c == ')' || c == '>';
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimLine(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool isTracedPosition(uint32_t position) {
    if (position % 10000 != 0) {
        return false;
    }
    switch (position) {
    case 200000:
    case 300000:
    case 400000:
    case 500000:
    case 600000:
    case 700000:
    case 800000:
    case 900000:
    case 1000000:
    case 1110000:
    case 1200000:
    case 1300000:
    case 1400000:
    case 1500000:
        return true;
    default:
        return false;
    }
}

} // namespace

bool CBRawPdf::Open(std::string_view bytes) {
    if (bytes.size() > kMaxDocument) {
        return false;
    }
    buffer_.assign(bytes.data(), bytes.size());
    position_ = 0;
    return true;
}

bool CBRawPdf::Open(const unsigned char* data, size_t size) {
    pdfError("CBRawPdf:: Open");
    pdfError("CBRawPdf:: Se va a reservar espacio");
    if (size > kMaxDocument || (data == nullptr && size != 0)) {
        return false;
    }
    pdfError("CBRawPdf:: Espacio reservado");
    pdfError("CBRawPdf:: Se copia el contenido");
    buffer_.assign(reinterpret_cast<const char*>(data), size);
    position_ = 0;
    return true;
}

bool CBRawPdf::Open(std::string&& bytes) {
    pdfError("CBRawPdf:: Open");
    pdfError("CBRawPdf:: Se va a reservar espacio");
    if (bytes.size() > kMaxDocument) {
        return false;
    }
    pdfError("CBRawPdf:: Espacio reservado");
    pdfError("CBRawPdf:: Se copia el contenido");
    buffer_ = std::move(bytes);
    position_ = 0;
    return true;
}

bool CBRawPdf::OpenBase64(std::string_view text) {
    pdfError("CBRawPdf:: OpenBase64");
    pdfError("CBRawPdf:: Se coge el tamaño");
    size_t announced = stream::base64DecodeRawEstimate(text);
    pdfLogLazy(stream::LOG_ERROR, [&] { return "CBRawPdf:: Tamaño= " + fmtInt(announced); });
    pdfError("CBRawPdf:: Se decodifica");
    std::string decoded = PdfBase64::decode(text, kUpdateRoom);
    pdfError("CBRawPdf:: Decodificado");
    // The document is exactly the decoded bytes, whatever line breaks the text carried.
    return Open(std::move(decoded));
}

bool CBRawPdf::OpenBase64(std::u16string_view text) {
    pdfError("CBRawPdf:: OpenBase64");
    pdfError("CBRawPdf:: Se coge el tamaño");
    size_t announced = text.size() / 4 * 3;
    if (!text.empty() && text.back() == u'=' && announced > 0) {
        --announced;
        if (text.size() >= 2 && text[text.size() - 2] == u'=' && announced > 0) {
            --announced;
        }
    }
    pdfLogLazy(stream::LOG_ERROR, [&] { return "CBRawPdf:: Tamaño= " + fmtInt(announced); });
    pdfError("CBRawPdf:: Se decodifica");
    std::string decoded = PdfBase64::decodeUtf16(text, kUpdateRoom);
    pdfError("CBRawPdf:: Decodificado");
    return Open(std::move(decoded));
}

bool CBRawPdf::OpenBase64(Base64Decoded decoded) {
    pdfError("CBRawPdf:: OpenBase64");
    pdfError("CBRawPdf:: Se coge el tamaño");
    // The text of these bytes announces exactly their number.
    pdfLogLazy(stream::LOG_ERROR,
               [&] { return "CBRawPdf:: Tamaño= " + fmtInt(decoded.bytes.size()); });
    pdfError("CBRawPdf:: Se decodifica");
    if (decoded.bytes.size() > kMaxDocument) {
        // Refused as Open refuses a decoded text this long, without copying the bytes first.
        pdfError("CBRawPdf:: Decodificado");
        pdfError("CBRawPdf:: Open");
        pdfError("CBRawPdf:: Se va a reservar espacio");
        return false;
    }
    std::string copy;
    copy.reserve(decoded.bytes.size() + kUpdateRoom);
    copy.assign(decoded.bytes.data(), decoded.bytes.size());
    pdfError("CBRawPdf:: Decodificado");
    return Open(std::move(copy));
}

void CBRawPdf::Close() {
    std::string().swap(buffer_);
    position_ = 0;
}

void CBRawPdf::SeekToLast() noexcept {
    position_ = buffer_.empty() ? 0 : GetSize() - 1;
}

void CBRawPdf::SeekToLastContent() noexcept {
    uint32_t p = GetSize();
    while (p > 0) {
        unsigned char c = at(p - 1);
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\0') {
            break;
        }
        --p;
    }
    position_ = p > 0 ? p - 1 : 0;
}

bool CBRawPdf::GetMem(unsigned char* destination, uint32_t offset, uint32_t count) const {
    if (static_cast<uint64_t>(offset) + count > buffer_.size()) {
        return false;
    }
    if (count > 0) {
        std::memcpy(destination, buffer_.data() + offset, count);
    }
    return true;
}

bool CBRawPdf::SetMem(const unsigned char* source, uint32_t offset, uint32_t count) {
    if (static_cast<uint64_t>(offset) + count > buffer_.size()) {
        return false;
    }
    if (count > 0) {
        std::memcpy(buffer_.data() + offset, source, count);
    }
    return true;
}

bool CBRawPdf::startsAt(uint32_t index, std::string_view text) const noexcept {
    return index <= buffer_.size() && buffer_.size() - index >= text.size() &&
           std::memcmp(buffer_.data() + index, text.data(), text.size()) == 0;
}

void CBRawPdf::skipWhitespace() noexcept {
    // A comment runs to the end of its line and counts as white space: kept in a token, it
    // would comment out what follows it when the object is written back.
    while (position_ < buffer_.size()) {
        const unsigned char c = at(position_);
        if (c == '%') {
            while (position_ < buffer_.size() && at(position_) != '\r' && at(position_) != '\n') {
                ++position_;
            }
        } else if (IsWhitespace(c)) {
            ++position_;
        } else {
            break;
        }
    }
}

bool CBRawPdf::ReadToken(std::string& out, bool lookahead) {
    out.clear();
    skipWhitespace();
    tokenStart_ = position_;
    if (position_ >= buffer_.size()) {
        return false;
    }
    if (lookahead && isDigit(at(position_))) {
        const uint32_t start = position_;
        std::string t1;
        ReadToken(t1, false);
        uint32_t afterFirst = position_;
        std::string t2;
        std::string t3;
        bool reference = ReadToken(t2, false) && ReadToken(t3, false) && t3 == "R";
        tokenStart_ = start;
        if (reference) {
            out = t1 + " " + t2 + " R";
            return true;
        }
        // Not a reference: the token is t1 (reading it again would give the same text).
        position_ = afterFirst;
        out = std::move(t1);
        return true;
    }
    readPlainToken(out);
    return true;
}

void CBRawPdf::readPlainToken(std::string& out) {
    const uint32_t size = GetSize();
    while (position_ < size) {
        unsigned char c = at(position_);
        if (IsWhitespace(c)) {
            break;
        }
        if (position_ + 1 < size && (c == '<' || c == '>') && at(position_ + 1) == c) {
            if (out.empty()) {
                out.assign(2, static_cast<char>(c));
                position_ += 2;
            }
            break;
        }
        if ((isTerminator(c) || c == '%') && !out.empty()) {
            break;
        }
        if (c == '(') {
            if (out.empty()) {
                readLiteralString(out);
            }
            break;
        }
        if (c == '<') {
            if (out.empty()) {
                readHexString(out);
            }
            break;
        }
        out += static_cast<char>(c);
        ++position_;
        if (c == '[' || c == ']' || c == ')' || c == '>') {
            break;
        }
    }
}

uint32_t CBRawPdf::literalStringEnd(uint32_t start) const {
    const uint32_t size = GetSize();
    int64_t depth = 0;
    for (uint32_t p = start; p < size; ++p) {
        unsigned char c = at(p);
        if (c == '\\') {
            ++p; // an escaped byte never opens or closes the string
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return p + 1;
        }
    }
    pdfError("Unterminated string.");
    throw PdfParseException();
}

void CBRawPdf::readLiteralString(std::string& out) {
    // The string's extent follows the file's own rules (nesting and escapes) whatever it
    // holds, so that UTF-16 text whose bytes happen to be parentheses cannot end it early.
    const uint32_t start = position_;
    const uint32_t end = literalStringEnd(start);
    position_ = end;
    if (end - start >= 4 && at(start + 1) == 0xFE && at(start + 2) == 0xFF) {
        // UTF-16BE text: the token keeps the low byte of each unit after the byte order mark.
        std::string bytes =
            PdfText::unescapeLiteral(std::string_view(buffer_).substr(start + 1, end - start - 2));
        out += '(';
        for (size_t i = 3; i < bytes.size(); i += 2) {
            out += bytes[i];
        }
        out += ')';
        return;
    }
    out.append(buffer_, start, end - start);
}

void CBRawPdf::readHexString(std::string& out) {
    const uint32_t size = GetSize();
    int64_t depth = 0;
    while (position_ < size) {
        unsigned char c = at(position_);
        out += static_cast<char>(c);
        ++position_;
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            --depth;
            if (depth == 0) {
                return;
            }
        }
    }
    pdfError("Unterminated string.");
    throw PdfParseException();
}

void CBRawPdf::ExpectToken(std::string_view text) {
    std::string token;
    ReadToken(token, true);
    if (token != text) {
        pdfError("Unexpected token.");
        throw PdfParseException();
    }
}

bool CBRawPdf::ReadLine(std::string& out) {
    out.clear();
    const uint32_t size = GetSize();
    const bool traced = stream::Log::instance().enabled(stream::LOG_TRACE);
    while (position_ < size) {
        if (traced && isTracedPosition(position_)) {
            pdfLog(stream::LOG_TRACE, "pos= " + fmtInt(position_) + " \n");
            pdfLog(stream::LOG_TRACE, "size= " + fmtInt(size) + " \n\n");
        }
        unsigned char c = at(position_);
        if (c == '\r') {
            ++position_;
            if (position_ < size && at(position_) == '\n') {
                ++position_;
            }
            return true;
        }
        if (c == '\n') {
            ++position_;
            return true;
        }
        out += static_cast<char>(c);
        ++position_;
    }
    return false;
}

void CBRawPdf::ExpectLine(std::string_view text) {
    std::string line;
    ReadLine(line);
    if (trimLine(line) != trimLine(text)) {
        throw PdfParseException();
    }
}

void CBRawPdf::ReadLineBackward(std::string& out) {
    out.clear();
    if (buffer_.empty()) {
        return;
    }
    int64_t p = std::min<int64_t>(position_, GetSize() - 1);
    if (p >= 1 && at(static_cast<uint32_t>(p - 1)) == '\r' &&
        at(static_cast<uint32_t>(p)) == '\n') {
        p -= 2;
    } else if (at(static_cast<uint32_t>(p)) == '\r' || at(static_cast<uint32_t>(p)) == '\n') {
        p -= 1;
    }
    if (p < 0) {
        position_ = 0;
        return;
    }
    int64_t end = p;
    while (p > 0 && at(static_cast<uint32_t>(p)) != '\r' && at(static_cast<uint32_t>(p)) != '\n') {
        --p;
    }
    out.assign(buffer_.data() + p + 1, static_cast<size_t>(end - p));
    position_ = static_cast<uint32_t>(p);
}

void CBRawPdf::ExpectLineBackward(std::string_view text) {
    std::string line;
    ReadLineBackward(line);
    if (line != text) {
        throw PdfParseException();
    }
}

void CBRawPdf::ReadRawArray(std::string& out) {
    out.clear();
    const uint32_t size = GetSize();
    uint32_t p = position_;
    while (p < size && IsWhitespace(at(p))) {
        ++p;
    }
    if (p >= size || at(p) != '[') {
        return;
    }
    ++p;
    while (p < size) {
        if (startsAt(p, ">>")) {
            break;
        }
        if (at(p) == ']') {
            // The array ends at a bracket followed (after blanks) by the dictionary's end or
            // its next key.
            uint32_t n = p + 1;
            while (n < size && IsWhitespace(at(n))) {
                ++n;
            }
            if (startsAt(n, ">>") || startsAt(n, "/")) {
                ++p;
                break;
            }
        }
        out += static_cast<char>(at(p));
        ++p;
    }
    position_ = p;
}

} // namespace component::pdf
