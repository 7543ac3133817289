#include "ui/lighting/light_control_ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dui/check_box.h"
#include "dui/combo.h"
#include "dui/list_label_element.h"
#include "dui/slider.h"
#include "ui/lighting/light_layout_table.h"
#include "ui/lighting/lighting_test_support.h"

namespace calvorn::ui {
namespace {

using testing::RecordingDevice;

// The table columns as letters: E enabled, D disabled, - unchanged; in the order effect,
// multi-colour, colour, palette, brightness, speed, direction; then 'y' when same mode is
// offered, 'n' when not, '-' when the type leaves it.
std::string Columns(const LightLayoutRow& row) {
    auto letter = [](Switch s) {
        return s == Switch::kEnable ? 'E' : s == Switch::kDisable ? 'D' : '-';
    };
    std::string out;
    for (Switch s : {row.effect, row.multi_color, row.color, row.palette, row.brightness, row.speed,
                     row.direction}) {
        out += letter(s);
    }
    out += row.same_mode_applies ? (row.same_mode ? 'y' : 'n') : '-';
    return out;
}

TEST(LightLayoutTableTest, RowsPerLayoutTypeAndMode) {
    struct Case {
        int type;
        int mode;
        const char* columns;
    };
    const Case cases[] = {
        {1, 1, "EEEEEE-n"},  {1, 3, "EEEEEE-n"},  {1, 4, "EDDDEEDy"},  {1, 5, "EEEEEEDy"},
        {1, 25, "EEEEEEDy"}, {1, 6, "EEEEEDDy"},  {1, 9, "EEEEEEDn"},  {1, 30, "EEEEEEDn"},
        {1, 11, "EDDDEEDn"}, {1, 12, "EDDDEE-n"}, {1, 17, "EDDDEEDn"}, {1, 18, "EDDDEEEn"},
        {1, 20, "EDEEEDDn"}, {1, 23, "EDDDEEDn"}, {1, 24, "EDDDDDDy"}, {1, 26, "EEEEEE-n"},
        {1, 0, "EDDDDDDn"},  {1, 19, "EDDDDDDn"}, {1, 31, "EDDDDDDn"}, {2, 0, "EEEEEEEn"},
        {2, 5, "EEEEEEEn"},  {2, 1, "EDDDEEDy"},  {2, 2, "EEEEEEEy"},  {2, 3, "EDEEEDDy"},
        {2, 4, "EEEEEEDy"},  {2, 7, "EDDDEEDn"},  {2, 8, "EDDDDDDy"},  {2, 9, "EDDDDDDn"},
        {3, 0, "EEEEEEEn"},  {4, 4, "EEEEEEDy"},  {7, 3, "EDEEEDDy"},  {3, 5, "EDDDDDDn"},
        {7, 8, "EDDDDDDy"},  {5, 2, "EEEEEE--"},  {5, 1, "EDEEED--"},  {5, 4, "EDDDEE--"},
        {5, 8, "EDDDDD--"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " mode " + std::to_string(c.mode));
        const std::optional<LightLayoutRow> row = LightLayoutRowFor(c.type, c.mode);
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(Columns(*row), c.columns);
    }
    for (int type : {0, 6, 8}) {
        EXPECT_FALSE(LightLayoutRowFor(type, 5).has_value()) << type;
        EXPECT_FALSE(LightLayoutPreambleFor(type).has_value()) << type;
    }
}

class LightControlTest : public testing::LightingWindow {
protected:
    LightControlTest() { page = AddPage(discovery::DEVICE_KEYBOARD, 1); }

    bool Enabled(std::string_view name) { return In(page, name)->IsEnabled(); }
    bool Shown(std::string_view name) { return In(page, name)->GetVisibleFlag(); }
    std::string Text(std::string_view name) { return In(page, name)->GetRawText(); }

    RecordingDevice* page = nullptr;
};

TEST_F(LightControlTest, ModeLayoutSwitchesGroupsShowsAndRenamesControls) {
    CLightControlUI& panel = Panel(page);
    panel.SetMultiDevice(true);

    panel.ApplyModeLayout(17);
    EXPECT_FALSE(Shown("deng_speed_layout"));
    EXPECT_TRUE(Shown("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_FALSE(Enabled("light_color_layout"));
    EXPECT_FALSE(Enabled("deng_FXL_check"));
    EXPECT_FALSE(Shown("deng_same_mode"));

    // The type's preamble undoes what the last mode switched.
    panel.ApplyModeLayout(18);
    EXPECT_TRUE(Shown("deng_speed_layout"));
    EXPECT_FALSE(Shown("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_TRUE(Enabled("deng_FXR_check"));
    EXPECT_EQ(Text("deng_FXL_check"), "light_set_inside_to_outside_text");
    EXPECT_EQ(Text("deng_FXR_check"), "light_set_outside_to_inside_text");

    panel.ApplyModeLayout(20);
    EXPECT_TRUE(Shown("lightcustom_layout"));
    EXPECT_FALSE(Shown("deng_speed_layout"));
    EXPECT_TRUE(Enabled("deng_color_layout"));
    EXPECT_FALSE(Enabled("deng_7color_check"));
    EXPECT_EQ(Text("deng_FXL_check"), "light_set_right_to_left_text");

    panel.ApplyModeLayout(6);
    EXPECT_TRUE(Shown("deng_same_mode"));
    EXPECT_FALSE(Enabled("deng_speed_layout"));
    EXPECT_FALSE(Shown("lightcustom_layout"));
}

TEST_F(LightControlTest, SameModeButtonNeedsBothTheTableAndMoreThanOneDevice) {
    CLightControlUI& panel = Panel(page);
    panel.ApplyModeLayout(5);
    EXPECT_FALSE(Shown("deng_same_mode")) << "one device";

    panel.SetMultiDevice(true);
    panel.ApplyModeLayout(5);
    EXPECT_TRUE(Shown("deng_same_mode"));

    panel.SetMultiDevice(false);
    EXPECT_FALSE(Shown("deng_same_mode"));

    panel.SetMultiDevice(true);
    panel.ApplyModeLayout(7);
    EXPECT_FALSE(Shown("deng_same_mode"));
}

TEST_F(LightControlTest, LayoutTypeSixAppliesNoTable) {
    CLightControlUI& panel = Panel(page);
    panel.SetLayoutType(kLayoutTypeWithoutTable);
    In(page, "deng_light_layout")->SetEnabled(false);
    panel.ApplyModeLayout(5);
    EXPECT_FALSE(Enabled("deng_light_layout"));
    EXPECT_TRUE(Enabled("deng_color_layout"));
}

TEST_F(LightControlTest, ConfigureAndShowRecordFillEveryControl) {
    CLightControlUI& panel = Panel(page);
    const std::vector<std::string> names = {"light_mode_a", "light_mode_b", "light_mode_c",
                                            "light_mode_d", "light_mode_e", "light_mode_f"};
    panel.Configure(names, std::vector<bool>{true, false, true, true, true, true}, 5, 4);
    auto* combo = In<dui::Combo>(page, "light_combo_modeSelect");
    ASSERT_EQ(combo->GetCount(), 6);
    EXPECT_EQ(combo->GetItemAt(1)->GetUserData(), "light_mode_b");
    EXPECT_EQ(combo->GetItemAt(1)->GetFixedHeight(), kModeRowHeight);
    EXPECT_FALSE(combo->GetItemAt(1)->GetVisibleFlag());
    EXPECT_EQ(In<dui::Slider>(page, "deng_light_slider")->GetMaxValue(), 5);
    EXPECT_EQ(In<dui::Slider>(page, "deng_speed_slider")->GetMaxValue(), 4);
    auto* secondary = In<dui::Combo>(page, "light_combo_ZZCCmodeSelect");
    for (int i = 0; i < 3; ++i) {
        secondary->Add(std::make_unique<dui::ListLabelElement>());
    }

    // Mode 4, brightness 3, speed 2, backwards; no multi-colour; 0x12, 0x34, 0x56; secondary 2.
    panel.ShowRecord(0x00020304, 0x56341200, 0x02000000);

    EXPECT_EQ(panel.GetMode(), 4);
    EXPECT_EQ(panel.GetBrightness(), 3);
    EXPECT_EQ(panel.GetSpeed(), 2);
    EXPECT_EQ(panel.GetComponentText(ColorComponent::kRed), "18");
    EXPECT_EQ(panel.GetComponentText(ColorComponent::kGreen), "52");
    EXPECT_EQ(panel.GetComponentText(ColorComponent::kBlue), "86");
    EXPECT_EQ(panel.GetPaletteColor(), 0xFF123456u);
    EXPECT_EQ(In(page, "deng_colordp_btn")->GetBkColor(), 0xFF123456u);
    EXPECT_FALSE(panel.GetMultiColor());
    EXPECT_EQ(panel.GetSecondaryMode(), 2);
    EXPECT_FALSE(In<dui::CheckBox>(page, "deng_FXL_check")->GetCheck());
    EXPECT_TRUE(In<dui::CheckBox>(page, "deng_FXR_check")->GetCheck());
    EXPECT_FALSE(Enabled("deng_color_layout")) << "mode 4 of type 1 has no colour";
    EXPECT_EQ(panel.GetPresetColor(1), 0xFFFF0000u);
}

TEST(LightControlMissingPartsTest, GettersFallBackAndSettersDoNothing) {
    CLightControlUI panel;
    panel.SetLayoutType(1);
    panel.ShowRecord(0x01020305, 0x00FFFFFF, 0);
    panel.ApplyModeLayout(5);
    panel.SetMultiDevice(true);
    EXPECT_EQ(panel.GetMode(), -1);
    EXPECT_EQ(panel.GetCustomMode(), -1);
    EXPECT_EQ(panel.GetSecondaryMode(), -1);
    EXPECT_EQ(panel.GetBrightness(), 0);
    EXPECT_EQ(panel.GetSpeed(), 0);
    EXPECT_EQ(panel.GetComponentText(ColorComponent::kGreen), "");
    EXPECT_EQ(panel.GetPaletteColor(), 0xFF000000u);
    EXPECT_FALSE(panel.GetMultiColor());
    EXPECT_EQ(panel.GetPresetColor(3), 0u);
}

}  // namespace
}  // namespace calvorn::ui
