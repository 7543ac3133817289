#pragma once

// The event download image (`EventDownloadBuffer`) in which the macro library is written to a
// device, and the macro library's index as the device code needs it.
//
// Image layout, little-endian: marker 0x55AA (bytes AA 55), total size (16 bits), list count
// N (16 bits), ten reserved bytes, an offset table of N 16-bit offsets (list i's header), then
// the lists in order. A list is its event count E (16 bits), two reserved bytes and E 4-byte
// `DeviceEvent`s: delay (16 bits), type with bit 7 set for a press, key or button code.
// Total size = 16 + 6 N + 4 × (sum of E). Reserved bytes are zero.
//
// The macro library lives in the user device folder: "macro.config" holds "MacroInfo", one
// {"MacroName", "Guid"} per macro in list order; macro i's events are the "Events" array of
// <Guid>.mac. A missing or unreadable macro file, or one whose Guid could name a file outside
// the folder, counts as a macro without events.

#include <json/json.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace calvorn::device {

inline constexpr std::uint16_t kEventImageMarker = 0x55AA;
inline constexpr std::size_t kEventImageHeaderBytes = 16;
inline constexpr std::size_t kMacroCapacityUnit = 128;

using DeviceEvent = std::array<std::uint8_t, 4>;

// One stored event as the device plays it: "Delay" (a decimal string; an integer is taken as
// it stands) in bytes 0-1, "Type" in byte 2 with bit 7 set when "Action" is "down", "Button"
// in byte 3. Members of the wrong type read as 0.
DeviceEvent DeviceEventOf(const Json::Value& event);

// The image of `lists`, each a list of stored events. Empty when the image could not describe
// them (more than 65535 bytes).
std::vector<std::uint8_t> BuildEventImage(const std::vector<Json::Value>& lists);

// The macro library of a user device folder.
struct MacroLibrary {
    bool readable = false;            // "macro.config" could be read
    std::vector<std::string> names;   // "MacroName" per macro
    std::vector<Json::Value> events;  // the "Events" array per macro (null when missing)
};
MacroLibrary ReadMacroLibrary(const std::filesystem::path& folder);
// The macros' names in library order (empty when the library cannot be read); the number of
// names is the number of macros that key codes may run.
std::vector<std::string> MacroNames(const std::filesystem::path& folder);

// A macro image and what the sender makes of it.
struct MacroImage {
    // 0: send `image` (or nothing when it is empty); a positive number: the library needs
    // that many 4-byte events (plus one) more than the device holds, nothing is sent.
    int result = 0;
    std::vector<std::uint8_t> image;
};
// The library's image for a device whose macro memory is `capacity_units` × 128 bytes. An
// unreadable library or one without macros gives result 0 and no image.
MacroImage BuildMacroImage(const std::filesystem::path& folder, std::uint8_t capacity_units);

}  // namespace calvorn::device
