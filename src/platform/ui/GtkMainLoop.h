#pragma once

#include <functional>
#include <thread>

namespace platform::ui {

// The one thread of the process on which GTK runs. It is started by the first call to
// instance(), initialises GTK there (without touching the process locale) and runs GTK's main
// loop for the life of the process. Other threads hand work to it with run(); nothing of GTK
// is ever called from any other thread.
class GtkMainLoop {
public:
    // The running loop; nullptr when GTK cannot open the display. The answer of the first call
    // holds for the life of the process.
    static GtkMainLoop* instance();

    // Runs task on the GTK thread and returns when it has finished; an exception thrown by
    // task is thrown again here. Called on the GTK thread itself, task runs at once.
    void run(const std::function<void()>& task);

    GtkMainLoop(const GtkMainLoop&) = delete;
    GtkMainLoop& operator=(const GtkMainLoop&) = delete;

private:
    GtkMainLoop() = default;
    static GtkMainLoop* start();

    std::thread::id thread_;
};

} // namespace platform::ui
