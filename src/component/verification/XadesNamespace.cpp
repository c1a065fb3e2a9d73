#include "component/verification/XadesNamespace.h"

namespace component::verification {

std::string xadesNamespace(std::string_view version) {
    if (version == "1.2.2") {
        return "http://uri.etsi.org/01903/v1.2.2#";
    }
    if (version == "1.3.2") {
        return "http://uri.etsi.org/01903/v1.3.2#";
    }
    return {};
}

} // namespace component::verification
