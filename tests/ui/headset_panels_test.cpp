#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dui/builder.h"
#include "dui/combo.h"
#include "dui/dui_fixture.h"
#include "dui/fake_window_host.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "ui/device_option_ui.h"
#include "ui/headset_magic_control_ui.h"
#include "ui/headset_voice7290_control_ui.h"

namespace calvorn::ui {
namespace {

// A headset page's two panels, included from their skin layouts.
class HeadsetPanelsTest : public ::testing::Test {
protected:
    HeadsetPanelsTest()
        : context(loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"), manager(context) {
        context.Resources().LoadIndex("res.xml");
        RegisterDeviceEntryControls(context.Factory());
        manager.SetHost(&host);
        manager.AddNotifier(&log);
        manager.SetRoot(dui::Builder(manager).BuildFromString(R"(
<VerticalLayout>
  <Include source="XML\CustomControlXML\MagicControl.xml"/>
  <Include source="XML\CustomControlXML\Voice7290Control.xml"/>
</VerticalLayout>)"));
        manager.SetWindowSize({900, 500});
        manager.UpdateLayout();
        log.Clear();
        magic = dynamic_cast<CMagicControlUI*>(manager.FindControl("MagicControlItem"));
        sound = dynamic_cast<CVoice7290ControlUI*>(manager.FindControl("Voice7290ControlItem"));
    }

    dui::Option* Option(std::string_view name) {
        return dynamic_cast<dui::Option*>(manager.FindControl(name));
    }
    // "1" or "0" per option, in order.
    std::string States(std::string_view prefix, int first, int last) {
        std::string states;
        for (int n = first; n <= last; ++n) {
            dui::Option* option = Option(std::string(prefix) + std::to_string(n));
            states += option != nullptr && option->IsSelected() ? '1' : '0';
        }
        return states;
    }

    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context;
    dui::PaintManager manager;
    dui::testing::FakeWindowHost host;
    dui::testing::NotifyLog log;
    CMagicControlUI* magic = nullptr;
    CVoice7290ControlUI* sound = nullptr;
};

TEST_F(HeadsetPanelsTest, LayoutsBuildBothPanelsWithTheirNamedChildren) {
    ASSERT_NE(magic, nullptr);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(magic->GetClass(), "MagicControl");
    EXPECT_EQ(sound->GetClass(), "Voice7290Control");
    std::vector<std::string> magic_children = {"magic_option_layout", "magic_enable_option"};
    for (int n = 1; n <= kVoiceEffectCount; ++n) {
        magic_children.push_back("magic_option_" + std::to_string(n));
    }
    for (const std::string& name : magic_children) {
        EXPECT_NE(magic->FindSubControl(name), nullptr) << name;
    }
    std::vector<std::string> sound_children = {
        "custom_eq_option_layout", "7290_MicIn_option",      "7290_MicMoniter_option",
        "7290_MicIn_slider",       "7290_MicMoniter_slider", "custom_eq_name_edit",
        "custom_eq_name_combo",    "hs_EQ_btn_save",         "hs_EQ_btn_delete"};
    for (int n = 1; n <= kCustomEqOption; ++n) {
        sound_children.push_back("7290_eq_option_" + std::to_string(n));
    }
    for (int band = 0; band < kEqBandCount; ++band) {
        sound_children.push_back("7290_eq_hz_slider_" + std::to_string(band));
    }
    for (const std::string& name : sound_children) {
        EXPECT_NE(sound->FindSubControl(name), nullptr) << name;
    }
    // Every built-in band value fits the layout's band sliders.
    for (int option = 1; option <= kBuiltInEqPresetCount; ++option) {
        for (int band = 0; band < kEqBandCount; ++band) {
            sound->SetBand(band, (*BuiltInEqPreset(option))[static_cast<std::size_t>(band)]);
            EXPECT_EQ(sound->Band(band),
                      (*BuiltInEqPreset(option))[static_cast<std::size_t>(band)]);
        }
    }
}

TEST_F(HeadsetPanelsTest, VoiceChangerSwitchEnablesTheEffects) {
    ASSERT_NE(magic, nullptr);
    dui::Control* effects = magic->FindSubControl("magic_option_layout");
    magic->SetVoiceChanger(true);
    EXPECT_TRUE(magic->IsVoiceChangerOn());
    EXPECT_TRUE(effects->IsEnabled());
    magic->SetVoiceChanger(false);
    EXPECT_FALSE(magic->IsVoiceChangerOn());
    EXPECT_FALSE(effects->IsEnabled());
    magic->EnableEffects(true);
    EXPECT_TRUE(effects->IsEnabled());
    EXPECT_FALSE(magic->IsVoiceChangerOn());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(HeadsetPanelsTest, SelectEffectChecksExactlyOneEffect) {
    ASSERT_NE(magic, nullptr);
    struct Case {
        int effect;
        int stored;
        const char* states;
    };
    const Case cases[] = {{2, 2, "0100"}, {4, 4, "0001"}, {1, 1, "1000"}, {5, 0, "0000"},
                          {3, 3, "0010"}, {0, 0, "0000"}, {-1, 0, "0000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        magic->SelectEffect(c.effect);
        EXPECT_EQ(magic->SelectedEffect(), c.stored);
        EXPECT_EQ(States("magic_option_", 1, kVoiceEffectCount), c.states);
    }
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(HeadsetPanelsTest, SelectEqOptionChecksExactlyOneOption) {
    ASSERT_NE(sound, nullptr);
    struct Case {
        int option;
        int stored;
        const char* states;
    };
    const Case cases[] = {{1, 1, "1000000000000"},   {12, 12, "0000000000010"},
                          {13, 13, "0000000000001"}, {14, 0, "0000000000000"},
                          {7, 7, "0000001000000"},   {0, 0, "0000000000000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        sound->SelectEqOption(c.option);
        EXPECT_EQ(sound->SelectedEqOption(), c.stored);
        EXPECT_EQ(States("7290_eq_option_", 1, kCustomEqOption), c.states);
    }
    sound->EnableCustomEq(true);
    EXPECT_TRUE(sound->FindSubControl("custom_eq_option_layout")->IsEnabled());
    sound->EnableCustomEq(false);
    EXPECT_FALSE(sound->FindSubControl("7290_eq_hz_slider_3")->IsEnabled());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(HeadsetPanelsTest, BandsSwitchesAndLevels) {
    ASSERT_NE(sound, nullptr);
    sound->SetBand(0, 7);
    sound->SetBand(9, -11);
    EXPECT_EQ(sound->Band(0), 7);
    EXPECT_EQ(sound->Band(9), -11);
    for (int band : {-1, 10}) {
        sound->SetBand(band, 5);
        EXPECT_EQ(sound->Band(band), -1) << band;
    }

    sound->SetMicrophoneOn(true);
    sound->SetMonitorOn(false);
    EXPECT_TRUE(Option("7290_MicIn_option")->IsSelected());
    EXPECT_FALSE(Option("7290_MicMoniter_option")->IsSelected());
    sound->SetMicrophoneOn(false);
    sound->SetMonitorOn(true);
    EXPECT_FALSE(Option("7290_MicIn_option")->IsSelected());
    EXPECT_TRUE(Option("7290_MicMoniter_option")->IsSelected());

    sound->SetMicrophoneLevel(64);
    sound->SetMonitorLevel(12);
    EXPECT_EQ(sound->MicrophoneLevel(), 64);
    EXPECT_EQ(sound->MonitorLevel(), 12);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(HeadsetPanelsTest, UserPresetList) {
    ASSERT_NE(sound, nullptr);
    for (const char* name : {"Bass", "kb_device_name_text", "Voice"}) {
        sound->AddPresetName(name);
    }
    ASSERT_EQ(sound->PresetCount(), 3);
    EXPECT_EQ(sound->PresetSelection(), -1);
    auto* combo = dynamic_cast<dui::Combo*>(manager.FindControl("custom_eq_name_combo"));
    const dui::Control* row = combo->GetItemAt(1);
    EXPECT_EQ(row->GetFixedHeight(), kEqPresetRowHeight);
    EXPECT_EQ(row->GetUserData(), "kb_device_name_text");
    EXPECT_FALSE(row->IsResourceText());
    EXPECT_EQ(sound->PresetNameAt(1), "kb_device_name_text");
    EXPECT_EQ(sound->PresetNameAt(3), "");
    EXPECT_EQ(sound->PresetNameAt(-1), "");

    // Names are compared without regard to case.
    EXPECT_EQ(sound->FindPreset("BASS"), 0);
    EXPECT_EQ(sound->FindPreset("voice"), 2);
    EXPECT_EQ(sound->FindPreset("Treble"), -1);

    sound->SetPresetName("Treble");
    EXPECT_EQ(sound->PresetName(), "Treble");
    sound->SelectPreset(2);
    EXPECT_EQ(sound->PresetSelection(), 2);
    EXPECT_EQ(sound->PresetName(), "");
    sound->SetPresetName("Treble");
    sound->SelectPreset(-1);
    EXPECT_EQ(sound->PresetSelection(), -1);
    EXPECT_EQ(sound->PresetName(), "");
    EXPECT_TRUE(log.Lines().empty());

    sound->SelectPreset(2);
    sound->RemovePreset(0);
    EXPECT_EQ(sound->PresetCount(), 2);
    EXPECT_EQ(sound->PresetSelection(), 1);
    EXPECT_EQ(sound->PresetNameAt(1), "Voice");
    sound->RemovePreset(5);
    EXPECT_EQ(sound->PresetCount(), 2);
    sound->RemoveAllPresets();
    EXPECT_EQ(sound->PresetCount(), 0);
    EXPECT_EQ(sound->PresetSelection(), -1);
}

TEST(HeadsetPanelsStandaloneTest, PanelsWithoutChildrenGiveTheDefaults) {
    CMagicControlUI magic;
    magic.SetVoiceChanger(true);
    EXPECT_FALSE(magic.IsVoiceChangerOn());
    magic.SelectEffect(3);
    EXPECT_EQ(magic.SelectedEffect(), 3);

    CVoice7290ControlUI sound;
    sound.SetBand(2, 4);
    sound.SetMicrophoneLevel(50);
    sound.SetMonitorLevel(50);
    sound.SetPresetName("Bass");
    sound.AddPresetName("Bass");
    sound.SelectPreset(0);
    EXPECT_EQ(sound.Band(2), -1);
    EXPECT_EQ(sound.MicrophoneLevel(), -1);
    EXPECT_EQ(sound.MonitorLevel(), -1);
    EXPECT_EQ(sound.PresetName(), "");
    EXPECT_EQ(sound.PresetCount(), 0);
    EXPECT_EQ(sound.PresetSelection(), -1);
    EXPECT_EQ(sound.PresetNameAt(0), "");
    EXPECT_EQ(sound.FindPreset("Bass"), -1);
    sound.SelectEqOption(13);
    EXPECT_EQ(sound.SelectedEqOption(), 13);
}

TEST(BuiltInEqPresetTest, OnlyTheTwelvePresetsHaveBandValues) {
    for (int option : {-1, 0, 13}) {
        EXPECT_EQ(BuiltInEqPreset(option), nullptr) << option;
    }
    ASSERT_NE(BuiltInEqPreset(5), nullptr);
    EXPECT_EQ(*BuiltInEqPreset(5), EqBands{});
    EXPECT_EQ(*BuiltInEqPreset(1), (EqBands{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(*BuiltInEqPreset(12), (EqBands{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
}

}  // namespace
}  // namespace calvorn::ui
