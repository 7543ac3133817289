#include "hid/report_descriptor.h"

#include <algorithm>
#include <utility>

namespace calvorn::hid {
namespace {

// Item types and tags of the short item encoding.
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kTypeLocal = 2;

constexpr std::uint8_t kMainInput = 0x8;
constexpr std::uint8_t kMainOutput = 0x9;
constexpr std::uint8_t kMainCollection = 0xA;
constexpr std::uint8_t kMainFeature = 0xB;
constexpr std::uint8_t kMainEndCollection = 0xC;

constexpr std::uint8_t kGlobalUsagePage = 0x0;
constexpr std::uint8_t kGlobalLogicalMin = 0x1;
constexpr std::uint8_t kGlobalLogicalMax = 0x2;
constexpr std::uint8_t kGlobalPhysicalMin = 0x3;
constexpr std::uint8_t kGlobalPhysicalMax = 0x4;
constexpr std::uint8_t kGlobalUnitExponent = 0x5;
constexpr std::uint8_t kGlobalUnit = 0x6;
constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;

constexpr std::uint8_t kLocalUsage = 0x0;
constexpr std::uint8_t kLocalUsageMin = 0x1;
constexpr std::uint8_t kLocalUsageMax = 0x2;

constexpr std::uint8_t kLongItemPrefix = 0xFE;

// Main item data bits.
constexpr std::uint32_t kFlagConstant = 0x01;
constexpr std::uint32_t kFlagVariable = 0x02;
constexpr std::uint32_t kFlagRelative = 0x04;
constexpr std::uint32_t kFlagNullState = 0x40;

struct GlobalState {
    std::uint16_t usage_page = 0;
    std::int64_t logical_min = 0;
    std::uint32_t logical_max_raw = 0;  // signedness depends on logical_min, see LogicalMax()
    std::int64_t logical_max_signed = 0;
    std::int64_t physical_min = 0;
    std::uint32_t physical_max_raw = 0;
    std::int64_t physical_max_signed = 0;
    std::int32_t unit_exponent = 0;
    std::uint32_t unit = 0;
    std::uint32_t report_size = 0;
    std::uint8_t report_id = 0;
    std::uint32_t report_count = 0;
};

// Logical and physical maxima are read as signed only when the matching minimum is negative,
// so that "Logical Maximum (255)" written in one byte means 255.
std::int32_t LogicalMax(const GlobalState& g) {
    return static_cast<std::int32_t>(g.logical_min < 0 ? g.logical_max_signed
                                                       : std::int64_t{g.logical_max_raw});
}
std::int32_t PhysicalMax(const GlobalState& g) {
    return static_cast<std::int32_t>(g.physical_min < 0 ? g.physical_max_signed
                                                        : std::int64_t{g.physical_max_raw});
}

// One usage or usage range of the local state. `explicit_page` is set for 32-bit usages that
// carry their own page; other usages take the global page current at the main item.
struct UsageEntry {
    bool has_explicit_page = false;
    std::uint16_t explicit_page = 0;
    bool is_range = false;
    std::uint16_t min = 0;
    std::uint16_t max = 0;

    std::uint32_t Count() const { return std::uint32_t{max} - min + 1; }
    std::uint16_t Page(const GlobalState& g) const {
        return has_explicit_page ? explicit_page : g.usage_page;
    }
};

struct LocalState {
    std::vector<UsageEntry> usages;
    bool has_pending_min = false;
    std::uint32_t pending_min = 0;
    std::uint8_t pending_min_size = 0;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<HidReportDescriptor> Run();

private:
    bool Item(std::uint8_t type, std::uint8_t tag, std::uint8_t size, std::uint32_t data);
    bool Main(std::uint8_t tag, std::uint32_t data);
    bool Global(std::uint8_t tag, std::uint8_t size, std::uint32_t data);
    bool Local(std::uint8_t tag, std::uint8_t size, std::uint32_t data);
    bool Collection();
    bool EndCollection();
    bool Report(HidReportType type, std::uint32_t flags);
    bool AddButtons(HidReportCaps& caps, std::uint32_t flags, std::uint32_t bit_offset);
    bool AddValues(HidReportCaps& caps, std::uint32_t flags, std::uint32_t bit_offset);
    bool CountCaps(std::size_t fields);
    bool FinishLocalRange();

    std::span<const std::uint8_t> bytes_;
    HidReportDescriptor result_;
    GlobalState global_;
    std::vector<GlobalState> global_stack_;
    LocalState local_;
    std::size_t depth_ = 0;
    std::size_t caps_ = 0;
    std::size_t fields_ = 0;
    // Bits used so far in each report, per report type and report ID.
    std::array<std::array<std::uint32_t, 256>, kHidReportTypeCount> report_bits_{};
};

std::int64_t SignExtend(std::uint32_t data, std::uint8_t size) {
    switch (size) {
        case 1:
            return static_cast<std::int8_t>(data);
        case 2:
            return static_cast<std::int16_t>(data);
        case 4:
            return static_cast<std::int32_t>(data);
        default:
            return 0;
    }
}

std::optional<HidReportDescriptor> Parser::Run() {
    if (bytes_.size() > HidReportDescriptor::kMaxDescriptorSize) {
        return std::nullopt;
    }
    std::size_t pos = 0;
    while (pos < bytes_.size()) {
        const std::uint8_t prefix = bytes_[pos];
        if (prefix == kLongItemPrefix) {
            // Long items carry no meaning for report layout; skip them whole.
            if (bytes_.size() - pos < 3) {
                return std::nullopt;
            }
            const std::size_t data_size = bytes_[pos + 1];
            if (bytes_.size() - pos - 3 < data_size) {
                return std::nullopt;
            }
            pos += 3 + data_size;
            continue;
        }
        const std::uint8_t size_code = prefix & 0x3;
        const std::uint8_t size = size_code == 3 ? 4 : size_code;
        if (bytes_.size() - pos - 1 < size) {
            return std::nullopt;
        }
        std::uint32_t data = 0;
        for (std::uint8_t i = 0; i < size; ++i) {
            data |= std::uint32_t{bytes_[pos + 1 + i]} << (8 * i);
        }
        pos += 1 + size;
        if (!Item(static_cast<std::uint8_t>((prefix >> 2) & 0x3),
                  static_cast<std::uint8_t>(prefix >> 4), size, data)) {
            return std::nullopt;
        }
    }
    if (depth_ != 0) {
        return std::nullopt;
    }

    // Report lengths: the longest report of each type among the IDs a collection uses.
    for (HidTopCollection& collection : result_.collections) {
        for (std::size_t type = 0; type < kHidReportTypeCount; ++type) {
            HidReportCaps& caps = collection.reports[type];
            std::uint32_t longest = 0;
            for (std::uint8_t id : caps.report_ids) {
                longest = std::max(longest, report_bits_[type][id]);
            }
            if (!caps.report_ids.empty()) {
                caps.report_length = static_cast<std::uint16_t>((longest + 7) / 8 + 1);
            }
        }
    }
    return std::move(result_);
}

bool Parser::Item(std::uint8_t type, std::uint8_t tag, std::uint8_t size, std::uint32_t data) {
    switch (type) {
        case kTypeMain:
            return Main(tag, data);
        case kTypeGlobal:
            return Global(tag, size, data);
        case kTypeLocal:
            return Local(tag, size, data);
        default:
            return true;  // reserved item type: ignored
    }
}

bool Parser::Main(std::uint8_t tag, std::uint32_t data) {
    bool ok = true;
    switch (tag) {
        case kMainInput:
            ok = Report(HidReportType::kInput, data);
            break;
        case kMainOutput:
            ok = Report(HidReportType::kOutput, data);
            break;
        case kMainFeature:
            ok = Report(HidReportType::kFeature, data);
            break;
        case kMainCollection:
            ok = Collection();
            break;
        case kMainEndCollection:
            ok = EndCollection();
            break;
        default:
            break;
    }
    local_ = LocalState{};
    return ok;
}

bool Parser::Global(std::uint8_t tag, std::uint8_t size, std::uint32_t data) {
    switch (tag) {
        case kGlobalUsagePage:
            global_.usage_page = static_cast<std::uint16_t>(data);
            break;
        case kGlobalLogicalMin:
            global_.logical_min = SignExtend(data, size);
            break;
        case kGlobalLogicalMax:
            global_.logical_max_raw = data;
            global_.logical_max_signed = SignExtend(data, size);
            break;
        case kGlobalPhysicalMin:
            global_.physical_min = SignExtend(data, size);
            break;
        case kGlobalPhysicalMax:
            global_.physical_max_raw = data;
            global_.physical_max_signed = SignExtend(data, size);
            break;
        case kGlobalUnitExponent:
            // Usually a 4-bit two's complement nibble; a wider signed value is taken as is.
            if ((data & ~std::uint32_t{0xF}) == 0) {
                global_.unit_exponent = (data & 0x8) ? static_cast<std::int32_t>(data) - 16
                                                     : static_cast<std::int32_t>(data);
            } else {
                global_.unit_exponent = static_cast<std::int32_t>(SignExtend(data, size));
            }
            break;
        case kGlobalUnit:
            global_.unit = data;
            break;
        case kGlobalReportSize:
            if (data > HidReportDescriptor::kMaxReportSize) {
                return false;
            }
            global_.report_size = data;
            break;
        case kGlobalReportId:
            if (data == 0 || data > 0xFF) {
                return false;
            }
            global_.report_id = static_cast<std::uint8_t>(data);
            result_.uses_report_ids = true;
            break;
        case kGlobalReportCount:
            global_.report_count = data;
            break;
        case kGlobalPush:
            if (global_stack_.size() >= HidReportDescriptor::kMaxGlobalStackDepth) {
                return false;
            }
            global_stack_.push_back(global_);
            break;
        case kGlobalPop:
            if (global_stack_.empty()) {
                return false;
            }
            global_ = global_stack_.back();
            global_stack_.pop_back();
            break;
        default:
            break;
    }
    return true;
}

bool Parser::Local(std::uint8_t tag, std::uint8_t size, std::uint32_t data) {
    const auto add = [this](UsageEntry entry) {
        if (local_.usages.size() >= HidReportDescriptor::kMaxUsagesPerItem) {
            return false;
        }
        local_.usages.push_back(entry);
        return true;
    };
    switch (tag) {
        case kLocalUsage: {
            UsageEntry entry;
            entry.has_explicit_page = size == 4;
            entry.explicit_page = static_cast<std::uint16_t>(data >> 16);
            entry.min = entry.max = static_cast<std::uint16_t>(data);
            return add(entry);
        }
        case kLocalUsageMin:
            if (local_.has_pending_min && !FinishLocalRange()) {
                return false;
            }
            local_.has_pending_min = true;
            local_.pending_min = data;
            local_.pending_min_size = size;
            return true;
        case kLocalUsageMax: {
            if (!local_.has_pending_min) {
                return true;  // a maximum without a minimum names no usages
            }
            local_.has_pending_min = false;
            UsageEntry entry;
            entry.is_range = true;
            entry.has_explicit_page = local_.pending_min_size == 4 || size == 4;
            entry.explicit_page = static_cast<std::uint16_t>(
                (local_.pending_min_size == 4 ? local_.pending_min : data) >> 16);
            entry.min = static_cast<std::uint16_t>(local_.pending_min);
            entry.max = static_cast<std::uint16_t>(data);
            if (entry.min > entry.max) {
                return false;
            }
            return add(entry);
        }
        default:
            return true;  // designators, strings and delimiters do not shape reports
    }
}

// A usage minimum that never got its maximum stands for that single usage.
bool Parser::FinishLocalRange() {
    local_.has_pending_min = false;
    if (local_.usages.size() >= HidReportDescriptor::kMaxUsagesPerItem) {
        return false;
    }
    UsageEntry entry;
    entry.has_explicit_page = local_.pending_min_size == 4;
    entry.explicit_page = static_cast<std::uint16_t>(local_.pending_min >> 16);
    entry.min = entry.max = static_cast<std::uint16_t>(local_.pending_min);
    local_.usages.push_back(entry);
    return true;
}

bool Parser::Collection() {
    if (local_.has_pending_min && !FinishLocalRange()) {
        return false;
    }
    if (depth_ >= HidReportDescriptor::kMaxCollectionDepth) {
        return false;
    }
    if (depth_ == 0) {
        HidTopCollection collection;
        collection.usage_page = global_.usage_page;
        if (!local_.usages.empty()) {
            collection.usage_page = local_.usages.front().Page(global_);
            collection.usage = local_.usages.front().min;
        }
        result_.collections.push_back(std::move(collection));
    }
    HidTopCollection& top = result_.collections.back();
    if (top.link_collection_nodes < 0xFFFF) {
        ++top.link_collection_nodes;
    }
    ++depth_;
    return true;
}

bool Parser::EndCollection() {
    if (depth_ == 0) {
        return false;
    }
    --depth_;
    return true;
}

bool Parser::CountCaps(std::size_t fields) {
    ++caps_;
    fields_ += fields;
    return caps_ <= HidReportDescriptor::kMaxCaps && fields_ <= HidReportDescriptor::kMaxFields;
}

bool Parser::Report(HidReportType type, std::uint32_t flags) {
    if (local_.has_pending_min && !FinishLocalRange()) {
        return false;
    }
    const std::uint64_t bits = std::uint64_t{global_.report_size} * global_.report_count;
    std::uint32_t& used = report_bits_[static_cast<std::size_t>(type)][global_.report_id];
    const std::uint32_t bit_offset = used;
    if (used + bits > (HidReportDescriptor::kMaxReportBytes - 1) * 8) {
        return false;
    }
    used += static_cast<std::uint32_t>(bits);
    if (bits == 0 || depth_ == 0) {
        return true;  // no fields, or fields outside any collection: room only
    }

    HidReportCaps& caps = result_.collections.back().reports[static_cast<std::size_t>(type)];
    if (std::find(caps.report_ids.begin(), caps.report_ids.end(), global_.report_id) ==
        caps.report_ids.end()) {
        caps.report_ids.push_back(global_.report_id);
    }
    if ((flags & kFlagConstant) || local_.usages.empty()) {
        return true;  // padding
    }
    const bool is_button = !(flags & kFlagVariable) || global_.report_size == 1;
    return is_button ? AddButtons(caps, flags, bit_offset) : AddValues(caps, flags, bit_offset);
}

bool Parser::AddButtons(HidReportCaps& caps, std::uint32_t flags, std::uint32_t bit_offset) {
    HidButtonCaps base;
    base.report_id = global_.report_id;
    base.bit_size = static_cast<std::uint16_t>(global_.report_size);
    base.logical_min = static_cast<std::int32_t>(global_.logical_min);
    base.logical_max = LogicalMax(global_);

    if (!(flags & kFlagVariable)) {
        // Array: every field holds an index into the whole usage list, so each usage entry
        // becomes one caps over all the fields.
        base.is_array = true;
        base.bit_offset = bit_offset;
        base.report_count = static_cast<std::uint16_t>(global_.report_count);
        std::uint32_t index = 0;
        for (const UsageEntry& entry : local_.usages) {
            HidButtonCaps one = base;
            one.usage_page = entry.Page(global_);
            one.is_range = entry.is_range;
            one.usage_min = entry.min;
            one.usage_max = entry.max;
            one.array_index = index;
            index += entry.Count();
            caps.buttons.push_back(one);
            if (!CountCaps(global_.report_count)) {
                return false;
            }
        }
        return true;
    }

    // Variable: field k carries the k-th usage of the list; fields beyond the list carry its
    // last usage.
    std::uint32_t field = 0;
    const std::uint32_t count = global_.report_count;
    for (std::size_t i = 0; i < local_.usages.size() && field < count; ++i) {
        const UsageEntry& entry = local_.usages[i];
        const bool last = i + 1 == local_.usages.size();
        std::uint32_t fields = std::min(entry.Count(), count - field);
        if (last && !entry.is_range) {
            fields = count - field;
        }
        HidButtonCaps one = base;
        one.usage_page = entry.Page(global_);
        one.is_range = entry.is_range;
        one.usage_min = entry.min;
        one.usage_max =
            static_cast<std::uint16_t>(entry.is_range ? entry.min + fields - 1 : entry.min);
        one.bit_offset = bit_offset + field * global_.report_size;
        one.report_count = static_cast<std::uint16_t>(fields);
        caps.buttons.push_back(one);
        if (!CountCaps(fields)) {
            return false;
        }
        field += fields;
    }
    if (field < count) {
        const UsageEntry& entry = local_.usages.back();
        HidButtonCaps one = base;
        one.usage_page = entry.Page(global_);
        one.usage_min = one.usage_max = entry.max;
        one.bit_offset = bit_offset + field * global_.report_size;
        one.report_count = static_cast<std::uint16_t>(count - field);
        caps.buttons.push_back(one);
        if (!CountCaps(count - field)) {
            return false;
        }
    }
    return true;
}

bool Parser::AddValues(HidReportCaps& caps, std::uint32_t flags, std::uint32_t bit_offset) {
    HidValueCaps base;
    base.report_id = global_.report_id;
    base.bit_size = static_cast<std::uint16_t>(global_.report_size);
    base.logical_min = static_cast<std::int32_t>(global_.logical_min);
    base.logical_max = LogicalMax(global_);
    base.physical_min = static_cast<std::int32_t>(global_.physical_min);
    base.physical_max = PhysicalMax(global_);
    base.unit_exponent = global_.unit_exponent;
    base.unit = global_.unit;
    base.has_null = (flags & kFlagNullState) != 0;
    base.is_absolute = (flags & kFlagRelative) == 0;

    // Field k carries the k-th usage; a last single usage takes every remaining field as a
    // value array, and fields beyond a last range repeat its last usage.
    std::uint32_t field = 0;
    const std::uint32_t count = global_.report_count;
    for (std::size_t i = 0; i < local_.usages.size() && field < count; ++i) {
        const UsageEntry& entry = local_.usages[i];
        const bool last = i + 1 == local_.usages.size();
        HidValueCaps one = base;
        one.usage_page = entry.Page(global_);
        one.is_range = entry.is_range;
        one.usage_min = entry.min;
        one.bit_offset = bit_offset + field * global_.report_size;
        std::uint32_t fields = 0;
        if (entry.is_range) {
            fields = std::min(entry.Count(), count - field);
            one.usage_max = static_cast<std::uint16_t>(entry.min + fields - 1);
        } else {
            fields = last ? count - field : 1;
            one.usage_max = entry.min;
        }
        one.report_count = static_cast<std::uint16_t>(fields);
        caps.values.push_back(one);
        if (!CountCaps(fields)) {
            return false;
        }
        field += fields;
    }
    if (field < count) {
        HidValueCaps one = base;
        one.usage_page = local_.usages.back().Page(global_);
        one.usage_min = one.usage_max = local_.usages.back().max;
        one.bit_offset = bit_offset + field * global_.report_size;
        one.report_count = static_cast<std::uint16_t>(count - field);
        caps.values.push_back(one);
        if (!CountCaps(count - field)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<HidReportDescriptor> HidReportDescriptor::Parse(std::span<const std::uint8_t> bytes) {
    return Parser(bytes).Run();
}

}  // namespace calvorn::hid
