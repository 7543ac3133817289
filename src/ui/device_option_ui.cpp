#include "ui/device_option_ui.h"

#include <memory>
#include <optional>

#include "device/usb_device.h"
#include "discovery/supported_devices.h"
#include "dui/option.h"
#include "ui/device_power_ui.h"
#include "ui/headset_magic_control_ui.h"
#include "ui/headset_voice7290_control_ui.h"

namespace calvorn::ui {
namespace {

constexpr std::string_view kSynchroOptionName = "synchro_device_select";
constexpr std::string_view kSelectOptionName = "device_select";
constexpr std::string_view kNameLabelName = "device_select_name";

dui::Option* FindOption(dui::Container& entry, std::string_view name) {
    return dynamic_cast<dui::Option*>(entry.FindSubControl(name));
}

// The icon stem and tooltip key of a device kind.
struct KindIcon {
    std::string_view stem;
    std::string_view tooltip;
};

// Nothing for a mousepad whose channel role names neither pad kind: it keeps its icons.
std::optional<KindIcon> KindIconOf(int kind, int channel_role) {
    switch (kind) {
        case discovery::DEVICE_KEYBOARD:
            return KindIcon{"kb", "kb_device_name_text"};
        case discovery::DEVICE_MOUSE:
            return KindIcon{"ms", "ms_device_name_text"};
        case discovery::DEVICE_MOUSEPAD:
            if (channel_role == 0) {
                return KindIcon{"hard_mp", "hard_mp_device_name_text"};
            }
            if (channel_role == 1) {
                return KindIcon{"soft_mp", "soft_mp_device_name_text"};
            }
            return std::nullopt;
        // Kinds 4 (a second headset kind) and 5 (a hub) have no device class here; their
        // entries still show their icons.
        case 4:
        case discovery::DEVICE_HEADSET:
            return KindIcon{"hd", "hd_device_name_text"};
        case 5:
            return KindIcon{"hub", "hub_device_name_text"};
        default:
            return KindIcon{"unknow", "unknow_device_name_text"};
    }
}

std::string IconFile(std::string_view stem, std::string_view state) {
    std::string file = "common/device_ico/";
    file += stem;
    file += "_device_";
    file += state;
    file += ".png";
    return file;
}

}  // namespace

dui::Option* CDeviceOptionUI::SynchroOption() const {
    if (synchro_option_ == nullptr) {
        synchro_option_ = FindOption(const_cast<CDeviceOptionUI&>(*this), kSynchroOptionName);
    }
    return synchro_option_;
}

dui::Option* CDeviceOptionUI::SelectOption() const {
    if (select_option_ == nullptr) {
        select_option_ = FindOption(const_cast<CDeviceOptionUI&>(*this), kSelectOptionName);
    }
    return select_option_;
}

void CDeviceOptionUI::SetKind(int kind, int channel_role) {
    kind_ = kind;
    channel_role_ = channel_role;
    dui::Option* option = SelectOption();
    const std::optional<KindIcon> icon = KindIconOf(kind, channel_role);
    if (option == nullptr || !icon) {
        return;
    }
    images_ = {IconFile(icon->stem, "synchro_selected"), IconFile(icon->stem, "synchro_normal"),
               IconFile(icon->stem, "selected"), IconFile(icon->stem, "normal")};
    option->SetNormalImage(images_.normal);
    option->SetDisabledImage(images_.normal);
    option->SetSelectedImage(images_.selected);
    option->SetToolTip(icon->tooltip);
}

void CDeviceOptionUI::ApplySelectImages(bool synchronised) {
    if (dui::Option* option = SelectOption()) {
        option->SetNormalImage(synchronised ? images_.synchro_normal : images_.normal);
        option->SetSelectedImage(synchronised ? images_.synchro_selected : images_.selected);
    }
}

void CDeviceOptionUI::ShowSynchroCheck(bool shown) {
    if (dui::Option* check = SynchroOption()) {
        check->SetVisible(shown);
    }
    ApplySelectImages(IsSynchronised());
}

void CDeviceOptionUI::SetSynchronised(bool on) {
    if (dui::Option* check = SynchroOption()) {
        check->Selected(on, true);
    }
    ApplySelectImages(on);
}

bool CDeviceOptionUI::IsSynchronised() const {
    const dui::Option* check = SynchroOption();
    return check != nullptr && check->IsSelected();
}

void CDeviceOptionUI::Select(bool selected) {
    if (dui::Option* option = SelectOption()) {
        option->Selected(selected, true);
    }
}

bool CDeviceOptionUI::IsSelected() const {
    const dui::Option* option = SelectOption();
    return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::BindPage(std::string_view container_name, int index) {
    if (dui::Option* option = SelectOption()) {
        option->BindTabLayout(container_name, index);
    }
}

int CDeviceOptionUI::PageIndex() const {
    const dui::Option* option = SelectOption();
    return option != nullptr ? option->GetBindTabIndex() : -1;
}

std::string CDeviceOptionUI::PageContainerName() const {
    const dui::Option* option = SelectOption();
    return option != nullptr ? option->GetBindTabLayoutName() : std::string();
}

void CDeviceOptionUI::SetPowerLink(std::string_view container_name, int index) {
    if (container_name.empty()) {
        return;
    }
    power_container_ = container_name;
    if (index >= 0) {
        power_index_ = index;
    }
}

void CDeviceOptionUI::SetGroup(std::string_view group) {
    if (dui::Option* option = SelectOption()) {
        option->SetGroup(group);
    }
}

void CDeviceOptionUI::SetDeviceName(std::string_view name) {
    if (dui::Control* label = FindSubControl(kNameLabelName)) {
        label->SetText(name);
    }
}

void CDeviceOptionUI::LinkDevice(device::CTalvexUSBDevice* device) {
    device_ = device;
    if (device_ != nullptr) {
        device_->LinkSelectorEntry(this);
    }
}

void CDeviceOptionUI::Start() {
    SetTimer(kTimerSyncFromDevice, kTimerStartDelayMs);
}

void CDeviceOptionUI::StartParameterRead() {
    SetTimer(kTimerReadParameters, kTimerStartDelayMs);
}

bool CDeviceOptionUI::Activate() {
    if (!HorizontalLayout::Activate()) {
        return false;
    }
    SendNotify("selectchanged");
    return true;
}

void CDeviceOptionUI::DoEvent(dui::UiEvent& event) {
    if (event.type == dui::EventType::kTimer &&
        RunTimer(static_cast<std::uint32_t>(event.wparam))) {
        return;
    }
    HorizontalLayout::DoEvent(event);
}

bool CDeviceOptionUI::RunTimer(std::uint32_t id) {
    switch (id) {
        case kTimerSyncFromDevice:
            KillTimer(id);
            if (device_ != nullptr) {
                device_->SyncFromDevice();
                SetTimer(kTimerLightFrame, kFirstLightFrameMs);
                if (device_->PowerValue() != 0) {
                    SetTimer(kTimerPollPower, kPowerPollPeriodMs);
                }
            }
            return true;
        case kTimerLightFrame:
            KillTimer(id);
            if (device_ != nullptr && device_->PrimaryChannel().IsOpen()) {
                // The panel is marked first: the keys the frame recolours then lie inside an
                // area already due for repaint. Only live parts change, so its kept layer
                // stays.
                if (IsSelected() && device_->RepaintKeyPanel() && key_selection_panel_ != nullptr) {
                    key_selection_panel_->InvalidateLive();
                }
                device_->SendLightFrame();
                SetTimer(kTimerLightFrame, kLightFramePeriodMs);
            }
            return true;
        case kTimerReadParameters:
            KillTimer(id);
            if (device_ != nullptr) {
                device_->ReadParameters();
            }
            return true;
        case kTimerFirstHook:
        case kTimerSecondHook:
            // The device's hook operations do nothing in every kind: the timer only ends.
            KillTimer(id);
            return true;
        case kTimerPollPower:
            KillTimer(id);
            if (device_ != nullptr && device_->PrimaryChannel().IsOpen()) {
                device_->PollPowerStatus();
                SetTimer(kTimerPollPower, kPowerPollPeriodMs);
            }
            return true;
        default:
            return false;
    }
}

void RegisterDeviceEntryControls(dui::ControlFactory& factory) {
    factory.Register("CDeviceOptionUI", [] { return std::make_unique<CDeviceOptionUI>(); });
    factory.Register("CMpDevicePowerUI", [] { return std::make_unique<CMpDevicePowerUI>(); });
    factory.Register("CMagicControlUI", [] { return std::make_unique<CMagicControlUI>(); });
    factory.Register("CVoice7290ControlUI", [] { return std::make_unique<CVoice7290ControlUI>(); });
}

}  // namespace calvorn::ui
