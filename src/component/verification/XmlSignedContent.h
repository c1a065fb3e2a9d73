#pragma once

#include <string>

#include <xercesc/dom/DOMElement.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/verification/StreamedMessage.h"

namespace component::verification {

// The content a verified XML signature carries, as the verifier hands it out: the DOM writer's
// text (in the message's encoding) of an empty document (its XML declaration), followed by
// - the first child of the signature's first ds:Object with a non-empty Id, written by the
//   same writer (an enveloping signature);
// - otherwise the octets of the first reference after its transforms (an enveloped or
//   detached signature; from the streamed message when it has them).
// Failures are raised (the library's, the XML layer's StreamException).
std::string xmlSignedContent(DSIGSignature& signature, const xercesc::DOMElement& signatureElement,
                             const std::string& encoding,
                             const StreamedMessage* streamed = nullptr);

} // namespace component::verification
