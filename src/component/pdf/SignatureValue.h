#pragma once

#include <string>
#include <string_view>

namespace component::pdf {

// The value of a signature as a /Contents hexadecimal string holds it: the digits of the
// encoded signed message, then the zeros of the placeholder the message did not fill.
class SignatureValue {
public:
    // The encoded message. Its length comes from the header of its outer SEQUENCE (or, for an
    // indefinite length, from its end-of-contents octets), so a message whose last bytes are
    // zero keeps them. A value that does not start with a complete SEQUENCE (an unfilled
    // placeholder) ends at its last digit that is not "0" instead; an odd digit left at the
    // end is the high half of the last byte. White space between the digits is skipped.
    static std::string fromHex(std::string_view hexText);
};

} // namespace component::pdf
