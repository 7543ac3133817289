#pragma once

// `CVoice7290ControlUI` ("Voice7290Control", built from
// "XML\CustomControlXML\Voice7290Control.xml"): the sound panel of a headset page.
//   "7290_MicIn_option", "7290_MicIn_slider"            microphone switch and level
//   "7290_MicMoniter_option", "7290_MicMoniter_slider"  monitor switch and level
//   "7290_eq_option_1" .. "7290_eq_option_12"           the built-in equaliser presets
//   "7290_eq_option_13"                                 the custom equaliser
//   "7290_eq_hz_slider_0" .. "7290_eq_hz_slider_9"      the ten bands, lowest first
//   "custom_eq_option_layout"                           the custom equaliser's controls:
//   "custom_eq_name_edit", "custom_eq_name_combo"       a preset name and the user presets
// The page reacts to the panel's notifications and keeps the panel in step through these
// operations; none of them sends a notification. Slider ranges come from the layout; values
// are passed through unchanged.
//
// Children are looked up by name inside the panel; an operation whose child is missing does
// nothing and a getter then returns its default (-1 for values and indexes, 0 for counts,
// empty for texts). UI thread only.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "dui/horizontal_layout.h"

namespace calvorn::device {
class CTalvexUSBDevice;
}

namespace calvorn::dui {
class Combo;
class Control;
class Option;
class Slider;
}  // namespace calvorn::dui

namespace calvorn::ui {

inline constexpr int kEqBandCount = 10;
inline constexpr int kBuiltInEqPresetCount = 12;
// The option of the custom equaliser, after the built-in presets.
inline constexpr int kCustomEqOption = 13;
// The most user presets a headset keeps.
inline constexpr int kMaxUserEqPresets = 20;
// The height of a row of the user preset list.
inline constexpr int kEqPresetRowHeight = 30;

using EqBands = std::array<int, kEqBandCount>;

// The band values of built-in preset `option` (1..12), or null for any other option.
const EqBands* BuiltInEqPreset(int option);

class CVoice7290ControlUI : public dui::HorizontalLayout {
public:
    std::string_view GetClass() const override { return "Voice7290Control"; }

    // The headset page the panel belongs to.
    void LinkDevice(device::CTalvexUSBDevice* device) { device_ = device; }
    device::CTalvexUSBDevice* Device() const { return device_; }

    // Enables or disables the custom equaliser's controls.
    void EnableCustomEq(bool enabled);
    // Turns every equaliser option off, then `option` (1..13) on. Any other value leaves all
    // of them off and is stored as 0.
    void SelectEqOption(int option);
    // The option last selected, 0 for none.
    int SelectedEqOption() const { return selected_eq_option_; }

    // Band `band` (0..9) of the equaliser.
    void SetBand(int band, int value);
    int Band(int band) const;

    void SetMicrophoneOn(bool on);
    void SetMonitorOn(bool on);
    void SetMicrophoneLevel(int level);
    int MicrophoneLevel() const;
    void SetMonitorLevel(int level);
    int MonitorLevel() const;

    // The name typed for a new user preset.
    void SetPresetName(std::string_view name);
    std::string PresetName() const;

    // Appends a user preset row showing `name` as it stands (never as a language key); the
    // row's user data is the name too.
    void AddPresetName(std::string_view name);
    int PresetSelection() const;
    int PresetCount() const;
    // Selects row `index` (-1 clears the selection) and empties the preset name.
    void SelectPreset(int index);
    void RemovePreset(int index);
    void RemoveAllPresets();
    // The name of row `index`; empty when there is no such row.
    std::string PresetNameAt(int index) const;
    // The row whose name equals `name` without regard to letter case, or -1.
    int FindPreset(std::string_view name) const;

private:
    dui::Control* CustomEqLayout() const;
    dui::Option* MicrophoneOption() const;
    dui::Option* MonitorOption() const;
    dui::Slider* MicrophoneSlider() const;
    dui::Slider* MonitorSlider() const;
    dui::Control* NameEdit() const;
    dui::Combo* PresetCombo() const;
    dui::Slider* BandSlider(int band) const;
    template <typename T>
    T* Child(T*& cache, std::string_view name) const;

    device::CTalvexUSBDevice* device_ = nullptr;
    int selected_eq_option_ = 0;
    // Children, looked up on first use.
    mutable dui::Control* custom_eq_layout_ = nullptr;
    mutable dui::Option* microphone_option_ = nullptr;
    mutable dui::Option* monitor_option_ = nullptr;
    mutable dui::Slider* microphone_slider_ = nullptr;
    mutable dui::Slider* monitor_slider_ = nullptr;
    mutable dui::Control* name_edit_ = nullptr;
    mutable dui::Combo* preset_combo_ = nullptr;
};

}  // namespace calvorn::ui
