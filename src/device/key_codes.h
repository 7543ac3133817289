#pragma once

// Key assignment codes: the three bytes {type, value 1, value 2} that tell the firmware what a
// key or mouse button does, the named code tables that turn a code into the text shown for a
// key, the factory codes of the keyboard's 126 logical keys, and the key-info list model.
//
// The same three bytes live in the device key table (3 bytes per key position), in a profile's
// "KeyList" as one integer (type × 65536 + value 1 × 256 + value 2) and in the key-set panel.
// Names here are language keys; the interface resolves them through the current language.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace calvorn::device {

struct AssignmentCode {
    std::uint8_t type = 0;
    std::uint8_t value1 = 0;
    std::uint8_t value2 = 0;

    friend bool operator==(const AssignmentCode&, const AssignmentCode&) = default;
};

// Code types.
inline constexpr std::uint8_t kCodeKeyboard = 0x00;     // modifier bits, HID keyboard usage
inline constexpr std::uint8_t kCodeKeyboardKey = 0x20;  // the same, as the tables write it
inline constexpr std::uint8_t kCodeMouseButton = 0x10;  // button bits, 0
inline constexpr std::uint8_t kCodeTilt = 0x11;         // repeat nibbles, bit 7 right + amount
inline constexpr std::uint8_t kCodeWheel = 0x12;        // repeat nibbles, signed amount
inline constexpr std::uint8_t kCodeDpi = 0x13;          // 1 up, 2 down, 3 cycle
inline constexpr std::uint8_t kCodeFire = 0x14;         // interval, clicks
inline constexpr std::uint8_t kCodeDpiShift = 0x16;     // 16-bit parameter, low byte first
inline constexpr std::uint8_t kCodeEdit = 0x22;         // 0, command 0-8
inline constexpr std::uint8_t kCodeShowWindow = 0x23;   // 0, 0
inline constexpr std::uint8_t kCodeConsumer = 0x30;     // consumer usage, low byte first
inline constexpr std::uint8_t kCodeSystem = 0x40;       // 1 power, 2 sleep, 4 wake
inline constexpr std::uint8_t kCodeMacro = 0x70;        // macro number, play mode 0-3
inline constexpr std::uint8_t kCodeMacroRepeat = 0x71;  // macro number, repeat count
inline constexpr std::uint8_t kCodeRecoil = 0x72;       // recoil list 0-3, 0
inline constexpr std::uint8_t kCodeSpecial = 0xA0;      // special function, 0
inline constexpr std::uint8_t kCodeMacroKey = 0xD0;     // 0xA2, M1-M5

// Texts shown for a code of an unknown type.
inline constexpr std::string_view kUnknownCodeText = "关闭";

// The profile integer of a code and back. Bits above 23 of the integer are ignored.
constexpr AssignmentCode CodeFromAssignment(std::uint32_t assignment) {
    return AssignmentCode{static_cast<std::uint8_t>(assignment >> 16),
                          static_cast<std::uint8_t>(assignment >> 8),
                          static_cast<std::uint8_t>(assignment)};
}
constexpr std::uint32_t AssignmentFromCode(AssignmentCode code) {
    return (static_cast<std::uint32_t>(code.type) << 16) |
           (static_cast<std::uint32_t>(code.value1) << 8) | code.value2;
}

// A row of a named code table.
struct NamedCode {
    std::string_view name;
    AssignmentCode code;
};

// A row of the keyboard table: the Windows virtual-key code lets the key-set panel turn a
// captured key press into a code. kNoVirtualKey: no key press produces the row.
struct KeyboardKeyRow {
    std::string_view name;
    std::uint16_t virtual_key;
    AssignmentCode code;
};
inline constexpr std::uint16_t kNoVirtualKey = 0xFF;

inline constexpr std::size_t kKeyboardKeyRows = 142;
extern const std::array<KeyboardKeyRow, kKeyboardKeyRows> kKeyboardKeys;
// The name that follows the keyboard table in the name list; it has no code row.
inline constexpr std::string_view kKeyboardColorName = "keyboard_key_COLOR";

extern const std::array<NamedCode, 5> kMouseButtonCodes;
extern const std::array<NamedCode, 3> kDpiFunctionCodes;
extern const std::array<NamedCode, 18> kConsumerCodes;
extern const std::array<NamedCode, 3> kSystemCodes;
extern const std::array<NamedCode, 9> kEditCommandCodes;
// Rows used for naming only: smart key, disabled, DPI shift (any 0x16), show window (any 0x23).
extern const std::array<NamedCode, 4> kFunctionCodes;
extern const std::array<std::string_view, 4> kRecoilListNames;

inline constexpr std::string_view kTiltLeftName = "mouse_key_left_Swing";
inline constexpr std::string_view kTiltRightName = "mouse_key_right_Swing";
inline constexpr std::string_view kWheelUpName = "mouse_key_up_Swing";
inline constexpr std::string_view kWheelDownName = "mouse_key_down_Swing";
inline constexpr std::string_view kFireKeyName = "mouse_key_fire_key";
inline constexpr std::string_view kCloseName = "close_text";

// The keyboard's 126 logical keys form a grid of 6 rows of 21 (logical key = row × 21 +
// column). Each key's factory code locates it in the device key table and names it.
inline constexpr std::size_t kLogicalKeyCount = 126;
extern const std::array<AssignmentCode, kLogicalKeyCount> kDefaultKeyboardKeys;

// The keyboard-table name of a code (type, value 1 and value 2 all equal), or empty when no
// row has it. This is the name shown for a keyboard key, taken from its factory code.
std::string_view KeyboardKeyName(AssignmentCode code);

// Resolves a language key into the text shown; the identity when no language is loaded.
using NameResolver = std::function<std::string(std::string_view name_key)>;

// The text shown for a code. `macro_names` are the macro library's names in order (already
// texts, not language keys). nullopt means "no text": the key's row is left as it was (macro
// numbers beyond the library, and the code types the firmware reserves).
std::optional<std::string> CodeText(AssignmentCode code, std::span<const std::string> macro_names,
                                    const NameResolver& resolve = {});

// The key-info list of a device page: one row per key number, created on demand. The page's
// list control shows each row as two labels, laid out with the constants below.
class KeyInfoList {
public:
    struct Row {
        std::string key_name;
        std::string code_text;
    };

    static constexpr int kRowHeight = 25;
    static constexpr int kNameWidth = 200;
    static constexpr int kTextWidth = 180;
    static constexpr std::uint32_t kTextColor = 0xFF0099FF;
    static constexpr std::uint32_t kTextStyleEndEllipsis = 0x8000;

    // Appends empty rows until row `key_number` exists, then gives it the key name and the
    // code text. Without a code text (CodeText's "no text") the row is left as it was.
    void SetRow(std::size_t key_number, std::string key_name, std::optional<std::string> code_text);
    const std::vector<Row>& Rows() const { return rows_; }
    void Clear() { rows_.clear(); }

private:
    std::vector<Row> rows_;
};

}  // namespace calvorn::device
