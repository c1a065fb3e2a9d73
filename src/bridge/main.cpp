// qnbridge: the native-messaging host through which web pages, by way of the Quillion2
// browser extension, reach the component. One process serves one page (one connection).
//
//   qnbridge chrome-extension://ID/ [...]     started by Chromium or Chrome
//   qnbridge MANIFEST quillion2@quillion.org  started by Firefox
//   qnbridge install [--chromium-profile DIR]
//   qnbridge uninstall [--chromium-profile DIR]

#include "bridge/BridgeError.h"
#include "bridge/CallerCheck.h"
#include "bridge/Installer.h"
#include "bridge/MessageReader.h"
#include "bridge/MessageWriter.h"
#include "bridge/OriginPolicy.h"
#include "bridge/RememberedOrigins.h"
#include "bridge/Session.h"
#include "com/ComponentModule.h"
#include "com/Registry.h"
#include "platform/ui/UserInteraction.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: qnbridge install [--chromium-profile DIR]\n"
                         "       qnbridge uninstall [--chromium-profile DIR]\n"
                         "(otherwise started by the browser for the Quillion2 extension)\n");
    return 2;
}

int installCommand(const std::vector<std::string>& args) {
    std::optional<std::string> profile;
    if (args.size() == 3 && args[1] == "--chromium-profile" && !args[2].empty()) {
        profile = args[2];
    } else if (args.size() != 1) {
        return usage();
    }
    const char* home = std::getenv("HOME");
    if (!profile && (!home || !*home)) {
        std::fprintf(stderr, "qnbridge: HOME is not set\n");
        return 1;
    }
    bridge::Installer installer(home ? home : "", profile, com::executablePath());
    try {
        if (args[0] == "install") {
            for (const std::string& path : installer.install()) {
                std::printf("%s\n", path.c_str());
            }
        } else {
            for (const std::string& path : installer.uninstall()) {
                std::printf("%s\n", path.c_str());
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qnbridge: %s\n", e.what());
        return 1;
    }
    return 0;
}

// Standard output carries the protocol only: the messages go to a copy of it, and the
// descriptor itself is pointed at standard error, so that nothing the module prints (a log
// sent to the console, say) can break a message.
int protocolOutput() {
    int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (out >= 0) {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    return out;
}

int serve() {
    std::signal(SIGPIPE, SIG_IGN);
    // Only qnbridge says which origin the module serves.
    ::unsetenv("QUILLION_BRIDGE_ORIGIN");
    int out = protocolOutput();
    if (out < 0) {
        std::fprintf(stderr, "qnbridge: no standard output\n");
        return 1;
    }
    bridge::RememberedOrigins remembered(com::Registry::homeDirectory());
    bridge::OriginPolicy policy(remembered, [](const std::string& question) {
        return platform::ui::current().consent(question);
    });
    bool loaded = true;
    bridge::Session session(policy, [&loaded](const std::string& origin) {
        ::setenv("QUILLION_BRIDGE_ORIGIN", origin.c_str(), 1);
        loaded = com::loadComponentModule("qnbridge");
    });
    bridge::MessageReader reader(STDIN_FILENO);
    bridge::MessageWriter writer(out);
    while (true) {
        bridge::MessageReader::Frame frame = reader.next();
        switch (frame.status) {
        case bridge::MessageReader::Status::Message: {
            std::int64_t id = 0;
            std::string reply = session.handle(frame.text, id);
            if (!writer.sendReply(id, reply)) {
                return 1;
            }
            if (!loaded) {
                return 1;
            }
            break;
        }
        case bridge::MessageReader::Status::Truncated:
            writer.sendReply(
                0, bridge::Session::errorReply(0, bridge::kMalformed,
                                               "Mensaje mal formado: el mensaje está incompleto"));
            return 1;
        case bridge::MessageReader::Status::Oversized:
            writer.sendReply(0, bridge::Session::errorReply(
                                    0, bridge::kMalformed,
                                    "Mensaje mal formado: longitud " +
                                        std::to_string(frame.declaredLength) +
                                        " mayor que el máximo de " +
                                        std::to_string(bridge::MessageReader::kMaxMessage)));
            return 1;
        case bridge::MessageReader::Status::End:
            return 0;
        case bridge::MessageReader::Status::Failed:
            return 1;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "install" || args[0] == "uninstall")) {
        return installCommand(args);
    }
    if (!bridge::CallerCheck::accepts(args)) {
        std::fprintf(stderr, "qnbridge: not started by the Quillion2 extension\n");
        return usage();
    }
    return serve();
}
