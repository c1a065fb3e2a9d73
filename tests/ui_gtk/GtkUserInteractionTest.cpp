#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Desktop.h"
#include "platform/ui/GtkModule.h"
#include "platform/ui/NoUserInteraction.h"
#include "platform/ui/UserInteraction.h"

using namespace platform::ui;
using namespace std::chrono_literals;

namespace {

// A window with widgets, text and a frame has far more colours than a blank or single-colour
// one.
constexpr size_t kMinimumColours = 16;

// What current() gives in a child process with the given DISPLAY (nullptr: unset), no
// WAYLAND_DISPLAY, no answers file and standard input not a terminal: 0 for none, 1 for the GTK
// dialogs, 2 for anything else, -1 when the child did not finish within 30 seconds.
int choiceWithDisplay(const char* display) {
    pid_t child = fork();
    if (child == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        unsetenv("QUILLION_UI_ANSWERS");
        unsetenv("WAYLAND_DISPLAY");
        if (display == nullptr) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", display, 1);
        }
        UserInteraction& chosen = current();
        if (dynamic_cast<NoUserInteraction*>(&chosen) != nullptr) {
            _exit(0);
        }
        _exit(&chosen == GtkModule::userInteraction() ? 1 : 2);
    }
    if (child < 0) {
        return -1;
    }
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (waitpid(child, &status, WNOHANG) == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

class GtkDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Desktop::onPath("xvfb-run")) {
            GTEST_SKIP() << "xvfb-run is not installed: the GTK dialogs need an X server";
        }
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the tests under xvfb-run";
        ui_ = GtkModule::userInteraction();
        ASSERT_NE(ui_, nullptr) << "the GTK module did not load from " << GtkModule::path();
        std::string pattern = (std::filesystem::temp_directory_path() / "q2gtk.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_, ec);
        }
    }

    // Waits for the dialog titled title, checks it is really drawn, and returns its window.
    std::string shown(const std::string& title) {
        std::string window = Desktop::waitForWindow(title);
        EXPECT_FALSE(window.empty()) << "no window titled " << title;
        if (window.empty()) {
            return window;
        }
        EXPECT_EQ(Desktop::titleOf(window), title);
        EXPECT_GE(Desktop::distinctColours(window), kMinimumColours) << title << " looks blank";
        return window;
    }

    std::string file(const std::string& name, const std::string& bytes) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    UserInteraction* ui_ = nullptr;
    std::filesystem::path dir_;
};

std::vector<CertificateRow> threeCertificates() {
    return {{"CN=Ana, O=ACME, C=ES", "CN=Raíz ACME, C=ES", "01", 1700000000, 1800000000},
            {"CN=Juan, O=ACME, C=ES", "CN=Raíz ACME, C=ES", "02", 1700000000, 1800000000},
            {"CN=Luis, O=ACME, C=ES", "CN=Otra CA, C=ES", "03", 1600000000, 1650000000}};
}

} // namespace

// Runs first, before this process has started the GTK thread, so that forking is safe.
TEST(GtkChoice, WithoutAUsableDisplayEveryDialogIsCancelled) {
    EXPECT_EQ(choiceWithDisplay(nullptr), 0);
    EXPECT_EQ(choiceWithDisplay(""), 0);
    // Set, but no X server answers there: GTK cannot open it.
    EXPECT_EQ(choiceWithDisplay(":9873"), 0);
}

TEST_F(GtkDialogs, PasswordTypedReachesTheCaller) {
    auto pending = std::async(std::launch::async, [&] { return ui_->password("Clave de MY"); });
    std::string window = shown("Contraseña");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::type(window, "s3cr3t-Pw"));
    ASSERT_TRUE(Desktop::press(window, "Return"));
    EXPECT_EQ(Desktop::answer(pending), std::optional<std::string>("s3cr3t-Pw"));

    auto cancelled = std::async(std::launch::async, [&] { return ui_->password("Clave de MY"); });
    window = shown("Contraseña");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::type(window, "nunca"));
    ASSERT_TRUE(Desktop::press(window, "Escape"));
    EXPECT_EQ(Desktop::answer(cancelled), std::nullopt);
}

TEST_F(GtkDialogs, CredentialsGiveUserAndPassword) {
    auto pending = std::async(std::launch::async,
                              [&] { return ui_->credentials("El servidor pide credenciales"); });
    std::string window = shown("Credenciales");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::type(window, "juan"));
    ASSERT_TRUE(Desktop::press(window, "Tab"));
    ASSERT_TRUE(Desktop::type(window, "pa:ss"));
    ASSERT_TRUE(Desktop::press(window, "Return"));
    auto typed = Desktop::answer(pending);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->user, "juan");
    EXPECT_EQ(typed->password, "pa:ss");

    // Without a user name there is nothing to send.
    auto empty = std::async(std::launch::async, [&] { return ui_->credentials("Otra vez"); });
    window = shown("Credenciales");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    EXPECT_FALSE(Desktop::answer(empty));
}

TEST_F(GtkDialogs, ConsentDefaultsToNo) {
    auto refused = std::async(std::launch::async,
                              [&] { return ui_->consent("¿Permite a https://a.example firmar?"); });
    std::string window = shown("Confirmación");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    EXPECT_FALSE(Desktop::answer(refused));

    auto granted = std::async(std::launch::async,
                              [&] { return ui_->consent("¿Permite a https://a.example firmar?"); });
    window = shown("Confirmación");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "alt+s"));
    EXPECT_TRUE(Desktop::answer(granted));
}

TEST_F(GtkDialogs, MessageAndViewerReturnWhenDismissed) {
    auto message = std::async(std::launch::async, [&] { ui_->message("Firma completada."); });
    std::string window = shown("Mensaje");
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(message.wait_for(200ms), std::future_status::timeout) << "returned while shown";
    ASSERT_TRUE(Desktop::press(window, "Return"));
    Desktop::answer(message);

    auto viewer = std::async(std::launch::async, [&] {
        ui_->viewCertificate("Sujeto: CN=Juan, O=ACME, C=ES\nEmisor: CN=Raíz ACME, C=ES\n");
    });
    window = shown("Certificado");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    Desktop::answer(viewer);
}

TEST_F(GtkDialogs, PickerReturnsTheChosenRows) {
    auto single = std::async(std::launch::async, [&] {
        return ui_->chooseCertificates("Elegir firmante", threeCertificates(), false);
    });
    std::string window = shown("Elegir firmante");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Down Return"));
    EXPECT_EQ(Desktop::answer(single), (std::vector<size_t>{1}));

    auto several = std::async(std::launch::async, [&] {
        return ui_->chooseCertificates("Elegir destinatarios", threeCertificates(), true);
    });
    window = shown("Elegir destinatarios");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "ctrl+Down ctrl+Down ctrl+space alt+a"));
    EXPECT_EQ(Desktop::answer(several), (std::vector<size_t>{0, 2}));

    auto cancelled = std::async(std::launch::async, [&] {
        return ui_->selectCertificates("Elegir uno", {"a | b | 01", "c | d | 02"}, false);
    });
    window = shown("Elegir uno");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Escape"));
    EXPECT_EQ(Desktop::answer(cancelled), std::nullopt);
}

TEST_F(GtkDialogs, OpenDialogGivesTheTypedFile) {
    std::string existing = file("firmar.txt", "datos");
    auto pending = std::async(std::launch::async, [&] { return ui_->openFile("Abrir documento"); });
    std::string window = shown("Abrir documento");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "ctrl+l"));
    ASSERT_TRUE(Desktop::type(window, existing));
    // The location entry ignores Return while it is still completing what was typed, as it
    // does for a person typing quickly; press it again until the dialog answers.
    for (int tries = 0; tries < 10; ++tries) {
        Desktop::press(window, "Return");
        if (pending.wait_for(1s) == std::future_status::ready) {
            break;
        }
    }
    EXPECT_EQ(Desktop::answer(pending), std::optional<std::string>(existing));
}

TEST_F(GtkDialogs, SaveDialogConfirmsReplacingAFile) {
    std::string fresh = (dir_ / "nuevo.p7s").string();
    auto created = std::async(std::launch::async, [&] { return ui_->saveFile(fresh); });
    std::string window = shown("Guardar como");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    EXPECT_EQ(Desktop::answer(created), std::optional<std::string>(fresh));

    // Refusing to replace goes back to the chooser; accepting gives the path.
    std::string existing = file("viejo.p7s", "antes");
    auto replaced = std::async(std::launch::async, [&] { return ui_->saveFile(existing); });
    window = shown("Guardar como");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    std::string question = shown("Reemplazar");
    ASSERT_FALSE(question.empty());
    ASSERT_TRUE(Desktop::press(question, "Return"));
    window = shown("Guardar como");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Desktop::press(window, "Return"));
    question = shown("Reemplazar");
    ASSERT_FALSE(question.empty());
    ASSERT_TRUE(Desktop::press(question, "alt+s"));
    EXPECT_EQ(Desktop::answer(replaced), std::optional<std::string>(existing));
}

TEST_F(GtkDialogs, CallsFromSeveralThreadsAreAnsweredOneAfterAnother) {
    auto first = std::async(std::launch::async, [&] { return ui_->password("uno"); });
    auto second = std::async(std::launch::async, [&] { return ui_->password("dos"); });
    std::set<std::string> answers;
    for (const char* typed : {"primera", "segunda"}) {
        std::string window = shown("Contraseña");
        ASSERT_FALSE(window.empty());
        ASSERT_TRUE(Desktop::type(window, typed));
        ASSERT_TRUE(Desktop::press(window, "Return"));
        // The next dialog is shown only once this one is gone.
        for (int i = 0; i < 100 && Desktop::titleOf(window) == "Contraseña"; ++i) {
            std::this_thread::sleep_for(50ms);
        }
    }
    auto a = Desktop::answer(first);
    auto b = Desktop::answer(second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ((std::set<std::string>{*a, *b}), (std::set<std::string>{"primera", "segunda"}));
}

TEST_F(GtkDialogs, CurrentChoosesThemWithADisplayAndNoTerminal) {
    unsetenv("QUILLION_UI_ANSWERS");
    int saved = dup(STDIN_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    ASSERT_GE(devNull, 0);
    dup2(devNull, STDIN_FILENO);
    UserInteraction* chosen = &current();
    dup2(saved, STDIN_FILENO);
    close(saved);
    close(devNull);
    EXPECT_EQ(chosen, ui_);
}
