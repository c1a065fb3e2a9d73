#pragma once

#include <mutex>

#include "platform/ui/UserInteraction.h"

namespace platform::ui {

// Questions asked on the terminal: prompts go to standard error, answers are read as lines
// from standard input (passwords without echo). An empty answer or the end of input cancels.
class TerminalUserInteraction : public UserInteraction {
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

private:
    // One line from standard input; nullopt at the end of input. With echo false the
    // terminal does not show what is typed.
    std::optional<std::string> readLine(const std::string& prompt, bool echo = true);
    bool confirm(const std::string& question);

    std::mutex mutex_;
};

} // namespace platform::ui
