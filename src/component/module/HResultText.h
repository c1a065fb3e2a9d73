#pragma once

#include <cstdint>
#include <string>

namespace component::module {

// The error text of an HRESULT: the system message for the code with one trailing "\r\n"
// removed; without a message, "IDispatch error #N" (N = (code & 0xFFFF) - 0x200) for codes
// 0x80040201-0x8004FFFF, else "Unknown error 0xXXXXXXXX".
std::string hresultText(int32_t hr);

} // namespace component::module
