#pragma once

// The UI pieces a device object works with, seen from the device layer. The controls that
// implement them live in the UI layer (the selector entry and power entry in src/ui/, the key
// buttons and lighting panel with the custom controls); the device base and the attach logic
// reach them only through these interfaces, so neither depends on the UI layer.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace calvorn::dui {
class Control;
}

namespace calvorn::device {

class CTalvexUSBDevice;

// A key or LED on a device picture (a "DeviceKeyButton" of the page).
class ILedButton {
public:
    virtual ~ILedButton() = default;
    // `colour` packs red, blue and green as R + B × 256 + G × 65536; brightness is 0..255.
    virtual void SetLightColor(std::uint32_t colour, int brightness, bool shown) = 0;
};

// The lighting panel of a device page.
class ILightingPanel {
public:
    virtual ~ILightingPanel() = default;
    // Whether more than one device is shown in the selector; when not, the panel also drops
    // its multi-device state.
    virtual void SetMultiDevice(bool more_than_one) = 0;

    // What the page offers: which mode-to-layout table applies (1 to 7), the mode names with
    // their visibility flags, and the brightness and speed maxima. A panel without such
    // controls ignores them.
    virtual void SetLayoutType(int /*layout_type*/) {}
    virtual void Configure(std::span<const std::string> /*mode_names*/,
                           const std::vector<bool>& /*visible*/, int /*brightness_max*/,
                           int /*speed_max*/) {}
    // Shows the page's lighting record, given as its first three words.
    virtual void ShowRecord(std::uint32_t /*first*/, std::uint32_t /*second*/,
                            std::uint32_t /*third*/) {}
};

// A device's entry in the device selector ("device_select_layout"). It selects the device's
// page, carries the synchronise check and runs the device's timers on the UI thread. All
// members are called on the UI thread.
class IDeviceSelectorEntry {
public:
    virtual ~IDeviceSelectorEntry() = default;

    // Stores the kind and channel role of the entry's device.
    virtual void SetKind(int kind, int channel_role) = 0;
    virtual int Kind() const = 0;
    virtual int ChannelRole() const = 0;

    // Shows or hides the synchronise check.
    virtual void ShowSynchroCheck(bool shown) = 0;
    // Turns the synchronise check on or off (with notification).
    virtual void SetSynchronised(bool on) = 0;
    // The check's state; false when the entry has no check.
    virtual bool IsSynchronised() const = 0;

    // Selects or deselects the entry's option (with notification).
    virtual void Select(bool selected) = 0;
    virtual bool IsSelected() const = 0;

    // Binds the entry's option to a tab layout and page index: selecting the option switches
    // the tab layout to that page.
    virtual void BindPage(std::string_view container_name, int index) = 0;
    // The bound page index (-1 when unbound) and tab layout name.
    virtual int PageIndex() const = 0;
    virtual std::string PageContainerName() const = 0;

    // Stores the power entry's container name, and its index when it is 0 or more. An empty
    // name changes nothing.
    virtual void SetPowerLink(std::string_view container_name, int index) = 0;
    // -1 until a power index is stored.
    virtual int PowerIndex() const = 0;
    virtual std::string PowerContainerName() const = 0;

    // Puts the entry's option into an option group (one selected entry per group).
    virtual void SetGroup(std::string_view group) = 0;
    // The device name the entry shows.
    virtual void SetDeviceName(std::string_view name) = 0;

    // Links the entry and the device both ways (the device stores the entry too).
    virtual void LinkDevice(CTalvexUSBDevice* device) = 0;
    virtual CTalvexUSBDevice* Device() const = 0;
    // The page's key-selection panel, repainted with the light frames.
    virtual void SetKeySelectionPanel(dui::Control* panel) = 0;

    // The primary channel attached: 500 ms later the device reads everything from the device
    // (`SyncFromDevice`).
    virtual void Start() = 0;
    // The device asked for a parameter read: 500 ms later `ReadParameters` runs.
    virtual void StartParameterRead() = 0;
};

// A device's power entry in "device_power_switch". UI thread only.
class IDevicePowerEntry {
public:
    virtual ~IDevicePowerEntry() = default;
    virtual void Initialise(int kind, int channel_role) = 0;
    // Shows the power layout exactly when the device's power value is not 0.
    virtual void ShowPowerLayout(bool shown) = 0;
    // Shows a power status window (battery level, state, wireless link, phone type); a
    // window shorter than six bytes reads as padded with zeros.
    virtual void ShowStatus(std::span<const std::uint8_t> status) = 0;
};

}  // namespace calvorn::device
