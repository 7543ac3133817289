#include "device/keyboard_settings_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace calvorn::device {
namespace {

storage::LightSetting Setting(std::uint8_t effect, std::uint8_t speed) {
    storage::LightSetting light;
    light.select_item = effect;
    light.light = 3;
    light.speed = speed;
    light.fx = 1;
    light.multi_color = 1;
    light.red = 10;
    light.green = 20;
    light.blue = 30;
    light.zzcc_led_mode = 7;
    light.custom_group = 2;
    return light;
}

TEST(KeyboardSettingsPageTest, PageBytesFromTheLightSettingAndOptions) {
    KeyboardOptions options;
    options.repeat = 31;
    options.repeat_delay = 2;
    options.key6_flag = 0;
    options.polling_rate = 3;
    options.w_flag = 1;
    options.win_flag = 1;
    const KeyboardSettingsPage page = BuildSettingsPage(0, Setting(4, 1), options);
    const KeyboardSettingsPage expected = {0, 4, 3, 3, 1, 1, 10, 20, 30, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 7, 1,  1,  1,  3, 0, 0, 2};
    EXPECT_EQ(page, expected);
}

TEST(KeyboardSettingsPageTest, ByteRulesBothWays) {
    struct Case {
        const char* what;
        std::uint8_t effect;
        std::uint8_t speed;
        std::uint16_t key6_flag;
        std::uint8_t page_effect;
        std::uint8_t page_speed;
        std::uint8_t page_all_keys;
    };
    const std::vector<Case> cases = {
        {"firmware effect", 24, 0, 0, 24, 4, 1},
        {"first host-only effect", 25, 4, 0, 0, 0, 1},
        {"effect 30", 30, 1, 1, 0, 3, 0},
        {"six-key mode", 1, 2, 1, 1, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeyboardOptions options;
        options.key6_flag = c.key6_flag;
        const KeyboardSettingsPage page = BuildSettingsPage(0, Setting(c.effect, c.speed), options);
        EXPECT_EQ(page[1], c.page_effect);
        EXPECT_EQ(page[3], c.page_speed);
        EXPECT_EQ(page[20], c.page_all_keys);

        // Read back: the speed turns round again and six-key mode follows byte 20.
        const LightParameters record = LightRecordOfPage(page);
        EXPECT_EQ(record.speed, c.speed);
        EXPECT_EQ(OptionsAfterReadBack(page, {}).key6_flag, c.key6_flag);
    }
}

TEST(KeyboardSettingsPageTest, ReadBackTakesTheLightAndThreeFlagsOnly) {
    KeyboardSettingsPage page{};
    page[1] = 20;
    page[2] = 4;
    page[3] = 3;  // speed 1
    page[4] = 1;
    page[5] = 1;
    page[6] = 1;
    page[7] = 2;
    page[8] = 3;
    page[18] = 5;
    page[19] = 1;  // W flag
    page[20] = 1;  // all keys: six-key mode off
    page[21] = 1;  // Windows-key lock
    page[22] = 2;  // report rate: never read back
    page[25] = 4;

    const LightParameters record = LightRecordOfPage(page);
    EXPECT_EQ(record, (LightParameters{20, 4, 1, 1, 1, 1, 2, 3, 5, 4}));

    KeyboardOptions before;
    before.repeat = 12;
    before.repeat_delay = 3;
    before.key6_flag = 1;
    before.polling_rate = 1;
    const KeyboardOptions after = OptionsAfterReadBack(page, before);
    EXPECT_EQ(after.key6_flag, 0);
    EXPECT_EQ(after.w_flag, 1);
    EXPECT_EQ(after.win_flag, 1);
    EXPECT_EQ(after.polling_rate, 1);
    EXPECT_EQ(after.repeat, 12);
    EXPECT_EQ(after.repeat_delay, 3);
}

TEST(KeyboardSettingsPageTest, OptionsAreHalvesOfTheSystemWords) {
    const storage::KeyboardSystemWords words = {31 | (2u << 16), 1 | (3u << 16), 0 | (1u << 16)};
    const KeyboardOptions options = KeyboardOptions::FromWords(words);
    EXPECT_EQ(options, (KeyboardOptions{31, 2, 1, 3, 0, 1}));
    EXPECT_EQ(options.Words(), words);
}

TEST(KeyboardSettingsPageTest, ModelsGateByProduct) {
    struct Case {
        std::uint16_t product;
        int variant;  // -1: no model
        std::uint16_t table_version;
        std::uint16_t push_version;
    };
    const std::vector<Case> cases = {
        {0x4E93, 0, 260, 260}, {0x4EA5, 5, 259, 259}, {0x4EA8, 4, 259, 259},
        {0x4E99, 6, 260, 259}, {0x4EAB, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        const std::optional<KeyboardModel> model = KeyboardModelOf(c.product);
        ASSERT_EQ(model.has_value(), c.variant >= 0);
        if (model) {
            EXPECT_EQ(model->layout_variant, c.variant);
            EXPECT_EQ(model->table_read_version, c.table_version);
            EXPECT_EQ(model->profile_push_version, c.push_version);
        }
    }
}

}  // namespace
}  // namespace calvorn::device
