#include "device/event_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/test_support.h"
#include "storage/json_file.h"

namespace calvorn::device {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempFolder;

Json::Value Event(const char* action, int button, const Json::Value& delay, int type) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = delay;
    event["Type"] = type;
    return event;
}

Json::Value Events(int count) {
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        events.append(Event(i % 2 == 0 ? "down" : "up", 4, "10", 1));
    }
    return events;
}

// A macro library in a temporary folder.
class MacroLibraryTest : public ::testing::Test {
protected:
    void AddMacro(const std::string& name, const std::string& guid, int events) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = name;
        entry["Guid"] = guid;
        index["MacroInfo"].append(entry);
        Write(folder / "macro.config", index);
        if (events >= 0) {
            Json::Value macro(Json::objectValue);
            macro["Events"] = Events(events);
            Write(folder / (guid + ".mac"), macro);
        }
    }
    static void Write(const fs::path& path, const Json::Value& value) {
        ASSERT_TRUE(storage::WriteJsonFile(path, value));
    }

    TempFolder folder;
    Json::Value index{Json::objectValue};
};

TEST(DeviceEventTest, StoredEventsBecomeFourBytes) {
    struct Case {
        Json::Value event;
        DeviceEvent expected;
    };
    const std::vector<Case> cases = {
        {Event("down", 4, "300", 1), {0x2C, 0x01, 0x81, 0x04}},
        {Event("up", 1, "7", 2), {0x07, 0x00, 0x02, 0x01}},
        {Event("down", 0x1E5, 70000, 3), {0x70, 0x11, 0x83, 0xE5}},  // low 16 and 8 bits
        {Event("down", 4, "12ms", 1), {0x0C, 0x00, 0x81, 0x04}},     // decimal prefix
        {Json::Value("not an event"), {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event.toStyledString());
        EXPECT_EQ(DeviceEventOf(c.event), c.expected);
    }
}

TEST_F(MacroLibraryTest, OneMacroOfThreeEventsIsA34ByteImage) {
    AddMacro("Fire", "2024_01_01_00_00_00_000", 3);
    const MacroImage macros = BuildMacroImage(folder.path(), 32);
    ASSERT_EQ(macros.result, 0);
    const std::vector<std::uint8_t> expected = {
        0xAA, 0x55, 0x22, 0x00, 0x01, 0x00, 0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,     // header
        0x12, 0x00,              // offset table
        0x03, 0x00, 0x00, 0x00,  // list header
        0x0A, 0x00, 0x81, 0x04, 0x0A, 0x00, 0x01, 0x04, 0x0A, 0x00, 0x81, 0x04};
    EXPECT_EQ(macros.image, expected);
}

TEST_F(MacroLibraryTest, ListsFollowEachOtherAndMissingFilesHaveNoEvents) {
    AddMacro("a", "2024_01_01_00_00_00_001", 2);
    AddMacro("missing", "2024_01_01_00_00_00_002", -1);
    AddMacro("escape", "../outside", -1);
    AddMacro("b", "2024_01_01_00_00_00_003", 1);
    const MacroImage macros = BuildMacroImage(folder.path(), 32);
    ASSERT_EQ(macros.result, 0);
    // 16 + 6 × 4 + 4 × 3 = 52 bytes; lists at 24, 36, 40 and 44.
    ASSERT_EQ(macros.image.size(), 52u);
    EXPECT_EQ(macros.image[2], 52);
    EXPECT_EQ(macros.image[4], 4);
    const std::vector<int> offsets = {macros.image[16], macros.image[18], macros.image[20],
                                      macros.image[22]};
    EXPECT_EQ(offsets, (std::vector<int>{24, 36, 40, 44}));
    EXPECT_EQ(macros.image[24], 2);
    EXPECT_EQ(macros.image[36], 0);
    EXPECT_EQ(macros.image[40], 0);
    EXPECT_EQ(macros.image[44], 1);
    EXPECT_EQ(MacroNames(folder.path()), (std::vector<std::string>{"a", "missing", "escape", "b"}));
}

TEST_F(MacroLibraryTest, ALibraryBeyondTheCapacityIsRefusedWithTheOverflow) {
    // 16 + 6 + 4 × 70 = 302 bytes against 256: (302 - 256) / 4 + 1 = 12.
    AddMacro("long", "2024_01_01_00_00_00_004", 70);
    const MacroImage refused = BuildMacroImage(folder.path(), 2);
    EXPECT_EQ(refused.result, 12);
    EXPECT_TRUE(refused.image.empty());
    EXPECT_EQ(BuildMacroImage(folder.path(), 3).result, 0);
}

TEST_F(MacroLibraryTest, NoLibraryOrNoMacrosSendsNothing) {
    EXPECT_EQ(BuildMacroImage(folder.path(), 32).result, 0);
    EXPECT_TRUE(BuildMacroImage(folder.path(), 32).image.empty());
    index["MacroInfo"] = Json::Value(Json::arrayValue);
    Write(folder / "macro.config", index);
    EXPECT_TRUE(BuildMacroImage(folder.path(), 32).image.empty());
    EXPECT_TRUE(MacroNames(folder.path()).empty());
}

}  // namespace
}  // namespace calvorn::device
