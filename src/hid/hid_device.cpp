#include "hid/hid_device.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <utility>

namespace calvorn::hid {
namespace {

// Scans a hexadecimal number the way "%x" does: leading white space, an optional sign and an
// optional "0x" prefix; 0 when no digit follows. Wraps like an unsigned conversion.
std::uint32_t ScanHex(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const auto is_hex = [&text](std::size_t at) {
        return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at]));
    };
    if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] | 0x20) == 'x' &&
        is_hex(pos + 2)) {
        pos += 2;
    }
    std::uint32_t value = 0;
    for (; is_hex(pos); ++pos) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
        value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return negative ? 0u - value : value;
}

std::uint16_t ParseMarked(std::string_view path, std::string_view marker) {
    const auto equal_nocase = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    const auto found =
        std::search(path.begin(), path.end(), marker.begin(), marker.end(), equal_nocase);
    if (found == path.end()) {
        return 0;
    }
    const auto start = static_cast<std::size_t>(found - path.begin()) + marker.size();
    return static_cast<std::uint16_t>(ScanHex(path.substr(start)));
}

std::uint16_t Clamp16(std::size_t n) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(n, 0xFFFF));
}

// Reads `size` bits (at most 32) starting at bit `bit` of `report`, least significant first.
std::uint32_t ReadBits(std::span<const std::uint8_t> report, std::uint64_t bit,
                       std::uint32_t size) {
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < size; ++i) {
        const std::uint64_t at = bit + i;
        if ((report[at / 8] >> (at % 8)) & 1) {
            value |= std::uint32_t{1} << i;
        }
    }
    return value;
}

bool FitsIn(std::span<const std::uint8_t> report, std::uint64_t bit, std::uint64_t size) {
    return bit + size <= std::uint64_t{report.size()} * 8;
}

// A field read as a number: sign-extended when the logical range is signed.
std::int64_t FieldValue(std::uint32_t raw, std::uint32_t size, std::int32_t logical_min) {
    if (logical_min < 0 && size > 0 && size < 32 && (raw >> (size - 1)) & 1) {
        return static_cast<std::int64_t>(raw) - (std::int64_t{1} << size);
    }
    if (logical_min < 0 && size == 32) {
        return static_cast<std::int32_t>(raw);
    }
    return raw;
}

// Bit position of a field in a report as read: fields count from the byte after the ID.
constexpr std::uint64_t kIdBits = 8;

// The usages set on `page` in every button caps of `report_id`, in caps order, at most
// `room` of them, as the OS's "get usages" call returns them. False when a field lies beyond
// the end of the report.
bool CollectUsages(const std::vector<HidButtonCaps>& buttons, std::uint16_t page,
                   std::uint8_t report_id, std::span<const std::uint8_t> report,
                   std::vector<std::uint16_t>& out, std::size_t room) {
    bool complete = true;
    for (const HidButtonCaps& caps : buttons) {
        if (caps.usage_page != page || caps.report_id != report_id) {
            continue;
        }
        const std::uint32_t size = std::min<std::uint32_t>(caps.bit_size, 32);
        for (std::uint32_t field = 0; field < caps.report_count && out.size() < room; ++field) {
            const std::uint64_t bit =
                kIdBits + caps.bit_offset + std::uint64_t{field} * caps.bit_size;
            if (!FitsIn(report, bit, caps.bit_size)) {
                complete = false;
                break;
            }
            const std::uint32_t raw = ReadBits(report, bit, size);
            if (!caps.is_array) {
                if (raw != 0) {
                    const std::uint32_t span = std::uint32_t{caps.usage_max} - caps.usage_min;
                    out.push_back(static_cast<std::uint16_t>(field <= span ? caps.usage_min + field
                                                                           : caps.usage_max));
                }
                continue;
            }
            const std::int64_t value = FieldValue(raw, size, caps.logical_min);
            if (value < caps.logical_min || value > caps.logical_max) {
                continue;  // nothing selected in this field
            }
            const std::int64_t index = value - caps.logical_min - caps.array_index;
            if (index >= 0 && index <= std::int64_t{caps.usage_max} - caps.usage_min) {
                out.push_back(static_cast<std::uint16_t>(caps.usage_min + index));
            }
        }
    }
    return complete;
}

// The most usages that can be set at once on `page`: the fields of its caps, counting the
// fields an array item shares among several caps once.
std::size_t MaxUsageListLength(const std::vector<HidButtonCaps>& buttons, std::uint16_t page) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const HidButtonCaps& caps = buttons[i];
        if (caps.usage_page != page) {
            continue;
        }
        const bool counted =
            caps.is_array &&
            std::any_of(buttons.begin(), buttons.begin() + static_cast<std::ptrdiff_t>(i),
                        [&caps](const HidButtonCaps& other) {
                            return other.is_array && other.usage_page == caps.usage_page &&
                                   other.report_id == caps.report_id &&
                                   other.bit_offset == caps.bit_offset;
                        });
        if (!counted) {
            length += caps.report_count;
        }
    }
    return length;
}

// Items of one report type: one per button caps, then one per usage of each value caps.
// `caps_index` receives, per item, the index of its caps among the buttons or the values.
std::vector<HidReportItem> BuildItems(const HidReportCaps& caps,
                                      std::vector<std::size_t>& caps_index) {
    std::vector<HidReportItem> items;
    caps_index.clear();
    for (std::size_t i = 0; i < caps.buttons.size(); ++i) {
        const HidButtonCaps& button = caps.buttons[i];
        HidReportItem item;
        item.is_button = true;
        item.usage_page = button.usage_page;
        item.report_id = button.report_id;
        item.usage_min = button.usage_min;
        item.usage_max = button.usage_max;
        item.usages.assign(MaxUsageListLength(caps.buttons, button.usage_page), 0);
        items.push_back(std::move(item));
        caps_index.push_back(i);
    }
    for (std::size_t i = 0; i < caps.values.size(); ++i) {
        const HidValueCaps& value = caps.values[i];
        for (std::uint32_t usage = value.usage_min; usage <= value.usage_max; ++usage) {
            HidReportItem item;
            item.usage_page = value.usage_page;
            item.report_id = value.report_id;
            item.usage = static_cast<std::uint16_t>(usage);
            items.push_back(std::move(item));
            caps_index.push_back(i);
        }
    }
    return items;
}

// Reads a value item's raw field; returns the status of the read.
HidItemStatus ReadRaw(const HidValueCaps& caps, const HidReportItem& item,
                      std::span<const std::uint8_t> report, std::uint32_t& raw) {
    const std::uint64_t field = caps.is_range ? item.usage - caps.usage_min : 0;
    const std::uint64_t bit = kIdBits + caps.bit_offset + field * caps.bit_size;
    if (caps.bit_size > 32) {
        return HidItemStatus::kValueTooLarge;
    }
    if (!FitsIn(report, bit, caps.bit_size)) {
        return HidItemStatus::kReportTooShort;
    }
    raw = ReadBits(report, bit, caps.bit_size);
    return HidItemStatus::kSuccess;
}

// Logical to physical: physical = pmin + (v - lmin) * (pmax - pmin) / (lmax - lmin). A
// physical range left at 0..0 means the logical range.
HidItemStatus Scale(const HidValueCaps& caps, std::uint32_t raw, std::int32_t& scaled) {
    const std::int64_t value = FieldValue(raw, caps.bit_size, caps.logical_min);
    const std::int64_t lmin = caps.logical_min;
    const std::int64_t lmax = caps.logical_max;
    std::int64_t pmin = caps.physical_min;
    std::int64_t pmax = caps.physical_max;
    if (pmin == 0 && pmax == 0) {
        pmin = lmin;
        pmax = lmax;
    }
    if (lmax <= lmin || pmax < pmin) {
        return HidItemStatus::kBadLogPhyValues;
    }
    if (value < lmin || value > lmax) {
        return HidItemStatus::kNull;
    }
    const std::int64_t result = pmin + (value - lmin) * (pmax - pmin) / (lmax - lmin);
    scaled = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(result, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    return HidItemStatus::kSuccess;
}

}  // namespace

std::uint16_t ParseVendorId(std::string_view path) {
    return ParseMarked(path, "vid_");
}
std::uint16_t ParseProductId(std::string_view path) {
    return ParseMarked(path, "pid_");
}
std::uint16_t ParseInterfaceNumber(std::string_view path) {
    return ParseMarked(path, "&mi_");
}
std::uint16_t ParseCollectionNumber(std::string_view path) {
    return ParseMarked(path, "&col");
}

CHidDevice::CHidDevice(HidBackend& backend) : backend_(backend) {}

CHidDevice::~CHidDevice() {
    CloseHidDevice();
    FreeHidPaths();
}

bool CHidDevice::EnumerateHidPaths() {
    path_cursor_ = 0;
    std::optional<std::vector<std::string>> paths = backend_.EnumeratePaths();
    if (!paths) {
        paths_.clear();
        return false;
    }
    paths_ = std::move(*paths);
    return true;
}

std::optional<std::string> CHidDevice::NextHidPath() {
    if (path_cursor_ >= paths_.size()) {
        return std::nullopt;
    }
    return paths_[path_cursor_++];
}

void CHidDevice::FreeHidPaths() {
    paths_.clear();
    path_cursor_ = 0;
}

bool CHidDevice::OpenHidDevice(std::string_view path, bool read, bool write, bool overlapped,
                               bool share_read_only) {
    std::lock_guard lock(mutex_);
    options_ = HidOpenOptions{read, write, overlapped, share_read_only};
    path_ = std::string(path);
    CloseLocked();

    std::optional<HidOpenedPath> opened = backend_.Open(path_, options_);
    if (!opened || !opened->handle) {
        return false;
    }
    std::optional<HidReportDescriptor> descriptor =
        HidReportDescriptor::Parse(opened->report_descriptor);
    if (!descriptor || opened->collection_index >= descriptor->collections.size()) {
        return false;  // the handle closes as `opened` goes out of scope
    }
    HidTopCollection& collection = descriptor->collections[opened->collection_index];

    caps_ = HidCapabilities{};
    caps_.usage = collection.usage;
    caps_.usage_page = collection.usage_page;
    caps_.link_collection_nodes = collection.link_collection_nodes;
    const auto& input = collection.Reports(HidReportType::kInput);
    const auto& output = collection.Reports(HidReportType::kOutput);
    const auto& feature = collection.Reports(HidReportType::kFeature);
    caps_.input_report_length = input.report_length;
    caps_.output_report_length = output.report_length;
    caps_.feature_report_length = feature.report_length;
    caps_.input_button_caps = Clamp16(input.buttons.size());
    caps_.input_value_caps = Clamp16(input.values.size());
    caps_.output_button_caps = Clamp16(output.buttons.size());
    caps_.output_value_caps = Clamp16(output.values.size());
    caps_.feature_button_caps = Clamp16(feature.buttons.size());
    caps_.feature_value_caps = Clamp16(feature.values.size());
    for (std::size_t type = 0; type < kHidReportTypeCount; ++type) {
        report_buffers_[type].assign(collection.reports[type].report_length, 0);
        items_[type] = BuildItems(collection.reports[type], item_caps_[type]);
    }
    attributes_ = opened->attributes;
    collection_ = std::move(collection);
    interface_number_ = ParseInterfaceNumber(path_);
    collection_number_ = ParseCollectionNumber(path_);
    handle_ = std::move(opened->handle);
    return true;
}

void CHidDevice::CloseHidDevice() {
    std::lock_guard lock(mutex_);
    CloseLocked();
}

void CHidDevice::CloseLocked() {
    if (handle_) {
        // Releases a transfer blocked on another thread; that thread drops the last
        // reference to the handle when it returns.
        handle_->Abort();
        handle_.reset();
    }
    attributes_ = HidAttributes{};
    caps_ = HidCapabilities{};
    collection_.reset();
    for (std::size_t type = 0; type < kHidReportTypeCount; ++type) {
        report_buffers_[type].clear();
        items_[type].clear();
        item_caps_[type].clear();
    }
}

bool CHidDevice::IsOpen() const {
    std::lock_guard lock(mutex_);
    return handle_ != nullptr;
}

std::shared_ptr<HidBackendHandle> CHidDevice::CurrentHandle() const {
    std::lock_guard lock(mutex_);
    return handle_;
}

CHidDevice::Transfer CHidDevice::ReadHidReport(std::uint8_t* buffer, std::size_t length,
                                               int timeout_ms) {
    const std::shared_ptr<HidBackendHandle> handle = CurrentHandle();
    if (!handle || (buffer == nullptr && length != 0)) {
        return {};
    }
    // The report lands in this call's own buffer and reaches the caller's only on success.
    std::vector<std::uint8_t> report;
    if (handle->ReadReport(report, timeout_ms) != HidTransferStatus::kOk) {
        return {};
    }
    const std::size_t bytes = std::min(length, report.size());
    if (bytes != 0) {
        std::memcpy(buffer, report.data(), bytes);
    }
    return {true, bytes};
}

CHidDevice::Transfer CHidDevice::WriteHidReport(const std::uint8_t* buffer, std::size_t length,
                                                int timeout_ms) {
    const std::shared_ptr<HidBackendHandle> handle = CurrentHandle();
    if (!handle || buffer == nullptr || length == 0) {
        return {};
    }
    if (handle->WriteReport(std::span(buffer, length), timeout_ms) != HidTransferStatus::kOk) {
        return {};
    }
    return {true, length};
}

bool CHidDevice::SetHidOutputReport(const std::uint8_t* buffer, std::size_t length) {
    const std::shared_ptr<HidBackendHandle> handle = CurrentHandle();
    if (!handle || buffer == nullptr || length == 0) {
        return false;
    }
    return handle->SetOutputReport(std::span(buffer, length));
}

bool CHidDevice::DecodeInputReport(const std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length == 0) {
        return true;  // no report ID, so no item matches
    }
    std::lock_guard lock(mutex_);
    return DecodeItems(HidReportType::kInput, std::span(report, length));
}

bool CHidDevice::DecodeItems(HidReportType type, std::span<const std::uint8_t> report) {
    if (!collection_) {
        return true;
    }
    const HidReportCaps& caps = collection_->Reports(type);
    const std::uint8_t report_id = report[0];
    std::vector<HidReportItem>& items = items_[static_cast<std::size_t>(type)];
    const std::vector<std::size_t>& caps_index = item_caps_[static_cast<std::size_t>(type)];
    for (std::size_t i = 0; i < items.size(); ++i) {
        HidReportItem& item = items[i];
        if (item.report_id != report_id) {
            continue;
        }
        if (item.is_button) {
            std::vector<std::uint16_t> set;
            const bool complete = CollectUsages(caps.buttons, item.usage_page, report_id, report,
                                                set, item.usages.size());
            std::fill(item.usages.begin(), item.usages.end(), 0);
            std::size_t kept = 0;
            for (std::uint16_t usage : set) {
                if (usage >= item.usage_min && usage <= item.usage_max) {
                    item.usages[kept++] = usage;
                }
            }
            item.status = complete ? HidItemStatus::kSuccess : HidItemStatus::kReportTooShort;
            item.is_data_set = true;
            continue;
        }
        const HidValueCaps& value_caps = caps.values[caps_index[i]];
        std::uint32_t raw = 0;
        item.status = ReadRaw(value_caps, item, report, raw);
        if (item.status != HidItemStatus::kSuccess) {
            return false;
        }
        item.raw_value = raw;
        item.status = Scale(value_caps, raw, item.scaled_value);
        item.is_data_set = true;
    }
    return true;
}

}  // namespace calvorn::hid
