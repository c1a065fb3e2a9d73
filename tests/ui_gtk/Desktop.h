#pragma once

#include <chrono>
#include <cstdlib>
#include <future>
#include <iostream>
#include <string>

// The X server the dialogs are shown on, driven with xdotool and photographed with
// ImageMagick. Every wait is bounded.
class Desktop {
public:
    // True when program is an executable on PATH.
    static bool onPath(const std::string& program);

    // The id of the visible window whose title is exactly title, waiting for it at most
    // 20 seconds; empty when none appeared.
    static std::string waitForWindow(const std::string& title);
    // The title of a window.
    static std::string titleOf(const std::string& window);
    // The number of distinct colours of a screenshot of the window; 0 when none was taken.
    static size_t distinctColours(const std::string& window);
    // Focuses the window, then sends keys (xdotool key names separated by spaces).
    static bool press(const std::string& window, const std::string& keys);
    // Focuses the window, then types text.
    static bool type(const std::string& window, const std::string& text);

    // The answer of a dialog running on another thread. A dialog still open after 30 seconds
    // ends the test program: its thread could not be joined, and waiting longer could hang.
    template <typename T> static T answer(std::future<T>& pending) {
        if (pending.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            std::cerr << "a dialog was not answered within 30 seconds\n";
            std::_Exit(1);
        }
        return pending.get();
    }

private:
    // Runs a shell command: its exit status and standard output.
    static int run(const std::string& command, std::string* output = nullptr);
};
