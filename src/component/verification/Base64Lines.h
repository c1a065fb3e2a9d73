#pragma once

#include <string>
#include <vector>

namespace component::verification {

// Base64 of the bytes in lines of 64 characters separated by CR LF (no line break after the
// last), as the platform writes certificates and digests for the verifiers.
std::string base64Lines(const std::vector<unsigned char>& bytes);

} // namespace component::verification
