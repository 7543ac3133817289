#pragma once

// `CMpDevicePowerUI` ("MpDevicePower"): a device's power entry in "device_power_switch". It
// shows the power status window a device reads (battery level, power state, wireless link
// and, for mousepads, the phone on the pad) in its children "device_power_Layout",
// "device_power_value", "device_wuxian_logo", "device_Power_progress", "device_power_status"
// and "device_phone_type".

#include <cstdint>
#include <span>

#include "device/device_base.h"
#include "dui/horizontal_layout.h"

namespace calvorn::ui {

class CMpDevicePowerUI : public dui::HorizontalLayout, public device::IDevicePowerEntry {
public:
    std::string_view GetClass() const override { return "MpDevicePower"; }

    void Initialise(int kind, int channel_role) override;
    int Kind() const { return kind_; }
    int ChannelRole() const { return channel_role_; }
    void ShowPowerLayout(bool shown) override;
    // Nothing is shown while any of the five status children is missing.
    void ShowStatus(std::span<const std::uint8_t> status) override;

    // Sends "selectchanged" for the entry after the base activation succeeded.
    bool Activate() override;

private:
    int kind_ = 0;
    int channel_role_ = 0;
};

}  // namespace calvorn::ui
