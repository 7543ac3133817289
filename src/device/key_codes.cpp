#include "device/key_codes.h"

namespace calvorn::device {

// Rows 0-7 modifiers, 8-113 plain keys (type 0x20, value 2 = HID keyboard usage), 114-131
// consumer keys (usage low byte first), 132-134 system keys, 135-139 M1-M5, 140-141 Fn and
// game mode.
const std::array<KeyboardKeyRow, kKeyboardKeyRows> kKeyboardKeys = {{
    {"keyboard_key_LCtrl", 0xA2, {0x20, 0x01, 0x00}},
    {"keyboard_key_LShift", 0xA0, {0x20, 0x02, 0x00}},
    {"keyboard_key_LAlt", 0xA4, {0x20, 0x04, 0x00}},
    {"keyboard_key_LWin", 0x5B, {0x20, 0x08, 0x00}},
    {"keyboard_key_RCtrl", 0xA3, {0x20, 0x10, 0x00}},
    {"keyboard_key_RShift", 0xA1, {0x20, 0x20, 0x00}},
    {"keyboard_key_RAlt", 0xA5, {0x20, 0x40, 0x00}},
    {"keyboard_key_RWin", 0x5C, {0x20, 0x80, 0x00}},
    {"keyboard_key_A", 0x41, {0x20, 0x00, 0x04}},
    {"keyboard_key_B", 0x42, {0x20, 0x00, 0x05}},
    {"keyboard_key_C", 0x43, {0x20, 0x00, 0x06}},
    {"keyboard_key_D", 0x44, {0x20, 0x00, 0x07}},
    {"keyboard_key_E", 0x45, {0x20, 0x00, 0x08}},
    {"keyboard_key_F", 0x46, {0x20, 0x00, 0x09}},
    {"keyboard_key_G", 0x47, {0x20, 0x00, 0x0A}},
    {"keyboard_key_H", 0x48, {0x20, 0x00, 0x0B}},
    {"keyboard_key_I", 0x49, {0x20, 0x00, 0x0C}},
    {"keyboard_key_J", 0x4A, {0x20, 0x00, 0x0D}},
    {"keyboard_key_K", 0x4B, {0x20, 0x00, 0x0E}},
    {"keyboard_key_L", 0x4C, {0x20, 0x00, 0x0F}},
    {"keyboard_key_M", 0x4D, {0x20, 0x00, 0x10}},
    {"keyboard_key_N", 0x4E, {0x20, 0x00, 0x11}},
    {"keyboard_key_O", 0x4F, {0x20, 0x00, 0x12}},
    {"keyboard_key_P", 0x50, {0x20, 0x00, 0x13}},
    {"keyboard_key_Q", 0x51, {0x20, 0x00, 0x14}},
    {"keyboard_key_R", 0x52, {0x20, 0x00, 0x15}},
    {"keyboard_key_S", 0x53, {0x20, 0x00, 0x16}},
    {"keyboard_key_T", 0x54, {0x20, 0x00, 0x17}},
    {"keyboard_key_U", 0x55, {0x20, 0x00, 0x18}},
    {"keyboard_key_V", 0x56, {0x20, 0x00, 0x19}},
    {"keyboard_key_W", 0x57, {0x20, 0x00, 0x1A}},
    {"keyboard_key_X", 0x58, {0x20, 0x00, 0x1B}},
    {"keyboard_key_Y", 0x59, {0x20, 0x00, 0x1C}},
    {"keyboard_key_Z", 0x5A, {0x20, 0x00, 0x1D}},
    {"keyboard_key_1", 0x31, {0x20, 0x00, 0x1E}},
    {"keyboard_key_2", 0x32, {0x20, 0x00, 0x1F}},
    {"keyboard_key_3", 0x33, {0x20, 0x00, 0x20}},
    {"keyboard_key_4", 0x34, {0x20, 0x00, 0x21}},
    {"keyboard_key_5", 0x35, {0x20, 0x00, 0x22}},
    {"keyboard_key_6", 0x36, {0x20, 0x00, 0x23}},
    {"keyboard_key_7", 0x37, {0x20, 0x00, 0x24}},
    {"keyboard_key_8", 0x38, {0x20, 0x00, 0x25}},
    {"keyboard_key_9", 0x39, {0x20, 0x00, 0x26}},
    {"keyboard_key_0", 0x30, {0x20, 0x00, 0x27}},
    {"keyboard_key_Enter", 0x0D, {0x20, 0x00, 0x28}},
    {"keyboard_key_Esc", 0x1B, {0x20, 0x00, 0x29}},
    {"keyboard_key_BackSpace", 0x08, {0x20, 0x00, 0x2A}},
    {"keyboard_key_Tab", 0x09, {0x20, 0x00, 0x2B}},
    {"keyboard_key_Space", 0x20, {0x20, 0x00, 0x2C}},
    {"keyboard_key_-", 0xBD, {0x20, 0x00, 0x2D}},
    {"keyboard_key_=", 0xBB, {0x20, 0x00, 0x2E}},
    {"keyboard_key_[", 0xDB, {0x20, 0x00, 0x2F}},
    {"keyboard_key_]", 0xDD, {0x20, 0x00, 0x30}},
    {"keyboard_key_xiegang", 0xDC, {0x20, 0x00, 0x31}},
    {"keyboard_key_;", 0xBA, {0x20, 0x00, 0x33}},
    {"keyboard_key_'", 0xDE, {0x20, 0x00, 0x34}},
    {"keyboard_key_`", 0xC0, {0x20, 0x00, 0x35}},
    {"keyboard_key_<", 0xBC, {0x20, 0x00, 0x36}},
    {"keyboard_key_.", 0xBE, {0x20, 0x00, 0x37}},
    {"keyboard_key_/", 0xBF, {0x20, 0x00, 0x38}},
    {"keyboard_key_Caplk", 0x14, {0x20, 0x00, 0x39}},
    {"keyboard_key_F1", 0x70, {0x20, 0x00, 0x3A}},
    {"keyboard_key_F2", 0x71, {0x20, 0x00, 0x3B}},
    {"keyboard_key_F3", 0x72, {0x20, 0x00, 0x3C}},
    {"keyboard_key_F4", 0x73, {0x20, 0x00, 0x3D}},
    {"keyboard_key_F5", 0x74, {0x20, 0x00, 0x3E}},
    {"keyboard_key_F6", 0x75, {0x20, 0x00, 0x3F}},
    {"keyboard_key_F7", 0x76, {0x20, 0x00, 0x40}},
    {"keyboard_key_F8", 0x77, {0x20, 0x00, 0x41}},
    {"keyboard_key_F9", 0x78, {0x20, 0x00, 0x42}},
    {"keyboard_key_F10", 0x79, {0x20, 0x00, 0x43}},
    {"keyboard_key_F11", 0x7A, {0x20, 0x00, 0x44}},
    {"keyboard_key_F12", 0x7B, {0x20, 0x00, 0x45}},
    {"keyboard_key_Print Scr", 0x2C, {0x20, 0x00, 0x46}},
    {"keyboard_key_Scroll Lock", 0x91, {0x20, 0x00, 0x47}},
    {"keyboard_key_Pause", 0x13, {0x20, 0x00, 0x48}},
    {"keyboard_key_Insert", 0x2D, {0x20, 0x00, 0x49}},
    {"keyboard_key_Home", 0x24, {0x20, 0x00, 0x4A}},
    {"keyboard_key_Page Up", 0x21, {0x20, 0x00, 0x4B}},
    {"keyboard_key_Delete", 0x2E, {0x20, 0x00, 0x4C}},
    {"keyboard_key_End", 0x23, {0x20, 0x00, 0x4D}},
    {"keyboard_key_Page Down", 0x22, {0x20, 0x00, 0x4E}},
    {"keyboard_key_Right", 0x27, {0x20, 0x00, 0x4F}},
    {"keyboard_key_Left", 0x25, {0x20, 0x00, 0x50}},
    {"keyboard_key_Down", 0x28, {0x20, 0x00, 0x51}},
    {"keyboard_key_Up", 0x26, {0x20, 0x00, 0x52}},
    {"keyboard_key_Num Lock", 0x90, {0x20, 0x00, 0x53}},
    {"keyboard_key_Num /", 0x6F, {0x20, 0x00, 0x54}},
    {"keyboard_key_Num *", 0x6A, {0x20, 0x00, 0x55}},
    {"keyboard_key_Num -", 0x6D, {0x20, 0x00, 0x56}},
    {"keyboard_key_Num +", 0x6B, {0x20, 0x00, 0x57}},
    {"keyboard_key_Num Enter", 0x101, {0x20, 0x00, 0x58}},
    {"keyboard_key_Num 1", 0x61, {0x20, 0x00, 0x59}},
    {"keyboard_key_Num 2", 0x62, {0x20, 0x00, 0x5A}},
    {"keyboard_key_Num 3", 0x63, {0x20, 0x00, 0x5B}},
    {"keyboard_key_Num 4", 0x64, {0x20, 0x00, 0x5C}},
    {"keyboard_key_Num 5", 0x65, {0x20, 0x00, 0x5D}},
    {"keyboard_key_Num 6", 0x66, {0x20, 0x00, 0x5E}},
    {"keyboard_key_Num 7", 0x67, {0x20, 0x00, 0x5F}},
    {"keyboard_key_Num 8", 0x68, {0x20, 0x00, 0x60}},
    {"keyboard_key_Num 9", 0x69, {0x20, 0x00, 0x61}},
    {"keyboard_key_Num 0", 0x60, {0x20, 0x00, 0x62}},
    {"keyboard_key_Decimal", 0x6E, {0x20, 0x00, 0x63}},
    {"keyboard_key_App", 0x5D, {0x20, 0x00, 0x65}},
    {"keyboard_key_K45", 0xE2, {0x20, 0x00, 0x64}},
    {"keyboard_key_K56", 0xC1, {0x20, 0x00, 0x87}},
    {"keyboard_key_K14", 0xFF, {0x20, 0x00, 0x89}},
    {"keyboard_key_K107", 0xC2, {0x20, 0x00, 0x85}},
    {"keyboard_key_K131", 0xEB, {0x20, 0x00, 0x8B}},
    {"keyboard_key_K132", 0xFF, {0x20, 0x00, 0x8A}},
    {"keyboard_key_K133", 0xFF, {0x20, 0x00, 0x88}},
    {"keyboard_key_K150", 0xE9, {0x20, 0x00, 0x91}},
    {"keyboard_key_K151", 0xFF, {0x20, 0x00, 0x90}},
    {"keyboard_key_K42", 0xBF, {0x20, 0x00, 0x32}},
    {"keyboard_key_Launch App2", 0xB7, {0x30, 0x92, 0x01}},
    {"keyboard_key_Browaer Home", 0xAC, {0x30, 0x23, 0x02}},
    {"keyboard_key_Media Play Pause", 0xB3, {0x30, 0xCD, 0x00}},
    {"keyboard_key_Browser Search", 0xAA, {0x30, 0x21, 0x02}},
    {"keyboard_key_Launch Mail", 0xB4, {0x30, 0x8A, 0x01}},
    {"keyboard_key_Volume Up", 0xAF, {0x30, 0xE9, 0x00}},
    {"keyboard_key_Volume Mute", 0xAD, {0x30, 0xE2, 0x00}},
    {"keyboard_key_Media Stop", 0xB2, {0x30, 0xB7, 0x00}},
    {"keyboard_key_Volume Down", 0xAE, {0x30, 0xEA, 0x00}},
    {"keyboard_key_Browser Favorites", 0xAB, {0x30, 0x2A, 0x02}},
    {"keyboard_key_Browser ForWard", 0xA7, {0x30, 0x25, 0x02}},
    {"keyboard_key_Browser Back", 0xA6, {0x30, 0x24, 0x02}},
    {"keyboard_key_Media Prev Track", 0xB1, {0x30, 0xB6, 0x00}},
    {"keyboard_key_Media Next Track", 0xB0, {0x30, 0xB5, 0x00}},
    {"keyboard_key_Computer", 0xB6, {0x30, 0x94, 0x01}},
    {"keyboard_key_Browser Refresh", 0xA8, {0x30, 0x27, 0x02}},
    {"wed_stop", 0xA9, {0x30, 0x26, 0x02}},
    {"keyboard_key_Launch Media Select", 0xB5, {0x30, 0x83, 0x01}},
    {"keyboard_key_Power", 0x103, {0x40, 0x01, 0x00}},
    {"keyboard_key_Sleep", 0x104, {0x40, 0x02, 0x00}},
    {"keyboard_key_Wakeup", 0x105, {0x40, 0x04, 0x00}},
    {"keyboard_key_M1", 0xFF, {0xD0, 0xA2, 0x01}},
    {"keyboard_key_M2", 0xFF, {0xD0, 0xA2, 0x02}},
    {"keyboard_key_M3", 0xFF, {0xD0, 0xA2, 0x03}},
    {"keyboard_key_M4", 0xFF, {0xD0, 0xA2, 0x04}},
    {"keyboard_key_M5", 0xFF, {0xD0, 0xA2, 0x05}},
    {"keyboard_key_FN", 0xFF, {0xA0, 0x01, 0x00}},
    {"keyboard_key_GM", 0xFF, {0xA0, 0x1B, 0x00}},
}};

const std::array<NamedCode, 5> kMouseButtonCodes = {{
    {"mouse_key_left", {kCodeMouseButton, 0x01, 0}},
    {"mouse_key_middle", {kCodeMouseButton, 0x04, 0}},
    {"mouse_key_right", {kCodeMouseButton, 0x02, 0}},
    {"mouse_key_forward", {kCodeMouseButton, 0x10, 0}},
    {"mouse_key_back", {kCodeMouseButton, 0x08, 0}},
}};

const std::array<NamedCode, 3> kDpiFunctionCodes = {{
    {"mouse_key_DPI_add", {kCodeDpi, 0x01, 0}},
    {"mouse_key_DPI_sub", {kCodeDpi, 0x02, 0}},
    {"mouse_key_DPI_loop", {kCodeDpi, 0x03, 0}},
}};

namespace {

constexpr AssignmentCode Consumer(std::uint16_t usage) {
    return {kCodeConsumer, static_cast<std::uint8_t>(usage & 0xFF),
            static_cast<std::uint8_t>(usage >> 8)};
}

constexpr AssignmentCode Key(std::uint8_t usage) {
    return {kCodeKeyboardKey, 0x00, usage};
}
constexpr AssignmentCode Modifier(std::uint8_t bit) {
    return {kCodeKeyboardKey, bit, 0x00};
}
constexpr AssignmentCode kNoKey = {kCodeKeyboardKey, 0x00, 0x00};
constexpr AssignmentCode kFn = {kCodeSpecial, 0x01, 0x00};
constexpr AssignmentCode kGameMode = {kCodeSpecial, 0x1B, 0x00};
constexpr AssignmentCode kUnnamedFunction = {kCodeSpecial, 0x24, 0x00};
constexpr AssignmentCode MacroKey(std::uint8_t n) {
    return {kCodeMacroKey, 0xA2, n};
}

}  // namespace

const std::array<NamedCode, 18> kConsumerCodes = {{
    {"media_text", Consumer(0x0183)},
    {"media_play", Consumer(0x00CD)},
    {"media_stop", Consumer(0x00B7)},
    {"media_prev", Consumer(0x00B6)},
    {"media_next", Consumer(0x00B5)},
    {"media_vol_sub", Consumer(0x00EA)},
    {"media_vol_add", Consumer(0x00E9)},
    {"media_mute", Consumer(0x00E2)},
    {"web_text", Consumer(0x0223)},
    {"web_refresh", Consumer(0x0227)},
    {"wed_stop", Consumer(0x0226)},
    {"wed_back", Consumer(0x0224)},
    {"wed_forward", Consumer(0x0225)},
    {"wed_favorite", Consumer(0x022A)},
    {"web_search", Consumer(0x0221)},
    {"media_mypc", Consumer(0x0194)},
    {"media_calc", Consumer(0x0192)},
    {"media_mail", Consumer(0x018A)},
}};

const std::array<NamedCode, 3> kSystemCodes = {{
    {"system_power", {kCodeSystem, 0x01, 0}},
    {"system_sleep", {kCodeSystem, 0x02, 0}},
    {"system_wake_up", {kCodeSystem, 0x04, 0}},
}};

const std::array<NamedCode, 9> kEditCommandCodes = {{
    {"custem_cut", {kCodeEdit, 0, 0}},
    {"custem_copy", {kCodeEdit, 0, 1}},
    {"custem_paste", {kCodeEdit, 0, 2}},
    {"custem_undo", {kCodeEdit, 0, 3}},
    {"custem_select_all", {kCodeEdit, 0, 4}},
    {"custem_find", {kCodeEdit, 0, 5}},
    {"custem_new", {kCodeEdit, 0, 6}},
    {"custem_save", {kCodeEdit, 0, 7}},
    {"custem_open", {kCodeEdit, 0, 8}},
}};

const std::array<NamedCode, 4> kFunctionCodes = {{
    {"mouse_key_smart_key", {kCodeSpecial, 0x02, 0}},
    {"close_text", {kCodeSpecial, 0x00, 0}},
    {"mouse_key_DPI_shift", {kCodeDpiShift, 0, 0}},
    {"show_window", {kCodeShowWindow, 0, 0}},
}};

const std::array<std::string_view, 4> kRecoilListNames = {"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                          "gun_4_txt"};

const std::array<AssignmentCode, kLogicalKeyCount> kDefaultKeyboardKeys = {{
    // Row 0: Esc, F1-F12, Print Scr, Scroll Lock, Pause, GM, an unnamed function, three gaps.
    Key(0x29),
    Key(0x3A),
    Key(0x3B),
    Key(0x3C),
    Key(0x3D),
    Key(0x3E),
    Key(0x3F),
    Key(0x40),
    Key(0x41),
    Key(0x42),
    Key(0x43),
    Key(0x44),
    Key(0x45),
    Key(0x46),
    Key(0x47),
    Key(0x48),
    kGameMode,
    kUnnamedFunction,
    kNoKey,
    kNoKey,
    kNoKey,
    // Row 1: `, 1-9, 0, -, =, BackSpace, Insert, Home, Page Up, Num Lock, Num /, Num *, Num -.
    Key(0x35),
    Key(0x1E),
    Key(0x1F),
    Key(0x20),
    Key(0x21),
    Key(0x22),
    Key(0x23),
    Key(0x24),
    Key(0x25),
    Key(0x26),
    Key(0x27),
    Key(0x2D),
    Key(0x2E),
    Key(0x2A),
    Key(0x49),
    Key(0x4A),
    Key(0x4B),
    Key(0x53),
    Key(0x54),
    Key(0x55),
    Key(0x56),
    // Row 2: Tab, Q-P, [, ], backslash, Delete, End, Page Down, Num 7-9, K42.
    Key(0x2B),
    Key(0x14),
    Key(0x1A),
    Key(0x08),
    Key(0x15),
    Key(0x17),
    Key(0x1C),
    Key(0x18),
    Key(0x0C),
    Key(0x12),
    Key(0x13),
    Key(0x2F),
    Key(0x30),
    Key(0x31),
    Key(0x4C),
    Key(0x4D),
    Key(0x4E),
    Key(0x5F),
    Key(0x60),
    Key(0x61),
    Key(0x32),
    // Row 3: Caps Lock, A-L, ;, ', Enter, Num 4-6, K132, K131, K151, K150, K133.
    Key(0x39),
    Key(0x04),
    Key(0x16),
    Key(0x07),
    Key(0x09),
    Key(0x0A),
    Key(0x0B),
    Key(0x0D),
    Key(0x0E),
    Key(0x0F),
    Key(0x33),
    Key(0x34),
    Key(0x28),
    Key(0x5C),
    Key(0x5D),
    Key(0x5E),
    Key(0x8A),
    Key(0x8B),
    Key(0x90),
    Key(0x91),
    Key(0x88),
    // Row 4: LShift, Z-M, <, ., /, RShift, Up, Num 1-3, K56, K14, K45, K107, a gap.
    Modifier(0x02),
    Key(0x1D),
    Key(0x1B),
    Key(0x06),
    Key(0x19),
    Key(0x05),
    Key(0x11),
    Key(0x10),
    Key(0x36),
    Key(0x37),
    Key(0x38),
    Modifier(0x20),
    Key(0x52),
    Key(0x59),
    Key(0x5A),
    Key(0x5B),
    Key(0x87),
    Key(0x89),
    Key(0x64),
    Key(0x85),
    kNoKey,
    // Row 5: LCtrl, LWin, LAlt, Space, RAlt, FN, App, RCtrl, Left, Down, Right, Num 0,
    // Decimal, Num Enter, Num +, M1-M5, RWin.
    Modifier(0x01),
    Modifier(0x08),
    Modifier(0x04),
    Key(0x2C),
    Modifier(0x40),
    kFn,
    Key(0x65),
    Modifier(0x10),
    Key(0x50),
    Key(0x51),
    Key(0x4F),
    Key(0x62),
    Key(0x63),
    Key(0x58),
    Key(0x57),
    MacroKey(1),
    MacroKey(2),
    MacroKey(3),
    MacroKey(4),
    MacroKey(5),
    Modifier(0x80),
}};

std::string_view KeyboardKeyName(AssignmentCode code) {
    for (const KeyboardKeyRow& row : kKeyboardKeys) {
        if (row.code == code) {
            return row.name;
        }
    }
    return {};
}

namespace {

template <std::size_t N>
std::string_view NameWhere(const std::array<NamedCode, N>& table, auto matches) {
    for (const NamedCode& row : table) {
        if (matches(row.code)) {
            return row.name;
        }
    }
    return {};
}

// A keyboard code: the row with the same two values names it. Otherwise the code is shown as
// the rows of its type that share its modifier byte or its key byte, joined by "+". A zero
// byte stands for "nothing" there, so it never matches: a key without modifiers whose usage is
// not in the table shows no text rather than the names of every plain key.
std::string KeyboardCodeText(AssignmentCode code, const NameResolver& resolve) {
    for (const KeyboardKeyRow& row : kKeyboardKeys) {
        if (row.code.value1 == code.value1 && row.code.value2 == code.value2) {
            return resolve(row.name);
        }
    }
    if (code.value1 == 0 && code.value2 == 0) {
        return resolve(kCloseName);
    }
    std::string text;
    for (const KeyboardKeyRow& row : kKeyboardKeys) {
        if (row.code.type != code.type) {
            continue;
        }
        const bool same_modifiers = code.value1 != 0 && row.code.value1 == code.value1;
        const bool same_key = code.value2 != 0 && row.code.value2 == code.value2;
        if (same_modifiers || same_key) {
            if (!text.empty()) {
                text += '+';
            }
            text += resolve(row.name);
        }
    }
    return text;
}

}  // namespace

std::optional<std::string> CodeText(AssignmentCode code, std::span<const std::string> macro_names,
                                    const NameResolver& resolver) {
    const NameResolver identity = [](std::string_view name) { return std::string(name); };
    const NameResolver& resolve = resolver ? resolver : identity;
    const auto named = [&](std::string_view name) {
        return name.empty() ? std::string() : resolve(name);
    };
    const auto same_value1 = [&](AssignmentCode row) { return row.value1 == code.value1; };
    const auto same_values = [&](AssignmentCode row) {
        return row.value1 == code.value1 && row.value2 == code.value2;
    };
    const bool high_bit = (code.value2 & 0x80) != 0;
    switch (code.type) {
        case kCodeKeyboard:
        case kCodeKeyboardKey:
            return KeyboardCodeText(code, resolve);
        case kCodeMouseButton:
            return named(NameWhere(kMouseButtonCodes, same_value1));
        case kCodeTilt:
            return resolve(high_bit ? kTiltRightName : kTiltLeftName);
        case kCodeWheel:
            return resolve(high_bit ? kWheelDownName : kWheelUpName);
        case kCodeDpi:
            return named(NameWhere(kDpiFunctionCodes, same_value1));
        case kCodeFire:
            return resolve(kFireKeyName);
        case kCodeDpiShift:
        case kCodeShowWindow:
            return named(NameWhere(kFunctionCodes,
                                   [&](AssignmentCode row) { return row.type == code.type; }));
        case kCodeEdit:
            return named(NameWhere(kEditCommandCodes, same_values));
        case kCodeConsumer:
            return named(NameWhere(kConsumerCodes, same_values));
        case kCodeSystem:
            return named(NameWhere(kSystemCodes, same_values));
        case kCodeMacro:
        case kCodeMacroRepeat:
            if (code.value1 >= macro_names.size()) {
                return std::nullopt;
            }
            return macro_names[code.value1];
        case kCodeRecoil:
            return code.value1 < kRecoilListNames.size() ? resolve(kRecoilListNames[code.value1])
                                                         : std::string();
        case kCodeSpecial: {
            const std::string_view function = NameWhere(kFunctionCodes, [&](AssignmentCode row) {
                return row.type == kCodeSpecial && row.value1 == code.value1;
            });
            return named(function.empty() ? KeyboardKeyName(code) : function);
        }
        case kCodeMacroKey: {
            // The macro keys M1-M5 keep their own names instead of reading as disabled.
            const std::string_view name = KeyboardKeyName(code);
            return name.empty() ? std::string(kUnknownCodeText) : resolve(name);
        }
        case 0x15:
        case 0x21:
        case 0x50:
        case 0x60:
        case 0xB0:
        case 0xC0:
            return std::nullopt;
        default:
            return std::string(kUnknownCodeText);
    }
}

void KeyInfoList::SetRow(std::size_t key_number, std::string key_name,
                         std::optional<std::string> code_text) {
    if (rows_.size() <= key_number) {
        rows_.resize(key_number + 1);
    }
    if (!code_text) {
        return;
    }
    rows_[key_number] = Row{std::move(key_name), std::move(*code_text)};
}

}  // namespace calvorn::device
