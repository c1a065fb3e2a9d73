#include "stream/ConsoleLogOutput.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <string>
#include <unistd.h>

#include "stream/FileDescriptor.h"

namespace stream {

namespace {

// Writes to standard output without letting a closed pipe raise SIGPIPE in the host: the
// signal is blocked for the call and a SIGPIPE it caused is taken back.
void writeWithoutSigpipe(const std::string& text) {
    sigset_t pipeOnly;
    sigset_t previous;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    if (pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous) != 0) {
        return;
    }
    sigset_t pending;
    sigemptyset(&pending);
    bool alreadyPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    bool written = writeFully(STDOUT_FILENO, text.data(), text.size());
    if (!written && errno == EPIPE && !alreadyPending) {
        timespec none{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &none) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

void ConsoleLogOutput::open(const std::string& path, int mode) {
    open_ = true;
}

void ConsoleLogOutput::write(std::string_view line) {
    if (!open_) {
        return;
    }
    std::string text;
    text.reserve(line.size() + 1);
    text.append(line);
    text.push_back('\n');
    writeWithoutSigpipe(text); // a failed write is ignored
}

void ConsoleLogOutput::close() {
    open_ = false;
}

} // namespace stream
