#pragma once

// The narrow interface between `CHidDevice` and the platform's HID access. A backend lists the
// interface paths of the present HID collections, opens one path into a handle (returning the
// device's identity and report descriptor with it), and tells whether a path is still present.
// A handle moves whole reports in and out with a timeout and can be aborted from another thread.
// Implementations: HidrawBackend (Linux hidraw nodes) and VirtualHidBackend (simulated devices).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace calvorn::hid {

// Vendor ID, product ID and version number of a device.
struct HidAttributes {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::uint16_t version_number = 0;
};

// Access options of an open. Neither read nor write asks for an identity-only handle whose
// transfers fail. `overlapped` and `share_read_only` are carried for backends that have such
// modes; backends without them ignore the two flags.
struct HidOpenOptions {
    bool read = false;
    bool write = false;
    bool overlapped = false;
    bool share_read_only = false;
};

enum class HidTransferStatus {
    kOk,        // the report moved
    kTimedOut,  // nothing happened within the timeout
    kAborted,   // Abort() was called on the handle
    kFailed,    // not open for this direction, device gone, or an I/O error
};

// One open path. Destroying the handle closes it. One read and one write may run at the same
// time on different threads, and Abort() may be called from any thread while they run.
class HidBackendHandle {
public:
    virtual ~HidBackendHandle() = default;

    // Waits up to `timeout_ms` (negative: no limit) for the next input report of this path's
    // collection and stores it whole in `report`, report ID first (0 when the device numbers
    // no reports). `report` is only changed when the result is kOk.
    virtual HidTransferStatus ReadReport(std::vector<std::uint8_t>& report, int timeout_ms) = 0;

    // Sends one output report (report ID first) on the interrupt channel, waiting up to
    // `timeout_ms` (negative: no limit) for the device to take it.
    virtual HidTransferStatus WriteReport(std::span<const std::uint8_t> report, int timeout_ms) = 0;

    // Sends one output report (report ID first) through the control channel.
    virtual bool SetOutputReport(std::span<const std::uint8_t> report) = 0;

    // Makes every transfer in progress on this handle, and every later one, return kAborted
    // at once. Safe from any thread; used to release a blocked transfer before closing.
    virtual void Abort() = 0;
};

// What an open returns besides the handle: the device's identity and the report descriptor
// that describes the opened path. `collection_index` (from 0) names the top-level collection
// of `report_descriptor` that the path stands for.
struct HidOpenedPath {
    std::unique_ptr<HidBackendHandle> handle;
    HidAttributes attributes;
    std::vector<std::uint8_t> report_descriptor;
    std::size_t collection_index = 0;
};

// All members are safe to call from several threads at once; a backend outlives every handle
// it opened.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // The paths of every present HID collection, or nothing when the list cannot be built
    // (a partial list is never returned).
    virtual std::optional<std::vector<std::string>> EnumeratePaths() = 0;

    // Opens `path`; nothing when the path does not exist, cannot be opened with the requested
    // access, or its identity or report descriptor cannot be read.
    virtual std::optional<HidOpenedPath> Open(std::string_view path,
                                              const HidOpenOptions& options) = 0;

    // Cheap presence test for a path found earlier: true while the device behind it is still
    // attached. Does not disturb handles open on the path.
    virtual bool PathExists(std::string_view path) = 0;
};

}  // namespace calvorn::hid
