#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"

namespace platform::certificates {

// A moment as the verifiers give it (UTC).
struct ChainTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Builds the certificate's chain at `time` over the trusted roots of the ROOT stores (current
// user, local machine, system) and `extra` (the message's certificates, the certificate's own
// store). Returns 0 when a chain was built, -101 when none could be; `outcome` is 1 when the
// chain has no problem, else the code of the last problem in the order of the trust bits
// (-101 not time-valid ... -113), each problem logged at ERROR with its English text. A chain
// that ends at no root at all gives the partial-chain outcome -110, never a pass.
int checkCertificateChain(const crypt::Certificate& certificate,
                          const std::vector<crypt::CertificatePtr>& extra, const ChainTime& time,
                          int& outcome);

// The same over explicit trusted roots.
int checkCertificateChain(const crypt::Certificate& certificate,
                          const std::vector<crypt::CertificatePtr>& extra, const ChainTime& time,
                          const std::vector<crypt::CertificatePtr>& trustedRoots, int& outcome);

// The outcome code of a set of trust error bits (1 when none applies).
int outcomeOfTrustErrors(uint32_t trustErrors, bool logProblems);

// The Spanish status text of an outcome code (empty for codes without one).
std::string chainStatusText(int code);

// The trusted roots: the ROOT stores of the current user and the local machine, and the
// system roots.
std::vector<crypt::CertificatePtr> trustedRoots();

} // namespace platform::certificates
