#pragma once

#include <xercesc/dom/DOMElement.hpp>

namespace component::verification {

// Checks, before XML-Security-C loads a signature, that every X509Certificate of its KeyInfo
// can be read, with the library's own certificate reader. The library, given one it cannot
// read, drops that KeyInfo item and loses the memory it took for it; a signature whose
// certificate cannot be read is refused here instead, with StreamException kXmlFailureCode.
void requireReadableCertificates(const xercesc::DOMElement& signature);

} // namespace component::verification
