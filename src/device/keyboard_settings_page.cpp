#include "device/keyboard_settings_page.h"

#include <algorithm>

namespace calvorn::device {

namespace {

enum PageByte : std::size_t {
    kActiveProfile = 0,
    kEffect = 1,
    kBrightness = 2,
    kSpeed = 3,
    kDirection = 4,
    kMulticolour = 5,
    kRed = 6,
    kGreen = 7,
    kBlue = 8,
    kEffectCode = 18,
    kWFlag = 19,
    kAllKeys = 20,
    kWinLock = 21,
    kPollingRate = 22,
    kCustomGroup = 25,
};

constexpr std::uint32_t Pack(std::uint16_t low, std::uint16_t high) {
    return low | (static_cast<std::uint32_t>(high) << 16);
}

}  // namespace

KeyboardOptions KeyboardOptions::FromWords(const storage::KeyboardSystemWords& words) {
    const auto low = [](std::uint32_t word) { return static_cast<std::uint16_t>(word); };
    const auto high = [](std::uint32_t word) { return static_cast<std::uint16_t>(word >> 16); };
    return KeyboardOptions{low(words[0]),  high(words[0]), low(words[1]),
                           high(words[1]), low(words[2]),  high(words[2])};
}

storage::KeyboardSystemWords KeyboardOptions::Words() const {
    return {Pack(repeat, repeat_delay), Pack(key6_flag, polling_rate), Pack(w_flag, win_flag)};
}

KeyboardSettingsPage BuildSettingsPage(std::uint8_t active_profile,
                                       const storage::LightSetting& light,
                                       const KeyboardOptions& options) {
    KeyboardSettingsPage page{};
    page[kActiveProfile] = active_profile;
    page[kEffect] = light.select_item >= kFirstHostOnlyEffect ? 0 : light.select_item;
    page[kBrightness] = light.light;
    page[kSpeed] = static_cast<std::uint8_t>(kSpeedInversion - light.speed);
    page[kDirection] = light.fx;
    page[kMulticolour] = light.multi_color;
    page[kRed] = light.red;
    page[kGreen] = light.green;
    page[kBlue] = light.blue;
    page[kEffectCode] = light.zzcc_led_mode;
    page[kWFlag] = static_cast<std::uint8_t>(options.w_flag);
    page[kAllKeys] = options.key6_flag == 0 ? 1 : 0;
    page[kWinLock] = static_cast<std::uint8_t>(options.win_flag);
    page[kPollingRate] = static_cast<std::uint8_t>(options.polling_rate);
    page[kCustomGroup] = light.custom_group;
    return page;
}

LightParameters LightRecordOfPage(const KeyboardSettingsPage& page) {
    LightParameters record;
    record.mode = page[kEffect];
    record.brightness = page[kBrightness];
    record.speed = static_cast<std::uint8_t>(kSpeedInversion - page[kSpeed]);
    record.direction = page[kDirection];
    record.colorful = page[kMulticolour];
    record.red = page[kRed];
    record.green = page[kGreen];
    record.blue = page[kBlue];
    record.kind_specific = page[kEffectCode];
    record.custom_slot = page[kCustomGroup];
    return record;
}

KeyboardOptions OptionsAfterReadBack(const KeyboardSettingsPage& page, KeyboardOptions options) {
    options.key6_flag = page[kAllKeys] == 0 ? 1 : 0;
    options.w_flag = page[kWFlag];
    options.win_flag = page[kWinLock];
    return options;
}

storage::LightSetting LightSettingOfRecord(const LightParameters& record) {
    storage::LightSetting setting;
    setting.select_item = record.mode;
    setting.light = record.brightness;
    setting.speed = record.speed;
    setting.fx = record.direction;
    setting.multi_color = record.colorful != 0 ? 1 : 0;
    setting.red = record.red;
    setting.green = record.green;
    setting.blue = record.blue;
    setting.zzcc_led_mode = static_cast<std::uint8_t>(record.kind_specific);
    setting.custom_group = static_cast<std::uint8_t>(record.custom_slot);
    return setting;
}

LightParameters LightRecordOfSetting(const storage::LightSetting& setting) {
    LightParameters record;
    record.mode = setting.select_item;
    record.brightness = setting.light;
    record.speed = setting.speed;
    record.direction = setting.fx;
    record.colorful = setting.multi_color;
    record.red = setting.red;
    record.green = setting.green;
    record.blue = setting.blue;
    record.kind_specific = setting.zzcc_led_mode;
    record.custom_slot = setting.custom_group;
    return record;
}

std::optional<KeyboardModel> KeyboardModelOf(std::uint16_t product_id) {
    const auto* model = std::find_if(
        kKeyboardModels.begin(), kKeyboardModels.end(),
        [product_id](const KeyboardModel& row) { return row.product_id == product_id; });
    if (model == kKeyboardModels.end()) {
        return std::nullopt;
    }
    return *model;
}

}  // namespace calvorn::device
