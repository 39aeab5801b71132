#include "StopSignals.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace StopSignals {

namespace {

std::atomic<int> received = 0;

sigset_t Signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// A program started from ours (a web browser) should not inherit the
// blocked signals.
void UnblockInChild() {
    const sigset_t set = Signals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace

void Install(std::function<void(int signal)> onStop) {
    const sigset_t set = Signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    pthread_atfork(nullptr, nullptr, UnblockInChild);
    std::thread([set, onStop = std::move(onStop)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) {
                continue;
            }
            int none = 0;
            received.compare_exchange_strong(none, signal);
            onStop(signal);
        }
    }).detach();
}

int Received() {
    return received;
}

} // namespace StopSignals
