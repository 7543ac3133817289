#pragma once

// The record that answers a companion tool's device-table query: 1024 bytes of 32-bit
// little-endian integers, in this order: 2, 3, 0, 2; the number of table rows; then for each
// row its vendor ID, product ID and interface number. The rest is zero.

#include <array>
#include <cstdint>
#include <span>

#include "discovery/supported_devices.h"

namespace calvorn::shell {

inline constexpr std::size_t kDeviceTableRecordBytes = 1024;
// The record's tag (what a Windows build puts into the copy-data record's dwData).
inline constexpr std::int64_t kDeviceTableRecordTag = 5;

// Rows that do not fit into the record are left out; the count says how many are in it.
std::array<std::uint8_t, kDeviceTableRecordBytes> MakeDeviceTableRecord(
    std::span<const discovery::SupportedDeviceRecord> rows);

}  // namespace calvorn::shell
