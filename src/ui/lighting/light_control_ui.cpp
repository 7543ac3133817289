#include "ui/lighting/light_control_ui.h"

#include <memory>

#include "device/usb_device.h"
#include "dui/check_box.h"
#include "dui/color_palette.h"
#include "dui/combo.h"
#include "dui/list_label_element.h"
#include "dui/slider.h"

namespace calvorn::ui {
namespace {

constexpr std::string_view kModeCombo = "light_combo_modeSelect";
constexpr std::string_view kCustomModeCombo = "light_combo_custommodeSelect";
constexpr std::string_view kSecondaryModeCombo = "light_combo_ZZCCmodeSelect";
constexpr std::string_view kBrightnessSlider = "deng_light_slider";
constexpr std::string_view kSpeedSlider = "deng_speed_slider";
constexpr std::string_view kPalette = "deng_Color_Pallet";
constexpr std::string_view kColorDisplay = "deng_colordp_btn";
constexpr std::string_view kMultiColorCheck = "deng_7color_check";
constexpr std::string_view kFirstDirection = "deng_FXL_check";
constexpr std::string_view kSecondDirection = "deng_FXR_check";
constexpr std::string_view kSameMode = "deng_same_mode";

constexpr std::string_view kEffectLayout = "lighteffect_layout";
constexpr std::string_view kColorLayout = "deng_color_layout";
constexpr std::string_view kPaletteLayout = "colorpallet_layout";
constexpr std::string_view kBrightnessLayout = "deng_light_layout";
constexpr std::string_view kSpeedLayout = "deng_speed_layout";
constexpr std::string_view kFxLayout = "deng_fx_layout";
constexpr std::string_view kCustomLayout = "lightcustom_layout";
constexpr std::string_view kSecondaryLayout = "light_combo_ZZCCmodeSelectLayout";
constexpr std::string_view kLightColorLayout = "light_color_layout";

constexpr dui::Color kOpaque = 0xFF000000u;

std::string_view EditName(ColorComponent component) {
    switch (component) {
        case ColorComponent::kRed:
            return "deng_edit_R";
        case ColorComponent::kGreen:
            return "deng_edit_G";
        case ColorComponent::kBlue:
            return "deng_edit_B";
    }
    return {};
}

std::uint8_t ByteOf(std::uint32_t word, int byte) {
    return static_cast<std::uint8_t>(word >> (8 * byte));
}

}  // namespace

dui::Control* CLightControlUI::Sub(std::string_view name) {
    const std::string key(name);
    if (auto it = found_.find(key); it != found_.end()) {
        return it->second;
    }
    dui::Control* control = FindSubControl(name);
    if (control != nullptr) {
        found_.emplace(key, control);
    }
    return control;
}

void CLightControlUI::Configure(std::span<const std::string> mode_names,
                                const std::vector<bool>& visible, int brightness_max,
                                int speed_max) {
    if (auto* combo = SubAs<dui::Combo>(kModeCombo)) {
        combo->RemoveAll();
        for (std::size_t i = 0; i < mode_names.size(); ++i) {
            auto row = std::make_unique<dui::ListLabelElement>();
            row->SetFixedHeight(kModeRowHeight);
            row->SetResourceText(true);
            row->SetText(mode_names[i]);
            row->SetUserData(mode_names[i]);
            row->SetVisible(i < visible.size() ? visible[i] : true);
            combo->Add(std::move(row));
        }
    }
    if (auto* slider = SubAs<dui::Slider>(kBrightnessSlider)) {
        slider->SetMaxValue(brightness_max);
    }
    if (auto* slider = SubAs<dui::Slider>(kSpeedSlider)) {
        slider->SetMaxValue(speed_max);
    }
}

void CLightControlUI::ShowRecord(std::uint32_t first, std::uint32_t second, std::uint32_t third) {
    const int mode = ByteOf(first, 0);
    if (auto* combo = SubAs<dui::Combo>(kModeCombo)) {
        combo->SelectItem(mode, false, false);
    }
    ApplyModeLayout(mode);
    if (auto* slider = SubAs<dui::Slider>(kBrightnessSlider)) {
        slider->SetValue(ByteOf(first, 1));
    }
    if (auto* slider = SubAs<dui::Slider>(kSpeedSlider)) {
        slider->SetValue(ByteOf(first, 2));
    }
    const std::uint8_t red = ByteOf(second, 1);
    const std::uint8_t green = ByteOf(second, 2);
    const std::uint8_t blue = ByteOf(second, 3);
    SetComponentText(ColorComponent::kRed, std::to_string(red));
    SetComponentText(ColorComponent::kGreen, std::to_string(green));
    SetComponentText(ColorComponent::kBlue, std::to_string(blue));
    ShowColorSwatch(kOpaque | (static_cast<dui::Color>(red) << 16) |
                    (static_cast<dui::Color>(green) << 8) | blue);
    if (auto* check = SubAs<dui::CheckBox>(kMultiColorCheck)) {
        check->SetCheck(ByteOf(second, 0) != 0, false);
    }
    if (auto* combo = SubAs<dui::Combo>(kSecondaryModeCombo)) {
        combo->SelectItem(ByteOf(third, 3), false, false);
    }
    ShowDirection(ByteOf(first, 3) != 0);
    ApplyModeLayout(mode);
}

void CLightControlUI::ApplySwitch(std::string_view name, Switch state) {
    if (state == Switch::kKeep) {
        return;
    }
    if (dui::Control* control = Sub(name)) {
        control->SetEnabled(state == Switch::kEnable);
    }
}

void CLightControlUI::ApplyShown(std::string_view name, Shown state) {
    if (state == Shown::kKeep) {
        return;
    }
    if (dui::Control* control = Sub(name)) {
        control->SetVisible(state == Shown::kShow);
    }
}

void CLightControlUI::ApplyDirectionTexts(const DirectionTexts& texts) {
    if (dui::Control* check = Sub(kFirstDirection)) {
        check->SetText(texts.first);
    }
    if (dui::Control* check = Sub(kSecondDirection)) {
        check->SetText(texts.second);
    }
}

void CLightControlUI::ApplyModeLayout(int mode) {
    const std::optional<LightLayoutPreamble> preamble = LightLayoutPreambleFor(layout_type_);
    const std::optional<LightLayoutRow> row = LightLayoutRowFor(layout_type_, mode);
    if (!preamble || !row) {
        return;
    }
    ApplyShown(kCustomLayout, preamble->custom_layout);
    ApplyShown(kSecondaryLayout, preamble->secondary_layout);
    if (preamble->hide_same_mode) {
        ShowSameMode(false);
    }
    ApplyShown(kSpeedLayout, preamble->speed_layout);
    if (preamble->enable_fx_layout) {
        ApplySwitch(kFxLayout, Switch::kEnable);
    }
    if (preamble->enable_color_layout) {
        ApplySwitch(kLightColorLayout, Switch::kEnable);
    }
    if (preamble->direction) {
        ApplyDirectionTexts(*preamble->direction);
    }

    ApplySwitch(kEffectLayout, row->effect);
    ApplySwitch(kMultiColorCheck, row->multi_color);
    ApplySwitch(kColorLayout, row->color);
    ApplySwitch(kPaletteLayout, row->palette);
    ApplySwitch(kBrightnessLayout, row->brightness);
    ApplySwitch(kSpeedLayout, row->speed);
    ApplySwitch(kFirstDirection, row->direction);
    ApplySwitch(kSecondDirection, row->direction);
    ApplySwitch(kLightColorLayout, row->color_layout);
    ApplyShown(kSpeedLayout, row->speed_layout);
    ApplyShown(kSecondaryLayout, row->secondary_layout);
    ApplyShown(kCustomLayout, row->custom_layout);
    if (row->direction_texts) {
        ApplyDirectionTexts(*row->direction_texts);
    }
    if (row->same_mode_applies) {
        ShowSameMode(row->same_mode);
    }
}

void CLightControlUI::SetMultiDevice(bool more_than_one) {
    same_mode_allowed_ = more_than_one;
    if (!more_than_one) {
        ShowSameMode(false);
    }
}

void CLightControlUI::ShowSameMode(bool offered) {
    if (dui::Control* button = Sub(kSameMode)) {
        button->SetVisible(same_mode_allowed_ && offered);
    }
}

int CLightControlUI::ComboSelection(std::string_view name) {
    const auto* combo = SubAs<dui::Combo>(name);
    return combo != nullptr ? combo->GetCurSel() : -1;
}

int CLightControlUI::GetMode() {
    return ComboSelection(kModeCombo);
}
int CLightControlUI::GetCustomMode() {
    return ComboSelection(kCustomModeCombo);
}
int CLightControlUI::GetSecondaryMode() {
    return ComboSelection(kSecondaryModeCombo);
}

int CLightControlUI::GetBrightness() {
    const auto* slider = SubAs<dui::Slider>(kBrightnessSlider);
    return slider != nullptr ? slider->GetValue() : 0;
}

int CLightControlUI::GetSpeed() {
    const auto* slider = SubAs<dui::Slider>(kSpeedSlider);
    return slider != nullptr ? slider->GetValue() : 0;
}

std::string CLightControlUI::GetComponentText(ColorComponent component) {
    const dui::Control* edit = Sub(EditName(component));
    return edit != nullptr ? edit->GetText() : std::string();
}

void CLightControlUI::SetComponentText(ColorComponent component, std::string_view text) {
    if (dui::Control* edit = Sub(EditName(component))) {
        edit->SetText(text);
    }
}

dui::Color CLightControlUI::GetPaletteColor() {
    const auto* palette = SubAs<dui::ColorPalette>(kPalette);
    return palette != nullptr ? palette->GetSelectColor() : kOpaque;
}

bool CLightControlUI::GetMultiColor() {
    const auto* check = SubAs<dui::CheckBox>(kMultiColorCheck);
    return check != nullptr && check->GetCheck();
}

dui::Color CLightControlUI::GetPresetColor(int n) {
    const dui::Control* button = Sub("color_option_" + std::to_string(n));
    return button != nullptr ? button->GetBkColor() : 0;
}

void CLightControlUI::ShowColor(dui::Color color) {
    SetComponentText(ColorComponent::kRed, std::to_string((color >> 16) & 0xFF));
    SetComponentText(ColorComponent::kGreen, std::to_string((color >> 8) & 0xFF));
    SetComponentText(ColorComponent::kBlue, std::to_string(color & 0xFF));
    if (auto* check = SubAs<dui::CheckBox>(kMultiColorCheck)) {
        check->SetCheck(false, false);
    }
    ShowColorSwatch(color);
}

void CLightControlUI::ShowColorSwatch(dui::Color color) {
    if (auto* palette = SubAs<dui::ColorPalette>(kPalette)) {
        palette->SetSelectColor(color);
    }
    if (dui::Control* display = Sub(kColorDisplay)) {
        display->SetBkColor(color);
    }
}

void CLightControlUI::ShowDirection(bool first) {
    if (auto* check = SubAs<dui::CheckBox>(kFirstDirection)) {
        check->SetCheck(first, false);
    }
    if (auto* check = SubAs<dui::CheckBox>(kSecondDirection)) {
        check->SetCheck(!first, false);
    }
}

CLightControlUI* CLightControlUI::Of(device::CTalvexUSBDevice& page) {
    if (auto* panel = dynamic_cast<CLightControlUI*>(page.LightingPanel())) {
        return panel;
    }
    return dynamic_cast<CLightControlUI*>(page.FindSubControl(kLightControlName));
}

}  // namespace calvorn::ui
