#pragma once

#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "com/HResult.h"
#include "component/module/ClassInfo.h"
#include "component/module/ComponentError.h"
#include "stream/exceptions/StreamException.h"

namespace component::module {

// The error convention of every scriptable method: the thread's error information gets the
// class's dispatch IID (or the null GUID), the class's versioned ProgID as source and the
// message as description, and the method returns the code (DISP_E_EXCEPTION for code 0).
class ErrorReport {
public:
    // Sets the error information; logs nothing. Returns the code to return.
    static HRESULT report(const ClassInfo& cls, std::string_view message, HRESULT code = 0,
                          bool nullGuid = false);
    // Logs the message at ERROR, then reports it.
    static HRESULT reportLogged(const ClassInfo& cls, std::string_view message, HRESULT code = 0,
                                bool nullGuid = false);
    // A caught platform HRESULT: description "<where>: <error text of hr>" (where is
    // "<implementation class>::<method>"), or "The Certificate object has not been
    // initialized." for 0x80880210; logged at ERROR; returns hr.
    static HRESULT reportPlatform(const ClassInfo& cls, std::string_view where, HRESULT hr);
    // Logs "IID_<interface>::<method>, Unespected error" at ERROR and reports
    // "Unespected error" with 0xFFFFFFFF.
    static HRESULT reportUnexpected(const ClassInfo& cls, std::string_view method);
    // A support-library exception: its text logged at ERROR and reported with 0xFFFFFFFF.
    static HRESULT reportStream(const ClassInfo& cls, const stream::exceptions::StreamException& e);

    // The text of "The Certificate object has not been initialized." and "Unespected error".
    static constexpr char kCertificateNotInitialized[] =
        "The Certificate object has not been initialized.";
    static constexpr char kUnexpected[] = "Unespected error";

    // Runs body (returning HRESULT) under the convention: ComponentError -> report,
    // PlatformError -> reportPlatform(implementation::method), bad_alloc -> E_OUTOFMEMORY,
    // StreamException -> reportStream, anything else -> reportUnexpected(method).
    template <class Body>
    static HRESULT guard(const ClassInfo& cls, std::string_view implementation,
                         std::string_view method, Body&& body) noexcept {
        try {
            return body();
        } catch (const ComponentError& e) {
            return report(cls, e.what(), e.code(), e.nullGuid());
        } catch (const PlatformError& e) {
            return reportPlatform(cls, std::string(implementation) + "::" + std::string(method),
                                  e.code());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const stream::exceptions::StreamException& e) {
            return reportStream(cls, e);
        } catch (...) {
            return reportUnexpected(cls, method);
        }
    }
};

} // namespace component::module
