#pragma once

#include "component/pdf/CBPdfObject.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace component::pdf {

// A map from key text (stored exactly as given, trailing blanks included) to owned values,
// serialised in insertion order.
class CBPdfDictionary : public CBPdfObject {
public:
    explicit CBPdfDictionary(CBPdfObject* parent);

    int GetCode() const override { return 8; }
    std::string_view GetTypeName() const override { return "Dictionary"; }
    size_t GetStringSize() const override;
    void AppendTo(std::string& out) const override;

    // Raises PdfParseException (after logging the message) when the key is already present;
    // the value then is destroyed and the first one stays.
    void Add(const std::string& key, std::unique_ptr<CBPdfObject> value);
    bool Lookup(const std::string& key, CBPdfObject*& value) const;
    CBPdfObject* Lookup(const std::string& key) const;
    // Detaches the value (not destroyed); null when the key was absent.
    std::unique_ptr<CBPdfObject> Remove(const std::string& key);
    const std::vector<std::string>& Keys() const noexcept { return order_; }

private:
    std::map<std::string, std::unique_ptr<CBPdfObject>, std::less<>> values_;
    std::vector<std::string> order_;
};

} // namespace component::pdf
