#pragma once

#include <string>

namespace component::signing::xades {

// The XAdES namespaces (ETSI TS 101 903) the process-wide XAdES version selects.
inline constexpr char kNamespace122[] = "http://uri.etsi.org/01903/v1.2.2#";
inline constexpr char kNamespace132[] = "http://uri.etsi.org/01903/v1.3.2#";

// The namespace of a version text ("1.3.2", else 1.2.2).
inline std::string namespaceOf(const std::string& version) {
    return version == "1.3.2" ? kNamespace132 : kNamespace122;
}

// The Type of the reference to the signed properties: the versioned namespace followed by
// "SignedProperties", for both versions.
inline std::string signedPropertiesType(const std::string& version) {
    return namespaceOf(version) + "SignedProperties";
}

} // namespace component::signing::xades
