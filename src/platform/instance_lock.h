#pragma once

// `InstanceLock`: the single-instance guard that a Windows build gets from a named mutex. It
// is an advisory lock (flock) on <runtime folder>/<name>.lock, so the kernel drops it when
// the holding process ends, however it ends; a stale lock file never blocks a new start.

#include <string>
#include <string_view>

namespace calvorn::platform {

class InstanceLock {
public:
    // `name` must be a valid local name (IsValidLocalName in folders.h).
    explicit InstanceLock(std::string_view name);
    // Releases the lock. The lock file stays; removing it would let a third process lock a new
    // file while a second one still waits on the old.
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. False when another holder has it (in this or another
    // process) or the lock file cannot be opened. True again when this object already holds it.
    bool TryAcquire();
    bool Held() const { return fd_ >= 0; }

private:
    std::string name_;
    int fd_ = -1;
};

}  // namespace calvorn::platform
