#include "platform/ui/GtkModule.h"

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <string>

namespace platform::ui {

namespace {

constexpr char kModuleName[] = "libquillion2-gtk.so";
constexpr char kEntryPoint[] = "quillion2_gtk_user_interaction";

bool displaySet() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

UserInteraction* load() {
    // Kept loaded for good: the GTK thread runs the module's code until the process ends.
    void* module = dlopen(GtkModule::path().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
        return nullptr;
    }
    using EntryPoint = UserInteraction* (*)();
    auto entry = reinterpret_cast<EntryPoint>(dlsym(module, kEntryPoint));
    return entry != nullptr ? entry() : nullptr;
}

} // namespace

std::string GtkModule::path() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&GtkModule::path), &info) != 0 &&
        info.dli_fname != nullptr) {
        std::string self(info.dli_fname);
        size_t slash = self.rfind('/');
        if (slash != std::string::npos) {
            return self.substr(0, slash + 1) + kModuleName;
        }
    }
    return kModuleName;
}

UserInteraction* GtkModule::userInteraction() {
    static std::mutex mutex;
    static bool tried = false;
    static UserInteraction* dialogs = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (!tried) {
        if (!displaySet()) {
            return nullptr;
        }
        tried = true;
        dialogs = load();
    }
    return dialogs;
}

} // namespace platform::ui
