#include "platform/ui/NoUserInteraction.h"

namespace platform::ui {

std::optional<std::string> NoUserInteraction::openFile(const std::string&) {
    return std::nullopt;
}

std::optional<std::string> NoUserInteraction::saveFile(const std::string&) {
    return std::nullopt;
}

std::optional<std::vector<size_t>>
NoUserInteraction::selectCertificates(const std::string&, const std::vector<std::string>&, bool) {
    return std::nullopt;
}

void NoUserInteraction::viewCertificate(const std::string&) {}

std::optional<std::string> NoUserInteraction::password(const std::string&) {
    return std::nullopt;
}

std::optional<Credentials> NoUserInteraction::credentials(const std::string&) {
    return std::nullopt;
}

void NoUserInteraction::message(const std::string&) {}

bool NoUserInteraction::consent(const std::string&) {
    return false;
}

} // namespace platform::ui
