#include "stream/StringUtil.h"

#include <cstdio>

#include "stream/Tokenizer.h"
#include "stream/exceptions/UtilStreamException.h"

namespace stream {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

StringUtil::StringUtil(int32_t value) : text_(std::to_string(value)) {}

StringUtil::StringUtil(uint32_t value) : text_(std::to_string(value)) {}

std::string StringUtil::toUpperCase(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            // UTF-8 á é í ñ ó ú are C3 A1/A9/AD/B1/B3/BA; their capitals C3 81/89/8D/91/93/9A.
            unsigned char next = static_cast<unsigned char>(out[i + 1]);
            if (next == 0xA1 || next == 0xA9 || next == 0xAD || next == 0xB1 || next == 0xB3 ||
                next == 0xBA) {
                out[i + 1] = static_cast<char>(next - 0x20);
            }
            ++i; // never look at the continuation byte as a lead byte
        }
    }
    return out;
}

StringUtil StringUtil::toUpperCase() const {
    return StringUtil(toUpperCase(text_));
}

std::string StringUtil::trim(std::string_view text, std::string_view chars) {
    size_t end = text.find_last_not_of(chars);
    if (end == std::string_view::npos) {
        return std::string();
    }
    size_t begin = text.find_first_not_of(chars);
    return std::string(text.substr(begin, end - begin + 1));
}

StringUtil StringUtil::trim(std::string_view chars) const {
    return StringUtil(trim(text_, chars));
}

std::vector<std::string> StringUtil::split(std::string_view delimiters) const {
    return Tokenizer(text_, delimiters, Tokenizer::SKIP_EMPTY).tokens();
}

StringUtil StringUtil::replaceAll(std::string_view from, std::string_view to) const {
    if (from.empty()) {
        return *this;
    }
    std::string out;
    out.reserve(text_.size());
    size_t position = 0;
    while (true) {
        size_t found = text_.find(from, position);
        if (found == std::string::npos) {
            out.append(text_, position, std::string::npos);
            break;
        }
        out.append(text_, position, found - position);
        out.append(to);
        position = found + from.size();
    }
    return StringUtil(std::move(out));
}

bool StringUtil::startsWith(std::string_view prefix) const {
    return text_.find(prefix) == 0;
}

uint32_t StringUtil::longValue() const {
    // "%u": leading white space, an optional sign, decimal digits; the value wraps modulo
    // 2^32 and a minus sign negates it, as the C library conversion gives it for 32 bits.
    size_t i = 0;
    while (i < text_.size() && isSpace(text_[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) {
        negative = text_[i] == '-';
        ++i;
    }
    if (i >= text_.size() || text_[i] < '0' || text_[i] > '9') {
        throw exceptions::UtilStreamException();
    }
    uint32_t value = 0;
    for (; i < text_.size() && text_[i] >= '0' && text_[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(text_[i] - '0');
    }
    return negative ? 0u - value : value;
}

} // namespace stream
