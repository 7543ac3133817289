#pragma once

// Area effects: the profile's light effect list ("LightList") as the device holds it, one
// 13-byte LED layer record per colour-array record. Record i drives colour record i with its
// own small effect (breathing, static, blink, colour cycle or off), drawn over the effect's
// renderer after every light-thread turn. The keyboard and the mousepad step them; the mouse
// only resets them.
//
// The records are guarded by the device's light-data lock; callers hold it around Reset and
// Compose. The area state (phases, counters, blink clocks) belongs to one device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/color_array.h"
#include "platform/clock.h"

namespace calvorn::device {

// One LED layer record: byte 0 area type, 1 brightness level, 2 speed, 4 multi-colour flag,
// 5-7 red, green, blue, 10 present flag.
using LedLayerRecord = std::array<std::uint8_t, 13>;

enum class AreaType : std::uint8_t {
    kBreathing = 0,
    kStatic = 1,
    kBlink = 2,
    kColorCycle = 3,
    kOff = 4
};

class AreaEffects {
public:
    static constexpr std::size_t kCapacity = ColorArray::kCapacity;

    // Starts every record's effect afresh (the list was just reloaded).
    void Reset(std::span<const LedLayerRecord> records);
    // Advances the area effects by `turns` light-thread turns (0: only draws) and draws every
    // present record into its colour record. Records past the colour array are ignored.
    void Compose(ColorArray& colors, std::span<const LedLayerRecord> records, std::uint32_t turns,
                 platform::Millis now);
    // Whether any record changes from turn to turn, so the light thread must compose every
    // millisecond.
    static bool Animates(std::span<const LedLayerRecord> records);
    // The blink period of a record: the speed's period × 200 ms.
    static platform::Millis BlinkPeriod(std::uint8_t speed);

    struct RecordState {
        std::uint8_t breathing_phase = 0;
        std::uint8_t breathing_color = 0;
        platform::Millis blink_period{0};
        platform::Millis blink_stamp{0};
        bool blink_on = false;
        std::uint8_t blink_color = 0;
        std::uint8_t cycle_counter = 0;
        std::uint8_t cycle_limit = 0;
        std::uint8_t cycle_color = 0;
    };
    const RecordState& State(std::size_t index) const { return states_[index]; }

private:
    std::array<RecordState, kCapacity> states_{};
};

}  // namespace calvorn::device
