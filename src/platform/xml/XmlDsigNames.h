#pragma once

namespace platform::xml::dsig {

// Namespaces.
inline constexpr char kNamespace[] = "http://www.w3.org/2000/09/xmldsig#";
inline constexpr char kFilter2Namespace[] = "http://www.w3.org/2002/06/xmldsig-filter2";
inline constexpr char kExclusiveC14nNamespace[] = "http://www.w3.org/2001/10/xml-exc-c14n#";

// Transform algorithms.
inline constexpr char kEnvelopedSignature[] =
    "http://www.w3.org/2000/09/xmldsig#enveloped-signature";
inline constexpr char kXPath[] = "http://www.w3.org/TR/1999/REC-xpath-19991116";
inline constexpr char kXPathFilter2[] = "http://www.w3.org/2002/06/xmldsig-filter2";
inline constexpr char kC14n[] = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
inline constexpr char kC14nWithComments[] =
    "http://www.w3.org/TR/2001/REC-xml-c14n-20010315#WithComments";
inline constexpr char kExclusiveC14n[] = "http://www.w3.org/2001/10/xml-exc-c14n#";
inline constexpr char kExclusiveC14nWithComments[] =
    "http://www.w3.org/2001/10/xml-exc-c14n#WithComments";

// Digest algorithms.
inline constexpr char kSha1[] = "http://www.w3.org/2000/09/xmldsig#sha1";
inline constexpr char kSha256[] = "http://www.w3.org/2001/04/xmlenc#sha256";

} // namespace platform::xml::dsig
