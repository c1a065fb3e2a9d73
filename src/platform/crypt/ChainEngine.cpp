#include "platform/crypt/ChainEngine.h"

#include <openssl/x509_vfy.h>

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt {

namespace {

struct CallbackState {
    uint32_t bits = 0;
    std::vector<std::string> errors;
};

int stateIndex() {
    static const int index = X509_STORE_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int verifyCallback(int ok, X509_STORE_CTX* ctx) {
    if (ok == 1) {
        return 1;
    }
    auto* state = static_cast<CallbackState*>(X509_STORE_CTX_get_ex_data(ctx, stateIndex()));
    int error = X509_STORE_CTX_get_error(ctx);
    if (state != nullptr) {
        state->bits |= ChainEngine::trustBitOf(error);
        state->errors.emplace_back(X509_verify_cert_error_string(error));
    }
    // Keep going so that every problem of the chain is seen.
    return 1;
}

} // namespace

ChainEngine::ChainEngine(std::vector<CertificatePtr> trustedRoots)
    : roots_(std::move(trustedRoots)) {}

uint32_t ChainEngine::trustBitOf(int verifyError) {
    switch (verifyError) {
    case X509_V_OK:
        return 0;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
        return trust::NOT_TIME_VALID;
    case X509_V_ERR_CERT_REVOKED:
        return trust::IS_REVOKED;
    case X509_V_ERR_UNABLE_TO_GET_CRL:
    case X509_V_ERR_CRL_HAS_EXPIRED:
    case X509_V_ERR_CRL_NOT_YET_VALID:
        return trust::REVOCATION_STATUS_UNKNOWN;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE:
    case X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY:
    case X509_V_ERR_CA_KEY_TOO_SMALL:
    case X509_V_ERR_EE_KEY_TOO_SMALL:
    case X509_V_ERR_CA_MD_TOO_WEAK:
        return trust::NOT_SIGNATURE_VALID;
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
        return trust::NOT_VALID_FOR_USAGE;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
        return trust::INVALID_BASIC_CONSTRAINTS | trust::NOT_VALID_FOR_USAGE;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
        return trust::IS_UNTRUSTED_ROOT;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_CHAIN_TOO_LONG:
        return trust::IS_PARTIAL_CHAIN;
    case X509_V_ERR_UNHANDLED_CRITICAL_EXTENSION:
        return trust::INVALID_EXTENSION | trust::NOT_VALID_FOR_USAGE;
    default:
        // Anything else the verifier refuses must not let the chain pass.
        return trust::NOT_SIGNATURE_VALID;
    }
}

ChainResult ChainEngine::build(const Certificate& certificate,
                               const std::vector<CertificatePtr>& extra, std::time_t at) const {
    X509StorePtr store(X509_STORE_new());
    X509StackPtr untrusted(sk_X509_new_null());
    X509StoreCtxPtr ctx(X509_STORE_CTX_new());
    if (!store || !untrusted || !ctx) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    for (const CertificatePtr& root : roots_) {
        X509_STORE_add_cert(store.get(), root->x509());
    }
    ERR_clear_error(); // duplicates are fine
    for (const CertificatePtr& cert : extra) {
        if (X509_up_ref(cert->x509()) != 1 || sk_X509_push(untrusted.get(), cert->x509()) <= 0) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
        }
    }
    if (X509_STORE_CTX_init(ctx.get(), store.get(), certificate.x509(), untrusted.get()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    CallbackState state;
    X509_STORE_CTX_set_ex_data(ctx.get(), stateIndex(), &state);
    X509_STORE_CTX_set_verify_cb(ctx.get(), verifyCallback);
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx.get());
    X509_VERIFY_PARAM_set_time(param, at);
    int rc = X509_verify_cert(ctx.get());
    ChainResult result;
    if (rc != 1) {
        int error = X509_STORE_CTX_get_error(ctx.get());
        uint32_t bit = trustBitOf(error);
        if (bit == 0) {
            bit = trust::IS_PARTIAL_CHAIN;
        }
        state.bits |= bit;
        if (error != X509_V_OK) {
            state.errors.emplace_back(X509_verify_cert_error_string(error));
        }
    }
    ERR_clear_error();
    result.trustErrors = state.bits;
    result.verifierErrors = std::move(state.errors);
    STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(ctx.get());
    for (int i = 0; chain != nullptr && i < sk_X509_num(chain); ++i) {
        X509* x = sk_X509_value(chain, i);
        X509_up_ref(x);
        result.chain.push_back(std::make_shared<Certificate>(X509Ptr(x)));
    }
    return result;
}

} // namespace platform::crypt
