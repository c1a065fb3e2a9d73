#pragma once

// A request the bridge refuses or cannot carry out: the HRESULT and the text that go back to
// the page as {number, description}.

#include "com/HResult.h"

#include <stdexcept>
#include <string>

namespace bridge {

// A message that cannot be read: bad length, bad JSON, missing or wrong fields.
inline constexpr HRESULT kMalformed = E_INVALIDARG;
// A refused origin, class or member.
inline constexpr HRESULT kRefused = E_ACCESSDENIED;
// A handle that names no object of the connection (never given, or released).
inline constexpr HRESULT kBadHandle = static_cast<HRESULT>(0x80070006u); // E_HANDLE

class BridgeError : public std::runtime_error {
public:
    BridgeError(HRESULT number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    HRESULT number() const noexcept { return number_; }

private:
    HRESULT number_;
};

} // namespace bridge
