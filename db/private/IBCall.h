#pragma once
// Private to db/ (only db/ and its tests have this folder on their include
// path): every call into the client library that waits for the server goes
// through IBCall::Run. It
// - bounds the wait: a watchdog thread cancels a call the server has not
//   answered within the time-out (first asking the server to cancel it, then,
//   when even that goes unanswered, closing the connection on our side), and
//   the connection is given up: every later call on it raises the same
//   EIBTimeout at once instead of waiting again;
// - stops for a program that is ending (Stop, in IBCallControl.h): calls in
//   progress are cancelled and new work is refused with the silent abort,
//   while the calls that release handles (rollback, detach) still run, under
//   a short bound;
// - keeps a window answering while it waits: with a TDataWaitPump installed
//   on the calling thread, the call runs on a helper thread and the pump runs
//   every few milliseconds; a pump that answers true cancels the call;
// - remembers a connection that was lost: what lost it ("Error reading data
//   from the connection") is what every later call on it reports, never a
//   confused follow-up error of the client library.
#include "FbClient.h"
#include "IBCallControl.h"
#include "IBError.h"

#include <QString>
#include <optional>

using IBHandle = unsigned int; // the client library's handle type

namespace IBCall {

// What a call does for the connection: work that a stopping program no
// longer does, or the release of handles, which still runs.
enum class Kind { Work, Cleanup };

// What the call waits for, for the time-out's message.
enum class Wait {
    Connect,
    Disconnect,
    StartTransaction,
    Commit,
    Rollback,
    Prepare,
    Execute,
    Fetch,
    Free,
    ReadBlob,
    Info,
};

// "No answer from the database server within 60 s (fetching rows)".
QString TimeoutMessage(Wait wait, int seconds);

// A bound-free function reference: calls are made through it without
// copying or allocating.
class CallRef {
public:
    template <class F>
    CallRef(F& f) : object_(&f), call_([](void* o) { (*static_cast<F*>(o))(); }) {}
    void operator()() const { call_(object_); }

private:
    void* object_;
    void (*call_)(void*);
};

// Runs one call on connection db (0 while connecting). Before it: raises
// the silent abort for work once the program is stopping, and the recorded
// error for work on a lost connection. After it, when status holds an
// error: raises EIBTimeout when the watchdog cancelled the call, the silent
// abort when a stop or a pump did, and otherwise returns for the caller to
// raise the status as usual (noting first whether it says the connection
// is gone).
void Run(IBHandle db, Kind kind, Wait wait, ISC_STATUS* status, CallRef call);

// The error that lost the connection (a time-out, or a connection the
// server or the network dropped), if it was lost; its text and codes only.
std::optional<EIBError> Lost(IBHandle db);
// True when connection db was given up because the server did not answer in
// time (rather than dropped by the server or the network).
bool LostToTimeout(IBHandle db);
// Forgets what is known about a handle: before it is attached, after it is
// detached (the library hands the same numbers out again).
void Forget(IBHandle db);

} // namespace IBCall
