#pragma once

// `CDeviceOptionUI` ("DeviceOption"): a device's entry in the device selector. It shows the
// device's icon and name, selects the device's page through its "device_select" option (bound
// to the page's tab layout and put in the selector's option group), carries the synchronise
// check "synchro_device_select", and runs the device's timers on the UI thread:
//   1001  once, 500 ms after Start(): `SyncFromDevice`, then the light frames and, when the
//         device's power value is not 0, the power poll;
//   1000  5 ms after that, then every 50 ms while the primary channel is open:
//         `SendLightFrame`, and a repaint of the key-selection panel while the entry is
//         selected and the device asks for it;
//   1002  once, 500 ms after StartParameterRead(): `ReadParameters`;
//   1003, 1004  once: the device's two hook operations, which do nothing in every kind;
//   1005  every 5000 ms while the primary channel is open: `PollPowerStatus`.
// Every timer is killed when it fires and re-armed only as listed, so a closed primary channel
// ends the light frames and the power poll.
// Children are looked up by name inside the entry; an operation whose child is missing does
// nothing and a getter then returns its default.

#include <cstdint>
#include <string>
#include <string_view>

#include "device/device_base.h"
#include "dui/control_factory.h"
#include "dui/horizontal_layout.h"

namespace calvorn::dui {
class Option;
}

namespace calvorn::ui {

inline constexpr std::uint32_t kTimerLightFrame = 1000;
inline constexpr std::uint32_t kTimerSyncFromDevice = 1001;
inline constexpr std::uint32_t kTimerReadParameters = 1002;
inline constexpr std::uint32_t kTimerFirstHook = 1003;
inline constexpr std::uint32_t kTimerSecondHook = 1004;
inline constexpr std::uint32_t kTimerPollPower = 1005;
inline constexpr int kTimerStartDelayMs = 500;
inline constexpr int kPowerPollPeriodMs = 5000;
inline constexpr int kFirstLightFrameMs = 5;
inline constexpr int kLightFramePeriodMs = 50;

// The four icon files of a selector entry, in the folder "common/device_ico/".
struct DeviceEntryImages {
    std::string synchro_selected;
    std::string synchro_normal;
    std::string selected;
    std::string normal;
};

class CDeviceOptionUI : public dui::HorizontalLayout, public device::IDeviceSelectorEntry {
public:
    std::string_view GetClass() const override { return "DeviceOption"; }

    // Stores kind and channel role; when "device_select" exists, gives it the icons and the
    // tooltip key of the kind ("kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow") and
    // remembers the four files. A mousepad with a channel role other than 0 or 1 keeps the
    // previous icons and tooltip.
    void SetKind(int kind, int channel_role) override;
    int Kind() const override { return kind_; }
    int ChannelRole() const override { return channel_role_; }
    // Both also give "device_select" the synchronised icons while the check is on, the plain
    // ones while it is off.
    void ShowSynchroCheck(bool shown) override;
    void SetSynchronised(bool on) override;
    bool IsSynchronised() const override;
    void Select(bool selected) override;
    bool IsSelected() const override;
    void BindPage(std::string_view container_name, int index) override;
    int PageIndex() const override;
    std::string PageContainerName() const override;
    void SetPowerLink(std::string_view container_name, int index) override;
    int PowerIndex() const override { return power_index_; }
    std::string PowerContainerName() const override { return power_container_; }
    void SetGroup(std::string_view group) override;
    void SetDeviceName(std::string_view name) override;
    void LinkDevice(device::CTalvexUSBDevice* device) override;
    device::CTalvexUSBDevice* Device() const override { return device_; }
    void SetKeySelectionPanel(dui::Control* panel) override { key_selection_panel_ = panel; }
    dui::Control* KeySelectionPanel() const { return key_selection_panel_; }
    void Start() override;
    void StartParameterRead() override;
    const DeviceEntryImages& Images() const { return images_; }

    // Sends "selectchanged" for the entry after the base activation succeeded.
    bool Activate() override;
    void DoEvent(dui::UiEvent& event) override;

private:
    dui::Option* SynchroOption() const;
    dui::Option* SelectOption() const;
    // The synchronised or the plain icons on "device_select".
    void ApplySelectImages(bool synchronised);
    // Runs the device operation of timer `id`; false for other ids.
    bool RunTimer(std::uint32_t id);

    int kind_ = 0;
    int channel_role_ = 0;
    device::CTalvexUSBDevice* device_ = nullptr;
    dui::Control* key_selection_panel_ = nullptr;
    std::string power_container_;
    int power_index_ = -1;
    DeviceEntryImages images_{"common/device_ico/unknow_device_synchro_selected.png",
                              "common/device_ico/unknow_device_synchro_normal.png",
                              "common/device_ico/unknow_device_selected.png",
                              "common/device_ico/unknow_device_normal.png"};
    // Children, looked up on first use.
    mutable dui::Option* synchro_option_ = nullptr;
    mutable dui::Option* select_option_ = nullptr;
};

// Registers the controls that stand between a device object and the screen with the control
// factory: `CDeviceOptionUI` and `CMpDevicePowerUI` (built from
// "XML\CustomControlXML\DeviceOption.xml" and "XML\CustomControlXML\MpDevicePower.xml") and
// the headset page's panels `CMagicControlUI` and `CVoice7290ControlUI` ("MagicControl.xml",
// "Voice7290Control.xml" in the same folder).
void RegisterDeviceEntryControls(dui::ControlFactory& factory);

}  // namespace calvorn::ui
