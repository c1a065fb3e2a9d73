#pragma once

#include <mutex>

#include "platform/ui/UserInteraction.h"

namespace platform::ui {

class GtkMainLoop;

// Questions asked with GTK 3 dialogs on the desktop. Every dialog is built, shown and
// destroyed on the GTK thread (GtkMainLoop) while the calling thread waits for the answer;
// one dialog is shown at a time, whichever thread asks. Lives in the GTK module
// (libquillion2-gtk.so), which GtkModule loads on first use.
class GtkUserInteraction : public UserInteraction {
public:
    explicit GtkUserInteraction(GtkMainLoop& loop);

    std::optional<std::string> openFile(const std::string& title) override;
    std::optional<std::string> saveFile(const std::string& defaultName) override;
    std::optional<std::vector<size_t>> selectCertificates(const std::string& title,
                                                          const std::vector<std::string>& rows,
                                                          bool multi) override;
    std::optional<std::vector<size_t>> chooseCertificates(const std::string& title,
                                                          const std::vector<CertificateRow>& rows,
                                                          bool multi) override;
    void viewCertificate(const std::string& text) override;
    std::optional<std::string> password(const std::string& prompt) override;
    std::optional<Credentials> credentials(const std::string& prompt) override;
    void message(const std::string& text) override;
    bool consent(const std::string& question) override;

private:
    GtkMainLoop& loop_;
    std::mutex mutex_;
};

} // namespace platform::ui

// The GTK module's one entry point: the process's GTK dialogs, or nullptr when GTK cannot open
// the display. The object lives as long as the process.
extern "C" platform::ui::UserInteraction* quillion2_gtk_user_interaction();
