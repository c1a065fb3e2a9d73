#pragma once

#include <cstdint>
#include <string>

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// A failing platform call. The code is the thread's last platform error
// (stream::System::lastError()) unless given explicitly; the message is
// "Win32 error. Code: <code> Description: <system message>@<file name>(<line>)", the code in
// unsigned decimal, the description exactly as the system message table gives it (trailing
// "\r\n" included, empty for a code not in the table), the file name being the text after the
// last "/" or "\" of sourceFile.
class Win32ErrorException : public StreamException {
public:
    Win32ErrorException(const char* sourceFile, int line);
    Win32ErrorException(const char* sourceFile, int line, uint32_t code);

    uint32_t errorCode() const noexcept { return static_cast<uint32_t>(code_); }
    const std::string& description() const noexcept { return description_; }
    const std::string& sourceFileName() const noexcept { return fileName_; }
    int line() const noexcept { return line_; }

private:
    std::string description_;
    std::string fileName_;
    int line_;
};

} // namespace stream::exceptions
