#pragma once

// Reactive lighting state: one intensity per key, which key reactions raise and the renderers
// let decay, and a short queue of key entries. Key reactions arrive on the device's
// synchronisation thread while the light thread renders, so every entry is an atomic byte:
// a turn may see a half-applied reaction, never a torn value or a data race.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace calvorn::device {

class ReactiveBuffer {
public:
    static constexpr std::size_t kKeys = 126;
    static constexpr std::size_t kQueueLength = 23;

    std::uint8_t Intensity(std::size_t key) const;
    void SetIntensity(std::size_t key, std::uint8_t value);
    std::uint8_t QueueEntry(std::size_t index) const;
    void SetQueueEntry(std::size_t index, std::uint8_t value);
    std::uint8_t Spare() const { return spare_.load(std::memory_order_relaxed); }
    void SetSpare(std::uint8_t value) { spare_.store(value, std::memory_order_relaxed); }

    // One decay step of a key's intensity v: from 128 up −40, from 64 −30, from 32 −10, above
    // 16 −8, above 0 −1 when `fine` is set and −4 (not below 0) otherwise. Keys outside the
    // buffer are ignored.
    void DecayReactive(std::size_t key, bool fine);

    // For positions 0-8: a non-zero queue entry p lights intensity p fully.
    void TriggerReactive();
    // The headset and mousepad form: for every LED i below `led_count`, a non-zero queue entry
    // i + 1 lights intensity i + 1. Stops at the end of the queue.
    void TriggerReactiveLeds(std::size_t led_count);

    // Forward: entries 0-21 move one place up (entry 22 falls off) and the spare entry becomes
    // entry 0. Backward: entry 0 goes to the spare entry and entries 1-22 move one place down
    // (entry 22 keeps its value).
    void ShiftReactiveQueue(bool forward);
    // The same over the first `length` entries only (at most the queue length).
    void ShiftReactiveQueue(bool forward, std::size_t length);

    // Every intensity and queue entry becomes 0.
    void ClearReactive();

private:
    std::array<std::atomic<std::uint8_t>, kKeys> intensity_{};
    std::array<std::atomic<std::uint8_t>, kQueueLength> queue_{};
    std::atomic<std::uint8_t> spare_{0};
};

}  // namespace calvorn::device
