#pragma once

// Report descriptors shaped like real devices' and a scriptable simulated device for the HID
// layer tests.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/virtual_hid.h"

namespace calvorn::hid::test {

// Boot keyboard: 8 modifier bits, a reserved byte and a 6-key array (input); 5 LED bits and
// padding (output). No report IDs.
inline const std::vector<std::uint8_t> kBootKeyboard = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x06,  // Usage (Keyboard)
    0xA1, 0x01,  // Collection (Application)
    0x05, 0x07,  //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,  //   Usage Minimum (Left Control)
    0x29, 0xE7,  //   Usage Maximum (Right GUI)
    0x15, 0x00,  //   Logical Minimum (0)
    0x25, 0x01,  //   Logical Maximum (1)
    0x75, 0x01,  //   Report Size (1)
    0x95, 0x08,  //   Report Count (8)
    0x81, 0x02,  //   Input (Data, Variable, Absolute)
    0x95, 0x01,  //   Report Count (1)
    0x75, 0x08,  //   Report Size (8)
    0x81, 0x01,  //   Input (Constant)
    0x95, 0x05,  //   Report Count (5)
    0x75, 0x01,  //   Report Size (1)
    0x05, 0x08,  //   Usage Page (LEDs)
    0x19, 0x01,  //   Usage Minimum (Num Lock)
    0x29, 0x05,  //   Usage Maximum (Kana)
    0x91, 0x02,  //   Output (Data, Variable, Absolute)
    0x95, 0x01,  //   Report Count (1)
    0x75, 0x03,  //   Report Size (3)
    0x91, 0x01,  //   Output (Constant)
    0x95, 0x06,  //   Report Count (6)
    0x75, 0x08,  //   Report Size (8)
    0x15, 0x00,  //   Logical Minimum (0)
    0x25, 0x65,  //   Logical Maximum (101)
    0x05, 0x07,  //   Usage Page (Keyboard/Keypad)
    0x19, 0x00,  //   Usage Minimum (0)
    0x29, 0x65,  //   Usage Maximum (101)
    0x81, 0x00,  //   Input (Data, Array, Absolute)
    0xC0,        // End Collection
};

// Wheel mouse: three buttons and padding, then X, Y and wheel as signed relative bytes,
// inside a physical Pointer collection. No report IDs.
inline const std::vector<std::uint8_t> kWheelMouse = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Button)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x03,  //     Usage Maximum (3)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x95, 0x03,  //     Report Count (3)
    0x75, 0x01,  //     Report Size (1)
    0x81, 0x02,  //     Input (Data, Variable, Absolute)
    0x95, 0x01,  //     Report Count (1)
    0x75, 0x05,  //     Report Size (5)
    0x81, 0x01,  //     Input (Constant)
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x09, 0x38,  //     Usage (Wheel)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x03,  //     Report Count (3)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
};

// Consumer control: one 16-bit array field selecting usages 0..0x7FF, report ID 3. This is
// how the keyboards send their notices (0x0401, 0x0500 + key, 0x0600 + key).
inline const std::vector<std::uint8_t> kConsumerControl = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x07,  //   Logical Maximum (0x7FF)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x07,  //   Usage Maximum (0x7FF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
};

// Vendor collection: 63 payload bytes after report ID 4 in both directions (64-byte reports).
inline const std::vector<std::uint8_t> kVendorCollection = {
    0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x09, 0x01,        //   Usage (1)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

// The keyboards' interface 1: system control (ID 1), an N-key-rollover keyboard bitmap
// (ID 2), the consumer collection (ID 3) and the vendor collection (ID 4).
inline std::vector<std::uint8_t> CompositeInterface() {
    std::vector<std::uint8_t> bytes = {
        0x05, 0x01,  // Usage Page (Generic Desktop)
        0x09, 0x80,  // Usage (System Control)
        0xA1, 0x01,  // Collection (Application)
        0x85, 0x01,  //   Report ID (1)
        0x19, 0x81,  //   Usage Minimum (System Power Down)
        0x29, 0x83,  //   Usage Maximum (System Wake Up)
        0x15, 0x00,  //   Logical Minimum (0)
        0x25, 0x01,  //   Logical Maximum (1)
        0x75, 0x01,  //   Report Size (1)
        0x95, 0x03,  //   Report Count (3)
        0x81, 0x02,  //   Input (Data, Variable, Absolute)
        0x95, 0x05,  //   Report Count (5)
        0x81, 0x01,  //   Input (Constant)
        0xC0,        // End Collection
        0x05, 0x01,  // Usage Page (Generic Desktop)
        0x09, 0x06,  // Usage (Keyboard)
        0xA1, 0x01,  // Collection (Application)
        0x85, 0x02,  //   Report ID (2)
        0x05, 0x07,  //   Usage Page (Keyboard/Keypad)
        0x19, 0x04,  //   Usage Minimum (A)
        0x29, 0x70,  //   Usage Maximum (F21)
        0x15, 0x00,  //   Logical Minimum (0)
        0x25, 0x01,  //   Logical Maximum (1)
        0x75, 0x01,  //   Report Size (1)
        0x95, 0x6D,  //   Report Count (109)
        0x81, 0x02,  //   Input (Data, Variable, Absolute)
        0x95, 0x03,  //   Report Count (3)
        0x81, 0x01,  //   Input (Constant)
        0xC0,        // End Collection
    };
    bytes.insert(bytes.end(), kConsumerControl.begin(), kConsumerControl.end());
    bytes.insert(bytes.end(), kVendorCollection.begin(), kVendorCollection.end());
    return bytes;
}

// A simulated device with fixed identity and collections. Output reports are recorded; an
// optional handler runs for each (it may push replies through Port()) and decides the result.
class ScriptedDevice final : public VirtualHidDevice {
public:
    using OutputHandler = std::function<bool(std::uint8_t, std::span<const std::uint8_t>)>;

    ScriptedDevice(std::uint16_t vendor_id, std::uint16_t product_id, std::uint16_t version,
                   std::vector<VirtualCollection> collections)
        : vendor_id_(vendor_id),
          product_id_(product_id),
          version_(version),
          collections_(std::move(collections)) {}

    std::uint16_t VendorId() const override { return vendor_id_; }
    std::uint16_t ProductId() const override { return product_id_; }
    std::uint16_t VersionNumber() const override { return version_; }
    std::vector<VirtualCollection> Collections() const override { return collections_; }

    void Connect(VirtualHidPort* port) override {
        std::lock_guard lock(mutex_);
        port_ = port;
        ++connects_;
    }

    bool OnOutputReport(std::uint8_t collection_number,
                        std::span<const std::uint8_t> report) override {
        OutputHandler handler;
        {
            std::lock_guard lock(mutex_);
            outputs_.emplace_back(collection_number,
                                  std::vector<std::uint8_t>(report.begin(), report.end()));
            handler = handler_;
        }
        return handler ? handler(collection_number, report) : true;
    }

    // Pushes an input report if connected.
    void Push(std::uint8_t collection_number, std::vector<std::uint8_t> report) {
        std::lock_guard lock(mutex_);
        if (port_ != nullptr) {
            port_->PushInput(collection_number, report);
        }
    }

    void SetOutputHandler(OutputHandler handler) {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    bool Connected() const {
        std::lock_guard lock(mutex_);
        return port_ != nullptr;
    }
    int Connects() const {
        std::lock_guard lock(mutex_);
        return connects_;
    }
    std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> Outputs() const {
        std::lock_guard lock(mutex_);
        return outputs_;
    }

private:
    const std::uint16_t vendor_id_;
    const std::uint16_t product_id_;
    const std::uint16_t version_;
    const std::vector<VirtualCollection> collections_;
    mutable std::mutex mutex_;
    VirtualHidPort* port_ = nullptr;
    int connects_ = 0;
    OutputHandler handler_;
    std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> outputs_;
};

// The simulated keyboard's shape: consumer collection 3 and vendor collection 4 on
// interface 1.
inline std::shared_ptr<ScriptedDevice> MakeKeyboard(std::uint16_t product_id = 0x4E93) {
    return std::make_shared<ScriptedDevice>(
        0x3299, product_id, 0x0104,
        std::vector<VirtualCollection>{{1, 4, kVendorCollection}, {1, 3, kConsumerControl}});
}

// Wraps a backend and counts the reads that have entered a handle, so a test can close a
// record while another thread's read is waiting.
class ObservedBackend final : public HidBackend {
public:
    explicit ObservedBackend(HidBackend& inner) : inner_(inner) {}

    std::optional<std::vector<std::string>> EnumeratePaths() override {
        return inner_.EnumeratePaths();
    }
    std::optional<HidOpenedPath> Open(std::string_view path,
                                      const HidOpenOptions& options) override {
        std::optional<HidOpenedPath> opened = inner_.Open(path, options);
        if (opened) {
            opened->handle = std::make_unique<Handle>(std::move(opened->handle), reads_);
        }
        return opened;
    }
    bool PathExists(std::string_view path) override { return inner_.PathExists(path); }

    void WaitForReads(int count) const {
        while (reads_.load() < count) {
            std::this_thread::yield();
        }
    }

private:
    class Handle final : public HidBackendHandle {
    public:
        Handle(std::unique_ptr<HidBackendHandle> inner, std::atomic<int>& reads)
            : inner_(std::move(inner)), reads_(reads) {}
        HidTransferStatus ReadReport(std::vector<std::uint8_t>& report, int timeout) override {
            ++reads_;
            return inner_->ReadReport(report, timeout);
        }
        HidTransferStatus WriteReport(std::span<const std::uint8_t> report, int timeout) override {
            return inner_->WriteReport(report, timeout);
        }
        bool SetOutputReport(std::span<const std::uint8_t> report) override {
            return inner_->SetOutputReport(report);
        }
        void Abort() override { inner_->Abort(); }

    private:
        std::unique_ptr<HidBackendHandle> inner_;
        std::atomic<int>& reads_;
    };

    HidBackend& inner_;
    std::atomic<int> reads_{0};
};

}  // namespace calvorn::hid::test
