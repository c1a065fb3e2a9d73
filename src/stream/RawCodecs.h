#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stream {

// Writes the Base64 text of n bytes to dst (no terminator, no line breaks, "=" padding) and
// returns its length; with a null dst only the length is computed.
size_t base64EncodeRaw(char* dst, const unsigned char* src, size_t n);
// The same text as UTF-16 code units, for writing straight into wide-string storage.
size_t base64EncodeRawWide(char16_t* dst, const unsigned char* src, size_t n);
// The text of the concatenation of the pieces, without joining them first; the same contract.
size_t base64EncodeRaw(char* dst, const std::vector<std::string_view>& pieces);

// Output size estimate of base64DecodeRaw: (length / 4) * 3, minus 1 for a last "=", minus 1
// more for a second "=" before it.
size_t base64DecodeRawEstimate(std::string_view text);

// Skips every character that is not a letter, digit, "+", "/" or "="; decodes groups of four
// kept characters (a group ending in "==" gives 1 byte, in "=" 2, otherwise 3). Returns
// nullopt (the routine's -1) when the kept characters do not fill a last group.
std::optional<std::string> base64DecodeRaw(std::string_view text);

// 0 when outSize * 2 is smaller than the text length. out is cleared to outSize zero bytes;
// each pair of hex digits (either case) gives a byte, high nibble first; a character that is
// not a hex digit stops with result 0. Result: text length / 2 (an odd last digit fills the
// high nibble of the next byte).
size_t hexToBytes(std::string_view text, unsigned char* out, size_t outSize);

// Room bytesToDecimal needs for n input bytes (digits plus the terminator).
size_t bytesToDecimalRoom(size_t n);
// Decimal digits of the unsigned big-endian integer in the n bytes, most significant first,
// no leading zeros ("0" for zero), zero-terminated, into out (bytesToDecimalRoom(n) bytes).
// Returns the number of digits minus one.
size_t bytesToDecimal(const unsigned char* bytes, size_t n, char* out);
std::string bytesToDecimal(const unsigned char* bytes, size_t n);

// A zero-filled copy of text with its terminator; null for null.
std::unique_ptr<char[]> duplicateString(const char* text);

} // namespace stream
