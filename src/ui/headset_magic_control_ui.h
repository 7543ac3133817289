#pragma once

// `CMagicControlUI` ("MagicControl", built from "XML\CustomControlXML\MagicControl.xml"): the
// voice changer panel of a headset page. The switch "magic_enable_option" turns the voice
// changer on and off; the group "magic_option_layout" holds the four effects
// "magic_option_1" .. "magic_option_4", enabled only while the voice changer is on. The page
// reacts to the panel's notifications and keeps the panel in step through these operations;
// none of them sends a notification.
//
// Children are looked up by name inside the panel; an operation whose child is missing does
// nothing and a getter then returns its default. UI thread only.

#include "dui/horizontal_layout.h"

namespace calvorn::device {
class CTalvexUSBDevice;
}

namespace calvorn::dui {
class Option;
}

namespace calvorn::ui {

inline constexpr int kVoiceEffectCount = 4;

class CMagicControlUI : public dui::HorizontalLayout {
public:
    std::string_view GetClass() const override { return "MagicControl"; }

    // The headset page the panel belongs to.
    void LinkDevice(device::CTalvexUSBDevice* device) { device_ = device; }
    device::CTalvexUSBDevice* Device() const { return device_; }

    // Enables or disables the effect group.
    void EnableEffects(bool enabled);
    // Turns the switch on or off, then enables or disables the effects to match.
    void SetVoiceChanger(bool on);
    // The switch's state; false without the switch.
    bool IsVoiceChangerOn() const;
    // Turns every effect option off, then `effect` (1..4) on. Any other value leaves all four
    // off and is stored as 0.
    void SelectEffect(int effect);
    // The effect last selected, 0 for none.
    int SelectedEffect() const { return selected_effect_; }

private:
    dui::Control* EffectLayout() const;
    dui::Option* EnableOption() const;

    device::CTalvexUSBDevice* device_ = nullptr;
    int selected_effect_ = 0;
    // Children, looked up on first use.
    mutable dui::Control* effect_layout_ = nullptr;
    mutable dui::Option* enable_option_ = nullptr;
};

}  // namespace calvorn::ui
