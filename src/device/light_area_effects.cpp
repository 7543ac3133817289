#include "device/light_area_effects.h"

#include <algorithm>

#include "device/light_tables.h"

namespace calvorn::device {

namespace {

constexpr std::size_t kTypeByte = 0;
constexpr std::size_t kBrightnessByte = 1;
constexpr std::size_t kSpeedByte = 2;
constexpr std::size_t kMultiColorByte = 4;
constexpr std::size_t kRedByte = 5;
constexpr std::size_t kGreenByte = 6;
constexpr std::size_t kBlueByte = 7;
constexpr std::size_t kPresentByte = 10;

constexpr int kBreathingSteps = 128;
constexpr int kBreathingBaseStep = 4;
constexpr int kBlinkColorStep = 14;
constexpr int kBlinkColorLast = 191;
constexpr int kBlinkPeriodUnitMs = 200;

LedColor Record(RgbColor color, int brightness) {
    return LedColor{color.red, color.green, color.blue, static_cast<std::uint8_t>(brightness)};
}

RgbColor RecordColor(const LedLayerRecord& record) {
    return RgbColor{record[kRedByte], record[kGreenByte], record[kBlueByte]};
}

// The next colour index on the wheel, back to 0 after its last entry.
std::uint8_t NextWheelIndex(std::uint8_t index) {
    return index + 1 >= int{kWheelSteps} ? 0 : static_cast<std::uint8_t>(index + 1);
}

}  // namespace

platform::Millis AreaEffects::BlinkPeriod(std::uint8_t speed) {
    return platform::Millis(PeriodOfSpeed(speed) * kBlinkPeriodUnitMs);
}

void AreaEffects::Reset(std::span<const LedLayerRecord> records) {
    states_.fill(RecordState{});
    const std::size_t count = std::min(records.size(), kCapacity);
    for (std::size_t i = 0; i < count; ++i) {
        states_[i].blink_period = BlinkPeriod(records[i][kSpeedByte]);
        if (records[i][kPresentByte] != 0) {
            states_[i].cycle_limit = PeriodOfSpeed(records[i][kSpeedByte]);
        }
    }
}

bool AreaEffects::Animates(std::span<const LedLayerRecord> records) {
    return std::any_of(records.begin(), records.end(), [](const LedLayerRecord& record) {
        const auto type = static_cast<AreaType>(record[kTypeByte]);
        return record[kPresentByte] != 0 &&
               (type == AreaType::kBreathing || type == AreaType::kBlink ||
                type == AreaType::kColorCycle);
    });
}

void AreaEffects::Compose(ColorArray& colors, std::span<const LedLayerRecord> records,
                          std::uint32_t turns, platform::Millis now) {
    const std::size_t count = std::min(records.size(), kCapacity);
    for (std::size_t i = 0; i < count; ++i) {
        const LedLayerRecord& record = records[i];
        RecordState& state = states_[i];
        // The blink clock of every record runs, whatever the record's type.
        if (now - state.blink_stamp >= state.blink_period) {
            state.blink_on = !state.blink_on;
            state.blink_stamp = now;
            const int next = state.blink_color + kBlinkColorStep;
            state.blink_color = static_cast<std::uint8_t>(next > kBlinkColorLast ? 0 : next);
        }
        if (record[kPresentByte] == 0) {
            continue;
        }
        const bool multi_color = record[kMultiColorByte] != 0;
        const int level = BrightnessOfLevel(record[kBrightnessByte]);
        switch (static_cast<AreaType>(record[kTypeByte])) {
            case AreaType::kBreathing: {
                // The colour of a turn is taken before the turn moves the phase on.
                RgbColor color =
                    multi_color ? kColorWheel[state.breathing_color] : RecordColor(record);
                for (std::uint32_t turn = 0; turn < turns; ++turn) {
                    color = multi_color ? kColorWheel[state.breathing_color] : RecordColor(record);
                    state.breathing_phase = static_cast<std::uint8_t>(
                        state.breathing_phase + record[kSpeedByte] + kBreathingBaseStep);
                    if (state.breathing_phase >= kBreathingSteps) {
                        state.breathing_phase = 0;
                        state.breathing_color = NextWheelIndex(state.breathing_color);
                    }
                }
                colors.Set(i, Record(color, kBreathingCurve[state.breathing_phase] * level / 256));
                break;
            }
            case AreaType::kStatic:
                colors.Set(i, Record(RecordColor(record), level));
                break;
            case AreaType::kColorCycle:
                for (std::uint32_t turn = 0; turn < turns; ++turn) {
                    ++state.cycle_counter;
                    if (state.cycle_counter >= state.cycle_limit) {
                        state.cycle_counter = 0;
                        state.cycle_color = NextWheelIndex(state.cycle_color);
                    }
                }
                colors.Set(i, Record(kColorWheel[state.cycle_color], level));
                break;
            case AreaType::kBlink:
                if (state.blink_on) {
                    colors.Set(i, Record(multi_color ? kColorWheel[state.blink_color]
                                                     : RecordColor(record),
                                         level));
                } else {
                    colors.Set(i, LedColor{});
                }
                break;
            case AreaType::kOff:
                colors.Set(i, LedColor{});
                break;
            default:
                break;
        }
    }
}

}  // namespace calvorn::device
