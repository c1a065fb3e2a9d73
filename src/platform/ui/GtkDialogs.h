#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {

// The dialogs GtkUserInteraction shows, built with GTK 3. Each runs modally and returns the
// answer; all of them must be called on the GTK thread. Labels are Spanish.
class GtkDialogs {
public:
    // A file chooser. With save, the dialog opens in the folder of suggested and offers its
    // file name, and replacing an existing file is confirmed first.
    static std::optional<std::string> chooseFile(const std::string& title, bool save,
                                                 const std::string& suggested);
    // A list with one column per header; cells holds one row of texts per entry. The answer
    // is the positions chosen in ascending order, at least one.
    static std::optional<std::vector<size_t>>
    pickRows(const std::string& title, const std::vector<std::string>& headers,
             const std::vector<std::vector<std::string>>& cells, bool multi);
    // A read-only text the user reads until closing it.
    static void showText(const std::string& title, const std::string& text);
    // Entry fields under a prompt: one per label, hidden ones for passwords. The texts typed,
    // or nullopt when cancelled.
    static std::optional<std::vector<std::string>> askFields(const std::string& title,
                                                             const std::string& prompt,
                                                             const std::vector<std::string>& labels,
                                                             const std::vector<bool>& hidden);
    // A message with a single Aceptar button.
    static void inform(const std::string& title, const std::string& text);
    // A yes/no question whose default answer is No.
    static bool confirm(const std::string& title, const std::string& question);
};

} // namespace platform::ui
