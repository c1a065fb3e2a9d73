#pragma once

#include "component/pdf/CBPdfObject.h"

#include <memory>
#include <vector>

namespace component::pdf {

// An ordered list of owned objects; serialised as "[a b c]".
class CBPdfArray : public CBPdfObject {
public:
    explicit CBPdfArray(CBPdfObject* parent);

    int GetCode() const override { return 7; }
    std::string_view GetTypeName() const override { return "Array"; }
    size_t GetStringSize() const override;
    void AppendTo(std::string& out) const override;

    void Add(std::unique_ptr<CBPdfObject> object);
    // The element at a 0-based index; null when the index is outside the array.
    CBPdfObject* GetElement(size_t index) const;
    size_t GetSize() const;

private:
    std::vector<std::unique_ptr<CBPdfObject>> elements_;
};

} // namespace component::pdf
