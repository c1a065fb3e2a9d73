#pragma once

#include "component/pdf/CBPdfObject.h"

namespace component::pdf {

// A scalar kept as the raw token text (number, name, keyword, string with its delimiters).
// A value read from a document whose token differs from the bytes it was read from (a
// UTF-16 string, whose token keeps one byte per unit) also keeps those bytes, and is written
// back with them, so that rewriting an object never changes its strings.
class CBPdfValue : public CBPdfObject {
public:
    CBPdfValue(CBPdfObject* parent, std::string text);
    CBPdfValue(CBPdfObject* parent, std::string text, std::string source);

    int GetCode() const override { return 4; }
    std::string_view GetTypeName() const override { return "Value"; }
    size_t GetStringSize() const override { return written().size(); }
    void AppendTo(std::string& out) const override { out += written(); }

    const std::string& GetText() const noexcept { return text_; }
    // Replaces the value; it is then written as the new text.
    void SetText(std::string text) {
        text_ = std::move(text);
        source_.clear();
    }

private:
    const std::string& written() const noexcept { return source_.empty() ? text_ : source_; }

    std::string text_;
    std::string source_;
};

} // namespace component::pdf
