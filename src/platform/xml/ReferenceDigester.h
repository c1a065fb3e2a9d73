#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/xml/NodeSetCanonicalizer.h"

namespace platform::xml {

// The digest of a ds:Reference of a document, computed here rather than by XML-Security-C
// (which cannot run XPath transforms in this build):
//
// - URI: a same-document reference ("", "#id", "#xpointer(/)", "#xpointer(id('id'))");
// - Transforms, in order: enveloped-signature, XPath, XPath Filter 2.0, then at most one
//   canonicalisation as the last transform: Canonical XML 1.0 with or without comments,
//   Exclusive XML Canonicalization 1.0 with or without comments (and its
//   InclusiveNamespaces PrefixList). A node set left at the end is written as Canonical XML
//   1.0 without comments;
// - DigestMethod: SHA-1 or SHA-256.
//
// Anything else (other URIs, Base64, XSLT, Canonical XML 1.1, a transform after the
// canonicalisation, other digests) raises StreamException kXmlFailureCode naming it:
// such references are for XML-Security-C. While a reference is processed its document may
// be changed (subtrees taken out, namespaces expanded); it is the same again afterwards.
class ReferenceDigester {
public:
    // Whether this digester processes the reference (by its URI and algorithms; the
    // reference may still fail, for an unknown Id for example).
    static bool handles(const xercesc::DOMElement& reference);

    // The octets the transforms give, in pieces.
    static void transform(xercesc::DOMElement& reference, const OctetSink& sink);
    static std::string octets(xercesc::DOMElement& reference);

    // The digest of those octets with the reference's DigestMethod.
    static std::vector<unsigned char> digest(xercesc::DOMElement& reference);
    // The digest of octets obtained otherwise, with the reference's DigestMethod.
    static std::vector<unsigned char> digestOf(const xercesc::DOMElement& reference,
                                               std::string_view octets);

    // The reference's DigestValue, decoded from Base64.
    static std::vector<unsigned char> storedDigest(const xercesc::DOMElement& reference);
    // digest(reference) == storedDigest(reference).
    static bool matches(xercesc::DOMElement& reference);
};

} // namespace platform::xml
