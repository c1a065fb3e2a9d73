#pragma once

#include <string>

namespace component::content {

// The process-wide XAdES version the XAdES properties are built for: "1.2.2" (at load) or
// "1.3.2". QNCryptoSystem::setInitProperty selects it.
class XadesVersion {
public:
    static std::string get();
    static void set(const std::string& version);
};

} // namespace component::content
