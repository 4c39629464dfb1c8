#include "platform/stop_signals.h"

#include <atomic>
#include <csignal>

namespace {

// Lock-free, so safe inside a signal handler, which may run on any thread.
std::atomic<int> caught_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Runs inside the signal: nothing but the one store is safe here.
void RememberStopSignal(int signal_number) {
    int none = 0;
    caught_signal.compare_exchange_strong(none, signal_number, std::memory_order_relaxed);
#if defined(_WIN32)
    std::signal(signal_number, RememberStopSignal);  // delivery reset the handler
#endif
}

}  // namespace

#if defined(_WIN32)
void CatchStopSignals() {
    std::signal(SIGINT, RememberStopSignal);
    std::signal(SIGTERM, RememberStopSignal);
}
#else
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = RememberStopSignal;
    sigemptyset(&action.sa_mask);
    // Writes under way go on: a signal must not cut a frame short.
    action.sa_flags = SA_RESTART;
    const int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};
    for (const int signal_number : stop_signals) {
        // A signal the caller ignores stays ignored: under nohup, or started
        // in the background by a script, the recording goes on.
        struct sigaction inherited {};
        if (sigaction(signal_number, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) {
            sigaction(signal_number, &action, nullptr);
        }
    }
}
#endif

int CaughtStopSignal() {
    return caught_signal.load(std::memory_order_relaxed);
}
