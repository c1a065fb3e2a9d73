#pragma once

#include <string_view>

#include "platform/crypt/CryptErrors.h"
#include "stream/exceptions/CryptException.h"

namespace component::envelopes {

// One step of making or opening an envelope, named in its failures by the enveloper's source
// and the step's line: a CryptException the step raises leaves as a CryptException of that
// source and line with the same code (left as the thread's last error too). Other
// exceptions pass unchanged.
template <class Step> auto atLine(const char* source, int line, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (const stream::exceptions::CryptException& e) {
        platform::crypt::raiseCrypt(source, line, e.errorCode());
    }
}

// The envelopers' WARNING lines.
void logWarning(std::string_view message);

} // namespace component::envelopes
