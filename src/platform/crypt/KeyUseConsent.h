#pragma once

#include <string>

namespace platform::crypt {

// Under the browser bridge (QUILLION_BRIDGE_ORIGIN names the web page the process serves),
// every use of a private key is put to the user, naming the page and the certificate's
// subject. A refusal raises CryptException ERROR_CANCELLED (1223), as a cancelled prompt
// does. Elsewhere it does nothing.
void confirmKeyUse(const std::string& subject);

// The question put to the user.
std::string keyUseQuestion(const std::string& origin, const std::string& subject);

} // namespace platform::crypt
