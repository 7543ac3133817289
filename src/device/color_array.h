#pragma once

// The per-LED colour records that a device's light thread renders and the UI thread reads.
//
// Each record (red, green, blue, brightness) is one std::atomic<uint32_t>, so the light thread
// writes and the UI thread reads without a lock and without a data race. A reader may see a
// frame that mixes two renderer steps; every single record is always whole. The storage has a
// fixed capacity (one 528-byte light frame holds 176 LEDs), so changing the LED count never
// reallocates under a running light thread.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace calvorn::device {

// One LED's colour record: red, green, blue and brightness (0-255).
struct LedColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t brightness = 0;

    friend bool operator==(const LedColor&, const LedColor&) = default;
};

// Packs a record into one word: red in bits 0-7, green 8-15, blue 16-23, brightness 24-31
// (the record's byte order in memory on a little-endian machine).
constexpr std::uint32_t PackLedColor(LedColor color) {
    return static_cast<std::uint32_t>(color.red) | (static_cast<std::uint32_t>(color.green) << 8) |
           (static_cast<std::uint32_t>(color.blue) << 16) |
           (static_cast<std::uint32_t>(color.brightness) << 24);
}

constexpr LedColor UnpackLedColor(std::uint32_t word) {
    return LedColor{static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                    static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
}

class ColorArray {
public:
    // The most LEDs any light frame can carry (528 bytes, 3 per LED).
    static constexpr std::size_t kCapacity = 176;

    ColorArray() = default;
    explicit ColorArray(std::size_t count) { SetCount(count); }
    ColorArray(const ColorArray&) = delete;
    ColorArray& operator=(const ColorArray&) = delete;

    // Number of records in use. Any thread.
    std::size_t Count() const { return count_.load(std::memory_order_acquire); }

    // Sets the number of records (clamped to kCapacity) and zeroes the first `count` of them.
    // Records beyond the count read as zero. Any thread.
    void SetCount(std::size_t count) {
        if (count > kCapacity) {
            count = kCapacity;
        }
        for (std::size_t i = 0; i < count; ++i) {
            records_[i].store(0, std::memory_order_relaxed);
        }
        count_.store(count, std::memory_order_release);
    }

    // Record `index`, or all zero when the index is not below the count. Any thread.
    LedColor Get(std::size_t index) const { return UnpackLedColor(GetPacked(index)); }
    std::uint32_t GetPacked(std::size_t index) const {
        return index < Count() ? records_[index].load(std::memory_order_relaxed) : 0;
    }

    // Stores record `index`; ignored when the index is not below the count. Any thread.
    void Set(std::size_t index, LedColor color) { SetPacked(index, PackLedColor(color)); }
    void SetPacked(std::size_t index, std::uint32_t word) {
        if (index < Count()) {
            records_[index].store(word, std::memory_order_relaxed);
        }
    }

    // Replaces only the brightness byte of record `index`, keeping a colour that another
    // thread may be storing at the same time. Ignored when the index is not below the count.
    void SetBrightness(std::size_t index, std::uint8_t brightness) {
        if (index >= Count()) {
            return;
        }
        std::uint32_t word = records_[index].load(std::memory_order_relaxed);
        while (word >> 24 != brightness &&
               !records_[index].compare_exchange_weak(
                   word, (word & 0x00FFFFFFu) | (static_cast<std::uint32_t>(brightness) << 24),
                   std::memory_order_relaxed)) {
        }
    }

    // Stores `color` into every record in use.
    void Fill(LedColor color) {
        const std::uint32_t word = PackLedColor(color);
        const std::size_t count = Count();
        for (std::size_t i = 0; i < count; ++i) {
            records_[i].store(word, std::memory_order_relaxed);
        }
    }

private:
    std::atomic<std::size_t> count_{0};
    std::array<std::atomic<std::uint32_t>, kCapacity> records_{};
};

}  // namespace calvorn::device
