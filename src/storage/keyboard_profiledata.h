#pragma once

// `CKeyboardProfiledata`: the keyboard's profile document. Adds the keyboard's
// "SystemStages" (repeat, six-key, report-rate, W-key and Windows-key settings) and its
// "CustomLightMode" (per-key colours by custom light group, and the selected group).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/color_array.h"
#include "storage/basic_profiledata.h"

namespace calvorn::storage {

// Three 32-bit words of two 16-bit halves each: word 0 = "Repeat" (low), "RepeatDelay"
// (high); word 1 = "Key6Flag", "PollingRate"; word 2 = "WFlag", "WinFlag".
using KeyboardSystemWords = std::array<std::uint32_t, 3>;

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // Custom light groups and colours per group beyond these are refused.
    static constexpr int kMaxCustomGroups = 256;
    static constexpr std::size_t kMaxCustomColors = device::ColorArray::kCapacity;

    // All zero when the section is missing.
    KeyboardSystemWords ReadSystemStages();
    void WriteSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);

    // The first `count` colours (red, green, blue, "Alpha" as the brightness byte) of custom
    // light group `group`. Missing colours read as zero and are added to the document as
    // zeros.
    std::vector<device::LedColor> ReadCustomColours(int group, std::size_t count);
    void WriteCustomColours(const std::vector<device::LedColor>& colors, int group);

    // "CustomLightModeGroupIndex"; 0 when missing.
    int ReadCustomGroupIndex();
    void WriteCustomGroupIndex(int group);
};

}  // namespace calvorn::storage
