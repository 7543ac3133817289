#pragma once

// Playback of a user light preset: a list of effect steps, each drawn for its time and then
// the next, round and round. The keyboard plays one for its effects 0, 19, 21, 28 and above 30,
// the mouse above 8 and the mousepad for 5 and above 8.
//
// The step list, its index and its count belong to the device and are replaced by the UI
// thread (a profile is loaded or the page refreshed) while the light thread plays them, so
// PresetSteps keeps them under one lock. The player's own state (phases, counters, clock) is
// the light thread's alone, and each device has its own player.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "device/color_array.h"
#include "device/light_parameters.h"
#include "platform/clock.h"

namespace calvorn::device {

// One step of a user preset, as stored in its effect-step file.
struct LightEffectStep {
    std::uint8_t mode = 0;  // 0 breathing, 1 static, 2 blink, 4 moving spectrum, 5 colour cycle
    std::uint8_t brightness = 0;  // brightness level
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multi_color = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::array<std::uint8_t, 5> reserved{};
    std::int32_t time_ms = 0;  // how long the step is shown
    std::int32_t cycle = 0;

    friend bool operator==(const LightEffectStep&, const LightEffectStep&) = default;
};

// The device's preset steps with the index of the step being played. Any thread.
class PresetSteps {
public:
    // Replaces the steps and starts again at the first.
    void Replace(std::vector<LightEffectStep> steps);
    // Copies the step at the index into `step` (an index past the end starts again at 0);
    // false when there are no steps.
    bool Current(LightEffectStep& step);
    // Moves on to the next step, back to the first after the last.
    void Advance();
    std::size_t Count() const;
    std::size_t Index() const;

private:
    mutable std::mutex mutex_;
    std::vector<LightEffectStep> steps_;
    std::size_t index_ = 0;
};

// Plays PresetSteps into a colour array, one call per light-thread turn. Light thread only.
class PresetStepPlayer {
public:
    // One turn: draws the current step (all LEDs alike) and moves to the next step once the
    // current one has been shown for longer than its time. With no steps every LED is off.
    // `light` gives the device's own speed, which paces the blink step.
    void Step(ColorArray& colors, PresetSteps& steps, const LightParameters& light,
              platform::Millis now);

    int Phase() const { return h_; }
    int Counter() const { return g_; }
    bool BlinkOn() const { return blink_on_; }

private:
    void DrawBreathing(ColorArray& colors);
    void DrawStatic(ColorArray& colors);
    void DrawBlink(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void DrawMovingSpectrum(ColorArray& colors);
    void DrawColorCycle(ColorArray& colors);

    bool started_ = false;
    int h_ = 0;  // phase of the step's animation
    int g_ = 0;  // turns since the phase last moved
    platform::Millis step_start_{0};
    LightEffectStep step_;
    bool blink_on_ = false;
    platform::Millis blink_stamp_{0};
    std::uint8_t blink_color_index_ = 0;
};

}  // namespace calvorn::device
