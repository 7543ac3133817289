#pragma once

// `CLightControlUI` ("LightControl"): the lighting panel of a device page, found in the page
// under the name "LightControlItem". It shows the page's lighting record (mode, brightness,
// speed, direction, colour) and switches its groups on and off per mode through the layout
// table of the page's layout type. Sub-controls are looked up by name inside the panel on
// first use and then kept; an operation whose sub-control is missing does nothing and a
// getter then returns its default. UI thread only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "device/device_base.h"
#include "dui/geometry.h"
#include "dui/horizontal_layout.h"
#include "ui/lighting/light_layout_table.h"

namespace calvorn::dui {
class Combo;
}

namespace calvorn::ui {

inline constexpr std::string_view kLightControlName = "LightControlItem";
inline constexpr int kModeRowHeight = 30;

// A colour component and its edit.
enum class ColorComponent { kRed, kGreen, kBlue };

class CLightControlUI : public dui::HorizontalLayout, public device::ILightingPanel {
public:
    std::string_view GetClass() const override { return "LightControl"; }

    // Selects the mode-to-layout table (1 to 7; other values apply no table).
    void SetLayoutType(int layout_type) override { layout_type_ = layout_type; }
    int LayoutType() const { return layout_type_; }

    // Refills the mode combo with one row per name (the name is the row's language key and
    // its user data; the row is visible as its flag says, visible when the flag is missing)
    // and sets the maxima of the brightness and speed sliders.
    void Configure(std::span<const std::string> mode_names, const std::vector<bool>& visible,
                   int brightness_max, int speed_max) override;

    // Shows a lighting record given as three words (bytes 0-3, 4-7, 8-11, low byte first).
    // Sends no notifications.
    void ShowRecord(std::uint32_t first, std::uint32_t second, std::uint32_t third) override;

    // Applies the layout table of the panel's layout type for `mode`.
    void ApplyModeLayout(int mode);

    // ILightingPanel: "deng_same_mode" may be shown only while more than one device shows.
    void SetMultiDevice(bool more_than_one) override;
    bool SameModeAllowed() const { return same_mode_allowed_; }
    // Shows "deng_same_mode" when allowed and `offered`, hides it otherwise.
    void ShowSameMode(bool offered);

    // --- getters ---
    // The selections of the mode, custom mode and secondary mode combos; -1 without the combo.
    int GetMode();
    int GetCustomMode();
    int GetSecondaryMode();
    // The slider values; 0 without the slider.
    int GetBrightness();
    int GetSpeed();
    // The text of a colour edit; empty without the edit.
    std::string GetComponentText(ColorComponent component);
    // The palette's colour (0xFFRRGGBB); 0xFF000000 without the palette.
    dui::Color GetPaletteColor();
    bool GetMultiColor();
    // The background colour of "color_option_" `n`; 0 without the button.
    dui::Color GetPresetColor(int n);

    // --- display pieces the edit handlers use ---
    void SetComponentText(ColorComponent component, std::string_view text);
    // Shows `color` (0xFFRRGGBB) in the three edits, the palette and the colour display, and
    // clears the multi-colour check.
    void ShowColor(dui::Color color);
    // Shows `color` in the palette and the colour display only.
    void ShowColorSwatch(dui::Color color);
    // Checks one direction check and unchecks the other.
    void ShowDirection(bool first);

    // The panel of a device page: the device's lighting panel, else the page's
    // "LightControlItem"; null when the page has neither.
    static CLightControlUI* Of(device::CTalvexUSBDevice& page);

private:
    dui::Control* Sub(std::string_view name);
    template <typename T>
    T* SubAs(std::string_view name) {
        return dynamic_cast<T*>(Sub(name));
    }
    int ComboSelection(std::string_view name);
    void ApplySwitch(std::string_view name, Switch state);
    void ApplyShown(std::string_view name, Shown state);
    void ApplyDirectionTexts(const DirectionTexts& texts);

    int layout_type_ = 0;
    bool same_mode_allowed_ = false;
    std::unordered_map<std::string, dui::Control*> found_;
};

}  // namespace calvorn::ui
