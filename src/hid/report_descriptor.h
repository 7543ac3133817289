#pragma once

// A HID report-descriptor parser. It splits a descriptor into its top-level collections and
// gives each one its usage page and usage, the report IDs it uses, the length of its longest
// report of each type, and the button and value capabilities of its reports: what
// `CHidDevice` needs to build and decode its report items.
//
// Conventions shared with the rest of the layer: a report as read or written starts with the
// report ID byte, which is 0 when the device numbers no reports, so report lengths always
// count that byte and field bit offsets count from the byte after it.
//
// The parser takes hostile input: every length is checked, nesting and sizes are bounded,
// and a malformed descriptor is rejected as a whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace calvorn::hid {

enum class HidReportType : std::uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr std::size_t kHidReportTypeCount = 3;

// One run of button fields of a main item: 1-bit variable fields (one usage per field), or
// the selector fields of an array item (each field holds an index into the item's usages).
struct HidButtonCaps {
    std::uint16_t usage_page = 0;
    std::uint8_t report_id = 0;
    bool is_range = false;  // usages came from a usage minimum/maximum pair
    std::uint16_t usage_min = 0;
    std::uint16_t usage_max = 0;  // equals usage_min for a single usage
    bool is_array = false;
    // Array items only: the index (logical value minus logical minimum) that selects
    // usage_min; usage_min + k is selected by array_index + k.
    std::uint32_t array_index = 0;
    std::uint32_t bit_offset = 0;  // first field, from the byte after the report ID byte
    std::uint16_t bit_size = 1;
    std::uint16_t report_count = 0;  // number of fields
    std::int32_t logical_min = 0;
    std::int32_t logical_max = 0;
};

// One run of value fields of a variable main item. A range caps' usage k sits in field
// k - usage_min; a single-usage caps with report_count > 1 is a value array.
struct HidValueCaps {
    std::uint16_t usage_page = 0;
    std::uint8_t report_id = 0;
    bool is_range = false;
    std::uint16_t usage_min = 0;
    std::uint16_t usage_max = 0;
    std::uint32_t bit_offset = 0;  // first field, from the byte after the report ID byte
    std::uint16_t bit_size = 0;
    std::uint16_t report_count = 0;
    std::int32_t logical_min = 0;
    std::int32_t logical_max = 0;
    std::int32_t physical_min = 0;
    std::int32_t physical_max = 0;
    std::int32_t unit_exponent = 0;  // -8..7, the power of ten of the physical unit
    std::uint32_t unit = 0;
    bool has_null = false;
    bool is_absolute = true;
};

// Everything one report type (input, output or feature) of a top-level collection carries.
struct HidReportCaps {
    std::vector<std::uint8_t> report_ids;  // distinct IDs in order of first use; {0} without IDs
    std::uint16_t report_length = 0;       // longest report in bytes, ID byte included; 0 when none
    std::vector<HidButtonCaps> buttons;
    std::vector<HidValueCaps> values;
};

struct HidTopCollection {
    std::uint16_t usage_page = 0;
    std::uint16_t usage = 0;
    std::uint16_t link_collection_nodes = 0;  // this collection and all nested in it
    std::array<HidReportCaps, kHidReportTypeCount> reports;

    const HidReportCaps& Reports(HidReportType type) const {
        return reports[static_cast<std::size_t>(type)];
    }
};

struct HidReportDescriptor {
    bool uses_report_ids = false;
    std::vector<HidTopCollection> collections;

    // Parses a whole descriptor; nothing when it is malformed or exceeds the limits below.
    // Constant (padding) fields take room in their report but make no caps.
    static std::optional<HidReportDescriptor> Parse(std::span<const std::uint8_t> bytes);

    static constexpr std::size_t kMaxDescriptorSize = 65535;
    static constexpr std::size_t kMaxReportBytes = 16384;   // longest report, ID byte included
    static constexpr std::size_t kMaxReportSize = 256;      // bits of one field
    static constexpr std::size_t kMaxCaps = 1024;           // button and value caps, all types
    static constexpr std::size_t kMaxFields = 16384;        // fields of all caps, all types
    static constexpr std::size_t kMaxUsagesPerItem = 4096;  // local usage entries of one item
    static constexpr std::size_t kMaxCollectionDepth = 64;
    static constexpr std::size_t kMaxGlobalStackDepth = 16;
};

}  // namespace calvorn::hid
