#pragma once

// A manual-reset event: once set it stays set, releasing every waiter, until Reset(). Worker
// threads poll or wait on one as their stop event.

#include <condition_variable>
#include <mutex>

namespace calvorn::platform {

class ManualResetEvent {
public:
    explicit ManualResetEvent(bool initially_set = false) : set_(initially_set) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    // Sets the event and wakes every waiter. Any thread.
    void Set();
    // Clears the event. Any thread.
    void Reset();
    bool IsSet() const;

    // Waits until the event is set or `timeout_ms` milliseconds have passed; -1 waits forever
    // and 0 only tests. Returns whether the event is set.
    bool Wait(int timeout_ms) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_;
};

}  // namespace calvorn::platform
