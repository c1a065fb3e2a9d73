#pragma once

#include <string>
#include <vector>

namespace component::signing {

// The SHA-1 digest of what a URI outside the document holds, resolved through the composite
// URI resolver (files, HTTP and HTTPS): its bytes as they stream in, or, when canonical, the
// Canonical XML 1.0 (without comments) of the document they hold. That document is read with
// the layer's safe parser, never with the engine's own, since the bytes come from outside.
// Failures of the resolver are XSECException; a body that is not XML where canonical is asked
// for is the parser's SAXParseException.
std::vector<unsigned char> externalReferenceDigest(const std::string& uri, bool canonical);

} // namespace component::signing
