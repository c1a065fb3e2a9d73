#pragma once

#include <string>

namespace component::signing {

// Whether what a reference URI points at is XML (and so gets a C14N transform):
// - the empty URI and "#..." are;
// - "file:///" + path: the file (percent escapes decoded) must be readable, else
//   StreamException QN_E_READ "File not found"; it is XML when the safe parser reads it
//   without error;
// - any other URI is fetched with an HTTP GET (platform::http): a failed fetch raises
//   StreamException QN_E_READ with its reason, an empty body QN_E_READ
//   "El fichero no debe ser nulo."; it is XML when the safe parser reads the body without
//   error.
bool isXmlTarget(const std::string& uri);

// The local path of a "file://" URL: what follows "file://", percent escapes decoded.
std::string filePathOf(const std::string& uri);

} // namespace component::signing
