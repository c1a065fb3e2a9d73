#include "platform/ui/UserInteraction.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "platform/ui/GtkModule.h"
#include "platform/ui/NoUserInteraction.h"
#include "platform/ui/ScriptedUserInteraction.h"
#include "platform/ui/TerminalUserInteraction.h"

namespace platform::ui {

UserInteraction& current() {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<ScriptedUserInteraction>> scripted;
    static TerminalUserInteraction terminal;
    static NoUserInteraction none;

    const char* answers = std::getenv("QUILLION_UI_ANSWERS");
    if (answers != nullptr && answers[0] != '\0') {
        std::lock_guard<std::mutex> lock(mutex);
        auto& slot = scripted[answers];
        if (!slot) {
            slot = std::make_unique<ScriptedUserInteraction>(answers);
        }
        return *slot;
    }
    if (isatty(STDIN_FILENO) == 1) {
        return terminal;
    }
    if (UserInteraction* desktop = GtkModule::userInteraction()) {
        return *desktop;
    }
    return none;
}

} // namespace platform::ui
