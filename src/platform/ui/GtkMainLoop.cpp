#include "platform/ui/GtkMainLoop.h"

#include <condition_variable>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include <gtk/gtk.h>

namespace platform::ui {

namespace {

// One task handed to the GTK thread, and its completion.
struct PendingCall {
    const std::function<void()>* task = nullptr;
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

gboolean runPendingCall(gpointer data) {
    auto* call = static_cast<PendingCall*>(data);
    try {
        (*call->task)();
    } catch (...) {
        call->error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(call->mutex);
        call->done = true;
    }
    call->finished.notify_one();
    return G_SOURCE_REMOVE;
}

} // namespace

GtkMainLoop* GtkMainLoop::instance() {
    // Created once and never destroyed: the GTK thread runs until the process ends, so the
    // object it serves must outlive every static destructor.
    static GtkMainLoop* const loop = start();
    return loop;
}

GtkMainLoop* GtkMainLoop::start() {
    auto ready = std::make_shared<std::promise<bool>>();
    std::future<bool> started = ready->get_future();
    std::thread worker([ready] {
        // GTK would otherwise call setlocale(LC_ALL, "") and change how every thread of the
        // host formats and parses numbers.
        gtk_disable_setlocale();
        if (gtk_init_check(nullptr, nullptr) == FALSE) {
            ready->set_value(false);
            return;
        }
        ready->set_value(true);
        gtk_main();
    });
    std::thread::id gtkThread = worker.get_id();
    worker.detach();
    if (!started.get()) {
        return nullptr;
    }
    auto* loop = new GtkMainLoop();
    loop->thread_ = gtkThread;
    return loop;
}

void GtkMainLoop::run(const std::function<void()>& task) {
    if (std::this_thread::get_id() == thread_) {
        task();
        return;
    }
    PendingCall call;
    call.task = &task;
    // Queued on the default context, which only the GTK thread dispatches.
    g_idle_add(runPendingCall, &call);
    {
        std::unique_lock<std::mutex> lock(call.mutex);
        call.finished.wait(lock, [&call] { return call.done; });
    }
    if (call.error) {
        std::rethrow_exception(call.error);
    }
}

} // namespace platform::ui
