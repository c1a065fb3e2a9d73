#pragma once

#include <vector>

#include "com/Variant.h"

namespace component::content {

// The list behind QNCollection: automation values read by position. Only the creating
// classes append; each item is a copy of the value given, cleared with the collection.
class CCollection {
public:
    CCollection();
    ~CCollection();
    CCollection(const CCollection&) = delete;
    CCollection& operator=(const CCollection&) = delete;

    // Appends a copy of value (strings copied, interfaces AddRef'ed). Raises
    // module::PlatformError when the value cannot be copied.
    void append(const VARIANT& value);
    void append(const com::Variant& value) { append(*value.get()); }

    LONG count() const noexcept { return static_cast<LONG>(items_.size()); }
    // A copy of the item at index into result; false when index is out of range.
    bool item(LONG index, VARIANT* result) const;

private:
    std::vector<com::Variant> items_;
};

} // namespace component::content
