#pragma once

// The `hidraw` HID backend (Linux). Every /sys/class/hidraw/hidrawN node is one HID interface;
// the backend splits it into one path per top-level collection of its report descriptor, in
// the form the path parsers read:
//   "/dev/hidraw3#vid_3299&pid_4e93&mi_01&col04"
// with lower-case 4-digit hex vendor and product IDs from HID_ID in the node's uevent, the
// USB interface number from the "/input<N>" end of HID_PHYS (left out when HID_PHYS has none,
// as for Bluetooth), and the collection number counted from 1 ("&colNN" left out when the
// descriptor has a single top-level collection). The version number is the USB device's
// bcdDevice, 0 when the node is not on USB.
//
// Every open of a path opens the node on its own descriptor. hidraw hands every input report
// to every open descriptor, so each handle reads the whole stream and keeps only the reports
// of its own collection, by report ID; on a device that numbers no reports, every report
// belongs to its (single) collection and is delivered behind a 0 report ID byte, so reads
// always start with the report ID. Writes go out unchanged: report ID (or 0) then payload.
// Timeouts and aborts wait in poll() on the node and an eventfd. An open with neither read
// nor write access reads identity only and does not open the node.
//
// The sysfs and /dev roots are parameters so that tests can run the backend over a fixture
// tree, with a node opener that hands out sockets standing in for the device nodes.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/hid_backend.h"

namespace calvorn::hid {

class HidrawBackend final : public HidBackend {
public:
    // Opens a device node as open(2) does: a descriptor, or -1 with errno set.
    using NodeOpener = std::function<int(const std::string& node, int flags)>;

    explicit HidrawBackend(std::string sysfs_root = "/sys", std::string dev_root = "/dev",
                           NodeOpener opener = {});

    // Nodes whose sysfs entry vanishes or cannot be read during the walk are left out: an
    // unplug racing the walk is normal. Only an unreadable class folder fails; a missing one
    // (no hidraw support loaded) lists nothing.
    std::optional<std::vector<std::string>> EnumeratePaths() override;
    std::optional<HidOpenedPath> Open(std::string_view path,
                                      const HidOpenOptions& options) override;
    // The node exists in the /dev root, its sysfs entry exists, and it still belongs to the
    // vendor and product ID of the path.
    bool PathExists(std::string_view path) override;

private:
    struct NodeInfo {
        HidAttributes attributes;
        std::optional<std::uint8_t> interface_number;
        std::vector<std::uint8_t> report_descriptor;
    };

    std::optional<NodeInfo> ReadNode(const std::string& name, bool with_descriptor) const;
    std::optional<std::string> NodeName(std::string_view path) const;
    std::string EntryPath(const std::string& name) const;

    std::string sysfs_root_;
    std::string dev_root_;
    NodeOpener opener_;
};

}  // namespace calvorn::hid
