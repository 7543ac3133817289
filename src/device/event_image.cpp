#include "device/event_image.h"

#include <cstdlib>
#include <limits>

#include "storage/data_folders.h"
#include "storage/json_access.h"
#include "storage/json_file.h"

namespace calvorn::device {

namespace {

constexpr std::uint8_t kPressFlag = 0x80;
constexpr std::size_t kListHeaderBytes = 4;
constexpr std::size_t kEventBytes = 4;
constexpr std::size_t kOffsetBytes = 2;

void Put16(std::vector<std::uint8_t>& image, std::size_t at, std::size_t value) {
    image[at] = static_cast<std::uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::uint16_t DelayOf(const Json::Value& delay) {
    if (delay.isString()) {
        return static_cast<std::uint16_t>(std::strtoll(delay.asCString(), nullptr, 10));
    }
    return static_cast<std::uint16_t>(storage::IntegerOf(delay));
}

std::size_t EventCount(const Json::Value& events) {
    return events.isArray() ? events.size() : 0;
}

}  // namespace

DeviceEvent DeviceEventOf(const Json::Value& event) {
    const std::uint16_t delay = DelayOf(storage::Member(event, "Delay"));
    std::uint8_t type = storage::ByteOf(storage::Member(event, "Type"));
    if (storage::StringOf(storage::Member(event, "Action")) == "down") {
        type |= kPressFlag;
    }
    return {static_cast<std::uint8_t>(delay & 0xFF), static_cast<std::uint8_t>(delay >> 8), type,
            storage::ByteOf(storage::Member(event, "Button"))};
}

std::vector<std::uint8_t> BuildEventImage(const std::vector<Json::Value>& lists) {
    std::size_t size = kEventImageHeaderBytes;
    for (const Json::Value& events : lists) {
        size += kOffsetBytes + kListHeaderBytes + kEventBytes * EventCount(events);
    }
    if (size > std::numeric_limits<std::uint16_t>::max()) {
        return {};
    }
    std::vector<std::uint8_t> image(size, 0);
    Put16(image, 0, kEventImageMarker);
    Put16(image, 2, size);
    Put16(image, 4, lists.size());
    std::size_t position = kEventImageHeaderBytes + kOffsetBytes * lists.size();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const std::size_t count = EventCount(lists[i]);
        Put16(image, kEventImageHeaderBytes + kOffsetBytes * i, position);
        Put16(image, position, count);
        position += kListHeaderBytes;
        for (Json::ArrayIndex e = 0; e < count; ++e) {
            const DeviceEvent event = DeviceEventOf(lists[i][e]);
            std::copy(event.begin(), event.end(),
                      image.begin() + static_cast<std::ptrdiff_t>(position));
            position += kEventBytes;
        }
    }
    return image;
}

MacroLibrary ReadMacroLibrary(const std::filesystem::path& folder) {
    MacroLibrary library;
    const Json::Value index =
        storage::ReadJsonFile(storage::DataFilePath(folder, "macro", ".config"));
    if (index.isNull()) {
        return library;
    }
    library.readable = true;
    const Json::Value& macros = storage::Member(index, "MacroInfo");
    const std::size_t count = macros.isArray() ? macros.size() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Json::Value& macro = storage::Element(macros, i);
        library.names.push_back(storage::StringOf(storage::Member(macro, "MacroName")));
        const std::filesystem::path file = storage::DataFilePath(
            folder, storage::StringOf(storage::Member(macro, "Guid")), ".mac");
        // Each file is read once, so the size computed from it is the size written.
        library.events.push_back(
            file.empty() ? Json::Value() : storage::Member(storage::ReadJsonFile(file), "Events"));
    }
    return library;
}

std::vector<std::string> MacroNames(const std::filesystem::path& folder) {
    const Json::Value index =
        storage::ReadJsonFile(storage::DataFilePath(folder, "macro", ".config"));
    const Json::Value& macros = storage::Member(index, "MacroInfo");
    std::vector<std::string> names;
    const std::size_t count = macros.isArray() ? macros.size() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(
            storage::StringOf(storage::Member(storage::Element(macros, i), "MacroName")));
    }
    return names;
}

MacroImage BuildMacroImage(const std::filesystem::path& folder, std::uint8_t capacity_units) {
    const MacroLibrary library = ReadMacroLibrary(folder);
    if (!library.readable || library.events.empty()) {
        return {};
    }
    std::size_t size = kEventImageHeaderBytes;
    for (const Json::Value& events : library.events) {
        size += kOffsetBytes + kListHeaderBytes + kEventBytes * EventCount(events);
    }
    const std::size_t capacity = static_cast<std::size_t>(capacity_units) * kMacroCapacityUnit;
    if (size > capacity) {
        return {static_cast<int>((size - capacity) / kEventBytes) + 1, {}};
    }
    return {0, BuildEventImage(library.events)};
}

}  // namespace calvorn::device
