#include "ui/device_power_ui.h"

#include <array>
#include <string>

#include "discovery/supported_devices.h"
#include "dui/progress.h"

namespace calvorn::ui {
namespace {

constexpr std::size_t kStatusBytes = 6;

struct PhoneType {
    const char* tooltip;
    const char* image;
};

PhoneType PhoneTypeOf(std::uint8_t code) {
    switch (code) {
        case 1:
            return {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"};
        case 2:
            return {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"};
        case 3:
            return {"Phone_type_other", "file='power/Phone_type_other.png'"};
        default:
            return {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"};
    }
}

}  // namespace

void CMpDevicePowerUI::Initialise(int kind, int channel_role) {
    kind_ = kind;
    channel_role_ = channel_role;
}

bool CMpDevicePowerUI::Activate() {
    if (!HorizontalLayout::Activate()) {
        return false;
    }
    SendNotify("selectchanged");
    return true;
}

void CMpDevicePowerUI::ShowPowerLayout(bool shown) {
    if (dui::Control* layout = FindSubControl("device_power_Layout")) {
        layout->SetVisible(shown);
    }
}

void CMpDevicePowerUI::ShowStatus(std::span<const std::uint8_t> status) {
    std::array<std::uint8_t, kStatusBytes> bytes{};
    for (std::size_t i = 0; i < bytes.size() && i < status.size(); ++i) {
        bytes[i] = status[i];
    }
    dui::Control* value = FindSubControl("device_power_value");
    dui::Control* wireless_logo = FindSubControl("device_wuxian_logo");
    auto* progress = dynamic_cast<dui::Progress*>(FindSubControl("device_Power_progress"));
    dui::Control* state = FindSubControl("device_power_status");
    dui::Control* phone = FindSubControl("device_phone_type");
    if (value == nullptr || wireless_logo == nullptr || progress == nullptr || state == nullptr ||
        phone == nullptr) {
        return;
    }

    progress->SetValue(100 - bytes[0]);
    value->SetText(std::to_string(bytes[0]) + "%");
    const bool wireless = bytes[3] != 0;
    if (kind_ == discovery::DEVICE_MOUSE) {
        wireless_logo->SetVisible(wireless);
    }
    switch (bytes[1]) {
        case 0:
            progress->SetVisible(true);
            state->SetBkImage("file='power/powered.png'");
            break;
        case 1:
            progress->SetVisible(!wireless);
            state->SetBkImage(wireless ? "file='power/wuxian_powering.png'"
                                       : "file='power/powering.png'");
            break;
        case 2:
            progress->SetVisible(true);
            state->SetBkImage("file='power/power.png'");
            break;
        default:
            break;
    }
    if (kind_ == discovery::DEVICE_MOUSEPAD) {
        const PhoneType type = PhoneTypeOf(bytes[5]);
        phone->SetToolTip(type.tooltip);
        phone->SetBkImage(type.image);
    }
}

}  // namespace calvorn::ui
