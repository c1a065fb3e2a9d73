#pragma once

#include <memory>

#include <xsec/framework/XSECURIResolver.hpp>

namespace component::verification {

// The resolver the XML verifier hands XML-Security-C for references that point outside the
// document (remote and file URIs) and for signature policy documents. Every signature the
// verifier loads and every policy digest it computes gets its resolver from here, so this is
// the one place that decides how such URIs are fetched.
std::unique_ptr<XSECURIResolver> newXmlReferenceResolver();

} // namespace component::verification
