#include "device/light_keyboard_effects.h"

namespace calvorn::device {

namespace {

using enum KeyboardRenderer;
using enum KeyboardSpeedRow;

constexpr std::array<KeyboardEffect, kLastKeyboardEffect + 1> kKeyboardEffects = {{
    {kPresetPlayer, kEveryTurn},  // 0
    {kColumnWave, kA},            // 1
    {kColumnRainbow, kA},         // 2
    {kSnakeWave, kA},             // 3
    {kSpectrum, kA},              // 4
    {kColumnBreathing, kA},       // 5
    {kRings, kA},                 // 6
    {kFlash, kA},                 // 7
    {kDiagonalRipple, kA},        // 8
    {kLineRipple, kA},            // 9
    {kSparkle, kB},               // 10
    {kColorDrift, kA},            // 11
    {kRowWave, kA},               // 12
    {kBounce, kB},                // 13
    {kShow, kA},                  // 14
    {kTwinkle, kA},               // 15
    {kSweepRipple, kB},           // 16
    {kFixedColor, kA},            // 17
    {kRingWave, kA},              // 18
    {kPresetPlayer, kEveryTurn},  // 19
    {kCustom, kA},                // 20
    {kPresetPlayer, kEveryTurn},  // 21
    {kBreathing4, kA},            // 22
    {kBlink4, kC},                // 23
    {kOff, kA},                   // 24
    {kBlink, kC},                 // 25
    {kTrail, kC},                 // 26
    {kRadar, kC},                 // 27
    {kPresetPlayer, kEveryTurn},  // 28
    {kSlowTwinkle, kC},           // 29
    {kSplash, kC},                // 30
}};

// Custom colours: every key keeps its painted colour and takes the level's brightness.
void RenderCustomBrightness(ColorArray& colors, const LightParameters& light) {
    const std::uint8_t brightness = BrightnessOfLevel(light.brightness);
    const std::size_t count = colors.Count();
    for (std::size_t i = 0; i < count; ++i) {
        colors.SetBrightness(i, brightness);
    }
}

}  // namespace

KeyboardEffect KeyboardEffectOf(std::uint8_t effect) {
    return effect <= kLastKeyboardEffect ? kKeyboardEffects[effect]
                                         : KeyboardEffect{kPresetPlayer, kEveryTurn};
}

std::uint32_t KeyboardEffectPeriodMs(std::uint8_t effect, std::uint8_t speed) {
    const KeyboardSpeedRow row = KeyboardEffectOf(effect).row;
    if (row == kEveryTurn || speed >= kKeyboardSpeedRows[0].size()) {
        return 0;
    }
    return kKeyboardSpeedRows[static_cast<std::size_t>(row)][speed];
}

bool IsKeyboardRendererBuilt(KeyboardRenderer renderer) {
    switch (renderer) {
        case kSpectrum:
        case kCustom:
        case kBreathing4:
        case kBlink4:
        case kOff:
        case kBlink:
            return true;
        default:
            return false;
    }
}

void KeyboardLightEffects::Render(ColorArray& colors, const LightParameters& light,
                                  platform::Millis now) {
    switch (KeyboardEffectOf(light.mode).renderer) {
        case kSpectrum:
            renderer_.RenderSpectrum(colors, light);
            break;
        case kCustom:
            RenderCustomBrightness(colors, light);
            break;
        case kBreathing4:
            renderer_.RenderBreathing4(colors, light);
            break;
        case kBlink4:
            renderer_.RenderBlink4(colors, light, now);
            break;
        case kOff:
            LightRenderer::RenderOff(colors);
            break;
        case kBlink:
            renderer_.RenderBlink(colors, light, now);
            break;
        default:
            LightRenderer::RenderStatic(colors, light);
            break;
    }
}

LightPlan KeyboardLightEffects::PlanFor(const LightParameters& light) const {
    const KeyboardRenderer renderer = KeyboardEffectOf(light.mode).renderer;
    LightPlan plan;
    plan.period_ms = KeyboardEffectPeriodMs(light.mode, light.speed);
    plan.steady = renderer == kOff || renderer == kCustom || !IsKeyboardRendererBuilt(renderer);
    if (renderer == kBlink || renderer == kBlink4) {
        plan.unchanged_until = renderer_.NextBlinkToggle(light);
    }
    return plan;
}

}  // namespace calvorn::device
