#include "storage/keyboard_profiledata.h"

#include <gtest/gtest.h>

#include "device/key_codes.h"
#include "platform/test_support.h"
#include "storage/json_file.h"
#include "storage/storage_test_support.h"

namespace calvorn::storage {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempFolder;
using testing::Parse;
using testing::ReadText;
using testing::WriteText;

const fs::path kShippedDefault = fs::path(CALVORN_SOURCE_DIR) / "DefaultData" / "keyboard.Json";
constexpr std::size_t kKeys = 126;
constexpr int kShippedGroups = 5;

// A keyboard document over a profile file in a temporary folder, with the shipped default.
class KeyboardProfileTest : public ::testing::Test {
protected:
    KeyboardProfileTest() {
        document.SetDefaultProfilePath(kShippedDefault);
        document.SetProfilePath(profile);
    }
    Json::Value DefaultDevice() const { return Parse(ReadText(kShippedDefault))["Device"][0]; }
    Json::Value ProfileRoot() const { return Parse(ReadText(profile)); }

    TempFolder folder;
    fs::path profile = folder / "2024_03_05_07_08_09_012.Json";
    CKeyboardProfiledata document;
};

TEST_F(KeyboardProfileTest, ShippedDefaultProfileIsComplete) {
    document.Load(kShippedDefault);
    const LightSetting light = document.ReadLightInfo();
    EXPECT_EQ(light.select_item, 4);
    EXPECT_LE(light.light, 5);
    EXPECT_LE(light.speed, 4);
    const std::vector<KeyAssignmentPair> keys = document.ReadKeyAssignments();
    ASSERT_EQ(keys.size(), kKeys);
    for (std::size_t j = 0; j < kKeys; ++j) {
        EXPECT_EQ(keys[j].default_code, device::kDefaultKeyboardKeys[j]) << j;
        EXPECT_EQ(keys[j].code, device::kDefaultKeyboardKeys[j]) << j;
        EXPECT_EQ(keys[j].position, j);
    }
    EXPECT_TRUE(document.ReadLightList().empty());
    EXPECT_EQ(document.ReadSystemStages(), (KeyboardSystemWords{31 | (1u << 16), 0, 0}));
    EXPECT_EQ(document.ReadCustomGroupIndex(), 0);
    for (int group = 0; group < kShippedGroups; ++group) {
        for (const device::LedColor& color : document.ReadCustomColours(group, kKeys)) {
            EXPECT_EQ(color.brightness, 255);
        }
    }
    // Reading the shipped groups added nothing to the document.
    EXPECT_EQ(document.Document(), DefaultDevice());
}

TEST_F(KeyboardProfileTest, DefaultProfileRoundTripsUnchanged) {
    WriteText(profile, ReadText(kShippedDefault));
    document.Load(profile);
    const LightSetting light = document.ReadLightInfo();
    const std::vector<KeyAssignmentPair> keys = document.ReadKeyAssignments();
    const KeyboardSystemWords words = document.ReadSystemStages();
    const int group_index = document.ReadCustomGroupIndex();
    std::vector<std::vector<device::LedColor>> groups;
    for (int group = 0; group < kShippedGroups; ++group) {
        groups.push_back(document.ReadCustomColours(group, kKeys));
    }

    document.WriteLightInfo(light);
    document.WriteKeyAssignments(keys);
    document.WriteSystemStages(words[0], words[1], words[2]);
    document.WriteCustomGroupIndex(group_index);
    for (int group = 0; group < kShippedGroups; ++group) {
        document.WriteCustomColours(groups[static_cast<std::size_t>(group)], group);
    }
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ReadText(profile), ReadText(kShippedDefault));
}

// Files that hold no usable device document are rebuilt from the default at the first load.
TEST_F(KeyboardProfileTest, BrokenProfileFilesAreRebuiltFromTheDefault) {
    struct Case {
        const char* name;
        std::string content;
        bool keeps_names;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"garbage", "\x89PNG\r\n", false},
        {"truncated", ReadText(kShippedDefault).substr(0, 5000), false},
        {"a number", "42", false},
        {"an array", "[1, 2, 3]", false},
        {"Device is a string", R"({"profilename":"p","profileUUID":"u","Device":"x"})", true},
        {"Device holds a number", R"({"profilename":"p","profileUUID":"u","Device":[7]})", true},
        {"no Device", R"({"profilename":"p","profileUUID":"u"})", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(profile, c.content);
        CKeyboardProfiledata fresh;
        fresh.SetDefaultProfilePath(kShippedDefault);
        fresh.SetProfilePath(profile);
        EXPECT_EQ(fresh.Load(profile), DefaultDevice());
        EXPECT_EQ(fresh.ReadKeyAssignments().size(), kKeys);
        const Json::Value root = ProfileRoot();
        EXPECT_EQ(root["Device"][0], DefaultDevice());
        if (c.keeps_names) {
            EXPECT_EQ(root["profilename"].asString(), "p");
            EXPECT_EQ(root["profileUUID"].asString(), "u");
        } else {
            EXPECT_EQ(root.getMemberNames(), std::vector<std::string>{"Device"});
        }
    }
    std::filesystem::remove(profile);
    EXPECT_EQ(document.Load(profile), DefaultDevice());
    EXPECT_EQ(ProfileRoot()["Device"][0], DefaultDevice());
}

TEST_F(KeyboardProfileTest, WrongTypesInsideSectionsReadAsZeroAndNeverThrow) {
    WriteText(profile, R"({"Device":[{
        "LightInfo": {"SelectItem": "seven", "Light": -1, "Speed": 2.9, "Fx": true,
                      "MultiColor": 5, "Red": 300, "Green": 1e300, "Blue": [1],
                      "ZZCCLedMode": null, "CustomGroup": {"a": 1}},
        "LightList": [null, 5, {"LEDREGMode": 2, "LEDDirection": 9, "red": "x"}],
        "KeyList": [7, {"Assignment": -1, "DefaultAssignment": 16777216}, null],
        "SystemStages": {"Repeat": 70000, "RepeatDelay": -2, "Key6Flag": "1"},
        "CustomLightMode": {"CustomLightModeGroupIndex": "2", "LightColorInfo": 3}}]})");
    document.Load(profile);
    const LightSetting light = document.ReadLightInfo();
    EXPECT_EQ(light.select_item, 0);
    EXPECT_EQ(light.light, 255);
    EXPECT_EQ(light.speed, 2);
    EXPECT_EQ(light.fx, 1);
    EXPECT_EQ(light.multi_color, 1);
    EXPECT_EQ(light.red, 44);  // the low 8 bits of 300
    EXPECT_EQ(light.green, 0);
    EXPECT_EQ(light.blue, 0);
    EXPECT_EQ(light.custom_group, 0);

    const std::vector<LightEffectRecord> list = document.ReadLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], LightEffectRecord{});
    EXPECT_EQ(list[1].present, 1);
    EXPECT_EQ(list[1].mode, 0);
    EXPECT_EQ(list[2].mode, 2);
    EXPECT_EQ(list[2].direction, 1);

    const std::vector<KeyAssignmentPair> keys = document.ReadKeyAssignments();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].code, device::AssignmentCode{});
    EXPECT_EQ(keys[1].code, (device::AssignmentCode{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(keys[1].default_code, device::AssignmentCode{});
    EXPECT_EQ(keys[2].position, 2);

    EXPECT_EQ(document.ReadSystemStages(), (KeyboardSystemWords{0xFFFE0000u | 4464u, 0, 0}));
    EXPECT_EQ(document.ReadCustomGroupIndex(), 0);
    // A group table of the wrong type is replaced when colours are read from it.
    EXPECT_EQ(document.ReadCustomColours(1, 2),
              (std::vector<device::LedColor>{device::LedColor{}, device::LedColor{}}));
    EXPECT_TRUE(document.Document()["CustomLightMode"]["LightColorInfo"].isArray());
}

TEST_F(KeyboardProfileTest, SaveKeepsOtherKeysAndUnknownSections) {
    WriteText(profile, R"({"profilename":"Mine","profileUUID":"2024_x","Extra":[1],
        "Device":[{"LightInfo":{"SelectItem":20,"MultiColor":5},"Future":{"x":1}}, {"y":2}]})");
    document.Load(profile);
    LightSetting light = document.ReadLightInfo();
    EXPECT_EQ(light.multi_color, 1);
    light.red = 9;
    document.WriteLightInfo(light);
    ASSERT_TRUE(document.Save());
    const Json::Value root = ProfileRoot();
    EXPECT_EQ(root["profilename"].asString(), "Mine");
    EXPECT_EQ(root["profileUUID"].asString(), "2024_x");
    EXPECT_EQ(root["Extra"][0].asInt(), 1);
    EXPECT_EQ(root["Device"][0]["Future"]["x"].asInt(), 1);
    EXPECT_EQ(root["Device"][1]["y"].asInt(), 2);
    EXPECT_EQ(root["Device"][0]["LightInfo"]["MultiColor"].asInt(), 1);
    EXPECT_EQ(root["Device"][0]["LightInfo"]["Red"].asInt(), 9);
    EXPECT_EQ(root["Device"][0]["LightInfo"]["SelectItem"].asInt(), 20);
}

TEST_F(KeyboardProfileTest, ShorterKeyListLeavesTheOtherElements) {
    WriteText(profile, ReadText(kShippedDefault));
    document.Load(profile);
    std::vector<KeyAssignmentPair> keys = document.ReadKeyAssignments();
    keys.resize(3);
    keys[1].code = {0x70, 0x02, 0x01};
    document.WriteKeyAssignments(keys);
    ASSERT_TRUE(document.Save());
    CKeyboardProfiledata reread;
    reread.Load(profile);
    const std::vector<KeyAssignmentPair> stored = reread.ReadKeyAssignments();
    ASSERT_EQ(stored.size(), kKeys);
    EXPECT_EQ(stored[1].code, (device::AssignmentCode{0x70, 0x02, 0x01}));
    EXPECT_EQ(stored[1].default_code, device::kDefaultKeyboardKeys[1]);
    EXPECT_EQ(ProfileRoot()["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0x700201);
    for (std::size_t j = 3; j < kKeys; ++j) {
        EXPECT_EQ(stored[j].code, device::kDefaultKeyboardKeys[j]) << j;
    }
}

TEST_F(KeyboardProfileTest, SystemWordsAndCustomColours) {
    WriteText(profile, R"({"Device":[{}]})");
    document.Load(profile);
    EXPECT_EQ(document.ReadSystemStages(), (KeyboardSystemWords{0, 0, 0}));
    document.WriteSystemStages(20 | (3u << 16), 1 | (2u << 16), 0 | (1u << 16));
    EXPECT_EQ(document.ReadSystemStages(),
              (KeyboardSystemWords{20 | (3u << 16), 1 | (2u << 16), 1u << 16}));
    const Json::Value& stages = document.Document()["SystemStages"];
    EXPECT_EQ(stages["Repeat"].asInt(), 20);
    EXPECT_EQ(stages["RepeatDelay"].asInt(), 3);
    EXPECT_EQ(stages["Key6Flag"].asInt(), 1);
    EXPECT_EQ(stages["PollingRate"].asInt(), 2);
    EXPECT_EQ(stages["WFlag"].asInt(), 0);
    EXPECT_EQ(stages["WinFlag"].asInt(), 1);

    // A missing group reads as zeros and is filled in with them.
    EXPECT_EQ(document.ReadCustomColours(2, 3), std::vector<device::LedColor>(3));
    EXPECT_EQ(document.Document()["CustomLightMode"]["LightColorInfo"][2][1]["Alpha"].asInt(), 0);
    document.WriteCustomColours({{1, 2, 3, 4}, {5, 6, 7, 8}}, 2);
    EXPECT_EQ(document.ReadCustomColours(2, 3),
              (std::vector<device::LedColor>{{1, 2, 3, 4}, {5, 6, 7, 8}, {}}));
    document.WriteCustomGroupIndex(2);
    EXPECT_EQ(document.ReadCustomGroupIndex(), 2);
    // Groups and counts that would blow the document up are refused.
    EXPECT_TRUE(document.ReadCustomColours(-1, 3).empty());
    EXPECT_TRUE(document.ReadCustomColours(100000, 3).empty());
    EXPECT_TRUE(document.ReadCustomColours(0, 1u << 30).empty());

    ASSERT_TRUE(document.Save());
    CKeyboardProfiledata reread;
    reread.Load(profile);
    EXPECT_EQ(reread.ReadCustomColours(2, 2),
              (std::vector<device::LedColor>{{1, 2, 3, 4}, {5, 6, 7, 8}}));
}

TEST_F(KeyboardProfileTest, FailedSaveLeavesTheOldFileIntact) {
    WriteText(profile, ReadText(kShippedDefault));
    document.Load(profile);
    LightSetting light = document.ReadLightInfo();
    light.select_item = 9;
    document.WriteLightInfo(light);
    EXPECT_FALSE(testing::RunWithFileSizeLimit(64 * 1024, [&] { return document.Save(); }));
    EXPECT_EQ(ReadText(profile), ReadText(kShippedDefault));
    EXPECT_EQ(testing::FolderContent(folder.path()),
              std::vector<std::string>{profile.filename().string()});
    // The document keeps the change, and the next save that can write stores it.
    EXPECT_EQ(document.ReadLightInfo().select_item, 9);
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ProfileRoot()["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
}

TEST_F(KeyboardProfileTest, MissingDefaultLeavesANullDocumentUntilTheFirstWrite) {
    document.SetDefaultProfilePath(folder / "missing-default.Json");
    WriteText(profile, "broken");
    EXPECT_TRUE(document.Load(profile).isNull());
    EXPECT_TRUE(ProfileRoot()["Device"][0].isNull());
    EXPECT_EQ(document.ReadLightInfo(), LightSetting{});
    EXPECT_TRUE(document.ReadKeyAssignments().empty());
    EXPECT_EQ(document.ReadSystemStages(), (KeyboardSystemWords{0, 0, 0}));
    document.WriteCustomGroupIndex(1);
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ProfileRoot()["Device"][0]["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(),
              1);
}

TEST_F(KeyboardProfileTest, LoadingTheDefaultProfileNeverWritesIt) {
    const fs::path broken_default = folder / "keyboard.Json";
    WriteText(broken_default, "{ broken");
    document.SetDefaultProfilePath(broken_default);
    EXPECT_TRUE(document.Load(broken_default).isNull());
    EXPECT_EQ(ReadText(broken_default), "{ broken");
}

TEST_F(KeyboardProfileTest, PathsAndDeviceIndex) {
    document.SetProfilePath("");
    EXPECT_EQ(document.GetProfilePath(), profile);
    document.SetPresetListPath(folder / "orvum_light.config");
    document.SetPresetListPath("");
    EXPECT_EQ(document.GetPresetListPath(), folder / "orvum_light.config");
    document.SetDeviceIndex(1);
    document.SetDeviceIndex(-1);
    document.SetDeviceIndex(1 << 30);
    EXPECT_EQ(document.GetDeviceIndex(), 1);

    WriteText(profile, R"({"Device":[{"LightInfo":{"Red":1}}, {"LightInfo":{"Red":2}}]})");
    document.Load(profile);
    EXPECT_EQ(document.ReadLightInfo().red, 2);
    ASSERT_TRUE(document.WriteWhole(Json::Value("whole"), folder / "whole.Json"));
    EXPECT_EQ(ReadText(folder / "whole.Json"), "\"whole\"\n");
}

}  // namespace
}  // namespace calvorn::storage
