#include "sim/factory_layout.h"

namespace calvorn::sim {
namespace {

// A plain key: its HID keyboard usage.
constexpr KeyCode Key(std::uint8_t usage) {
    return {0x20, 0x00, usage};
}
// A modifier key alone: its modifier bit.
constexpr KeyCode Mod(std::uint8_t bit) {
    return {0x20, bit, 0x00};
}
constexpr KeyCode kNone = {0x20, 0x00, 0x00};
constexpr KeyCode kFn = {0xA0, 0x01, 0x00};
constexpr KeyCode kGameMode = {0xA0, 0x1B, 0x00};
constexpr KeyCode kUnnamedFunction = {0xA0, 0x24, 0x00};
constexpr KeyCode MacroKey(std::uint8_t n) {
    return {0xD0, 0xA2, n};
}

constexpr std::array<KeyCode, kLogicalKeys> kFactoryCodes = {{
    // Row 0: Esc, F1..F12, Print Scr, Scroll Lock, Pause, GM, a function key, three gaps.
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
    kNone,
    kNone,
    kNone,
    // Row 1: `, 1..9, 0, -, =, BackSpace, Insert, Home, Page Up, Num Lock, Num /, Num *, Num -.
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
    // Row 2: Tab, Q..P, [, ], backslash, Delete, End, Page Down, Num 7..9, K42.
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
    // Row 3: Caps Lock, A..L, ;, ', Enter, Num 4..6, K132, K131, K151, K150, K133.
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
    // Row 4: left Shift, Z..M, comma, period, /, right Shift, Up, Num 1..3, K56, K14, K45,
    // K107, a gap.
    Mod(0x02),
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
    Mod(0x20),
    Key(0x52),
    Key(0x59),
    Key(0x5A),
    Key(0x5B),
    Key(0x87),
    Key(0x89),
    Key(0x64),
    Key(0x85),
    kNone,
    // Row 5: left Ctrl, left Win, left Alt, Space, right Alt, Fn, App, right Ctrl, Left, Down,
    // Right, Num 0, Num ., Num Enter, Num +, M1..M5, right Win.
    Mod(0x01),
    Mod(0x08),
    Mod(0x04),
    Key(0x2C),
    Mod(0x40),
    kFn,
    Key(0x65),
    Mod(0x10),
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
    Mod(0x80),
}};

}  // namespace

const std::array<KeyCode, kLogicalKeys>& FactoryKeyCodes() {
    return kFactoryCodes;
}

int KeyPositionOfLogicalKey(int logical_key) {
    const int row = logical_key / kGridColumns;
    const int column = logical_key % kGridColumns;
    return column * kGridRows + row;
}

int LedIndexOfPosition(int position) {
    const int column = position / kGridRows;
    const int row = position % kGridRows;
    const int along = row % 2 == 0 ? column : kGridColumns - 1 - column;
    return row * kGridColumns + along;
}

}  // namespace calvorn::sim
