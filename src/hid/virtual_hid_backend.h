#pragma once

// The `virtual` HID backend: simulated devices (VirtualHidDevice) plugged in at run time.
// Every collection a plugged device reports becomes one path,
//   "virtual/<n>#vid_3299&pid_4e93&mi_01&col04"
// with n the decimal plug ID, lower-case 4-digit hex vendor and product IDs and 2-digit hex
// interface and collection numbers ("&colNN" is left out for collection number 0).
//
// Reads on a path return, in order and one per read, the input reports the device pushed for
// that collection while the handle was open; every open handle has its own queue (64 reports;
// later pushes are dropped while it is full, as a hidraw node does). A report pushed while no
// handle of the collection is open is dropped. Writes hand the report to
// VirtualHidDevice::OnOutputReport on the writing thread, without any backend lock held, so
// the device may push replies from there. Unplug fails every transfer on the device's open
// handles from then on and releases blocked reads at once.
//
// Thread-safe: Plug, Unplug, Open, transfers and PushInput may come from any thread.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/virtual_hid.h"

namespace calvorn::hid {

class VirtualHidBackend final : public HidBackend {
public:
    VirtualHidBackend();
    ~VirtualHidBackend() override;
    VirtualHidBackend(const VirtualHidBackend&) = delete;
    VirtualHidBackend& operator=(const VirtualHidBackend&) = delete;

    // Plugs a simulated device: connects it to its port and makes its collections' paths
    // present. Returns the plug ID (from 1, never reused).
    std::uint32_t Plug(std::shared_ptr<VirtualHidDevice> device);
    // Removes a plugged device: its paths vanish, open handles fail their transfers, blocked
    // reads return at once, and the device is disconnected (Connect(nullptr)) once no other
    // thread is inside its OnOutputReport. May be called from inside OnOutputReport.
    void Unplug(std::uint32_t id);
    // Whether the plug ID is still plugged.
    bool IsPlugged(std::uint32_t id) const;
    // The paths of one plugged device, in the order of its collections; empty when unplugged.
    std::vector<std::string> PathsOf(std::uint32_t id) const;

    std::optional<std::vector<std::string>> EnumeratePaths() override;
    std::optional<HidOpenedPath> Open(std::string_view path,
                                      const HidOpenOptions& options) override;
    bool PathExists(std::string_view path) override;

    static constexpr std::size_t kQueueCapacity = 64;

private:
    class Port;
    class Handle;
    struct Plugged;

    Plugged* FindPluggedLocked(std::uint32_t id) const;
    void Push(Plugged& plugged, std::uint8_t collection_number,
              std::span<const std::uint8_t> report);

    mutable std::mutex mutex_;
    std::condition_variable writes_done_;
    std::uint32_t next_id_ = 1;
    // Records stay until the backend is destroyed, so a port stays valid for a device that
    // pushes late; an unplugged record drops what it is given.
    std::vector<std::unique_ptr<Plugged>> plugged_;
    std::vector<Handle*> handles_;
};

}  // namespace calvorn::hid
