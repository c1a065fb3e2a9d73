#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace component::pdf {

// Base of the PDF object model. Scalars keep the exact text of the file; only what the
// signing engine walks or rewrites has structure. GetStringSize always equals the length of
// what ToString (for streams: WriteTo) produces, computed without building it.
class CBPdfObject {
public:
    explicit CBPdfObject(CBPdfObject* parent = nullptr) : parent_(parent) {}
    virtual ~CBPdfObject() = default;
    CBPdfObject(const CBPdfObject&) = delete;
    CBPdfObject& operator=(const CBPdfObject&) = delete;

    virtual int GetCode() const { return 0; }
    virtual std::string_view GetTypeName() const { return ""; }
    std::string ToString() const;
    virtual size_t GetStringSize() const { return 0; }
    // Appends the serialisation to out (what ToString returns).
    virtual void AppendTo(std::string& out) const {}

    uint32_t GetPosition() const noexcept { return position_; }
    void SetPosition(uint32_t position) noexcept { position_ = position; }
    CBPdfObject* GetParent() const noexcept { return parent_; }
    void SetParent(CBPdfObject* parent) noexcept { parent_ = parent; }
    int32_t GetObjectNumber() const noexcept { return objectNumber_; }
    void SetObjectNumber(int32_t number) noexcept { objectNumber_ = number; }

private:
    uint32_t position_ = 0;
    CBPdfObject* parent_ = nullptr;
    int32_t objectNumber_ = 0;
};

} // namespace component::pdf
