#include "ui/headset_voice7290_control_ui.h"

#include <memory>

#include "dui/attributes.h"
#include "dui/combo.h"
#include "dui/list_label_element.h"
#include "dui/option.h"
#include "dui/slider.h"

namespace calvorn::ui {
namespace {

constexpr std::array<EqBands, kBuiltInEqPresetCount> kBuiltInEqPresets{{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

constexpr std::string_view kEqOptionPrefix = "7290_eq_option_";
constexpr std::string_view kBandSliderPrefix = "7290_eq_hz_slider_";

std::string Indexed(std::string_view prefix, int index) {
    return std::string(prefix) + std::to_string(index);
}

int ValueOf(const dui::Slider* slider) {
    return slider != nullptr ? slider->GetValue() : -1;
}

}  // namespace

const EqBands* BuiltInEqPreset(int option) {
    if (option < 1 || option > kBuiltInEqPresetCount) {
        return nullptr;
    }
    return &kBuiltInEqPresets[static_cast<std::size_t>(option - 1)];
}

template <typename T>
T* CVoice7290ControlUI::Child(T*& cache, std::string_view name) const {
    if (cache == nullptr) {
        cache = dynamic_cast<T*>(const_cast<CVoice7290ControlUI&>(*this).FindSubControl(name));
    }
    return cache;
}

dui::Control* CVoice7290ControlUI::CustomEqLayout() const {
    return Child(custom_eq_layout_, "custom_eq_option_layout");
}
dui::Option* CVoice7290ControlUI::MicrophoneOption() const {
    return Child(microphone_option_, "7290_MicIn_option");
}
dui::Option* CVoice7290ControlUI::MonitorOption() const {
    return Child(monitor_option_, "7290_MicMoniter_option");
}
dui::Slider* CVoice7290ControlUI::MicrophoneSlider() const {
    return Child(microphone_slider_, "7290_MicIn_slider");
}
dui::Slider* CVoice7290ControlUI::MonitorSlider() const {
    return Child(monitor_slider_, "7290_MicMoniter_slider");
}
dui::Control* CVoice7290ControlUI::NameEdit() const {
    return Child(name_edit_, "custom_eq_name_edit");
}
dui::Combo* CVoice7290ControlUI::PresetCombo() const {
    return Child(preset_combo_, "custom_eq_name_combo");
}

dui::Slider* CVoice7290ControlUI::BandSlider(int band) const {
    if (band < 0 || band >= kEqBandCount) {
        return nullptr;
    }
    return dynamic_cast<dui::Slider*>(
        const_cast<CVoice7290ControlUI&>(*this).FindSubControl(Indexed(kBandSliderPrefix, band)));
}

void CVoice7290ControlUI::EnableCustomEq(bool enabled) {
    if (dui::Control* layout = CustomEqLayout()) {
        layout->SetEnabled(enabled);
    }
}

void CVoice7290ControlUI::SelectEqOption(int option) {
    auto eq_option = [this](int n) {
        return dynamic_cast<dui::Option*>(FindSubControl(Indexed(kEqOptionPrefix, n)));
    };
    for (int n = 1; n <= kCustomEqOption; ++n) {
        if (dui::Option* found = eq_option(n)) {
            found->Selected(false, false);
        }
    }
    selected_eq_option_ = option >= 1 && option <= kCustomEqOption ? option : 0;
    if (selected_eq_option_ != 0) {
        if (dui::Option* found = eq_option(selected_eq_option_)) {
            found->Selected(true, false);
        }
    }
}

void CVoice7290ControlUI::SetBand(int band, int value) {
    if (dui::Slider* slider = BandSlider(band)) {
        slider->SetValue(value);
    }
}

int CVoice7290ControlUI::Band(int band) const {
    return ValueOf(BandSlider(band));
}

void CVoice7290ControlUI::SetMicrophoneOn(bool on) {
    if (dui::Option* option = MicrophoneOption()) {
        option->Selected(on, false);
    }
}

void CVoice7290ControlUI::SetMonitorOn(bool on) {
    if (dui::Option* option = MonitorOption()) {
        option->Selected(on, false);
    }
}

void CVoice7290ControlUI::SetMicrophoneLevel(int level) {
    if (dui::Slider* slider = MicrophoneSlider()) {
        slider->SetValue(level);
    }
}

int CVoice7290ControlUI::MicrophoneLevel() const {
    return ValueOf(MicrophoneSlider());
}

void CVoice7290ControlUI::SetMonitorLevel(int level) {
    if (dui::Slider* slider = MonitorSlider()) {
        slider->SetValue(level);
    }
}

int CVoice7290ControlUI::MonitorLevel() const {
    return ValueOf(MonitorSlider());
}

void CVoice7290ControlUI::SetPresetName(std::string_view name) {
    if (dui::Control* edit = NameEdit()) {
        edit->SetText(name);
    }
}

std::string CVoice7290ControlUI::PresetName() const {
    const dui::Control* edit = NameEdit();
    return edit != nullptr ? edit->GetText() : std::string();
}

void CVoice7290ControlUI::AddPresetName(std::string_view name) {
    dui::Combo* combo = PresetCombo();
    if (combo == nullptr) {
        return;
    }
    auto row = std::make_unique<dui::ListLabelElement>();
    row->SetFixedHeight(kEqPresetRowHeight);
    row->SetResourceText(false);
    row->SetText(name);
    row->SetUserData(name);
    combo->Add(std::move(row));
}

int CVoice7290ControlUI::PresetSelection() const {
    const dui::Combo* combo = PresetCombo();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

int CVoice7290ControlUI::PresetCount() const {
    const dui::Combo* combo = PresetCombo();
    return combo != nullptr ? combo->GetCount() : 0;
}

void CVoice7290ControlUI::SelectPreset(int index) {
    if (dui::Combo* combo = PresetCombo()) {
        combo->SelectItem(index, false, false);
    }
    SetPresetName("");
}

void CVoice7290ControlUI::RemovePreset(int index) {
    if (dui::Combo* combo = PresetCombo()) {
        combo->RemoveAt(index);
    }
}

void CVoice7290ControlUI::RemoveAllPresets() {
    if (dui::Combo* combo = PresetCombo()) {
        combo->RemoveAll();
    }
}

std::string CVoice7290ControlUI::PresetNameAt(int index) const {
    const dui::Combo* combo = PresetCombo();
    const dui::Control* row = combo != nullptr ? combo->GetItemAt(index) : nullptr;
    return row != nullptr ? row->GetText() : std::string();
}

int CVoice7290ControlUI::FindPreset(std::string_view name) const {
    for (int i = 0; i < PresetCount(); ++i) {
        if (dui::EqualsNoCase(PresetNameAt(i), name)) {
            return i;
        }
    }
    return -1;
}

}  // namespace calvorn::ui
