#include "ui/headset_magic_control_ui.h"

#include <string>

#include "dui/option.h"

namespace calvorn::ui {
namespace {

constexpr std::string_view kEffectLayoutName = "magic_option_layout";
constexpr std::string_view kEnableOptionName = "magic_enable_option";
constexpr std::string_view kEffectOptionPrefix = "magic_option_";

}  // namespace

dui::Control* CMagicControlUI::EffectLayout() const {
    if (effect_layout_ == nullptr) {
        effect_layout_ = const_cast<CMagicControlUI&>(*this).FindSubControl(kEffectLayoutName);
    }
    return effect_layout_;
}

dui::Option* CMagicControlUI::EnableOption() const {
    if (enable_option_ == nullptr) {
        enable_option_ = dynamic_cast<dui::Option*>(
            const_cast<CMagicControlUI&>(*this).FindSubControl(kEnableOptionName));
    }
    return enable_option_;
}

void CMagicControlUI::EnableEffects(bool enabled) {
    if (dui::Control* layout = EffectLayout()) {
        layout->SetEnabled(enabled);
    }
}

void CMagicControlUI::SetVoiceChanger(bool on) {
    if (dui::Option* option = EnableOption()) {
        option->Selected(on, false);
    }
    EnableEffects(on);
}

bool CMagicControlUI::IsVoiceChangerOn() const {
    const dui::Option* option = EnableOption();
    return option != nullptr && option->IsSelected();
}

void CMagicControlUI::SelectEffect(int effect) {
    auto effect_option = [this](int n) {
        return dynamic_cast<dui::Option*>(
            FindSubControl(std::string(kEffectOptionPrefix) + std::to_string(n)));
    };
    for (int n = 1; n <= kVoiceEffectCount; ++n) {
        if (dui::Option* option = effect_option(n)) {
            option->Selected(false, false);
        }
    }
    selected_effect_ = effect >= 1 && effect <= kVoiceEffectCount ? effect : 0;
    if (selected_effect_ != 0) {
        if (dui::Option* option = effect_option(selected_effect_)) {
            option->Selected(true, false);
        }
    }
}

}  // namespace calvorn::ui
