#include "platform/manual_reset_event.h"

#include <chrono>

namespace calvorn::platform {

void ManualResetEvent::Set() {
    // Notified under the lock: a waiter that sees the event set may destroy it at once.
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool ManualResetEvent::Wait(int timeout_ms) const {
    std::unique_lock lock(mutex_);
    if (timeout_ms < 0) {
        changed_.wait(lock, [this] { return set_; });
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return set_; });
}

}  // namespace calvorn::platform
