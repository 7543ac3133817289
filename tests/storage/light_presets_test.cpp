#include "storage/light_presets.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/test_support.h"
#include "storage/storage_test_support.h"

namespace calvorn::storage {
namespace {

using device::LightEffectStep;
using platform::testing::TempFolder;
using testing::Parse;
using testing::WriteText;

constexpr char kDefaultLight[] = R"({
  "DefaultLightName": [
    [{"LightName": "Wave", "visible": true}, {"LightName": "Off", "visible": false}],
    null,
    [{"LightName": "Pad", "visible": 1}, {"visible": true}, 7]
  ],
  "AreaLightName": [[{"LightName": "Glow"}], null, [{"LightName": "Edge"}]]
})";

constexpr char kPresetList[] = R"({
  "LightInfo": [
    [{"LightName": "Mine", "Guid": "first"}, {"LightName": "No file", "Guid": "missing"},
     {"LightName": "No guid"}, {"LightName": "Elsewhere", "Guid": "../outside"}],
    null,
    [{"LightName": "Pad preset", "Guid": "pad"}]
  ]
})";

TEST(LightNamesTest, GroupOfTheViewValueFillsTheLists) {
    LightNameLists lists;
    RefreshLightNames(lists, Parse(kDefaultLight), Parse(kPresetList), 2);
    EXPECT_EQ(lists.effect_names, (std::vector<std::string>{"Pad", "", ""}));
    EXPECT_EQ(lists.effect_visible, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(lists.area_names, (std::vector<std::string>{"Edge"}));
    EXPECT_EQ(lists.preset_names, (std::vector<std::string>{"Pad preset"}));

    // Refreshing again gives the same lists, not longer ones.
    const LightNameLists first = lists;
    RefreshLightNames(lists, Parse(kDefaultLight), Parse(kPresetList), 2);
    EXPECT_EQ(lists, first);
}

TEST(LightNamesTest, AMissingGroupKeepsWhatTheListHeld) {
    struct Case {
        const char* name;
        std::string default_light;
        std::string preset_list;
        int view_value;
    };
    const Case cases[] = {
        {"null groups", kDefaultLight, kPresetList, 1},
        {"past the groups", kDefaultLight, kPresetList, 9},
        {"negative view value", kDefaultLight, kPresetList, -1},
        {"documents of the wrong shape", "[1, 2]", "\"text\"", 0},
        {"null documents", "null", "null", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LightNameLists lists;
        RefreshLightNames(lists, Parse(kDefaultLight), Parse(kPresetList), 0);
        const LightNameLists before = lists;
        ASSERT_EQ(before.effect_names, (std::vector<std::string>{"Wave", "Off"}));
        RefreshLightNames(lists, Parse(c.default_light), Parse(c.preset_list), c.view_value);
        EXPECT_EQ(lists, before);
    }

    // On the first refresh a missing group leaves the list empty.
    LightNameLists fresh;
    RefreshLightNames(fresh, Parse(kDefaultLight), Parse(kPresetList), 1);
    EXPECT_TRUE(fresh.effect_names.empty());
    EXPECT_EQ(fresh.preset_names, std::vector<std::string>{});
}

TEST(LightNamesTest, MissingAndBrokenFilesChangeNothing) {
    TempFolder folder;
    WriteText(folder / "default_light.json", "{\"DefaultLightName\": [[{\"LightName\"");
    LightNameLists lists;
    lists.effect_names = {"kept"};
    RefreshLightNames(lists, folder / "default_light.json", folder / "orvum_light.config", 0);
    EXPECT_EQ(lists.effect_names, std::vector<std::string>{"kept"});
    EXPECT_TRUE(lists.preset_names.empty());
}

TEST(LightNamesTest, TheShippedNamesCoverEveryKeyboardEffect) {
    LightNameLists lists;
    RefreshLightNames(
        lists, std::filesystem::path(CALVORN_SOURCE_DIR) / "DefaultData" / kDefaultLightFileName,
        std::filesystem::path{}, 0);
    EXPECT_EQ(lists.effect_names.size(), 31u);
    EXPECT_EQ(lists.effect_visible.size(), 31u);
    EXPECT_FALSE(lists.area_names.empty());
}

TEST(EffectStepsTest, StepsAreReadInOrderWithMissingKeysAsZero) {
    const Json::Value document = Parse(R"({"LEDEffectList": [
        {"LEDREGMode": 1, "LEDBrightness": 5, "LEDSpeed": 2, "LEDDirection": true,
         "LEDMultiColor": 1, "red": 255, "green": 128, "blue": 7, "Time": 1500, "Cyle": 3},
        {"LEDREGMode": 4, "Time": -20},
        "not a step",
        {"LEDREGMode": "two", "red": 300, "Time": 2.9}
    ]})");
    const std::vector<LightEffectStep> steps = ParseEffectSteps(document);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0], (LightEffectStep{1, 5, 2, 1, 1, 255, 128, 7, {}, 1500, 3}));
    EXPECT_EQ(steps[1], (LightEffectStep{4, 0, 0, 0, 0, 0, 0, 0, {}, -20, 0}));
    EXPECT_EQ(steps[2], LightEffectStep{});
    EXPECT_EQ(steps[3], (LightEffectStep{0, 0, 0, 0, 0, 44, 0, 0, {}, 2, 0}));

    EXPECT_TRUE(ParseEffectSteps(Parse("{\"LEDEffectList\": {}}")).empty());
    EXPECT_TRUE(ParseEffectSteps(Parse("[]")).empty());
}

class LightPresetStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(user_);
        WriteText(user_ / "orvum_light.config", kPresetList);
        WriteText(user_ / "first.light",
                  R"({"LEDEffectList": [{"LEDREGMode": 1, "red": 9, "Time": 100},
                                        {"LEDREGMode": 5, "Time": 200}]})");
        WriteText(user_ / "pad.light", R"({"LEDEffectList": [{"LEDREGMode": 2}]})");
        WriteText(user_ / ".light", R"({"LEDEffectList": [{"LEDREGMode": 2}]})");
        WriteText(root_ / "outside.light", R"({"LEDEffectList": [{"LEDREGMode": 2}]})");
    }

    TempFolder root_;
    const std::filesystem::path user_ = root_ / "user";
    LightPresetStore store_;
};

TEST_F(LightPresetStoreTest, TheSelectedPresetsStepsAreRead) {
    const Json::Value document = store_.LoadPresetList(user_ / "orvum_light.config");
    ASSERT_TRUE(document.isObject());
    const std::vector<LightEffectStep> steps = store_.ReadPresetEffects(0);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].red, 9);
    EXPECT_EQ(steps[1].mode, 5);
    EXPECT_EQ(steps[1].time_ms, 200);
    EXPECT_EQ(store_.PresetEffects(), steps);

    // Presets counted from a base: "SelectItem" 12 with base 12 is the first preset.
    store_.SetUserPresetBase(12);
    EXPECT_EQ(store_.ReadPresetEffects(12).size(), 2u);
    EXPECT_TRUE(store_.ReadPresetEffects(11).empty());
    store_.SetUserPresetBase(0);
    store_.SetGroup(2);
    EXPECT_EQ(store_.ReadPresetEffects(0).size(), 1u);
}

TEST_F(LightPresetStoreTest, PresetsWithoutReadableStepsHaveNone) {
    store_.LoadPresetList(user_ / "orvum_light.config");
    struct Case {
        const char* name;
        int select_item;
    };
    const Case cases[] = {
        {"step file missing", 1}, {"no Guid", 2},   {"Guid naming a file outside the folder", 3},
        {"past the list", 4},     {"negative", -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store_.ReadPresetEffects(0);
        ASSERT_FALSE(store_.PresetEffects().empty());
        EXPECT_TRUE(store_.ReadPresetEffects(c.select_item).empty());
        EXPECT_TRUE(store_.PresetEffects().empty());
    }
}

TEST_F(LightPresetStoreTest, AMissingOrBrokenListGivesNoSteps) {
    WriteText(user_ / "broken.config", "{\"LightInfo\": [[{\"Guid\": \"first\"");
    for (const char* name : {"broken.config", "absent.config"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(store_.LoadPresetList(user_ / name).isNull());
        EXPECT_TRUE(store_.ReadPresetEffects(0).empty());
    }
}

}  // namespace
}  // namespace calvorn::storage
