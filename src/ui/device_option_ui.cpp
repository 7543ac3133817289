#include "ui/device_option_ui.h"

#include <memory>

#include "device/usb_device.h"
#include "dui/option.h"
#include "ui/device_power_ui.h"

namespace calvorn::ui {
namespace {

constexpr std::string_view kSynchroOptionName = "synchro_device_select";
constexpr std::string_view kSelectOptionName = "device_select";
constexpr std::string_view kNameLabelName = "device_select_name";

dui::Option* FindOption(dui::Container& entry, std::string_view name) {
    return dynamic_cast<dui::Option*>(entry.FindSubControl(name));
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
}

void CDeviceOptionUI::ShowSynchroCheck(bool shown) {
    if (dui::Option* check = SynchroOption()) {
        check->SetVisible(shown);
    }
}

void CDeviceOptionUI::SetSynchronised(bool on) {
    if (dui::Option* check = SynchroOption()) {
        check->Selected(on, true);
    }
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
                device_->SendLightFrame();
                if (IsSelected() && device_->RepaintKeyPanel() && key_selection_panel_ != nullptr) {
                    key_selection_panel_->Invalidate();
                }
                SetTimer(kTimerLightFrame, kLightFramePeriodMs);
            }
            return true;
        case kTimerReadParameters:
            KillTimer(id);
            if (device_ != nullptr) {
                device_->ReadParameters();
            }
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
}

}  // namespace calvorn::ui
