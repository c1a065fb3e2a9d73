#pragma once

#include <string>

#include <xercesc/util/XercesDefs.hpp>

namespace component::module {

// An XML library text (UTF-16) in the local code page, as the log and error reports take
// it; "" for null.
std::string xmlText(const XMLCh* text);

} // namespace component::module
