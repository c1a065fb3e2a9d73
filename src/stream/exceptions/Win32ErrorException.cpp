#include "stream/exceptions/Win32ErrorException.h"

#include <string_view>

#include "stream/System.h"
#include "stream/SystemMessage.h"

namespace stream::exceptions {

namespace {

constexpr size_t kDescriptionLimit = 1000; // the system message buffer of the platform call

std::string fileNamePart(const char* sourceFile) {
    if (sourceFile == nullptr) {
        return {};
    }
    std::string_view path(sourceFile);
    size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string buildMessage(uint32_t code, const std::string& description, const std::string& fileName,
                         int line) {
    return "Win32 error. Code: " + std::to_string(code) + " Description: " + description + "@" +
           fileName + "(" + std::to_string(line) + ")";
}

} // namespace

Win32ErrorException::Win32ErrorException(const char* sourceFile, int line)
    : Win32ErrorException(sourceFile, line, System::lastError()) {}

Win32ErrorException::Win32ErrorException(const char* sourceFile, int line, uint32_t code)
    : StreamException(std::string(), static_cast<int32_t>(code)),
      description_(SystemMessage::text(code).substr(0, kDescriptionLimit)),
      fileName_(fileNamePart(sourceFile)), line_(line) {
    message_ = buildMessage(code, description_, fileName_, line_);
}

} // namespace stream::exceptions
