#pragma once

// In-process simulated HID devices for the `virtual` backend. A simulated device (the keyboard
// firmware in sim/) implements VirtualHidDevice; tests and --simulate plug it into a
// VirtualHidBackend, and CHidDevice over the virtual backend then enumerates, opens, reads and
// writes it exactly as it would a hidraw node.

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace calvorn::hid {

// What the device side can do to the host: deliver input reports on one of its collections.
class VirtualHidPort {
public:
    virtual ~VirtualHidPort() = default;
    // Queues one input report (report ID first) for readers of `collection_number`. Any thread.
    virtual void PushInput(std::uint8_t collection_number,
                           std::span<const std::uint8_t> report) = 0;
};

// One top-level collection as the device describes it.
struct VirtualCollection {
    std::uint8_t interface_number = 0;
    std::uint8_t collection_number = 0;           // counted from 1
    std::vector<std::uint8_t> report_descriptor;  // this collection's own descriptor
};

class VirtualHidDevice {
public:
    virtual ~VirtualHidDevice() = default;
    virtual std::uint16_t VendorId() const = 0;
    virtual std::uint16_t ProductId() const = 0;
    virtual std::uint16_t VersionNumber() const = 0;
    virtual std::vector<VirtualCollection> Collections() const = 0;

    // Called by the backend when the device is plugged (with its port) and unplugged (nullptr).
    virtual void Connect(VirtualHidPort* port) = 0;

    // The host wrote an output report (report ID first) to a collection. Returning false
    // fails the write. Called on the writing thread; the device may push replies from here.
    virtual bool OnOutputReport(std::uint8_t collection_number,
                                std::span<const std::uint8_t> report) = 0;
};

}  // namespace calvorn::hid
