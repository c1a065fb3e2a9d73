#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"

namespace platform::crypt {

// Trust error bits of a chain, as the Windows chain engine reports them.
namespace trust {
constexpr uint32_t NOT_TIME_VALID = 0x00000001;
constexpr uint32_t NOT_TIME_NESTED = 0x00000002;
constexpr uint32_t IS_REVOKED = 0x00000004;
constexpr uint32_t NOT_SIGNATURE_VALID = 0x00000008;
constexpr uint32_t NOT_VALID_FOR_USAGE = 0x00000010;
constexpr uint32_t IS_UNTRUSTED_ROOT = 0x00000020;
constexpr uint32_t REVOCATION_STATUS_UNKNOWN = 0x00000040;
constexpr uint32_t IS_CYCLIC = 0x00000080;
constexpr uint32_t INVALID_EXTENSION = 0x00000100;
constexpr uint32_t INVALID_BASIC_CONSTRAINTS = 0x00000400;
constexpr uint32_t IS_PARTIAL_CHAIN = 0x00010000;
constexpr uint32_t CTL_IS_NOT_TIME_VALID = 0x00020000;
constexpr uint32_t CTL_IS_NOT_SIGNATURE_VALID = 0x00040000;
constexpr uint32_t CTL_IS_NOT_VALID_FOR_USAGE = 0x00080000;
} // namespace trust

// The outcome of building a chain.
struct ChainResult {
    uint32_t trustErrors = 0;
    // The certificates from the end certificate towards the root, as far as they were found.
    std::vector<CertificatePtr> chain;
    // OpenSSL's verification errors met, in order (for the log).
    std::vector<std::string> verifierErrors;
};

// Builds chains with OpenSSL's verifier over a set of trusted roots.
class ChainEngine {
public:
    explicit ChainEngine(std::vector<CertificatePtr> trustedRoots);

    // The chain of certificate at time `at`, using `extra` (intermediates, the message's
    // certificates) to find issuers. Every problem found is reported as a trust bit:
    // validity -> NOT_TIME_VALID, a self-signed root not among the trusted ones ->
    // IS_UNTRUSTED_ROOT, a missing issuer -> IS_PARTIAL_CHAIN, a bad signature ->
    // NOT_SIGNATURE_VALID, a key usage or purpose refused -> NOT_VALID_FOR_USAGE, an issuer
    // that is no CA -> INVALID_BASIC_CONSTRAINTS | NOT_VALID_FOR_USAGE, a revoked one ->
    // IS_REVOKED. Raises CryptException only when the verifier cannot be set up.
    ChainResult build(const Certificate& certificate, const std::vector<CertificatePtr>& extra,
                      std::time_t at) const;

    // The bit a verifier error maps onto (0 for none).
    static uint32_t trustBitOf(int verifyError);

private:
    std::vector<CertificatePtr> roots_;
};

} // namespace platform::crypt
