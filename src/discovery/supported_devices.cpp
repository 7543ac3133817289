#include "discovery/supported_devices.h"

namespace calvorn::discovery {
namespace {

constexpr std::uint16_t kInterface = 1;
constexpr std::uint16_t kVendorCollection = 4;
constexpr std::uint16_t kConsumerCollection = 3;
constexpr std::uint16_t kVendorUsagePage = 0xFF1C;
constexpr std::uint16_t kVendorUsage = 0x0092;
constexpr std::uint16_t kConsumerUsagePage = 0x000C;
constexpr std::uint16_t kConsumerUsage = 0x0001;

constexpr SupportedDeviceRecord Primary(std::uint16_t vendor_id, std::uint16_t product_id) {
    return {vendor_id,
            product_id,
            kInterface,
            kVendorCollection,
            DEVICE_KEYBOARD,
            CHANNEL_PRIMARY,
            0,
            kVendorUsagePage,
            kVendorUsage,
            0,
            0,
            {}};
}

constexpr SupportedDeviceRecord Secondary(std::uint16_t vendor_id, std::uint16_t product_id) {
    return {vendor_id,
            product_id,
            kInterface,
            kConsumerCollection,
            DEVICE_KEYBOARD,
            CHANNEL_SECONDARY,
            0,
            kConsumerUsagePage,
            kConsumerUsage,
            0,
            0,
            {}};
}

bool SameAddress(const SupportedDeviceRecord& a, const SupportedDeviceRecord& b) {
    return a.vendor_id == b.vendor_id && a.product_id == b.product_id &&
           a.interface_number == b.interface_number && a.collection_number == b.collection_number;
}

bool IsFreeEntry(const SupportedDeviceRecord& entry) {
    return entry.attached == 0 && entry.path.empty();
}

}  // namespace

const std::array<SupportedDeviceRecord, kSupportedDeviceCount> kSupportedDevices = {
    Primary(0x3329, 0x4EAB), Secondary(0x3329, 0x4EAB),  //
    Primary(0x3299, 0x4E93), Secondary(0x3299, 0x4E93),  //
    Primary(0x3299, 0x4E96), Secondary(0x3299, 0x4E96),  //
    Primary(0x3299, 0x4E99), Secondary(0x3299, 0x4E99),  //
    Primary(0x3299, 0x4E9C), Secondary(0x3299, 0x4E9C),  //
    Primary(0x3299, 0x4EA2), Secondary(0x3299, 0x4EA2),  //
    Primary(0x3299, 0x4EA5), Secondary(0x3299, 0x4EA5),
};

bool SameIdentity(const SupportedDeviceRecord& a, const SupportedDeviceRecord& b) {
    return SameAddress(a, b) && a.kind == b.kind && a.channel_role == b.channel_role &&
           a.usage_page == b.usage_page && a.usage == b.usage;
}

int FindPrimaryRow(std::span<const SupportedDeviceRecord> rows, std::uint16_t vendor_id,
                   std::uint16_t product_id, std::uint16_t kind) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SupportedDeviceRecord& row = rows[i];
        if (row.vendor_id == vendor_id && row.product_id == product_id && row.kind == kind &&
            row.channel_role == CHANNEL_PRIMARY) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DeviceList::DeviceList() : DeviceList(kSupportedDevices) {}

DeviceList::DeviceList(std::span<const SupportedDeviceRecord> rows)
    : rows_(rows.begin(), rows.end()), entries_(rows.begin(), rows.end()) {}

std::optional<SupportedDeviceRecord> DeviceList::Entry(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= entries_.size()) {
        return std::nullopt;
    }
    return entries_[index];
}

bool DeviceList::IsFree(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < entries_.size() && IsFreeEntry(entries_[index]);
}

bool DeviceList::AnyFree() const {
    std::lock_guard lock(mutex_);
    for (const SupportedDeviceRecord& entry : entries_) {
        if (IsFreeEntry(entry)) {
            return true;
        }
    }
    return false;
}

std::vector<std::pair<std::size_t, std::string>> DeviceList::AttachedEntries() const {
    std::vector<std::pair<std::size_t, std::string>> attached;
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].attached != 0) {
            attached.emplace_back(i, entries_[i].path);
        }
    }
    return attached;
}

std::optional<std::size_t> DeviceList::FindFree(const SupportedDeviceRecord& candidate,
                                                bool match_usage) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const SupportedDeviceRecord& entry = entries_[i];
        if (!SameAddress(entry, candidate) || !IsFreeEntry(entry)) {
            continue;
        }
        if (match_usage &&
            (entry.usage_page != candidate.usage_page || entry.usage != candidate.usage)) {
            continue;
        }
        return i;
    }
    return std::nullopt;
}

void DeviceList::Attach(std::size_t index, std::string path) {
    std::lock_guard lock(mutex_);
    if (index < entries_.size()) {
        entries_[index].attached = 1;
        entries_[index].path = std::move(path);
    }
}

void DeviceList::Detach(std::size_t index) {
    std::lock_guard lock(mutex_);
    if (index < entries_.size()) {
        entries_[index].attached = 0;
        entries_[index].path.clear();
    }
}

}  // namespace calvorn::discovery
