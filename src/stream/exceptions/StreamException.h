#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace stream::exceptions {

// Base of every exception the support library raises: a 32-bit code and a message text.
class StreamException : public std::exception {
public:
    explicit StreamException(std::string message, int32_t code = -1);

    const char* what() const noexcept override;
    const std::string& message() const noexcept { return message_; }
    int32_t code() const noexcept { return code_; }

protected:
    std::string message_;
    int32_t code_;
};

} // namespace stream::exceptions
