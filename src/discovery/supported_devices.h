#pragma once

// The supported-device table and the device list built from it.
//
// `SupportedDeviceRecord` is at once a row of the table, an entry of the main window's device
// list and a device object's identity. Every supported product shows two collections on
// interface 1: collection 4 (vendor-defined, usage page 0xFF1C, usage 0x0092) carries the
// report protocol and becomes the primary channel; collection 3 (consumer control) carries
// the device's notices and becomes the secondary channel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace calvorn::discovery {

// Device kinds.
inline constexpr std::uint16_t DEVICE_KEYBOARD = 1;
inline constexpr std::uint16_t DEVICE_MOUSE = 2;
inline constexpr std::uint16_t DEVICE_MOUSEPAD = 3;
// A mouse reached through a wireless link: handled as a mouse with long transport timeouts.
inline constexpr std::uint16_t DEVICE_WIRELESS_MOUSE = 6;
inline constexpr std::uint16_t DEVICE_HEADSET = 7;

// Channel roles.
inline constexpr std::uint16_t CHANNEL_PRIMARY = 0;       // vendor collection, report protocol
inline constexpr std::uint16_t CHANNEL_SECONDARY = 0xFF;  // consumer collection, notices

struct SupportedDeviceRecord {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::uint16_t interface_number = 0;   // after "&mi_" in the interface path
    std::uint16_t collection_number = 0;  // after "&col" in the interface path
    std::uint16_t kind = 0;
    std::uint16_t channel_role = 0;
    std::uint16_t attached = 0;  // device list: 1 while an interface is attached to the entry
    std::uint16_t usage_page = 0;
    std::uint16_t usage = 0;
    std::uint16_t pair_flag = 0;      // 0 in every row
    std::uint16_t partner_index = 0;  // 0 in every row
    std::string path;                 // device list: the attached interface's path, empty when free
};

// Equal as identities: every field but the attached flag, the path and the two pairing fields.
bool SameIdentity(const SupportedDeviceRecord& a, const SupportedDeviceRecord& b);

inline constexpr std::size_t kSupportedDeviceCount = 14;
// The supported keyboards, primary row first for each product.
extern const std::array<SupportedDeviceRecord, kSupportedDeviceCount> kSupportedDevices;

// The first row with this vendor ID, product ID and kind and channel role 0, or -1.
int FindPrimaryRow(std::span<const SupportedDeviceRecord> rows, std::uint16_t vendor_id,
                   std::uint16_t product_id, std::uint16_t kind);

// The main window's device list: one copy of every table row, in table order, so entry i
// stands for row i. The list never grows or shrinks after construction. Only the scanner
// thread changes an entry (its attached flag and path, each change immediately before the
// matching notification); the UI thread reads entries. The two changing fields are kept
// under a lock so that readers always see a whole entry.
class DeviceList {
public:
    DeviceList();  // from kSupportedDevices
    explicit DeviceList(std::span<const SupportedDeviceRecord> rows);
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    std::size_t Size() const { return entries_.size(); }
    // The table rows the list was built from (attached 0, empty paths).
    std::span<const SupportedDeviceRecord> Rows() const { return rows_; }

    // A copy of entry `index`; nothing for an index outside the list. Any thread.
    std::optional<SupportedDeviceRecord> Entry(std::size_t index) const;
    // Free: attached 0 and an empty path.
    bool IsFree(std::size_t index) const;
    bool AnyFree() const;
    // The attached entries with their paths, in list order.
    std::vector<std::pair<std::size_t, std::string>> AttachedEntries() const;

    // The first free entry whose vendor ID, product ID, interface number and collection
    // number (and, with `match_usage`, usage page and usage) equal the candidate's.
    std::optional<std::size_t> FindFree(const SupportedDeviceRecord& candidate,
                                        bool match_usage) const;

    // Scanner only: marks an entry attached with the interface's path, or free again.
    void Attach(std::size_t index, std::string path);
    void Detach(std::size_t index);

private:
    const std::vector<SupportedDeviceRecord> rows_;
    mutable std::mutex mutex_;
    std::vector<SupportedDeviceRecord> entries_;  // attached flag and path under mutex_
};

}  // namespace calvorn::discovery
