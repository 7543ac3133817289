#pragma once

// The keyboard's light effects as its light thread drives them: which renderer each effect
// number runs, at which pace (three rows of milliseconds by speed), and one step of the
// current effect. Effects whose own renderers are not built yet draw the static colour.

#include <array>
#include <cstdint>

#include "device/color_array.h"
#include "device/light_engine.h"
#include "device/light_parameters.h"
#include "device/light_thread.h"
#include "platform/clock.h"

namespace calvorn::device {

enum class KeyboardRenderer : std::uint8_t {
    kPresetPlayer,  // effects 0, 19, 21, 28 and above 30: a user light preset, every turn
    kColumnWave,
    kColumnRainbow,
    kSnakeWave,
    kSpectrum,
    kColumnBreathing,
    kRings,
    kFlash,
    kDiagonalRipple,
    kLineRipple,
    kSparkle,
    kColorDrift,
    kRowWave,
    kBounce,
    kShow,
    kTwinkle,
    kSweepRipple,
    kFixedColor,
    kRingWave,
    kCustom,
    kBreathing4,
    kBlink4,
    kOff,
    kBlink,
    kTrail,
    kRadar,
    kSlowTwinkle,
    kSplash,
};

// Milliseconds between two steps by speed 0-4, one row per pace; a speed of 5 or more steps
// on every turn.
enum class KeyboardSpeedRow : std::uint8_t { kA, kB, kC, kEveryTurn };
inline constexpr std::array<std::array<std::uint8_t, 5>, 3> kKeyboardSpeedRows = {{
    {5, 4, 3, 2, 1},
    {10, 8, 6, 4, 2},
    {0, 28, 23, 18, 13},
}};

struct KeyboardEffect {
    KeyboardRenderer renderer;
    KeyboardSpeedRow row;
};

// The highest effect number with a row of its own; every higher one plays a preset.
inline constexpr std::uint8_t kLastKeyboardEffect = 30;

KeyboardEffect KeyboardEffectOf(std::uint8_t effect);
// Milliseconds between two steps of `effect` at `speed`; 0 steps on every turn.
std::uint32_t KeyboardEffectPeriodMs(std::uint8_t effect, std::uint8_t speed);
// Whether the renderer that `effect` names is built; the others draw the static colour.
bool IsKeyboardRendererBuilt(KeyboardRenderer renderer);

// The keyboard's renderer state and its effect dispatch. Light thread only.
class KeyboardLightEffects {
public:
    // One step of the effect that `light.mode` selects, over every record of `colors`.
    void Render(ColorArray& colors, const LightParameters& light, platform::Millis now);
    // The pace of that effect.
    LightPlan PlanFor(const LightParameters& light) const;

    LightRenderer& Renderer() { return renderer_; }

private:
    LightRenderer renderer_;
};

}  // namespace calvorn::device
