#pragma once

// The simulated keyboard's factory key and LED tables. The 126 logical keys of the host form a
// grid of 6 rows of 21; the firmware numbers its key positions by its scan matrix instead,
// column by column, and its LED chain runs along the rows, every second row backwards. So key
// positions, logical keys and LED indexes all differ, as on a real board, and a host that mixes
// them up shows it.

#include <array>
#include <cstdint>

namespace calvorn::sim {

inline constexpr int kGridRows = 6;
inline constexpr int kGridColumns = 21;
inline constexpr int kLogicalKeys = kGridRows * kGridColumns;  // 126

// Three-byte key code: type, value 1, value 2.
using KeyCode = std::array<std::uint8_t, 3>;

// Factory code of each logical key (row × 21 + column), the code the host looks for when it
// locates a key in the key table. Keys that do not exist carry (0x20, 0x00, 0x00).
const std::array<KeyCode, kLogicalKeys>& FactoryKeyCodes();

// Key position of a logical key in the scan matrix (column-major).
int KeyPositionOfLogicalKey(int logical_key);
// LED index of the key at a key position (serpentine by rows).
int LedIndexOfPosition(int position);

}  // namespace calvorn::sim
