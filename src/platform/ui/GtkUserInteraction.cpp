#include "platform/ui/GtkUserInteraction.h"

#include <ctime>

#include "platform/ui/GtkDialogs.h"
#include "platform/ui/GtkMainLoop.h"

namespace platform::ui {

namespace {

// A day as the picker shows it: dd/mm/yyyy in local time.
std::string dayOf(std::time_t when) {
    std::tm parts{};
    if (localtime_r(&when, &parts) == nullptr) {
        return std::string();
    }
    char text[32];
    size_t length = std::strftime(text, sizeof text, "%d/%m/%Y", &parts);
    return std::string(text, length);
}

} // namespace

GtkUserInteraction::GtkUserInteraction(GtkMainLoop& loop) : loop_(loop) {}

std::optional<std::string> GtkUserInteraction::openFile(const std::string& title) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::string> chosen;
    loop_.run([&] { chosen = GtkDialogs::chooseFile(title.empty() ? "Abrir" : title, false, ""); });
    return chosen;
}

std::optional<std::string> GtkUserInteraction::saveFile(const std::string& defaultName) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::string> chosen;
    loop_.run([&] { chosen = GtkDialogs::chooseFile("Guardar como", true, defaultName); });
    return chosen;
}

std::optional<std::vector<size_t>>
GtkUserInteraction::selectCertificates(const std::string& title,
                                       const std::vector<std::string>& rows, bool multi) {
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const std::string& row : rows) {
        cells.push_back({row});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::vector<size_t>> chosen;
    loop_.run([&] { chosen = GtkDialogs::pickRows(title, {"Certificado"}, cells, multi); });
    return chosen;
}

std::optional<std::vector<size_t>>
GtkUserInteraction::chooseCertificates(const std::string& title,
                                       const std::vector<CertificateRow>& rows, bool multi) {
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const CertificateRow& row : rows) {
        cells.push_back({row.subject, row.issuer, dayOf(row.notBefore), dayOf(row.notAfter)});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::vector<size_t>> chosen;
    loop_.run([&] {
        chosen = GtkDialogs::pickRows(
            title, {"Emitido para", "Emitido por", "Válido desde", "Válido hasta"}, cells, multi);
    });
    return chosen;
}

void GtkUserInteraction::viewCertificate(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    loop_.run([&] { GtkDialogs::showText("Certificado", text); });
}

std::optional<std::string> GtkUserInteraction::password(const std::string& prompt) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::vector<std::string>> typed;
    loop_.run(
        [&] { typed = GtkDialogs::askFields("Contraseña", prompt, {"Contraseña:"}, {true}); });
    if (!typed || typed->size() != 1) {
        return std::nullopt;
    }
    return typed->front();
}

std::optional<Credentials> GtkUserInteraction::credentials(const std::string& prompt) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<std::vector<std::string>> typed;
    loop_.run([&] {
        typed = GtkDialogs::askFields("Credenciales", prompt, {"Usuario:", "Contraseña:"},
                                      {false, true});
    });
    if (!typed || typed->size() != 2 || (*typed)[0].empty()) {
        return std::nullopt;
    }
    return Credentials{(*typed)[0], (*typed)[1]};
}

void GtkUserInteraction::message(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    loop_.run([&] { GtkDialogs::inform("Mensaje", text); });
}

bool GtkUserInteraction::consent(const std::string& question) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool granted = false;
    loop_.run([&] { granted = GtkDialogs::confirm("Confirmación", question); });
    return granted;
}

} // namespace platform::ui

extern "C" __attribute__((visibility("default"))) platform::ui::UserInteraction*
quillion2_gtk_user_interaction() {
    using platform::ui::GtkMainLoop;
    using platform::ui::GtkUserInteraction;
    // Never destroyed, like the GTK thread it hands its dialogs to.
    static GtkUserInteraction* const dialogs = [] {
        GtkMainLoop* loop = GtkMainLoop::instance();
        return loop != nullptr ? new GtkUserInteraction(*loop) : nullptr;
    }();
    return dialogs;
}
