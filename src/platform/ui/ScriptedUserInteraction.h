#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "platform/ui/UserInteraction.h"

namespace platform::ui {

// Answers read from a file, for automation and tests. One "kind=value" line per answer;
// answers of one kind are consumed in file order:
//   open=PATH   save=PATH   select=I[,J...]   password=TEXT   credentials=USER:PASSWORD
//   message=ok   consent=yes|no
// The value "cancel" cancels that question, and a question whose kind has no answer left is
// cancelled. Blank lines and lines starting with "#" are ignored; a CR before the LF is
// dropped. An open answer must name an existing file and a save answer a path in an existing
// folder (the dialogs accept nothing else), a selection must name valid positions (exactly
// one when the picker is single-choice): otherwise the question counts as cancelled.
// The file is read once, when the object is built; a missing file gives no answers.
class ScriptedUserInteraction : public UserInteraction {
public:
    explicit ScriptedUserInteraction(const std::string& answersPath);

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

    // Parses "I[,J...]" (decimal, blanks allowed around each number); nullopt when malformed.
    static std::optional<std::vector<size_t>> parseSelection(const std::string& value);

private:
    // The next answer of that kind, nullopt when none is left or it is "cancel".
    std::optional<std::string> next(const std::string& kind);
    void load(const std::string& answersPath);

    std::mutex mutex_;
    std::map<std::string, std::deque<std::string>> answers_;
};

} // namespace platform::ui
