#pragma once

// The typed records a profile document hands to the device code, by copy.

#include <array>
#include <cstdint>
#include <string>

#include "device/key_codes.h"

namespace calvorn::storage {

// "LightInfo": the light setting, 13 bytes in this order.
struct LightSetting {
    std::uint8_t select_item = 0;  // selected light effect (or user light preset)
    std::uint8_t light = 0;        // brightness level
    std::uint8_t speed = 0;
    std::uint8_t fx = 0;           // direction
    std::uint8_t multi_color = 0;  // 0 or 1
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::array<std::uint8_t, 3> reserved{};  // always 0 after a read
    std::uint8_t zzcc_led_mode = 0;          // light-effect code
    std::uint8_t custom_group = 0;

    std::array<std::uint8_t, 13> Bytes() const {
        return {select_item, light,         speed,       fx,          multi_color,
                red,         green,         blue,        reserved[0], reserved[1],
                reserved[2], zzcc_led_mode, custom_group};
    }
    friend bool operator==(const LightSetting&, const LightSetting&) = default;
};

// An element of "LightList": one light effect record (an area effect), 13 bytes.
struct LightEffectRecord {
    std::uint8_t mode = 0;  // "LEDREGMode": the area type
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;    // 0 or 1
    std::uint8_t multi_color = 0;  // 0 or 1
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::array<std::uint8_t, 2> reserved{};
    std::uint8_t present = 0;  // 1 for an element that is not null

    friend bool operator==(const LightEffectRecord&, const LightEffectRecord&) = default;
};

// An element of "KeyList": the key's code and its default code, both at the element index.
struct KeyAssignmentPair {
    std::uint16_t position = 0;
    device::AssignmentCode code;
    std::uint16_t default_position = 0;
    device::AssignmentCode default_code;

    friend bool operator==(const KeyAssignmentPair&, const KeyAssignmentPair&) = default;
};

// An element of "StageDPIs" (mouse).
struct DpiStage {
    std::uint8_t active = 0;  // the stage is enabled
    std::uint8_t xy = 0;
    std::uint16_t dpi_x = 0;
    std::uint16_t dpi_y = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const DpiStage&, const DpiStage&) = default;
};

// An element of "CorrectInfo" (mouse, read only).
struct CorrectionEntry {
    std::uint8_t pix_thresh = 0;
    std::uint8_t min_sq = 0;
    std::uint8_t select = 0;
    std::string name;

    friend bool operator==(const CorrectionEntry&, const CorrectionEntry&) = default;
};

}  // namespace calvorn::storage
