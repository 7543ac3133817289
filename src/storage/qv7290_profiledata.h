#pragma once

// `CQv7290Profiledata`: the headset's profile document. Adds "SystemSetStages" (eight sound
// settings), the equaliser presets "EQHzValueInfo" and the user equalisers
// "CustomEQNameInfo" and "CustomEQHzValueInfo" (ten bands each).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/basic_profiledata.h"

namespace calvorn::storage {

// "MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex", "MicInSelect", "MicInValue",
// "MicMoniterSelect", "MicMoniterValue", in that order.
using HeadsetSettings = std::array<std::int32_t, 8>;
using EqBands = std::array<std::int32_t, 10>;

class CQv7290Profiledata : public CBasicProfiledata {
public:
    // The "EqType" of the user equaliser, whose bands live in "CustomEQHzValueInfo".
    static constexpr std::uint32_t kUserEqType = 13;
    // User equaliser indexes beyond this are refused.
    static constexpr int kMaxCustomEq = 255;

    // All zero when the section is missing.
    HeadsetSettings ReadSystemSetStages();
    void WriteSystemSetStages(const HeadsetSettings& settings);

    // The bands of the preset that `eq_type` selects (1-12 as they are; 0 and values above 13,
    // compared as unsigned, select 1). The user equaliser type reads as an empty list and is
    // not written. A missing preset reads as zeros and is added to the document as zeros.
    std::vector<std::int32_t> ReadEqValues(std::int32_t eq_type);
    void WriteEqValues(std::int32_t eq_type, const EqBands& bands);

    std::vector<std::string> ReadCustomEqNames();
    void WriteCustomEqNames(const std::vector<std::string>& names);
    // The bands of user equaliser `index`; an index outside 0 ... kMaxCustomEq reads as an
    // empty list and is not written.
    std::vector<std::int32_t> ReadCustomEqValues(int index);
    void WriteCustomEqValues(int index, const EqBands& bands);
};

}  // namespace calvorn::storage
