#include "component/verification/VerifierFailure.h"

#include <new>
#include <string>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/framework/XSECException.hpp>

#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "platform/xml/XmlText.h"

namespace component::verification {

namespace {

using module::ErrorReport;

HRESULT reportXml(const std::string& prefix, const std::string& message) {
    module::logError(prefix + message);
    return ErrorReport::report(module::kQNVerifier, message, module::QN_E_OPERATION);
}

} // namespace

HRESULT reportVerifierFailures(bool allKinds, const char* method, HRESULT (*body)(void*),
                               void* context) noexcept {
    try {
        try {
            return body(context);
        } catch (const stream::exceptions::StreamException& e) {
            module::logError(e.message() + " " + std::to_string(e.code()));
            int32_t code = e.code();
            if (allKinds && code > 0) {
                code = -code;
            }
            return ErrorReport::report(module::kQNVerifier, e.message(), code);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const XSECException& e) {
            if (!allKinds) {
                throw;
            }
            return reportXml("XSECException: ", platform::xml::toUtf8(e.getMsg()));
        } catch (const XSECCryptoException& e) {
            if (!allKinds) {
                throw;
            }
            return reportXml("XSECCryptoException: ", e.getMsg() != nullptr ? e.getMsg() : "");
        } catch (const xercesc::XMLException& e) {
            if (!allKinds) {
                throw;
            }
            return reportXml("XMLException: ", platform::xml::toUtf8(e.getMessage()));
        } catch (const xercesc::DOMException& e) {
            if (!allKinds) {
                throw;
            }
            return reportXml("DOMException: ", platform::xml::toUtf8(e.getMessage()));
        } catch (...) {
            if (!allKinds) {
                throw;
            }
            module::logError(
                "Error desconocido en QNVerifier, posiblemente en alguna librería XML");
            return ErrorReport::report(module::kQNVerifier, "Error desconocido",
                                       module::QN_E_OPERATION);
        }
    } catch (...) {
        return ErrorReport::reportUnexpected(module::kQNVerifier, method);
    }
}

} // namespace component::verification
