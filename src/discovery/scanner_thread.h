#pragma once

// `ScannerThread`: finds the supported devices by polling. About ten times a second it lists
// the present HID interfaces (only while some device-list entry is free), recognises those in
// the supported-device table, marks their device-list entries attached and tells the main
// window with a blocking WM_DEVICE_ARRIVED; every cycle it tests the attached entries' paths
// for presence and frees the entries of vanished interfaces with a blocking
// WM_DEVICE_REMOVED. After its first pass it posts UWM_INSTANCE_ACTIVATE once, which brings
// the main window to the front.
//
// Because both notifications are blocking sends, the main window's attach and detach work
// runs on the UI thread while the scanner waits, and two notifications never overlap.

#include <memory>

#include "discovery/supported_devices.h"
#include "hid/hid_backend.h"
#include "hid/hid_device.h"
#include "platform/clock.h"
#include "platform/manual_reset_event.h"
#include "platform/ui_loop.h"

namespace calvorn::discovery {

// Sent to the main window; wParam is the device-list index, lParam 0.
inline constexpr platform::MessageId WM_DEVICE_ARRIVED = 3090;
inline constexpr platform::MessageId WM_DEVICE_REMOVED = 3091;

inline constexpr platform::Millis kScanInterval{100};

class ScannerThread {
public:
    // The backend, the list and the loop must outlive every thread running Run().
    // `instance_activate` is the registered UWM_INSTANCE_ACTIVATE message.
    ScannerThread(hid::HidBackend& backend, std::shared_ptr<DeviceList> devices,
                  platform::UiLoop& loop, platform::WindowHandle main_window,
                  platform::MessageId instance_activate);
    ScannerThread(const ScannerThread&) = delete;
    ScannerThread& operator=(const ScannerThread&) = delete;

    // The thread body: cycles every kScanInterval until `stop` is set, then writes
    // "抓取设备线程设定退出" and returns. The interval is waited for on `stop`, so a stop ends
    // the thread within a cycle.
    void Run(platform::ManualResetEvent& stop);

    // One cycle: the matching pass (when an entry is free) and the removal check. Public so
    // that a test can run the scanner on the UI thread, where the sends dispatch directly.
    void Cycle();

    // How many times the interface paths were listed (a failed listing included).
    int EnumerationCount() const { return enumerations_; }

private:
    void MatchingPass();
    void ConsiderPath(const std::string& path);
    void RemovalCheck();

    hid::HidBackend& backend_;
    const std::shared_ptr<DeviceList> devices_;
    platform::UiLoop& loop_;
    const platform::WindowHandle main_window_;
    const platform::MessageId instance_activate_;

    // Used for listing and probing only; never shared with another thread.
    hid::CHidDevice probe_;
    bool first_pass_ = true;
    int enumerations_ = 0;
};

}  // namespace calvorn::discovery
