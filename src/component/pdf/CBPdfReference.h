#pragma once

#include "component/pdf/CBPdfObject.h"

namespace component::pdf {

// An indirect reference "N G R". The object it names is fetched through the reader, which
// keeps one instance of every object it parsed.
class CBPdfReference : public CBPdfObject {
public:
    CBPdfReference(CBPdfObject* parent, std::string text);

    int GetCode() const override { return 5; }
    std::string_view GetTypeName() const override { return "Reference"; }
    size_t GetStringSize() const override { return text_.size(); }
    void AppendTo(std::string& out) const override { out += text_; }

    const std::string& GetText() const noexcept { return text_; }
    // The object number (the leading number of the text).
    int32_t GetNumber() const;

private:
    std::string text_;
};

} // namespace component::pdf
