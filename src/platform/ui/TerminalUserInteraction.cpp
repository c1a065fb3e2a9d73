#include "platform/ui/TerminalUserInteraction.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "platform/ui/DialogPaths.h"
#include "platform/ui/ScriptedUserInteraction.h"

namespace platform::ui {

namespace {

constexpr char kFilter[] = "Todos los archivos (*.*)";

// Turns terminal echo off for its lifetime.
class EchoOff {
public:
    EchoOff() {
        if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff() {
        if (active_) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
            std::cerr << '\n';
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

} // namespace

std::optional<std::string> TerminalUserInteraction::readLine(const std::string& prompt, bool echo) {
    std::cerr << prompt << std::flush;
    std::string line;
    bool ok;
    if (echo) {
        ok = static_cast<bool>(std::getline(std::cin, line));
    } else {
        EchoOff quiet;
        ok = static_cast<bool>(std::getline(std::cin, line));
    }
    if (!ok) {
        std::cin.clear();
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

bool TerminalUserInteraction::confirm(const std::string& question) {
    auto answer = readLine(question + " [s/N] ");
    return answer && (*answer == "s" || *answer == "S" || *answer == "y" || *answer == "Y");
}

std::optional<std::string> TerminalUserInteraction::openFile(const std::string& title) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << (title.empty() ? std::string("Abrir") : title) << " (" << kFilter << ")\n";
    for (;;) {
        auto answer = readLine("Fichero (vacío cancela): ");
        if (!answer || answer->empty()) {
            return std::nullopt;
        }
        if (auto path = DialogPaths::existingFile(*answer)) {
            return path;
        }
        std::cerr << *answer << ": el fichero no existe.\n";
    }
}

std::optional<std::string> TerminalUserInteraction::saveFile(const std::string& defaultName) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << "Guardar como (" << kFilter << ")\n";
    for (;;) {
        auto answer = readLine("Fichero [" + defaultName + "] (vacío acepta): ");
        if (!answer) {
            return std::nullopt;
        }
        std::string chosen = answer->empty() ? defaultName : *answer;
        if (chosen.empty()) {
            return std::nullopt;
        }
        auto path = DialogPaths::savablePath(chosen);
        if (!path) {
            std::cerr << chosen << ": la carpeta no existe.\n";
            continue;
        }
        if (DialogPaths::exists(*path) && !confirm(*path + " ya existe. ¿Desea reemplazarlo?")) {
            continue;
        }
        return path;
    }
}

std::optional<std::vector<size_t>>
TerminalUserInteraction::selectCertificates(const std::string& title,
                                            const std::vector<std::string>& rows, bool multi) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (rows.empty()) {
        return std::nullopt;
    }
    std::cerr << title << '\n';
    for (size_t i = 0; i < rows.size(); ++i) {
        std::cerr << "  [" << i << "] " << rows[i] << '\n';
    }
    for (;;) {
        auto answer = readLine(multi ? "Posiciones separadas por comas (vacío cancela): "
                                     : "Posición (vacío cancela): ");
        if (!answer || answer->empty()) {
            return std::nullopt;
        }
        auto positions = ScriptedUserInteraction::parseSelection(*answer);
        bool valid = positions && (multi || positions->size() == 1);
        if (valid) {
            for (size_t position : *positions) {
                valid = valid && position < rows.size();
            }
        }
        if (valid) {
            return positions;
        }
        std::cerr << "Selección no válida.\n";
    }
}

void TerminalUserInteraction::viewCertificate(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << text << '\n';
    readLine("Pulse Intro para continuar.");
}

std::optional<std::string> TerminalUserInteraction::password(const std::string& prompt) {
    std::lock_guard<std::mutex> lock(mutex_);
    return readLine(prompt + ": ", false);
}

std::optional<Credentials> TerminalUserInteraction::credentials(const std::string& prompt) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << prompt << '\n';
    auto user = readLine("Usuario: ");
    if (!user || user->empty()) {
        return std::nullopt;
    }
    auto pass = readLine("Contraseña: ", false);
    if (!pass) {
        return std::nullopt;
    }
    return Credentials{*user, *pass};
}

void TerminalUserInteraction::message(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << text << '\n';
    readLine("Pulse Intro para continuar.");
}

bool TerminalUserInteraction::consent(const std::string& question) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << question << '\n';
    auto answer = readLine("¿Acepta? (s/N): ");
    return answer && (*answer == "s" || *answer == "S" || *answer == "si" || *answer == "sí");
}

} // namespace platform::ui
