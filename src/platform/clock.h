#pragma once

// Monotonic time for timers and thread loops. Production code reads SteadyClock; tests use
// FakeClock, which only moves when told to, so timer behaviour is checked without sleeping.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace calvorn::platform {

using Millis = std::chrono::milliseconds;

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed origin; never goes backwards.
    virtual Millis Now() const = 0;
};

class SteadyClock final : public Clock {
public:
    Millis Now() const override {
        return std::chrono::duration_cast<Millis>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    // The process-wide instance.
    static SteadyClock& Instance() {
        static SteadyClock clock;
        return clock;
    }
};

class FakeClock final : public Clock {
public:
    explicit FakeClock(Millis start = Millis(1'000'000)) : now_(start.count()) {}
    Millis Now() const override { return Millis(now_.load(std::memory_order_acquire)); }
    void Set(Millis now) { now_.store(now.count(), std::memory_order_release); }
    void Advance(Millis by) { now_.fetch_add(by.count(), std::memory_order_acq_rel); }

private:
    std::atomic<int64_t> now_;
};

}  // namespace calvorn::platform
