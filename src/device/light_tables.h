#pragma once

// Constant tables of the light effect engine: brightness levels, period rows, the breathing
// curve, the colour wheel and the four-colour table.

#include <array>
#include <cstddef>
#include <cstdint>

namespace calvorn::device {

struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// Brightness byte of each brightness level.
inline constexpr std::array<std::uint8_t, 6> kBrightnessLevels = {0, 51, 102, 153, 204, 255};

// The brightness byte of a level; levels past the table give full brightness.
constexpr std::uint8_t BrightnessOfLevel(std::uint8_t level) {
    return kBrightnessLevels[level < kBrightnessLevels.size() ? level
                                                              : kBrightnessLevels.size() - 1];
}

// Steps per speed of the headset and mousepad light threads: one row per mode 0-8, indexed by
// the speed. Row 0 is also the blink renderers' period row (× 200 ms).
inline constexpr std::size_t kPeriodRowLength = 15;
inline constexpr std::array<std::uint8_t, kPeriodRowLength> kPeriodRow = {28, 23, 18, 13, 7};
inline constexpr std::array<std::array<std::uint8_t, kPeriodRowLength>, 9> kPeriodTable = {
    kPeriodRow, kPeriodRow, kPeriodRow, kPeriodRow, kPeriodRow,
    kPeriodRow, kPeriodRow, kPeriodRow, kPeriodRow};

// Entry `speed` of a period row; 0 past its end.
constexpr std::uint8_t PeriodOfSpeed(std::uint8_t speed) {
    return speed < kPeriodRowLength ? kPeriodRow[speed] : 0;
}

// Brightness factor by breathing phase: rising over entries 0-63, falling over 64-127.
inline constexpr std::array<std::uint8_t, 128> kBreathingCurve = [] {
    constexpr std::array<std::uint8_t, 64> rising = {
        0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
        22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
        77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
        158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
    std::array<std::uint8_t, 128> curve{};
    for (std::size_t i = 0; i < 64; ++i) {
        curve[i] = rising[i];
        curve[127 - i] = rising[i];
    }
    return curve;
}();

// The colour wheel: six segments of 32 entries (red → yellow → green → cyan → blue → magenta
// → red). Entries 192-255 repeat entries 0-63, so any byte indexes it safely.
inline constexpr std::size_t kWheelSteps = 192;
inline constexpr std::array<RgbColor, 256> kColorWheel = [] {
    constexpr std::array<std::uint8_t, 32> up = {
        1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
        81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
    constexpr std::array<std::uint8_t, 32> down = {
        248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
        69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};
    std::array<RgbColor, 256> wheel{};
    for (std::size_t k = 0; k < 32; ++k) {
        wheel[k] = {255, up[k], 0};
        wheel[32 + k] = {down[k], 255, 0};
        wheel[64 + k] = {0, 255, up[k]};
        wheel[96 + k] = {0, down[k], 255};
        wheel[128 + k] = {up[k], 0, 255};
        wheel[160 + k] = {255, 0, down[k]};
    }
    for (std::size_t k = kWheelSteps; k < wheel.size(); ++k) {
        wheel[k] = wheel[k - kWheelSteps];
    }
    return wheel;
}();

inline constexpr std::array<RgbColor, 4> kFourColors = {
    RgbColor{0x00, 0xFF, 0xB4}, RgbColor{0x00, 0xFF, 0x00}, RgbColor{0xFF, 0xFF, 0xFF},
    RgbColor{0xFF, 0x00, 0x00}};

}  // namespace calvorn::device
