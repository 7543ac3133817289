#include "device/light_preset_player.h"

#include <utility>

#include "device/light_engine.h"
#include "device/light_keyboard_tables.h"
#include "device/light_tables.h"

namespace calvorn::device {

using namespace grid;

namespace {

constexpr int kBreathingSteps = 128;
constexpr int kStaticSteps = 9;
constexpr int kBlinkSteps = 128;
constexpr int kBlinkColorOffset = 14;
constexpr int kSpectrumSpacing = 12;
constexpr int kCounterWrap = 255;
constexpr int kBlinkPeriodUnitMs = 200;

// Turns between two phase steps, by the step's speed; 0 from speed 5 on.
constexpr std::array<std::uint8_t, 5> kStepTurns = {28, 23, 18, 13, 7};
constexpr std::array<std::uint8_t, 5> kColorCycleTurns = {5, 4, 3, 2, 1};

int TurnsOf(const std::array<std::uint8_t, 5>& row, std::uint8_t speed) {
    return speed < row.size() ? row[speed] : 0;
}

// The next phase; a phase left at or past `limit` by another kind of step starts again at 0,
// so no curve is ever read past its end.
int NextPhase(int phase, int limit) {
    return phase + 1 >= limit ? 0 : phase + 1;
}

LedColor Record(RgbColor color, int brightness) {
    return LedColor{color.red, color.green, color.blue, static_cast<std::uint8_t>(brightness)};
}

RgbColor StepColor(const LightEffectStep& step) {
    return RgbColor{step.red, step.green, step.blue};
}

}  // namespace

void PresetSteps::Replace(std::vector<LightEffectStep> steps) {
    std::lock_guard lock(mutex_);
    steps_.swap(steps);
    index_ = 0;
}

bool PresetSteps::Current(LightEffectStep& step) {
    std::lock_guard lock(mutex_);
    if (index_ >= steps_.size()) {
        index_ = 0;
    }
    if (steps_.empty()) {
        return false;
    }
    step = steps_[index_];
    return true;
}

void PresetSteps::Advance() {
    std::lock_guard lock(mutex_);
    ++index_;
    if (index_ >= steps_.size()) {
        index_ = 0;
    }
}

std::size_t PresetSteps::Count() const {
    std::lock_guard lock(mutex_);
    return steps_.size();
}

std::size_t PresetSteps::Index() const {
    std::lock_guard lock(mutex_);
    return index_;
}

void PresetStepPlayer::Step(ColorArray& colors, PresetSteps& steps, const LightParameters& light,
                            platform::Millis now) {
    if (!started_) {
        started_ = true;
        step_start_ = now;
    }
    if (!steps.Current(step_)) {
        LightRenderer::RenderOff(colors);
        return;
    }
    ++g_;
    switch (step_.mode) {
        case 0:
            DrawBreathing(colors);
            break;
        case 1:
            DrawStatic(colors);
            break;
        case 2:
            DrawBlink(colors, light, now);
            break;
        case 4:
            DrawMovingSpectrum(colors);
            break;
        case 5:
            DrawColorCycle(colors);
            break;
        default:
            // Mode 3 and unknown modes leave the LEDs as the previous step left them.
            break;
    }
    if (g_ >= kCounterWrap) {
        g_ = 0;
    }
    if (now - step_start_ > platform::Millis(step_.time_ms)) {
        steps.Advance();
        step_start_ = now;
    }
}

void PresetStepPlayer::DrawBreathing(ColorArray& colors) {
    if (g_ < TurnsOf(kStepTurns, step_.speed)) {
        return;
    }
    h_ = NextPhase(h_, kBreathingSteps);
    g_ = 0;
    // A multi-colour breathing step has no colour of its own to cycle through: it breathes in
    // the wheel's first colour.
    const RgbColor color = step_.multi_color != 0 ? kColorWheel[0] : StepColor(step_);
    colors.Fill(Record(color, kBreathingCurve[h_] * BrightnessOfLevel(step_.brightness) / 256));
}

void PresetStepPlayer::DrawStatic(ColorArray& colors) {
    if (g_ < TurnsOf(kStepTurns, step_.speed)) {
        return;
    }
    h_ = NextPhase(h_, kStaticSteps);
    g_ = 0;
    colors.Fill(Record(StepColor(step_), BrightnessOfLevel(step_.brightness)));
}

void PresetStepPlayer::DrawBlink(ColorArray& colors, const LightParameters& light,
                                 platform::Millis now) {
    h_ = NextPhase(h_, kBlinkSteps);
    if (g_ >= TurnsOf(kStepTurns, step_.speed)) {
        g_ = 0;
    }
    const platform::Millis period(PeriodOfSpeed(light.speed) * kBlinkPeriodUnitMs);
    if (now - blink_stamp_ >= period) {
        blink_on_ = !blink_on_;
        blink_stamp_ = now;
        const int index = h_ + kBlinkColorOffset;
        blink_color_index_ = static_cast<std::uint8_t>(index >= int{kWheelSteps} ? 0 : index);
    }
    if (!blink_on_) {
        LightRenderer::RenderOff(colors);
        return;
    }
    const RgbColor color =
        step_.multi_color != 0 ? kColorWheel[blink_color_index_] : StepColor(step_);
    colors.Fill(Record(color, BrightnessOfLevel(step_.brightness)));
}

void PresetStepPlayer::DrawMovingSpectrum(ColorArray& colors) {
    if (g_ < TurnsOf(kStepTurns, step_.speed)) {
        return;
    }
    h_ = NextPhase(h_, kWheelSteps);
    g_ = 0;
    int d = 0;
    if (step_.direction != 0) {
        d = h_ == 0 ? int{kWheelSteps} - 1 : int{kWheelSteps} - h_;
    } else {
        d = (h_ + 1) % int{kWheelSteps};
    }
    const int level = BrightnessOfLevel(step_.brightness);
    const std::size_t count = colors.Count();
    if (step_.multi_color != 0) {
        for (std::size_t i = 0; i < count; ++i) {
            colors.Set(i, Record(kColorWheel[static_cast<std::size_t>(d)], level));
            d = (d + kSpectrumSpacing) % int{kWheelSteps};
        }
        return;
    }
    // The single-colour spectrum walks the 96-entry wave curve 12 entries apart. The start
    // comes from the 192-step phase, so it is brought into the curve first.
    const int curve = static_cast<int>(kWaveCurve.size());
    const RgbColor color = StepColor(step_);
    for (std::size_t i = 0; i < count; ++i) {
        const int v = (d + kSpectrumSpacing) % curve;
        colors.Set(i, Record(color, level * kWaveCurve[static_cast<std::size_t>(v)] / 256));
        d = v;
    }
}

void PresetStepPlayer::DrawColorCycle(ColorArray& colors) {
    if (g_ < TurnsOf(kColorCycleTurns, step_.speed)) {
        return;
    }
    h_ = NextPhase(h_, kWheelSteps);
    g_ = 0;
    colors.Fill(
        Record(kColorWheel[static_cast<std::size_t>(h_)], BrightnessOfLevel(step_.brightness)));
}

}  // namespace calvorn::device
