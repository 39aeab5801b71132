#include "IBCall.h"

#include "DataSet.h"
#include "IBStatement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace IBCall {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// How often the watchdog looks at the calls in progress.
constexpr milliseconds kTick{100};
// How long a stopping program waits for the calls that release handles.
constexpr seconds kStopBound{2};
// How long a cancel may go unanswered before the connection is closed on our
// side (a server that does not answer at all does not answer a cancel either).
constexpr seconds kGrace{3};
// How often a pumped wait looks at its window.
constexpr milliseconds kPumpStep{20};

enum class Reason : int { None, Timeout, Stop, User };

// The call in progress on one thread. The owning thread writes db, kind,
// wait and call; the watchdog reads them and marks a call it cancelled.
struct Slot {
    std::atomic<IBHandle> db{0};
    std::atomic<Kind> kind{Kind::Work};
    std::atomic<Wait> wait{Wait::Execute};
    std::atomic<std::uint64_t> call{0}; // 0: no call in progress
    std::atomic<std::uint64_t> cancelledCall{0};
    std::atomic<Reason> reason{Reason::None};
    std::uint64_t counter = 0; // owning thread only
    // The watchdog's own notes.
    std::uint64_t seenCall = 0;
    Clock::time_point seenSince;
    Clock::time_point raisedAt;
    bool raised = false;
    bool aborted = false;
};

struct LostConnection {
    QString message;
    std::int32_t sqlCode = 0;
    std::int64_t code = 0;
    bool timeout = false;
};

std::atomic<int> timeoutSeconds = 60;
std::atomic<bool> stopping = false;
std::atomic<int> lostCount = 0;

class Watchdog {
public:
    static Watchdog& Instance() {
        static Watchdog watchdog;
        return watchdog;
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    std::shared_ptr<Slot> NewSlot() {
        auto slot = std::make_shared<Slot>();
        std::lock_guard<std::mutex> lock(mutex_);
        slots_.push_back(slot);
        return slot;
    }
    void DropSlot(const std::shared_ptr<Slot>& slot) {
        std::lock_guard<std::mutex> lock(mutex_);
        slots_.erase(std::remove(slots_.begin(), slots_.end(), slot), slots_.end());
    }
    void Wake() { wake_.notify_all(); }

    void RecordLoss(IBHandle db, LostConnection lost) {
        std::lock_guard<std::mutex> lock(lostMutex_);
        if (lost_.emplace(db, std::move(lost)).second) {
            ++lostCount;
        }
    }
    std::optional<LostConnection> FindLoss(IBHandle db) {
        std::lock_guard<std::mutex> lock(lostMutex_);
        const auto it = lost_.find(db);
        return it == lost_.end() ? std::nullopt : std::optional<LostConnection>(it->second);
    }
    void ForgetLoss(IBHandle db) {
        std::lock_guard<std::mutex> lock(lostMutex_);
        if (lost_.erase(db) != 0) {
            --lostCount;
        }
    }

private:
    Watchdog() : thread_([this] { Loop(); }) {}

    struct Cancel {
        IBHandle db;
        int option;
    };

    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            wake_.wait_for(lock, kTick);
            if (quit_) {
                break;
            }
            const std::vector<Cancel> cancels = Look(Clock::now());
            if (cancels.empty()) {
                continue;
            }
            lock.unlock();
            for (const Cancel& c : cancels) {
                Send(c);
            }
            lock.lock();
        }
    }

    // The cancels due now, noting them on the slots.
    std::vector<Cancel> Look(Clock::time_point now) {
        std::vector<Cancel> cancels;
        const int limit = timeoutSeconds;
        const bool stop = stopping;
        for (const std::shared_ptr<Slot>& s : slots_) {
            const std::uint64_t call = s->call.load(std::memory_order_acquire);
            const IBHandle db = s->db.load(std::memory_order_relaxed);
            if (call != s->seenCall) {
                s->seenCall = call;
                s->seenSince = now;
                s->raised = false;
                s->aborted = false;
            }
            if (call == 0 || db == 0) {
                continue; // a connect is bounded by the library's own time-out
            }
            const Clock::duration waited = now - s->seenSince;
            Clock::duration bound =
                limit > 0 ? Clock::duration(seconds(limit)) : Clock::duration::max();
            if (stop) {
                // Work already under way is given up at once; releasing
                // handles gets a short while.
                bound = s->kind == Kind::Work ? Clock::duration::zero()
                                              : std::min<Clock::duration>(bound, kStopBound);
            }
            if (!s->raised && waited >= bound) {
                s->reason = stop ? Reason::Stop : Reason::Timeout;
                s->cancelledCall.store(call, std::memory_order_release);
                if (!stop) {
                    RecordLoss(db, {TimeoutMessage(s->wait, limit), 0, 0, true});
                }
                s->raised = true;
                s->raisedAt = now;
                cancels.push_back({db, fb_cancel_raise});
            } else if (s->raised && !s->aborted &&
                       now - s->raisedAt >= std::min<Clock::duration>(kGrace, bound)) {
                s->aborted = true;
                cancels.push_back({db, fb_cancel_abort});
            }
        }
        return cancels;
    }

    static void Send(const Cancel& c) {
        IBHandle db = c.db;
        ISC_STATUS_ARRAY status;
        FbClient::Api().cancel_operation(status, &db, static_cast<ISC_USHORT>(c.option));
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::vector<std::shared_ptr<Slot>> slots_;
    std::mutex lostMutex_;
    std::map<IBHandle, LostConnection> lost_;
    std::thread thread_;
};

// This thread's slot, registered with the watchdog while the thread lives.
Slot& ThisSlot() {
    struct Holder {
        std::shared_ptr<Slot> slot = Watchdog::Instance().NewSlot();
        ~Holder() { Watchdog::Instance().DropSlot(slot); }
    };
    thread_local Holder holder;
    return *holder.slot;
}

// Marks a call in progress on the executing thread's slot.
class Marker {
public:
    Marker(IBHandle db, Kind kind, Wait wait) : slot_(ThisSlot()), call_(++slot_.counter) {
        slot_.db.store(db, std::memory_order_relaxed);
        slot_.kind.store(kind, std::memory_order_relaxed);
        slot_.wait.store(wait, std::memory_order_relaxed);
        slot_.call.store(call_, std::memory_order_release);
    }
    ~Marker() { slot_.call.store(0, std::memory_order_release); }
    Marker(const Marker&) = delete;
    Marker& operator=(const Marker&) = delete;

    // Why the watchdog, a stop or a pump cancelled this call, if one did.
    Reason Cancelled() const {
        return slot_.cancelledCall.load(std::memory_order_acquire) == call_ ? slot_.reason.load()
                                                                            : Reason::None;
    }
    void CancelForUser(IBHandle db) {
        slot_.reason = Reason::User;
        slot_.cancelledCall.store(call_, std::memory_order_release);
        IBHandle handle = db;
        ISC_STATUS_ARRAY status;
        FbClient::Api().cancel_operation(status, &handle, fb_cancel_raise);
    }

private:
    Slot& slot_;
    std::uint64_t call_;
};

// The thread a pumped wait runs its calls on: one per pumping thread.
class Helper {
public:
    Helper() : thread_([this] { Loop(); }) {}
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    struct Job {
        IBHandle db;
        Kind kind;
        Wait wait;
        CallRef call;
        Reason cancelled = Reason::None;
        Marker* marker = nullptr; // while the call runs
        bool done = false;
    };

    void Start(Job& job) {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        changed_.notify_all();
    }
    // True once the job is done; waits at most the step.
    bool WaitFor(const Job& job, milliseconds step) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, step, [&] { return job.done; });
    }
    // Cancels the job's call, if it is still under way.
    void CancelForUser(Job& job) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (job.marker != nullptr) {
            job.marker->CancelForUser(job.db);
        }
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return quit_ || job_ != nullptr; });
            if (job_ == nullptr) {
                return;
            }
            Job& job = *job_;
            job_ = nullptr;
            {
                Marker marker(job.db, job.kind, job.wait);
                job.marker = &marker;
                lock.unlock();
                job.call();
                lock.lock();
                job.cancelled = marker.Cancelled();
                job.marker = nullptr;
            }
            job.done = true;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Job* job_ = nullptr;
    bool quit_ = false;
    std::thread thread_;
};

thread_local bool inPumpedWait = false;

// Runs the call on this thread's helper and serves the pump meanwhile. An
// error the pump raises waits until the call is over: the call works on the
// caller's data.
Reason RunPumped(IBHandle db, Kind kind, Wait wait, CallRef call, TDataWaitPump& pump) {
    thread_local Helper helper;
    inPumpedWait = true;
    Helper::Job job{db, kind, wait, call};
    helper.Start(job);
    std::exception_ptr error;
    bool cancelled = false;
    while (!helper.WaitFor(job, kPumpStep)) {
        if (cancelled) {
            continue;
        }
        try {
            cancelled = pump();
        } catch (...) {
            error = std::current_exception();
            cancelled = true;
        }
        if (cancelled) {
            helper.CancelForUser(job);
        }
    }
    inPumpedWait = false;
    if (error) {
        std::rethrow_exception(error);
    }
    return job.cancelled;
}

void ThrowLost(const LostConnection& lost) {
    if (lost.timeout) {
        throw EIBTimeout(lost.message);
    }
    throw EIBError(lost.message, lost.sqlCode, lost.code);
}

void Before(IBHandle db, Kind kind) {
    if (kind == Kind::Cleanup) {
        return;
    }
    if (stopping) {
        throw EIBStopped();
    }
    if (lostCount > 0 && db != 0) {
        if (const std::optional<LostConnection> lost = Watchdog::Instance().FindLoss(db)) {
            ThrowLost(*lost);
        }
    }
}

bool SaysConnectionLost(const ISC_STATUS* status) {
    static const ISC_STATUS lossCodes[] = {
        isc_network_error,      isc_net_read_err, isc_net_write_err, isc_conn_lost,
        isc_lost_db_connection, isc_att_shutdown, isc_shutdown};
    for (const ISC_STATUS* s = status; *s != isc_arg_end;) {
        const ISC_STATUS type = *s++;
        const ISC_STATUS value = *s++;
        if (type == isc_arg_gds &&
            std::find(std::begin(lossCodes), std::end(lossCodes), value) != std::end(lossCodes)) {
            return true;
        }
        if (type == isc_arg_cstring) {
            ++s; // a counted string takes two slots
        }
    }
    return false;
}

// A cancel that reached the server after the call it was meant for had
// ended would cancel the next one: take it back.
void ClearCancel(IBHandle db) {
    IBHandle handle = db;
    ISC_STATUS_ARRAY status;
    FbClient::Api().cancel_operation(status, &handle, fb_cancel_disable);
    FbClient::Api().cancel_operation(status, &handle, fb_cancel_enable);
}

void After(IBHandle db, Kind kind, Reason cancelled, const ISC_STATUS* status) {
    const bool failed = status[0] == 1 && status[1] != 0;
    if (cancelled == Reason::User) {
        ClearCancel(db);
    }
    if (!failed) {
        return;
    }
    // Releasing handles goes on whatever happened; the caller reads the
    // status as it always does.
    switch (kind == Kind::Cleanup ? Reason::None : cancelled) {
    case Reason::Timeout:
        if (const std::optional<LostConnection> lost = Watchdog::Instance().FindLoss(db)) {
            ThrowLost(*lost);
        }
        break;
    case Reason::Stop:
    case Reason::User:
        throw EIBStopped();
    case Reason::None:
        break;
    }
    if (db != 0 && SaysConnectionLost(status)) {
        const FbApi& api = FbClient::Api();
        Watchdog::Instance().RecordLoss(
            db, {IBStatusText(api, status), api.sqlcode(status), status[1], false});
    }
}

} // namespace

QString TimeoutMessage(Wait wait, int seconds) {
    static const char* const what[] = {
        "connecting",
        "disconnecting",
        "starting a transaction",
        "committing",
        "rolling back",
        "preparing a statement",
        "executing a statement",
        "fetching rows",
        "closing a statement",
        "reading a text or picture",
        "asking about the connection",
    };
    return QStringLiteral("No answer from the database server within %1 s (%2)")
        .arg(seconds)
        .arg(QLatin1String(what[static_cast<int>(wait)]));
}

void Run(IBHandle db, Kind kind, Wait wait, ISC_STATUS* status, CallRef call) {
    Before(db, kind);
    TDataWaitPump* pump = TDataWaitPump::Current();
    Reason cancelled = Reason::None;
    if (pump != nullptr && !inPumpedWait) {
        cancelled = RunPumped(db, kind, wait, call, *pump);
    } else {
        Marker marker(db, kind, wait);
        call();
        cancelled = marker.Cancelled();
    }
    After(db, kind, cancelled, status);
}

void SetTimeout(int seconds) {
    timeoutSeconds = std::max(0, seconds);
}

int Timeout() {
    return timeoutSeconds;
}

void Stop() {
    stopping = true;
    Watchdog::Instance().Wake();
}

bool Stopping() {
    return stopping;
}

std::optional<EIBError> Lost(IBHandle db) {
    if (lostCount == 0) {
        return std::nullopt;
    }
    const std::optional<LostConnection> lost = Watchdog::Instance().FindLoss(db);
    if (!lost) {
        return std::nullopt;
    }
    return lost->timeout ? EIBTimeout(lost->message)
                         : EIBError(lost->message, lost->sqlCode, lost->code);
}

bool LostToTimeout(IBHandle db) {
    if (lostCount == 0) {
        return false;
    }
    const std::optional<LostConnection> lost = Watchdog::Instance().FindLoss(db);
    return lost && lost->timeout;
}

void Forget(IBHandle db) {
    if (lostCount > 0) {
        Watchdog::Instance().ForgetLoss(db);
    }
}

} // namespace IBCall
