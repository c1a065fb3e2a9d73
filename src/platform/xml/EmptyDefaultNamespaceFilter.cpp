#include "platform/xml/EmptyDefaultNamespaceFilter.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace platform::xml {

EmptyDefaultNamespaceFilter::EmptyDefaultNamespaceFilter(OctetSink sink) : sink_(std::move(sink)) {}

void EmptyDefaultNamespaceFilter::write(const unsigned char* bytes, size_t size) {
    out_.clear();
    const unsigned char* at = bytes;
    const unsigned char* end = bytes + size;
    while (at < end) {
        switch (state_) {
        case State::Text: {
            const void* found = std::memchr(at, '<', static_cast<size_t>(end - at));
            const unsigned char* stop =
                found != nullptr ? static_cast<const unsigned char*>(found) : end;
            out_.append(reinterpret_cast<const char*>(at), static_cast<size_t>(stop - at));
            at = stop;
            if (at < end) {
                state_ = State::Open;
                ++at;
            }
            break;
        }
        case State::Open: {
            char c = static_cast<char>(*at++);
            if (c == '/') {
                out_ += "</";
                state_ = State::EndTag;
            } else if (c == '!' || c == '?') {
                out_ += '<';
                out_ += c;
                previous_ = 0;
                state_ = c == '!' ? State::Comment : State::Instruction;
            } else {
                tag_.assign(1, '<');
                tag_ += c;
                quoted_ = false;
                state_ = State::StartTag;
            }
            break;
        }
        case State::StartTag: {
            char c = static_cast<char>(*at++);
            tag_ += c;
            if (c == '"') {
                quoted_ = !quoted_;
            } else if (c == '>' && !quoted_) {
                startTag();
                state_ = State::Text;
            }
            break;
        }
        case State::EndTag: {
            char c = static_cast<char>(*at++);
            out_ += c;
            if (c == '>') {
                if (!open_.empty()) {
                    open_.pop_back();
                }
                state_ = State::Text;
            }
            break;
        }
        case State::Comment:
        case State::Instruction: {
            char c = static_cast<char>(*at++);
            out_ += c;
            char closing = state_ == State::Comment ? '-' : '?';
            if (c == '>' && previous_ == closing) {
                state_ = State::Text;
            }
            previous_ = c;
            break;
        }
        }
    }
    if (!out_.empty()) {
        sink_(reinterpret_cast<const unsigned char*>(out_.data()), out_.size());
    }
}

void EmptyDefaultNamespaceFilter::finish() {
    out_.clear();
    if (state_ == State::Open) {
        out_ = "<";
    } else if (state_ == State::StartTag) {
        out_ = tag_;
    }
    state_ = State::Text;
    if (!out_.empty()) {
        sink_(reinterpret_cast<const unsigned char*>(out_.data()), out_.size());
    }
}

// tag_ holds `<name attr="value" ...>` as canonical XML writes it: one space before each
// attribute, values in double quotes without raw quotes inside.
void EmptyDefaultNamespaceFilter::startTag() {
    std::string_view tag(tag_);
    size_t nameEnd = tag.find_first_of(" >", 1);
    std::string_view name = tag.substr(1, nameEnd - 1);
    bool prefixed = name.find(':') != std::string_view::npos;
    bool inherited = !open_.empty() && open_.back();

    // The default namespace declaration, if the tag has one.
    constexpr std::string_view kDeclaration = " xmlns=\"";
    size_t declaration = std::string_view::npos;
    std::string_view value;
    for (size_t at = nameEnd; at < tag.size() && tag[at] == ' ';) {
        size_t open = tag.find('"', at);
        size_t close = open == std::string_view::npos ? open : tag.find('"', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        if (tag.substr(at, open + 1 - at) == kDeclaration) {
            declaration = at;
            value = tag.substr(open + 1, close - open - 1);
        }
        at = close + 1;
    }

    bool seen = inherited;
    bool drop = false;
    if (declaration != std::string_view::npos && value.empty()) {
        // xmlns="" stays only on an unprefixed element below a rendered non-empty default.
        drop = prefixed || !inherited;
        if (!prefixed) {
            seen = false;
        }
    } else if (declaration != std::string_view::npos && !prefixed) {
        seen = true;
    }
    open_.push_back(seen);
    if (drop) {
        out_.append(tag.substr(0, declaration));
        out_.append(tag.substr(declaration + kDeclaration.size() + 1));
    } else {
        out_.append(tag);
    }
}

} // namespace platform::xml
