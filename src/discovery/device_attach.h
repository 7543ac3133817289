#pragma once

// `DeviceAttach`: the main window's side of device discovery. It turns WM_DEVICE_ARRIVED into
// a device object with an open channel and a visible entry in the device selector, and
// WM_DEVICE_REMOVED into a closed channel and a hidden entry. A keyboard's three UI pieces
// (power entry, device page, selector entry) are built from the layouts named in two fixed
// tables, once per product: later arrivals of the same product find its device object and
// only attach the channel.
//
// It works on the main window's layout through the containers named there:
//   "device_select_layout"  the selector entries (IDeviceSelectorEntry), one per device;
//   "device_switch"         a tab layout with one device page (CTalvexUSBDevice) per device;
//   "device_power_switch"   a tab layout with one power entry (IDevicePowerEntry) per device;
//   "No_device_Link"        the notice shown while no selector entry is visible.
// A selector entry's page index and power index are the indexes of its device's page and
// power entry in the two tab layouts.
//
// UI thread only. The handlers run inside the scanner's blocking sends, so the scanner waits
// while a page is built or a channel opened or closed.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "device/device_base.h"
#include "device/usb_device.h"
#include "discovery/supported_devices.h"
#include "dui/builder.h"
#include "dui/paint_manager.h"
#include "platform/ui_loop.h"

namespace calvorn::discovery {

// One row of the device-option table: which layouts and names build a device's selector
// entry, and which products may get a page.
struct DeviceOptionRow {
    std::string_view entry_layout;
    std::string_view page_link;   // the option group of the selector entries
    std::string_view power_link;  // the tab layout of the power entries
    std::string_view label;       // names the device's data files and shows in its entry
    int view_value;               // handed to the device
    std::uint16_t vendor_id;
    std::uint16_t product_id;
    std::uint16_t kind;
    std::uint16_t channel_role;
};

// One row of the device-page table.
struct DevicePageRow {
    int led_count;
    int key_count;
    int power_value;  // handed to the device and its power entry
    int reserved;     // -1 in every row
    std::string_view page_layout;
    std::string_view light_name;
};

inline constexpr std::size_t kDeviceOptionCount = 11;
inline constexpr std::size_t kDevicePageCount = 4;
extern const std::array<DeviceOptionRow, kDeviceOptionCount> kDeviceOptions;
extern const std::array<DevicePageRow, kDevicePageCount> kDevicePages;

inline constexpr std::string_view kPowerEntryLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
inline constexpr std::string_view kSelectorLayoutName = "device_select_layout";
inline constexpr std::string_view kPageSwitchName = "device_switch";
inline constexpr std::string_view kPowerSwitchName = "device_power_switch";
inline constexpr std::string_view kNoDeviceNoticeName = "No_device_Link";

class DeviceAttach {
public:
    // What the main window does around attach and detach.
    struct Hooks {
        // The selected, visible entry is about to be hidden: close the pop-up windows and end
        // a macro recording in progress.
        std::function<void()> before_selected_hidden;
        // Every arrival ends here: bring the main window to the front.
        std::function<void()> after_arrival;
    };

    // `manager` is the main window's; `create` is its control-creation callback, which makes
    // the device page classes ("TalvexKeyboardDevice"). Device messages go to `main_window`.
    DeviceAttach(dui::PaintManager& manager, std::shared_ptr<DeviceList> devices,
                 platform::WindowHandle main_window, dui::CreateCallback create, Hooks hooks);
    DeviceAttach(const DeviceAttach&) = delete;
    DeviceAttach& operator=(const DeviceAttach&) = delete;

    // The device list shared with the scanner.
    const std::shared_ptr<DeviceList>& Devices() const { return devices_; }

    // Routes WM_DEVICE_ARRIVED and WM_DEVICE_REMOVED (wParam = device-list index); false for
    // other messages.
    bool HandleMessage(platform::MessageId message, platform::WParam wparam);

    // Device-list entry `index` became attached: build the product's page set when it has
    // none, attach the channel, and refresh the no-device notice.
    void OnDeviceArrived(std::size_t index);
    // Device-list entry `index` became free: close the channel; a primary channel also hides
    // the device's selector entry and moves the selection to another visible entry.
    void OnDeviceRemoved(std::size_t index);
    // Shows or hides selector entry `entry_index`; with `select`, switches to its page and
    // power entry and selects it. Then refreshes the no-device notice, the lighting panels'
    // multi-device flag and the synchronise checks.
    void SelectDeviceEntry(int entry_index, bool visible, bool select);
    // Builds a keyboard's power entry, page and selector entry for the product of primary
    // table row `row` (-1: nothing). Products missing from kDeviceOptions get nothing.
    void BuildKeyboardPage(int row);

    // Main-window destruction: closes the primary channels of the products of
    // kDeviceOptions rows 6 to 10 and removes their pages, power entries and selector
    // entries; the remaining entries' indexes follow.
    void Shutdown();

    bool AnyEntryVisible() const;

    // The device objects by kind (kinds 2 and 6 share the mouse list).
    const std::vector<device::CTalvexUSBDevice*>& Keyboards() const { return keyboards_; }
    const std::vector<device::CTalvexUSBDevice*>& Mice() const { return mice_; }
    const std::vector<device::CTalvexUSBDevice*>& Mousepads() const { return mousepads_; }
    const std::vector<device::CTalvexUSBDevice*>& Headsets() const { return headsets_; }

private:
    using DeviceVector = std::vector<device::CTalvexUSBDevice*>;

    DeviceVector* ListFor(int kind);
    void AttachPrimary(const SupportedDeviceRecord& entry, DeviceVector& list, bool mouse_list);
    void AttachSecondary(const SupportedDeviceRecord& entry, DeviceVector& list, bool mouse_list);
    void HideEntry(int entry_index);
    void RefreshNoDeviceNotice();
    dui::Container* SelectorLayout() const;
    device::IDeviceSelectorEntry* EntryAt(int entry_index) const;
    int EntryIndexOf(const device::CTalvexUSBDevice* device) const;
    void RemovePageSet(device::CTalvexUSBDevice* device, DeviceVector& list);

    dui::PaintManager& manager_;
    const std::shared_ptr<DeviceList> devices_;
    const platform::WindowHandle main_window_;
    const dui::CreateCallback create_;
    const Hooks hooks_;

    DeviceVector keyboards_;
    DeviceVector mice_;
    DeviceVector mousepads_;
    DeviceVector headsets_;
    std::vector<device::IDevicePowerEntry*> power_entries_;
};

}  // namespace calvorn::discovery
