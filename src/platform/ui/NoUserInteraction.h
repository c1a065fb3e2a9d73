#pragma once

#include "platform/ui/UserInteraction.h"

namespace platform::ui {

// No one to ask: every dialog and prompt is cancelled, messages are dropped.
class NoUserInteraction : public UserInteraction {
public:
    std::optional<std::string> openFile(const std::string& title) override;
    std::optional<std::string> saveFile(const std::string& defaultName) override;
    std::optional<std::vector<size_t>> selectCertificates(const std::string& title,
                                                          const std::vector<std::string>& rows,
                                                          bool multi) override;
    void viewCertificate(const std::string& text) override;
    std::optional<std::string> password(const std::string& prompt) override;
    std::optional<Credentials> credentials(const std::string& prompt) override;
    void message(const std::string& text) override;
    bool consent(const std::string& question) override;
};

} // namespace platform::ui
