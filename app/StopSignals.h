#pragma once
// SIGINT, SIGTERM and SIGHUP end a run of either program cleanly: the run
// stops, what it was writing is dropped, the connection is closed, and the
// program exits with 128 + the signal (130, 143, 129).
//
// The three signals are blocked in every thread from the start of main and
// taken by one thread of ours, so no handler ever runs in the middle of
// something: not ours, and not the one the database client library installs
// at its first connection, which shuts the library down from a thread of its
// own and then crashes the process while it exits.
#include <functional>

namespace StopSignals {

// Call first thing in main, before any other thread exists (threads started
// later inherit the blocked signals; child processes get them back). onStop
// runs on the watching thread for each signal; the first one is kept.
void Install(std::function<void(int signal)> onStop);

// The first signal that asked to stop, 0 while none did.
int Received();

// The exit code of a program a signal stopped: 128 + the signal.
constexpr int ExitCode(int signal) {
    return 128 + signal;
}

} // namespace StopSignals
