#include "device/light_engine.h"

namespace calvorn::device {

namespace {

constexpr std::uint8_t kBreathingSteps = 128;
constexpr std::uint8_t kBreathingColorStep = 16;
constexpr std::uint8_t kBlinkPhaseStep = 16;
constexpr std::uint8_t kBlinkPhaseLast = 191;
constexpr std::uint8_t kLastFourColor = 3;
constexpr int kBlinkPeriodUnitMs = 200;

LedColor WithBrightness(RgbColor color, std::uint8_t brightness) {
    return LedColor{color.red, color.green, color.blue, brightness};
}

RgbColor StaticColor(const LightParameters& light) {
    return RgbColor{light.red, light.green, light.blue};
}

std::uint8_t BreathingBrightness(std::uint8_t phase, const LightParameters& light) {
    return static_cast<std::uint8_t>(kBreathingCurve[phase % kBreathingSteps] *
                                     BrightnessOfLevel(light.brightness) / 256);
}

}  // namespace

void LightRenderer::RenderBreathing(ColorArray& colors, const LightParameters& light) {
    state_.phase = PhaseStep(state_.phase, kBreathingSteps, 1, light.Forward());
    if (state_.phase == 0) {
        const unsigned next = state_.color_index + kBreathingColorStep;
        state_.color_index = next > kWheelSteps ? 0 : static_cast<std::uint8_t>(next);
    }
    const RgbColor color = light.Colorful() ? kColorWheel[state_.color_index] : StaticColor(light);
    colors.Fill(WithBrightness(color, BreathingBrightness(state_.phase, light)));
}

void LightRenderer::RenderBreathing4(ColorArray& colors, const LightParameters& light) {
    state_.phase = PhaseStep(state_.phase, kBreathingSteps, 1, light.Forward());
    if (state_.phase == 0) {
        ++state_.color_index;
    }
    // Also brings back into range an index that another effect left behind.
    if (state_.color_index > kLastFourColor) {
        state_.color_index = 0;
    }
    colors.Fill(
        WithBrightness(kFourColors[state_.color_index], BreathingBrightness(state_.phase, light)));
}

void LightRenderer::RenderStatic(ColorArray& colors, const LightParameters& light) {
    colors.Fill(WithBrightness(StaticColor(light), BrightnessOfLevel(light.brightness)));
}

void LightRenderer::RenderSpectrum(ColorArray& colors, const LightParameters& light) {
    state_.phase = PhaseStep(state_.phase, kWheelSteps, 1, light.Forward());
    colors.Fill(WithBrightness(kColorWheel[state_.phase], BrightnessOfLevel(light.brightness)));
}

platform::Millis LightRenderer::BlinkPeriod(const LightParameters& light) {
    return platform::Millis(PeriodOfSpeed(light.speed) * kBlinkPeriodUnitMs);
}

platform::Millis LightRenderer::NextBlinkToggle(const LightParameters& light) const {
    return state_.blink_stamp + BlinkPeriod(light);
}

bool LightRenderer::StepBlink(const LightParameters& light, platform::Millis now) {
    if (now - state_.blink_stamp >= BlinkPeriod(light)) {
        state_.blink_on = !state_.blink_on;
        state_.blink_stamp = now;
        return true;
    }
    return false;
}

void LightRenderer::RenderBlink(ColorArray& colors, const LightParameters& light,
                                platform::Millis now) {
    if (StepBlink(light, now)) {
        const unsigned next = state_.phase + kBlinkPhaseStep;
        state_.phase = next > kBlinkPhaseLast ? 0 : static_cast<std::uint8_t>(next);
    }
    if (!state_.blink_on) {
        RenderOff(colors);
        return;
    }
    const RgbColor color = light.Colorful() ? kColorWheel[state_.phase] : StaticColor(light);
    colors.Fill(WithBrightness(color, BrightnessOfLevel(light.brightness)));
}

void LightRenderer::RenderBlink4(ColorArray& colors, const LightParameters& light,
                                 platform::Millis now) {
    if (StepBlink(light, now)) {
        ++state_.phase;
    }
    if (state_.phase > kLastFourColor) {
        state_.phase = 0;
    }
    if (!state_.blink_on) {
        RenderOff(colors);
        return;
    }
    colors.Fill(WithBrightness(kFourColors[state_.phase], BrightnessOfLevel(light.brightness)));
}

void LightRenderer::RenderOff(ColorArray& colors) {
    colors.Fill(LedColor{});
}

void BuildLightFrame(const ColorArray& colors, LightFrame& frame) {
    constexpr std::size_t kSkippedLed = 126;
    frame.bytes.fill(0);
    const std::size_t count = colors.Count();
    for (std::size_t i = 0; i < count; ++i) {
        if (i == kSkippedLed) {
            continue;
        }
        const LedColor color = colors.Get(i);
        frame.bytes[3 * i] = static_cast<std::uint8_t>(color.red * color.brightness / 256);
        frame.bytes[3 * i + 1] = static_cast<std::uint8_t>(color.green * color.brightness / 256);
        frame.bytes[3 * i + 2] = static_cast<std::uint8_t>(color.blue * color.brightness / 256);
    }
    frame.size = count * 3;
}

}  // namespace calvorn::device
