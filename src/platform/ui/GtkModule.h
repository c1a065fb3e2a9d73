#pragma once

#include <string>

#include "platform/ui/UserInteraction.h"

namespace platform::ui {

// The desktop's GTK dialogs. They live in a module of their own, libquillion2-gtk.so, beside
// the library or program holding this code, loaded only when a dialog is first wanted: loading
// the component then costs nothing of GTK, and a process that never shows a dialog never
// loads or initialises GTK. Once loaded the module stays for the life of the process, as does
// the GTK thread it starts.
class GtkModule {
public:
    // The GTK dialogs when DISPLAY or WAYLAND_DISPLAY is set, the module loads and GTK opens
    // the display; nullptr otherwise. Once the module has been tried the answer holds for the
    // life of the process. Thread-safe.
    static UserInteraction* userInteraction();

    // Where the module is looked for: the folder of the file holding this code.
    static std::string path();
};

} // namespace platform::ui
