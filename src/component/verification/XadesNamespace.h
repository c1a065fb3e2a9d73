#pragma once

#include <string>
#include <string_view>

namespace component::verification {

// The namespace of the XAdES elements for a XAdES version text: "1.2.2" and "1.3.2" (ETSI TS
// 101 903); "" for any other version.
std::string xadesNamespace(std::string_view version);

} // namespace component::verification
