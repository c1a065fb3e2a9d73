#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {

// A user name and password typed into a credentials prompt.
struct Credentials {
    std::string user;
    std::string password;
};

// Everything the component asks of the person in front of the machine: file dialogs, the
// certificate picker and viewer, password and credentials prompts, message boxes. Every
// question may be cancelled; a cancelled question gives nullopt. Texts are UTF-8.
//
// Three implementations exist: the terminal (standard input is a terminal), the scripted one
// (answers from the file named by QUILLION_UI_ANSWERS) and none (everything cancelled).
// current() picks one for the calling code.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // Open dialog: the full path of an existing file, or nullopt. An empty title means the
    // default title.
    virtual std::optional<std::string> openFile(const std::string& title) = 0;
    // Save dialog pre-filled with defaultName: the full path of a file whose folder exists
    // (overwriting an existing file is confirmed by the dialog), or nullopt.
    virtual std::optional<std::string> saveFile(const std::string& defaultName) = 0;
    // Certificate picker over display rows: the 0-based positions chosen (exactly one when
    // multi is false, at least one otherwise), or nullopt.
    virtual std::optional<std::vector<size_t>>
    selectCertificates(const std::string& title, const std::vector<std::string>& rows,
                       bool multi) = 0;
    // Shows a certificate's description until the user dismisses it.
    virtual void viewCertificate(const std::string& text) = 0;
    // Password prompt: the text typed, or nullopt.
    virtual std::optional<std::string> password(const std::string& prompt) = 0;
    // User name and password prompt, or nullopt.
    virtual std::optional<Credentials> credentials(const std::string& prompt) = 0;
    // Message box with a single "OK" button.
    virtual void message(const std::string& text) = 0;
    // A yes/no question (may the web page at this origin use the component, may this
    // certificate's private key be used for it): true only when the user says yes; a
    // cancelled or unanswered question is a no.
    virtual bool consent(const std::string& question) = 0;
};

// The implementation for the calling code: the scripted one when QUILLION_UI_ANSWERS names a
// file (one instance per file for the life of the process, so answers are consumed once),
// else the terminal when standard input is a terminal, else none. Thread-safe.
UserInteraction& current();

} // namespace platform::ui
