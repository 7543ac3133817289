#pragma once

// `ThreadSlot`: one worker thread with its manual-reset stop event and the stop protocol that
// every worker of the program is stopped by.
//
// Stop protocol: set the stop event, call the release callback (which aborts a blocking read
// so the thread can see the event), wait up to a timeout (1000 ms by default) for the thread
// to end, and write one trace line for the outcome. The texts come from one of two sets: the
// per-thread set of the device threads and the set the main window writes at shutdown.
//
// C++ cannot kill a thread. A thread that has not ended when the wait times out is detached
// (abandoned): it keeps running on its own until its function returns, and Stop() reports
// kTimedOut. Therefore a thread function may only touch state that outlives it: its stop
// event (kept alive by the slot's shared state) and objects it holds through shared_ptr or
// that its owner guarantees to outlive every thread (the UiLoop). It must never capture a raw
// pointer to an object that the thread's owner destroys after stopping the slot.
//
// Windows also reports an "abandoned mutex" outcome for a thread that ended while owning a
// mutex; std::mutex has no such state, so that outcome and its trace line cannot occur here.
//
// A slot is driven from one thread (normally the UI thread); it is not itself thread-safe.

#include <functional>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "platform/manual_reset_event.h"

namespace calvorn::platform {

class UiLoop;

inline constexpr Millis kStopTimeout{1000};

// Which trace lines the stop protocol writes.
enum class StopTexts {
    kWorker,    // a device's worker: "线程退出：：对象处于激发状态" and its siblings
    kShutdown,  // the main window's shutdown: "所有对象处于激发状态" and its siblings
    kSilent,    // infrastructure threads that have no trace lines of their own
};

enum class StopOutcome {
    kNotRunning,  // no thread was in the slot; nothing traced
    kEnded,       // the thread ended within the timeout and was joined
    kTimedOut,    // the thread did not end in time and was abandoned
    kError,       // the slot's own thread asked to stop itself; the thread was abandoned
};

class ThreadSlot {
public:
    // The thread function. It receives the stop event, which stays valid for as long as the
    // function runs, even after abandonment.
    using Body = std::function<void(ManualResetEvent& stop)>;
    // Unblocks the thread when it may be waiting on something other than the stop event,
    // for example by aborting a pending HID read. Called on the stopping thread, at most once
    // per started thread, after the stop event is set.
    using Release = std::function<void()>;

    // With a `pump`, a Stop() called on that loop's UI thread keeps dispatching messages that
    // other threads send to the UI thread while it waits, so a worker blocked in
    // UiLoop::SendMessage can finish instead of dead-locking against the waiting UI thread.
    explicit ThreadSlot(StopTexts texts = StopTexts::kWorker, UiLoop* pump = nullptr);
    // Runs the stop protocol.
    ~ThreadSlot();
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    // Runs the stop protocol for a thread still in the slot, then starts `body` on a new
    // thread with a fresh, unset stop event. (A fresh event rather than a reset one: an
    // abandoned thread must keep seeing its own event set.) False when the system could not
    // create the thread.
    bool Start(Body body, Release release = {});

    // Sets the stop event and calls the release callback without waiting, so that several
    // slots can be signalled together before each is waited for.
    void SignalStop();

    // The stop protocol. Returns kNotRunning without tracing when the slot is empty.
    StopOutcome Stop(Millis timeout = kStopTimeout);

    bool HasThread() const { return thread_.joinable(); }

private:
    struct Shared {
        ManualResetEvent installed;  // the slot holds the thread
        ManualResetEvent stop;
        ManualResetEvent finished;
    };

    bool WaitForEnd(Millis timeout);
    void TraceOutcome(StopOutcome outcome) const;

    const StopTexts texts_;
    UiLoop* const pump_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    Release release_;
};

}  // namespace calvorn::platform
