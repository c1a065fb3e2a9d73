#pragma once

#include "component/pdf/CBPdfObject.h"

#include <memory>

namespace component::pdf {

// An indirect reference "N G R". It may own the object it was resolved to, so that a value
// reached through it stays alive (and keeps its changes) as long as the reference does.
class CBPdfReference : public CBPdfObject {
public:
    CBPdfReference(CBPdfObject* parent, std::string text);

    int GetCode() const override { return 5; }
    std::string_view GetTypeName() const override { return "Reference"; }
    size_t GetStringSize() const override { return text_.size(); }
    void AppendTo(std::string& out) const override { out += text_; }

    const std::string& GetText() const noexcept { return text_; }

    CBPdfObject* GetResolved() const noexcept { return resolved_.get(); }
    CBPdfObject* SetResolved(std::unique_ptr<CBPdfObject> object);
    std::unique_ptr<CBPdfObject> ReleaseResolved() noexcept { return std::move(resolved_); }

private:
    std::string text_;
    std::unique_ptr<CBPdfObject> resolved_;
};

} // namespace component::pdf
