#pragma once

#include "component/pdf/CBPdfObject.h"

namespace component::pdf {

// A scalar kept as the raw token text (number, name, keyword, string with its delimiters).
class CBPdfValue : public CBPdfObject {
public:
    CBPdfValue(CBPdfObject* parent, std::string text);

    int GetCode() const override { return 4; }
    std::string_view GetTypeName() const override { return "Value"; }
    size_t GetStringSize() const override { return text_.size(); }
    void AppendTo(std::string& out) const override { out += text_; }

    const std::string& GetText() const noexcept { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }

private:
    std::string text_;
};

} // namespace component::pdf
