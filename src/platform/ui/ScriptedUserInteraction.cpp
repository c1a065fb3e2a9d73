#include "platform/ui/ScriptedUserInteraction.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/ui/DialogPaths.h"

namespace platform::ui {

namespace {

std::string trimBlanks(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return std::string();
    }
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

} // namespace

ScriptedUserInteraction::ScriptedUserInteraction(const std::string& answersPath) {
    load(answersPath);
}

void ScriptedUserInteraction::load(const std::string& answersPath) {
    std::ifstream in(answersPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        answers_[trimBlanks(line.substr(0, eq))].push_back(line.substr(eq + 1));
    }
}

std::optional<std::string> ScriptedUserInteraction::next(const std::string& kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = answers_.find(kind);
    if (it == answers_.end() || it->second.empty()) {
        return std::nullopt;
    }
    std::string value = it->second.front();
    it->second.pop_front();
    if (value == "cancel") {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ScriptedUserInteraction::openFile(const std::string&) {
    auto answer = next("open");
    if (!answer) {
        return std::nullopt;
    }
    return DialogPaths::existingFile(*answer);
}

std::optional<std::string> ScriptedUserInteraction::saveFile(const std::string&) {
    auto answer = next("save");
    if (!answer) {
        return std::nullopt;
    }
    return DialogPaths::savablePath(*answer);
}

std::optional<std::vector<size_t>>
ScriptedUserInteraction::parseSelection(const std::string& value) {
    std::vector<size_t> positions;
    std::stringstream pieces(value);
    std::string piece;
    while (std::getline(pieces, piece, ',')) {
        std::string number = trimBlanks(piece);
        size_t position = 0;
        auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), position);
        if (number.empty() || ec != std::errc() || end != number.data() + number.size()) {
            return std::nullopt;
        }
        positions.push_back(position);
    }
    if (positions.empty()) {
        return std::nullopt;
    }
    return positions;
}

std::optional<std::vector<size_t>>
ScriptedUserInteraction::selectCertificates(const std::string&,
                                            const std::vector<std::string>& rows, bool multi) {
    auto answer = next("select");
    if (!answer) {
        return std::nullopt;
    }
    auto positions = parseSelection(*answer);
    if (!positions || (!multi && positions->size() != 1)) {
        return std::nullopt;
    }
    for (size_t position : *positions) {
        if (position >= rows.size()) {
            return std::nullopt;
        }
    }
    return positions;
}

void ScriptedUserInteraction::viewCertificate(const std::string&) {}

std::optional<std::string> ScriptedUserInteraction::password(const std::string&) {
    return next("password");
}

std::optional<Credentials> ScriptedUserInteraction::credentials(const std::string&) {
    auto answer = next("credentials");
    if (!answer) {
        return std::nullopt;
    }
    size_t colon = answer->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return Credentials{answer->substr(0, colon), answer->substr(colon + 1)};
}

void ScriptedUserInteraction::message(const std::string&) {
    next("message");
}

bool ScriptedUserInteraction::consent(const std::string&) {
    return next("consent") == std::optional<std::string>("yes");
}

} // namespace platform::ui
