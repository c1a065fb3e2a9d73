#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace component::pdf {

// atol/atoi as the engine reads numbers: leading blanks, an optional sign, the leading digits;
// 0 when there are none. Out-of-range values saturate at the 32-bit limits instead of
// overflowing.
int32_t pdfAtol(std::string_view text);

// sscanf("%d %d", ...) and sscanf("%d %d %c", ...): returns how many fields were read.
int scanTwoInts(std::string_view text, int32_t& a, int32_t& b);
int scanTwoIntsChar(std::string_view text, int32_t& a, int32_t& b, char& c);

// "%d" of a 64-bit value, locale-independent.
std::string fmtInt(int64_t value);
// "%0.10d": at least ten digits, zero-padded.
std::string fmtInt10(int64_t value);
// "%f": six decimals, locale-independent.
std::string fmtFixed6(double value);
// "%d %d R".
std::string fmtReference(int64_t number, int64_t generation);

} // namespace component::pdf
