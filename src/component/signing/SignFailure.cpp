#include "component/signing/SignFailure.h"

#include <exception>
#include <new>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/framework/XSECException.hpp>

#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "platform/xml/XmlText.h"
#include "stream/System.h"
#include "stream/exceptions/CryptException.h"

namespace component::signing {

namespace {

constexpr HRESULT kUserCancelled = static_cast<HRESULT>(1223);
constexpr HRESULT kInvalidData = static_cast<HRESULT>(13);
constexpr HRESULT kNteFail = static_cast<HRESULT>(0x80090020u);

SignFailure logged(const std::string& line, std::string description, HRESULT code) {
    module::logError(line);
    return {std::move(description), code};
}

SignFailure classify(SignOperation operation) {
    const bool sign = operation == SignOperation::Sign;
    const std::string method = sign ? "QNSignData::sign" : "QNSignData::cosign";
    try {
        throw;
    } catch (const stream::exceptions::CryptException& e) {
        std::string line = e.message() + " " + std::to_string(e.code());
        return logged(sign ? "CryptoAPI: " + line : line, e.message(), e.code());
    } catch (const stream::exceptions::StreamException& e) {
        return logged(e.message() + " " + std::to_string(e.code()), e.message(), e.code());
    } catch (const XSECException& e) {
        std::string message = platform::xml::toUtf8(e.getMsg());
        return logged("XSECException: " + message, message, module::QN_E_OPERATION);
    } catch (const XSECCryptoException& e) {
        std::string message = e.getMsg() != nullptr ? e.getMsg() : "";
        if (!sign) {
            return logged("XSECCryptoException: " + message, message, module::QN_E_OPERATION);
        }
        module::logError("XSECCryptoException: " + message);
        uint32_t last = stream::System::lastError();
        module::logError("Error GetLastError: " + std::to_string(last));
        HRESULT code = module::QN_E_OPERATION;
        if (last == 1223 || last == 13) {
            code = static_cast<HRESULT>(last);
        }
        return {"", code};
    } catch (const xercesc::XMLException& e) {
        std::string message = platform::xml::toUtf8(e.getMessage());
        return logged("XMLException: " + message, message, module::QN_E_OPERATION);
    } catch (const xercesc::DOMException& e) {
        std::string message = platform::xml::toUtf8(e.getMessage());
        return logged("DOMException: " + message, message, module::QN_E_OPERATION);
    } catch (const std::exception& e) {
        std::string prefix = sign ? "QNSignData::sign: Error: " : "Error: ";
        return logged(prefix + e.what(), e.what(), module::QN_E_FORMAT);
    } catch (const xercesc::SAXParseException& e) {
        return {platform::xml::toUtf8(e.getMessage()), module::QN_E_OPERATION};
    } catch (...) {
        return logged(method + ": Error desconocido.", "Error desconocido.",
                      module::QN_E_OPERATION);
    }
}

} // namespace

SignFailure classifyCurrentFailure(SignOperation operation) noexcept {
    try {
        return classify(operation);
    } catch (...) {
        // Only an allocation can fail here.
        return {"Error desconocido.", module::QN_E_OPERATION};
    }
}

HRESULT reportSignFailure(const SignFailure& failure) noexcept {
    try {
        using module::ErrorReport;
        if (failure.code == kInvalidData) {
            return ErrorReport::report(module::kQNSignData, "Ha introducido una contraseña erronea",
                                       module::QN_E_WRONG_PASSWORD);
        }
        if (failure.code == kUserCancelled || failure.code == kNteFail) {
            return ErrorReport::report(module::kQNSignData, "El usuario ha cancelado la operacion",
                                       module::QN_E_USER_CANCELLED);
        }
        // A failure whose code is 0 is still a failure: DISP_E_EXCEPTION, never S_OK.
        return ErrorReport::report(module::kQNSignData, failure.description, failure.code);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace component::signing
