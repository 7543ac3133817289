#pragma once

// The light effect engine's base renderers and the base light frame.
//
// A renderer writes one colour record per LED into a device's ColorArray; the base renderers
// give every LED the same colour. Each call is one step of the effect: the light thread calls
// the current effect's renderer once per period of the effect (see light_thread.h), so an
// effect's pace comes from measured time, not from how often the thread wakes. Renderers
// allocate nothing and only touch the colour array's atomic records, so the UI thread may read
// the array at any time.
//
// The renderer state (phase, colour index, blink state and time stamp) belongs to the light
// thread alone.

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/color_array.h"
#include "device/light_parameters.h"
#include "device/light_tables.h"
#include "platform/clock.h"

namespace calvorn::device {

// One phase step, all in bytes. Forward: current + increment, or 0 when that reaches `limit`.
// Backward: current − increment when that (as a byte) is below `limit`, else limit − increment
// (so with increment 1, phase 0 steps back to limit − 1).
constexpr std::uint8_t PhaseStep(std::uint8_t current, std::uint8_t limit, std::uint8_t increment,
                                 bool forward) {
    if (forward) {
        const unsigned next = static_cast<unsigned>(current) + increment;
        return next >= limit ? 0 : static_cast<std::uint8_t>(next);
    }
    const auto next = static_cast<std::uint8_t>(current - increment);
    return next < limit ? next : static_cast<std::uint8_t>(limit - increment);
}

struct RendererState {
    std::uint8_t phase = 0;
    std::uint8_t color_index = 0;
    bool blink_on = false;
    platform::Millis blink_stamp{0};
};

class LightRenderer {
public:
    // Breathing: phase over 128 steps in the set direction; brightness curve[phase] × level /
    // 256. Colourful: the wheel colour at the colour index, which moves 16 entries on at each
    // new breath (0, 16, ..., 192, 0); otherwise the static colour.
    void RenderBreathing(ColorArray& colors, const LightParameters& light);
    // Breathing through the four-colour table, one colour per breath.
    void RenderBreathing4(ColorArray& colors, const LightParameters& light);
    // The static colour at the level's brightness. Stateless.
    static void RenderStatic(ColorArray& colors, const LightParameters& light);
    // The wheel colour at the phase, stepping through 192 entries in the set direction.
    void RenderSpectrum(ColorArray& colors, const LightParameters& light);
    // Blink: toggles when at least the speed's blink period has passed since the last toggle
    // (period row × 200 ms), moving 16 wheel entries on; while on the wheel colour (colourful)
    // or the static colour, while off all zero.
    void RenderBlink(ColorArray& colors, const LightParameters& light, platform::Millis now);
    // Blink through the four-colour table.
    void RenderBlink4(ColorArray& colors, const LightParameters& light, platform::Millis now);
    // Every record all zero. Stateless.
    static void RenderOff(ColorArray& colors);

    // When the next blink toggle is due; until then a blink renderer draws the same frame and
    // changes no state.
    platform::Millis NextBlinkToggle(const LightParameters& light) const;
    static platform::Millis BlinkPeriod(const LightParameters& light);

    RendererState& State() { return state_; }
    const RendererState& State() const { return state_; }

private:
    // Toggles the blink when its period has passed; true when the blink is on.
    bool StepBlink(const LightParameters& light, platform::Millis now);

    RendererState state_;
};

// The bytes the base frame sender streams: 3 per LED, at most 176 LEDs.
inline constexpr std::size_t kLightFrameCapacity = 528;
struct LightFrame {
    std::array<std::uint8_t, kLightFrameCapacity> bytes{};
    std::size_t size = 0;  // LED count × 3: the bytes to send
};

// Fills `frame` from the colour array: for every LED i below the count, bytes 3i, 3i+1, 3i+2
// are red, green and blue, each × brightness / 256. LED 126 is never written (its bytes stay
// zero). Allocation-free.
void BuildLightFrame(const ColorArray& colors, LightFrame& frame);

// The colour value an on-screen LED button is given for a record: red | blue << 8 |
// green << 16 (record bytes 0, 2, 1), shown with the record's brightness.
constexpr std::uint32_t ButtonColorValue(LedColor color) {
    return color.red | (static_cast<std::uint32_t>(color.blue) << 8) |
           (static_cast<std::uint32_t>(color.green) << 16);
}

}  // namespace calvorn::device
