#pragma once

// The keyboard's 26-byte settings page (lighting and keyboard options of one on-device
// profile) and the table of keyboard models that decides the firmware gate and the page
// layout variant.
//
// Page layout (offset profile × 25 of the parameter memory; pages overlap by one byte):
//   0       active profile number        13-17  0
//   1       light effect (25 and up: 0)  18     light-effect code
//   2       brightness level             19     W-key flag
//   3       4 - speed                    20     all-keys flag: 1 when six-key mode is off
//   4       direction                    21     Windows-key lock
//   5       multicolour flag             22     report-rate option
//   6, 7, 8 red, green, blue             23, 24 0
//   9-12    0                            25     custom light group

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/light_parameters.h"
#include "storage/keyboard_profiledata.h"
#include "storage/profile_records.h"

namespace calvorn::device {

inline constexpr std::size_t kKeyboardPageSize = 26;
inline constexpr std::size_t kKeyboardPageStride = 25;
using KeyboardSettingsPage = std::array<std::uint8_t, kKeyboardPageSize>;

// Effects from this number up have no firmware effect; the page carries 0 for them.
inline constexpr std::uint8_t kFirstHostOnlyEffect = 25;
// The speed as the light setting counts it; the page counts the other way round.
inline constexpr std::uint8_t kSpeedInversion = 4;

// The keyboard's "SystemStages" words, by field. Each field is one 16-bit half.
struct KeyboardOptions {
    std::uint16_t repeat = 0;        // word 0, low half
    std::uint16_t repeat_delay = 0;  // word 0, high half
    std::uint16_t key6_flag = 0;     // word 1, low half
    std::uint16_t polling_rate = 0;  // word 1, high half
    std::uint16_t w_flag = 0;        // word 2, low half
    std::uint16_t win_flag = 0;      // word 2, high half

    static KeyboardOptions FromWords(const storage::KeyboardSystemWords& words);
    storage::KeyboardSystemWords Words() const;
    friend bool operator==(const KeyboardOptions&, const KeyboardOptions&) = default;
};

// The page that the light setting and the options describe.
KeyboardSettingsPage BuildSettingsPage(std::uint8_t active_profile,
                                       const storage::LightSetting& light,
                                       const KeyboardOptions& options);

// The light record a page read back describes: effect, brightness, speed (inverted back),
// direction, multicolour, colour, light-effect code (kind-specific word) and custom group
// (custom slot).
LightParameters LightRecordOfPage(const KeyboardSettingsPage& page);

// The options after a page was read back: six-key mode, W flag and Windows-key lock come from
// the page; the repeat values and the report rate are not read back and keep their values.
KeyboardOptions OptionsAfterReadBack(const KeyboardSettingsPage& page, KeyboardOptions options);

// The light setting's 13 bytes and the light record's words.
storage::LightSetting LightSettingOfRecord(const LightParameters& record);
LightParameters LightRecordOfSetting(const storage::LightSetting& setting);

// A keyboard model: its page layout variant and the firmware versions from which the host
// reads the key tables at attach and pushes the profile.
struct KeyboardModel {
    std::uint16_t product_id;
    int layout_variant;
    std::uint16_t table_read_version;
    std::uint16_t profile_push_version;
};
inline constexpr std::array<KeyboardModel, 7> kKeyboardModels = {{
    {0x4E93, 0, 260, 260},
    {0x4E96, 1, 259, 259},
    {0x4E9C, 2, 259, 259},
    {0x4EA2, 3, 259, 259},
    {0x4EA8, 4, 259, 259},
    {0x4EA5, 5, 259, 259},
    {0x4E99, 6, 260, 259},
}};
// The model of a product; none for products without a row (no table read, no layout
// variant, no push).
std::optional<KeyboardModel> KeyboardModelOf(std::uint16_t product_id);

}  // namespace calvorn::device
