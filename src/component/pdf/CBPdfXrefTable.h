#pragma once

#include "component/pdf/CBPdfXrefSubsection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace component::pdf {

// The cross-reference table of an incremental update: "xref" and its subsections (no
// free-list head; only the objects the update writes).
class CBPdfXrefTable {
public:
    CBPdfXrefSubsection& AddSubsection(int32_t first);
    void SetOffset(int64_t offset) noexcept { offset_ = offset; }
    int64_t GetOffset() const noexcept { return offset_; }
    std::string ToString() const;
    size_t GetStringSize() const;

private:
    std::vector<CBPdfXrefSubsection> subsections_;
    int64_t offset_ = 0;
};

} // namespace component::pdf
