#include "component/envelopes/EnvelopeFailure.h"

#include <new>
#include <string>

#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "platform/crypt/CryptErrors.h"
#include "stream/exceptions/CryptException.h"

namespace component::envelopes {

namespace {

using module::ErrorReport;
namespace errors = platform::crypt::errors;

HRESULT reportAs(const std::string& logLine, const std::string& description, HRESULT code) {
    module::logError(logLine);
    return ErrorReport::report(module::kQNEnvelopedData, description, code);
}

HRESULT classify(bool decrypting) {
    try {
        throw;
    } catch (const stream::exceptions::CryptException& e) {
        const std::string line = e.message() + " " + std::to_string(e.code());
        if (!decrypting) {
            return reportAs(line, e.message(), e.code());
        }
        const uint32_t code = e.errorCode();
        if (code == errors::ERROR_INVALID_DATA) {
            return reportAs("CryptoAPI: " + line, "Ha introducido una contraseña erronea",
                            module::QN_E_WRONG_PASSWORD);
        }
        if (code == errors::ERROR_CANCELLED || code == errors::NTE_FAIL) {
            return reportAs("CryptoAPI: " + line, "El usuario ha cancelado la operacion",
                            module::QN_E_USER_CANCELLED);
        }
        return reportAs("CryptoAPI: " + line, e.message(), module::QN_E_ENVELOPE);
    } catch (const stream::exceptions::StreamException& e) {
        return reportAs(e.message() + " " + std::to_string(e.code()), e.message(), e.code());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return ErrorReport::reportUnexpected(module::kQNEnvelopedData,
                                             decrypting ? "decrypt" : "encrypt");
    }
}

} // namespace

HRESULT reportEncryptFailure() noexcept {
    try {
        return classify(false);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT reportDecryptFailure() noexcept {
    try {
        return classify(true);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace component::envelopes
