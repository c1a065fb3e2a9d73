#include "component/module/ErrorReport.h"

#include "com/ErrorInfo.h"
#include "component/module/ErrorCodes.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"

namespace component::module {

HRESULT ErrorReport::report(const ClassInfo& cls, std::string_view message, HRESULT code,
                            bool nullGuid) {
    try {
        com::setErrorInfoUtf8(nullGuid ? GUID_NULL : cls.iid, cls.progId, message);
    } catch (...) {
        // Without memory for the error information the code still reaches the caller.
    }
    // A Win32 error number is a success code to the caller: it goes out as the failure it is.
    return code == 0 ? DISP_E_EXCEPTION : HRESULT_FROM_WIN32(static_cast<uint32_t>(code));
}

HRESULT ErrorReport::reportLogged(const ClassInfo& cls, std::string_view message, HRESULT code,
                                  bool nullGuid) {
    logError(message);
    return report(cls, message, code, nullGuid);
}

HRESULT ErrorReport::reportPlatform(const ClassInfo& cls, std::string_view where, HRESULT hr) {
    std::string description;
    if (hr == QN_E_CERTIFICATE_NOT_INITIALIZED) {
        description = kCertificateNotInitialized;
    } else {
        description = std::string(where) + ": " + hresultText(hr);
    }
    logError(description);
    report(cls, description, hr);
    return hr;
}

HRESULT ErrorReport::reportUnexpected(const ClassInfo& cls, std::string_view method) {
    logError(std::string("IID_") + cls.interfaceName + "::" + std::string(method) +
             ", Unespected error");
    return report(cls, kUnexpected, QN_E_UNEXPECTED);
}

HRESULT ErrorReport::reportStream(const ClassInfo& cls,
                                  const stream::exceptions::StreamException& e) {
    logError(e.message());
    return report(cls, e.message(), QN_E_UNEXPECTED);
}

} // namespace component::module
