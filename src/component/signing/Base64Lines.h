#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace component::signing {

// Base64 text (stream::Base64) in lines of 64 characters joined by lineBreak, with no break
// after the last line; the form X509Certificate and the XAdES digests are written in.
std::string base64Lines(const unsigned char* bytes, size_t size, std::string_view lineBreak);

} // namespace component::signing
