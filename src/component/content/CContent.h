#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stream/ByteBuffer.h"

namespace component::content {

// The content behind QNContent: one byte buffer and one character-set name. Text crosses
// this class as UTF-16 (the scripting side) or UTF-8 (the ANSI code page: paths, Base64
// text). Recognised failures are raised as module::ComponentError after their log lines.
class CContent {
public:
    // The largest content: the logical size is 32 bits.
    static constexpr uint64_t kMaxSize = 0xFFFFFFFFu;

    CContent();
    ~CContent();
    CContent(const CContent&) = delete;
    CContent& operator=(const CContent&) = delete;

    // In-process access for the other classes.
    const stream::ByteBuffer& buffer() const noexcept { return content_; }
    const unsigned char* data() const noexcept { return content_.data(); }
    size_t size() const noexcept { return content_.size(); }
    // Takes over the whole buffer (its storage and size).
    void replace(stream::ByteBuffer&& bytes) noexcept;
    void replace(std::string_view bytes);

    // Text through the ANSI code page; empty content gives empty text.
    std::u16string getContentString();
    void putContentString(std::u16string_view text);
    // Text through the character set named by encoding().
    std::u16string getContentStringEnc();
    void putContentStringEnc(std::u16string_view text);

    const std::string& encoding() const noexcept { return encoding_; }
    void setEncoding(std::string name) { encoding_ = std::move(name); }

    // Base64 of the content. base64Length() units are written to out by toBASE64(out).
    size_t base64Length() const noexcept;
    void toBASE64(char16_t* out) const;
    std::string toBASE64() const;
    // Decodes (characters outside the alphabet skipped); the result replaces the content.
    void setBASE64(std::string_view text);
    // The same from UTF-16 text (the ANSI form is made only for the TRACE line).
    void setBASE64(std::u16string_view text);

    // For the component's own objects, which would otherwise pass bytes to each other as
    // Base64 text only to decode it again: the log lines and results of toBASE64 and
    // setBASE64 with the bytes themselves in place of their text (which is made only for the
    // TRACE line, when that level is on).
    std::string_view toBASE64Bytes() const;
    // The pieces, one after the other, replace the content; they must not lie in its own
    // storage. The content's storage is grown in place rather than a second buffer made.
    void setBASE64Bytes(const std::vector<std::string_view>& pieces);
    void setBASE64Bytes(stream::ByteBuffer&& bytes);

    void saveFile(const std::string& path);
    void loadFileWithPath(const std::string& path);
    // Open dialog (title may be empty), then the chosen file replaces the content. Returns the
    // chosen full path.
    std::string loadFileWithDialog(const std::string& title);
    std::string getFilePathWithDialog();
    // Save dialog; chosenPath is set before the content is written, so it is known even when
    // writing fails.
    void saveFileWithDialog(const std::string& defaultName, std::string& chosenPath);

    // Lowercase hexadecimal digest of the content with the "HashAlgorithm" setting.
    // nullopt when no cryptographic context can be had (never on this platform).
    std::optional<std::string> getHash();

    // The size of a file, 0xFFFFFFFF when it cannot be opened (low 32 bits of larger sizes).
    static uint32_t getFileSizeByPath(const std::string& path);

private:
    // The whole file, or raises FileStreamException. Never touches the content.
    static stream::ByteBuffer readFile(const std::string& path);
    // The whole file replaces the content; a read failure is QN_E_READ.
    void loadWhole(const std::string& path);
    void writeFile(const std::string& path) const;
    // Writes a 0 just past the data when the last byte is not 0 (size unchanged).
    void terminate();
    // Decodes length characters (narrow or UTF-16) straight into a new buffer that then
    // replaces the content.
    template <typename Unit> void decodeBase64(const Unit* text, size_t length);
    // The steps of setBASE64 with their TRACE lines: update makes the new bytes, finish ends
    // that, assign puts them in the content's place.
    template <class Update, class Finish, class Assign>
    static void setBASE64Steps(Update&& update, Finish&& finish, Assign&& assign);
    std::string openDialog(const std::string& title);

    stream::ByteBuffer content_;
    std::string encoding_;
};

} // namespace component::content
