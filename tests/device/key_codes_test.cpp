#include "device/key_codes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/factory_layout.h"

namespace calvorn::device {
namespace {

TEST(AssignmentCodeTest, ProfileIntegerConversions) {
    struct Case {
        std::uint32_t integer;
        AssignmentCode code;
    };
    const Case cases[] = {
        {0x000000, {0x00, 0x00, 0x00}}, {0x200004, {0x20, 0x00, 0x04}},
        {0x200100, {0x20, 0x01, 0x00}}, {0x169001, {0x16, 0x90, 0x01}},
        {0x3092FF, {0x30, 0x92, 0xFF}}, {0xFFFFFF, {0xFF, 0xFF, 0xFF}},
        {0xD0A205, {0xD0, 0xA2, 0x05}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.integer);
        EXPECT_EQ(CodeFromAssignment(c.integer), c.code);
        EXPECT_EQ(AssignmentFromCode(c.code), c.integer);
    }
    // Bits above the three code bytes do not leak into the type.
    EXPECT_EQ(CodeFromAssignment(0x01200004), (AssignmentCode{0x20, 0x00, 0x04}));
}

TEST(AssignmentCodeTest, EveryTableCodeSurvivesTheProfileInteger) {
    for (const KeyboardKeyRow& row : kKeyboardKeys) {
        EXPECT_EQ(CodeFromAssignment(AssignmentFromCode(row.code)), row.code) << row.name;
    }
}

TEST(CodeTextTest, NamesByCodeType) {
    struct Case {
        AssignmentCode code;
        std::optional<std::string> text;
    };
    const std::vector<std::string> macros = {"first", "second", "third", "fourth", "fifth"};
    const Case cases[] = {
        // Keyboard codes: an exact row, then modifier and key rows joined by "+".
        {{0x20, 0x00, 0x04}, "keyboard_key_A"},
        {{0x00, 0x00, 0x04}, "keyboard_key_A"},
        {{0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},
        {{0x20, 0x01, 0x04}, "keyboard_key_LCtrl+keyboard_key_A"},
        {{0x20, 0x40, 0x3A}, "keyboard_key_RAlt+keyboard_key_F1"},
        {{0x20, 0x03, 0x04}, "keyboard_key_A"},
        {{0x20, 0x00, 0x00}, "close_text"},
        // A usage or a modifier combination that no row has shows nothing, not every row
        // that shares the zero byte.
        {{0x20, 0x00, 0x99}, ""},
        {{0x20, 0x03, 0x00}, ""},
        {{0x20, 0x00, 0xCD}, ""},
        // Mouse, tilt, wheel, DPI, fire.
        {{0x10, 0x04, 0x00}, "mouse_key_middle"},
        {{0x10, 0x03, 0x00}, ""},
        {{0x11, 0x23, 0x05}, "mouse_key_left_Swing"},
        {{0x11, 0x23, 0x85}, "mouse_key_right_Swing"},
        {{0x12, 0x11, 0x03}, "mouse_key_up_Swing"},
        {{0x12, 0x11, 0xFD}, "mouse_key_down_Swing"},
        {{0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
        {{0x14, 0x20, 0x03}, "mouse_key_fire_key"},
        {{0x16, 0x90, 0x01}, "mouse_key_DPI_shift"},
        {{0x23, 0x00, 0x00}, "show_window"},
        // Edit commands need value 1 = 0.
        {{0x22, 0x00, 0x08}, "custem_open"},
        {{0x22, 0x01, 0x08}, ""},
        {{0x30, 0xCD, 0x00}, "media_play"},
        {{0x30, 0x26, 0x02}, "wed_stop"},
        {{0x40, 0x02, 0x00}, "system_sleep"},
        // Macros name the library entry; beyond the library the row stays as it was.
        {{0x70, 0x01, 0x02}, "second"},
        {{0x71, 0x04, 0x09}, "fifth"},
        {{0x70, 0x05, 0x00}, std::nullopt},
        {{0x70, 0x07, 0x00}, std::nullopt},
        {{0x72, 0x03, 0x00}, "gun_4_txt"},
        {{0x72, 0x04, 0x00}, ""},
        // Special functions: the function rows first, then the keyboard rows.
        {{0xA0, 0x02, 0x00}, "mouse_key_smart_key"},
        {{0xA0, 0x00, 0x00}, "close_text"},
        {{0xA0, 0x01, 0x00}, "keyboard_key_FN"},
        {{0xA0, 0x1B, 0x00}, "keyboard_key_GM"},
        {{0xA0, 0x24, 0x00}, ""},
        {{0xD0, 0xA2, 0x03}, "keyboard_key_M3"},
        {{0xD0, 0xA2, 0x09}, "关闭"},
        // Reserved types leave the row alone; any other type reads as disabled.
        {{0x15, 0x01, 0x01}, std::nullopt},
        {{0x21, 0x00, 0x00}, std::nullopt},
        {{0x50, 0x00, 0x00}, std::nullopt},
        {{0x60, 0x00, 0x00}, std::nullopt},
        {{0xB0, 0x00, 0x00}, std::nullopt},
        {{0xC0, 0x00, 0x00}, std::nullopt},
        {{0x5A, 0x00, 0x00}, "关闭"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code.type) << " " << int(c.code.value1)
                                        << " " << int(c.code.value2));
        EXPECT_EQ(CodeText(c.code, macros), c.text);
    }
}

TEST(CodeTextTest, ResolvesEachNameThroughTheLanguage) {
    const std::map<std::string, std::string, std::less<>> language = {
        {"keyboard_key_LCtrl", "Ctrl"}, {"keyboard_key_A", "A"}, {"close_text", "Off"}};
    const NameResolver resolve = [&](std::string_view key) {
        const auto found = language.find(key);
        return found == language.end() ? "?" : found->second;
    };
    EXPECT_EQ(CodeText({0x20, 0x01, 0x04}, {}, resolve), "Ctrl+A");
    EXPECT_EQ(CodeText({0x20, 0x00, 0x00}, {}, resolve), "Off");
    // Macro names and the fixed text for unknown types are texts already.
    const std::vector<std::string> macros = {"my macro"};
    EXPECT_EQ(CodeText({0x70, 0x00, 0x00}, macros, resolve), "my macro");
    EXPECT_EQ(CodeText({0x5A, 0x00, 0x00}, {}, resolve), "关闭");
}

// The tables that must stay aligned with each other.
TEST(KeyTablesTest, KeyboardTableAgreesWithTheNamedTables) {
    std::set<std::string_view> names;
    for (const KeyboardKeyRow& row : kKeyboardKeys) {
        EXPECT_TRUE(names.insert(row.name).second) << "duplicate " << row.name;
    }
    EXPECT_FALSE(names.contains(kKeyboardColorName));
    // Rows 114-131 are the consumer table's usages, rows 132-134 the system table's.
    std::set<std::uint32_t> consumer_rows, consumer_table;
    for (std::size_t i = 114; i < 132; ++i) {
        consumer_rows.insert(AssignmentFromCode(kKeyboardKeys[i].code));
    }
    for (const NamedCode& row : kConsumerCodes) {
        consumer_table.insert(AssignmentFromCode(row.code));
    }
    EXPECT_EQ(consumer_rows, consumer_table);
    for (std::size_t i = 0; i < kSystemCodes.size(); ++i) {
        EXPECT_EQ(kKeyboardKeys[132 + i].code, kSystemCodes[i].code);
    }
    // Plain keys: usages and virtual keys of the letter and digit runs.
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(kKeyboardKeys[8 + i].code, (AssignmentCode{0x20, 0, std::uint8_t(0x04 + i)}));
        EXPECT_EQ(kKeyboardKeys[8 + i].virtual_key, 0x41 + i);
    }
    for (std::size_t i = 8; i < 114; ++i) {
        EXPECT_EQ(kKeyboardKeys[i].code.type, kCodeKeyboardKey) << i;
        EXPECT_EQ(kKeyboardKeys[i].code.value1, 0) << i;
    }
}

TEST(KeyTablesTest, DefaultKeyboardKeysCarryTheirNames) {
    // By row, without the "keyboard_key_" prefix; "" marks a key whose code has no name.
    const std::vector<std::string> expected = {
        "Esc",    "F1",    "F2",        "F3",     "F4",     "F5",        "F6",          "F7",
        "F8",     "F9",    "F10",       "F11",    "F12",    "Print Scr", "Scroll Lock", "Pause",
        "GM",     "",      "",          "",       "",       "`",         "1",           "2",
        "3",      "4",     "5",         "6",      "7",      "8",         "9",           "0",
        "-",      "=",     "BackSpace", "Insert", "Home",   "Page Up",   "Num Lock",    "Num /",
        "Num *",  "Num -", "Tab",       "Q",      "W",      "E",         "R",           "T",
        "Y",      "U",     "I",         "O",      "P",      "[",         "]",           "xiegang",
        "Delete", "End",   "Page Down", "Num 7",  "Num 8",  "Num 9",     "K42",         "Caplk",
        "A",      "S",     "D",         "F",      "G",      "H",         "J",           "K",
        "L",      ";",     "'",         "Enter",  "Num 4",  "Num 5",     "Num 6",       "K132",
        "K131",   "K151",  "K150",      "K133",   "LShift", "Z",         "X",           "C",
        "V",      "B",     "N",         "M",      "<",      ".",         "/",           "RShift",
        "Up",     "Num 1", "Num 2",     "Num 3",  "K56",    "K14",       "K45",         "K107",
        "",       "LCtrl", "LWin",      "LAlt",   "Space",  "RAlt",      "FN",          "App",
        "RCtrl",  "Left",  "Down",      "Right",  "Num 0",  "Decimal",   "Num Enter",   "Num +",
        "M1",     "M2",    "M3",        "M4",     "M5",     "RWin"};
    ASSERT_EQ(expected.size(), kLogicalKeyCount);
    for (std::size_t j = 0; j < kLogicalKeyCount; ++j) {
        const std::string_view name = KeyboardKeyName(kDefaultKeyboardKeys[j]);
        EXPECT_EQ(name, expected[j].empty() ? "" : "keyboard_key_" + expected[j]) << j;
    }
    EXPECT_EQ(kDefaultKeyboardKeys[17], (AssignmentCode{0xA0, 0x24, 0x00}));
    for (std::size_t j : {18u, 19u, 20u, 104u}) {
        EXPECT_EQ(kDefaultKeyboardKeys[j], (AssignmentCode{0x20, 0x00, 0x00})) << j;
    }
}

TEST(KeyTablesTest, SimulatedKeyboardCarriesTheSameFactoryCodes) {
    const auto& factory = sim::FactoryKeyCodes();
    for (std::size_t j = 0; j < kLogicalKeyCount; ++j) {
        const AssignmentCode sim_code{factory[j][0], factory[j][1], factory[j][2]};
        EXPECT_EQ(sim_code, kDefaultKeyboardKeys[j]) << j;
    }
}

TEST(KeyInfoListTest, RowsAreCreatedOnDemandAndKeptWithoutText) {
    KeyInfoList list;
    list.SetRow(3, "keyboard_key_A", std::string("keyboard_key_B"));
    ASSERT_EQ(list.Rows().size(), 4u);
    EXPECT_EQ(list.Rows()[0].key_name, "");
    EXPECT_EQ(list.Rows()[3].key_name, "keyboard_key_A");
    EXPECT_EQ(list.Rows()[3].code_text, "keyboard_key_B");

    list.SetRow(3, "other", std::nullopt);
    EXPECT_EQ(list.Rows()[3].code_text, "keyboard_key_B");
    EXPECT_EQ(list.Rows()[3].key_name, "keyboard_key_A");

    list.SetRow(1, "keyboard_key_Esc", std::string("close_text"));
    EXPECT_EQ(list.Rows().size(), 4u);
    EXPECT_EQ(list.Rows()[1].code_text, "close_text");
}

}  // namespace
}  // namespace calvorn::device
