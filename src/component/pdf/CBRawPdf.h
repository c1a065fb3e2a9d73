#pragma once

#include "component/pdf/Base64Decoded.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace component::pdf {

// The bytes of the document being worked on and the minimal lexer over them. No read ever
// passes the end of the buffer.
class CBRawPdf {
public:
    // Copies the bytes; position 0.
    bool Open(std::string_view bytes);
    bool Open(const unsigned char* data, size_t size);
    // Takes the bytes over without a copy (same log lines as the pointer-and-size variant).
    bool Open(std::string&& bytes);
    bool OpenBase64(std::string_view text);
    // The same for base64 text still in UTF-16 (converted as SAFE_OLE2A converts it).
    bool OpenBase64(std::u16string_view text);
    bool OpenBase64(Base64Decoded decoded);
    void Close();

    void Seek(uint32_t offset) noexcept { position_ = offset; }
    uint32_t Tell() const noexcept { return position_; }
    void SeekToLast() noexcept;
    // The last byte that is not white space or NUL (blank lines after the end of a document).
    void SeekToLastContent() noexcept;
    const std::string& GetBuffer() const noexcept { return buffer_; }
    std::string& GetMutableBuffer() noexcept { return buffer_; }
    uint32_t GetSize() const noexcept { return static_cast<uint32_t>(buffer_.size()); }

    // False (nothing copied) when the range is not inside the document.
    bool GetMem(unsigned char* destination, uint32_t offset, uint32_t count) const;
    bool SetMem(const unsigned char* source, uint32_t offset, uint32_t count);

    bool ReadToken(std::string& out, bool lookahead);
    // Where the token read last began (after the whitespace before it).
    uint32_t TokenStart() const noexcept { return tokenStart_; }
    void ExpectToken(std::string_view text);
    bool ReadLine(std::string& out);
    void ExpectLine(std::string_view text);
    void ReadLineBackward(std::string& out);
    void ExpectLineBackward(std::string_view text);
    void ReadRawArray(std::string& out);

    static bool IsWhitespace(unsigned char c) noexcept {
        return c == '\r' || c == '\n' || c == ' ';
    }

private:
    void skipWhitespace() noexcept;
    void readPlainToken(std::string& out);
    void readLiteralString(std::string& out);
    uint32_t literalStringEnd(uint32_t start) const;
    void readHexString(std::string& out);
    unsigned char at(uint32_t index) const noexcept {
        return static_cast<unsigned char>(buffer_[index]);
    }
    bool startsAt(uint32_t index, std::string_view text) const noexcept;

    std::string buffer_;
    uint32_t position_ = 0;
    uint32_t tokenStart_ = 0;
};

} // namespace component::pdf
