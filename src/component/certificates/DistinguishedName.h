#pragma once

#include <string>

namespace component::certificates {

// The format the certificate layer renders names in. This platform renders one fixed style
// (SERIALNUMBER, S, E, ...), so the flavour is always "MsSP3".
std::string platformFlavour();

// Converts the attribute names of a DN text (or of one attribute name when isAttributeName)
// between the "Java", "Ms" and "MsSP3" formats; an empty format means the platform flavour.
// Pairs without a rule set leave the text unchanged.
std::string transformDN(const std::string& text, bool isAttributeName, std::string inFormat,
                        std::string outFormat);

// The value of one attribute of a DN text ("ALL": the whole text); empty when absent.
std::string getDNAttribute(const std::string& attribute, const std::string& dn);

// The format of names handed to callers: "DNFormatChanged" when set, else "DNFormat".
std::string outputNameFormat();

} // namespace component::certificates
