#pragma once

#include <stdexcept>
#include <string>

#include "com/Types.h"

namespace component::module {

// A failure a method recognises: the description the caller gets, the code (0 = none, so
// DISP_E_EXCEPTION) and whether the error information carries the null interface GUID
// instead of the class's own. Whatever the method logs, it logs before raising this.
class ComponentError : public std::runtime_error {
public:
    explicit ComponentError(const std::string& description, HRESULT code = 0, bool nullGuid = false)
        : std::runtime_error(description), code_(code), nullGuid_(nullGuid) {}

    HRESULT code() const noexcept { return code_; }
    bool nullGuid() const noexcept { return nullGuid_; }

private:
    HRESULT code_;
    bool nullGuid_;
};

// A failing platform call that carries an HRESULT; reported with the method's prefix and the
// error text of the code.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(HRESULT code, const std::string& what = "platform error")
        : std::runtime_error(what), code_(code) {}
    HRESULT code() const noexcept { return code_; }

private:
    HRESULT code_;
};

} // namespace component::module
