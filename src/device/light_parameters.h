#pragma once

// The light parameters a device's renderers draw from, and a holder that the UI thread sets
// while the light thread reads.

#include <cstdint>
#include <mutex>

namespace calvorn::device {

// Four 32-bit words, set together. First word, bytes 0-3: mode, brightness level, speed,
// direction (non-zero = forward). Second word: colourful flag (non-zero = colours from the
// wheel), static red, green, blue. Third: kind-specific (the keyboard keeps its light-effect
// code there). Fourth: custom-light slot in the low byte.
struct LightParameters {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t colorful = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint32_t kind_specific = 0;
    std::uint32_t custom_slot = 0;

    bool Forward() const { return direction != 0; }
    bool Colorful() const { return colorful != 0; }

    static constexpr LightParameters FromWords(std::uint32_t first, std::uint32_t second,
                                               std::uint32_t third, std::uint32_t fourth) {
        return LightParameters{static_cast<std::uint8_t>(first),
                               static_cast<std::uint8_t>(first >> 8),
                               static_cast<std::uint8_t>(first >> 16),
                               static_cast<std::uint8_t>(first >> 24),
                               static_cast<std::uint8_t>(second),
                               static_cast<std::uint8_t>(second >> 8),
                               static_cast<std::uint8_t>(second >> 16),
                               static_cast<std::uint8_t>(second >> 24),
                               third,
                               fourth};
    }
    constexpr std::uint32_t FirstWord() const {
        return mode | (static_cast<std::uint32_t>(brightness) << 8) |
               (static_cast<std::uint32_t>(speed) << 16) |
               (static_cast<std::uint32_t>(direction) << 24);
    }
    constexpr std::uint32_t SecondWord() const {
        return colorful | (static_cast<std::uint32_t>(red) << 8) |
               (static_cast<std::uint32_t>(green) << 16) | (static_cast<std::uint32_t>(blue) << 24);
    }

    friend bool operator==(const LightParameters&, const LightParameters&) = default;
};

// The parameters as one consistent record shared between the thread that sets them (the UI
// thread) and the light thread that renders from them.
class SharedLightParameters {
public:
    void Store(const LightParameters& parameters) {
        std::lock_guard lock(mutex_);
        parameters_ = parameters;
    }
    LightParameters Load() const {
        std::lock_guard lock(mutex_);
        return parameters_;
    }

private:
    mutable std::mutex mutex_;
    LightParameters parameters_;
};

}  // namespace calvorn::device
