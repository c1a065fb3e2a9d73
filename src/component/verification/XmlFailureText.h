#pragma once

#include <string>

namespace component::verification {

// The message of the exception being handled (call it inside a catch block): the support
// library's, the XML libraries' (XML-Security-C, its crypto layer, Xerces) or a standard one;
// "Error desconocido" for anything else.
std::string currentFailureText();

} // namespace component::verification
