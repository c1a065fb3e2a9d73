#include "platform/crypt/KeyUseConsent.h"

#include "platform/crypt/CryptErrors.h"
#include "platform/ui/UserInteraction.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

#include <cstdlib>

namespace platform::crypt {

std::string keyUseQuestion(const std::string& origin, const std::string& subject) {
    return "La página " + origin + " quiere usar la clave privada del certificado \"" + subject +
           "\" para firmar o descifrar. ¿Lo permite?";
}

void confirmKeyUse(const std::string& subject) {
    const char* origin = std::getenv("QUILLION_BRIDGE_ORIGIN");
    if (origin == nullptr || origin[0] == '\0') {
        return;
    }
    if (!ui::current().consent(keyUseQuestion(origin, subject))) {
        stream::Log::instance().log(stream::LOG_INFO, std::string("Uso de la clave privada de ") +
                                                          subject + " denegado para " + origin);
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_CANCELLED);
    }
}

} // namespace platform::crypt
