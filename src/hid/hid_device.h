#pragma once

// `CHidDevice`: one HID interface (one top-level collection of a device) reached through a
// HidBackend. It lists interface paths, opens one path with access options, holds the opened
// interface's identity, capabilities and decoded report items, moves whole reports in and
// out with a timeout, and decodes input reports into the usages set in them.
//
// Threads: one read and one write may run at the same time on different threads, and
// CloseHidDevice (or OpenHidDevice, which closes first) may be called from a third thread
// while they block; it releases them at once and they return failure. A transfer copies into
// the caller's buffer only on success and before it returns, never later.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/report_descriptor.h"

namespace calvorn::hid {

// Outcome of decoding one item.
enum class HidItemStatus {
    kSuccess,
    kNull,             // the value lies outside its logical range (the field's null state)
    kBadLogPhyValues,  // the logical or physical range does not allow scaling
    kReportTooShort,   // the report ends before the item's field
    kValueTooLarge,    // the field is wider than 32 bits
};

// Identity and sizes of an open interface.
struct HidCapabilities {
    std::uint16_t usage = 0;
    std::uint16_t usage_page = 0;
    std::uint16_t input_report_length = 0;  // bytes, report ID byte included
    std::uint16_t output_report_length = 0;
    std::uint16_t feature_report_length = 0;
    std::uint16_t link_collection_nodes = 0;
    std::uint16_t input_button_caps = 0;
    std::uint16_t input_value_caps = 0;
    std::uint16_t output_button_caps = 0;
    std::uint16_t output_value_caps = 0;
    std::uint16_t feature_button_caps = 0;
    std::uint16_t feature_value_caps = 0;
};

// One decoded item: a button caps (the usages of its range that are set) or one usage of a
// value caps (its raw and scaled value).
struct HidReportItem {
    bool is_button = false;
    std::uint16_t usage_page = 0;
    HidItemStatus status = HidItemStatus::kSuccess;
    std::uint8_t report_id = 0;  // only reports starting with this byte update the item
    bool is_data_set = false;    // a report with this item's ID has been decoded

    // Button items.
    std::uint16_t usage_min = 0;
    std::uint16_t usage_max = 0;
    // Room for the most usages that can be set at once on this usage page; after a decode it
    // holds the set usages within [usage_min, usage_max] in report order, then a 0 when the
    // list is not full.
    std::vector<std::uint16_t> usages;

    // Value items.
    std::uint16_t usage = 0;
    std::uint32_t raw_value = 0;
    std::int32_t scaled_value = 0;
};

class CHidDevice {
public:
    // The backend is chosen once at start-up and must outlive the record.
    explicit CHidDevice(HidBackend& backend);
    // Does what CloseHidDevice does and frees the path list.
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Replaces the path list with the paths of every present HID interface and rewinds the
    // cursor. False (and an empty list) when the backend cannot list them.
    bool EnumerateHidPaths();
    // The path at the cursor, advancing it; nothing when the list is empty or exhausted.
    std::optional<std::string> NextHidPath();
    void FreeHidPaths();

    // Stores the options and the path, closes, then opens the path and reads its identity and
    // report descriptor and builds the report items. A failure leaves the record closed.
    bool OpenHidDevice(std::string_view path, bool read, bool write, bool overlapped,
                       bool share_read_only);
    // Releases a read or write blocked on another thread at once, then drops the handle,
    // capabilities and items. The path and options stay.
    void CloseHidDevice();

    struct Transfer {
        bool ok = false;
        std::size_t bytes = 0;
    };
    // Reads one input report, report ID first; a buffer shorter than the report gets its first
    // `length` bytes. `timeout_ms` -1 waits without limit. Timeout, abort and errors give
    // {false, 0} and leave the buffer untouched.
    Transfer ReadHidReport(std::uint8_t* buffer, std::size_t length, int timeout_ms);
    // Writes one output report, report ID first.
    Transfer WriteHidReport(const std::uint8_t* buffer, std::size_t length, int timeout_ms);

    // Updates every input item whose report ID equals report[0]. False when a value item's
    // field could not be read (decoding stops there).
    bool DecodeInputReport(const std::uint8_t* report, std::size_t length);

    // Sends one output report through the control channel.
    bool SetHidOutputReport(const std::uint8_t* buffer, std::size_t length);

    bool IsOpen() const;
    const std::string& Path() const { return path_; }
    const HidOpenOptions& Options() const { return options_; }
    const HidCapabilities& Capabilities() const { return caps_; }
    const HidAttributes& Attributes() const { return attributes_; }
    std::span<const HidReportItem> InputItems() const { return Items(HidReportType::kInput); }
    std::span<const HidReportItem> OutputItems() const { return Items(HidReportType::kOutput); }
    std::span<const HidReportItem> FeatureItems() const { return Items(HidReportType::kFeature); }
    std::span<const HidReportItem> Items(HidReportType type) const {
        return items_[static_cast<std::size_t>(type)];
    }
    // Zeroed at open, one report long for each type.
    std::span<std::uint8_t> ReportBuffer(HidReportType type) {
        return report_buffers_[static_cast<std::size_t>(type)];
    }
    // From "&mi_" and "&col" in the path; 0 when absent.
    int InterfaceNumber() const { return interface_number_; }
    int CollectionNumber() const { return collection_number_; }

private:
    std::shared_ptr<HidBackendHandle> CurrentHandle() const;
    void CloseLocked();
    bool DecodeItems(HidReportType type, std::span<const std::uint8_t> report);

    HidBackend& backend_;

    std::vector<std::string> paths_;
    std::size_t path_cursor_ = 0;

    HidOpenOptions options_;
    std::string path_;

    // Guards handle_ and the capability data against a close on another thread. Transfers
    // take a reference to the handle under it and run without it, so a close never waits for
    // a blocked transfer; the handle stays alive until the last transfer using it returns.
    mutable std::mutex mutex_;
    std::shared_ptr<HidBackendHandle> handle_;
    HidAttributes attributes_;
    HidCapabilities caps_;
    std::optional<HidTopCollection> collection_;
    std::array<std::vector<std::uint8_t>, kHidReportTypeCount> report_buffers_;
    std::array<std::vector<HidReportItem>, kHidReportTypeCount> items_;
    // Per item, the index of the caps it was built from among its type's buttons or values.
    std::array<std::vector<std::size_t>, kHidReportTypeCount> item_caps_;
    int interface_number_ = 0;
    int collection_number_ = 0;
};

// Path parsers: find the marker regardless of letter case, skip its four characters and scan
// a hexadecimal number as "%x" does; the result is taken as 16 bits, 0 when the marker is
// absent or not followed by a number.
std::uint16_t ParseVendorId(std::string_view path);          // "vid_"
std::uint16_t ParseProductId(std::string_view path);         // "pid_"
std::uint16_t ParseInterfaceNumber(std::string_view path);   // "&mi_"
std::uint16_t ParseCollectionNumber(std::string_view path);  // "&col"

}  // namespace calvorn::hid
