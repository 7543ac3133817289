#pragma once

// Which parts of the lighting panel a lighting mode uses. A device page picks one of seven
// layout types from its model data; each type maps the mode numbers of its devices to the
// groups that are enabled, the direction texts and whether "copy to all devices" is offered.

#include <optional>
#include <string_view>

namespace calvorn::ui {

// Enable or disable a control, or leave it as it is.
enum class Switch { kKeep, kEnable, kDisable };
// Show or hide a control, or leave it as it is.
enum class Shown { kKeep, kShow, kHide };

// The texts (language keys) of the two direction checks.
struct DirectionTexts {
    std::string_view first;   // "deng_FXL_check"
    std::string_view second;  // "deng_FXR_check"

    friend bool operator==(const DirectionTexts&, const DirectionTexts&) = default;
};

// What the layout type sets before any mode row.
struct LightLayoutPreamble {
    Shown custom_layout = Shown::kKeep;     // "lightcustom_layout"
    Shown secondary_layout = Shown::kKeep;  // "light_combo_ZZCCmodeSelectLayout"
    Shown speed_layout = Shown::kKeep;      // "deng_speed_layout"
    bool hide_same_mode = false;            // "deng_same_mode"
    bool enable_fx_layout = false;          // "deng_fx_layout"
    bool enable_color_layout = false;       // "light_color_layout"
    std::optional<DirectionTexts> direction;
};

// One mode's row.
struct LightLayoutRow {
    Switch effect = Switch::kKeep;        // "lighteffect_layout"
    Switch multi_color = Switch::kKeep;   // "deng_7color_check"
    Switch color = Switch::kKeep;         // "deng_color_layout"
    Switch palette = Switch::kKeep;       // "colorpallet_layout"
    Switch brightness = Switch::kKeep;    // "deng_light_layout"
    Switch speed = Switch::kKeep;         // "deng_speed_layout"
    Switch direction = Switch::kKeep;     // "deng_FXL_check" and "deng_FXR_check"
    Switch color_layout = Switch::kKeep;  // "light_color_layout"
    Shown speed_layout = Shown::kKeep;    // "deng_speed_layout"
    Shown secondary_layout = Shown::kKeep;
    Shown custom_layout = Shown::kKeep;
    std::optional<DirectionTexts> direction_texts;
    // Whether "deng_same_mode" is offered for the mode (shown when the panel allows it).
    bool same_mode = false;
    // False for modes whose layout type leaves "deng_same_mode" as it is.
    bool same_mode_applies = true;
};

inline constexpr int kLayoutTypeMin = 1;
inline constexpr int kLayoutTypeMax = 7;
// The layout type that applies no table.
inline constexpr int kLayoutTypeWithoutTable = 6;

// The preamble of `layout_type`; nullopt for types without a table (6 and unknown types).
std::optional<LightLayoutPreamble> LightLayoutPreambleFor(int layout_type);
// The row of `mode` under `layout_type`; nullopt for types without a table.
std::optional<LightLayoutRow> LightLayoutRowFor(int layout_type, int mode);

}  // namespace calvorn::ui
