#pragma once

#include <string>

namespace component::verification {

// The SHA-1 digest of a signature policy document, in Base64 (lines of 64 characters separated
// by CR LF), as a XAdES SigPolicyHash holds it: the document is the target of a reference with
// that URI made in a scratch document "<tag></tag>", fetched through the verifier's reference
// resolver and, when `canonical`, canonicalised (C14N 1.0). A URI that cannot be resolved
// raises the library's exception.
std::string xadesPolicyDigest(const std::string& uri, bool canonical);

} // namespace component::verification
