#pragma once

#include <cstdint>
#include <string>

namespace component::pdf {

// One subsection of an appended cross-reference table: "first count" and 20-byte entries.
class CBPdfXrefSubsection {
public:
    explicit CBPdfXrefSubsection(int32_t first);

    // Appends "%0.10d 00000 n\r\n" for offset.
    void AddEntry(int64_t offset);
    int32_t GetCount() const noexcept { return count_; }
    std::string ToString() const;
    size_t GetStringSize() const;

private:
    std::string header() const;

    int32_t first_;
    int32_t count_ = 0;
    std::string entries_;
};

} // namespace component::pdf
