#include "ui/device_power_ui.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/supported_devices.h"
#include "dui/builder.h"
#include "dui/fake_window_host.h"
#include "dui/paint_manager.h"
#include "dui/progress.h"
#include "dui/ui_context.h"
#include "dui/vertical_layout.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "ui/device_option_ui.h"

namespace calvorn::ui {
namespace {

using discovery::DEVICE_KEYBOARD;
using discovery::DEVICE_MOUSE;
using discovery::DEVICE_MOUSEPAD;

// A power entry built from its skin layout.
class DevicePowerTest : public ::testing::Test {
protected:
    DevicePowerTest()
        : context(loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"), manager(context) {
        context.Resources().LoadIndex("res.xml");
        RegisterDeviceEntryControls(context.Factory());
        manager.SetHost(&host);
        manager.SetRoot(dui::Builder(manager).Build("XML\\CustomControlXML\\MpDevicePower.xml"));
        entry = dynamic_cast<CMpDevicePowerUI*>(manager.GetRoot());
    }

    dui::Control* Child(std::string_view name) { return entry->FindSubControl(name); }
    dui::Progress* Progress() {
        return dynamic_cast<dui::Progress*>(Child("device_Power_progress"));
    }
    void Show(std::vector<std::uint8_t> status) { entry->ShowStatus(status); }

    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context;
    dui::PaintManager manager;
    dui::testing::FakeWindowHost host;
    CMpDevicePowerUI* entry = nullptr;
};

TEST_F(DevicePowerTest, StatusShowsLevelStateAndWirelessLink) {
    struct Case {
        const char* what;
        int kind;
        std::vector<std::uint8_t> status;
        int progress_value;
        const char* text;
        bool progress_shown;
        const char* state_image;
        bool logo_before;
        bool logo_shown;
    };
    const Case cases[] = {
        {"wireless mouse charging",
         DEVICE_MOUSE,
         {45, 1, 7, 1},
         55,
         "45%",
         false,
         "file='power/wuxian_powering.png'",
         false,
         true},
        {"keyboard leaves the logo alone",
         DEVICE_KEYBOARD,
         {45, 1, 7, 1},
         55,
         "45%",
         false,
         "file='power/wuxian_powering.png'",
         false,
         false},
        {"wired mouse charging",
         DEVICE_MOUSE,
         {80, 1, 0, 0},
         20,
         "80%",
         true,
         "file='power/powering.png'",
         true,
         false},
        {"charged",
         DEVICE_MOUSE,
         {100, 0, 0, 0, 0, 0},
         0,
         "100%",
         true,
         "file='power/powered.png'",
         true,
         false},
        {"on battery",
         DEVICE_KEYBOARD,
         {5, 2, 0, 0, 0, 0},
         95,
         "5%",
         true,
         "file='power/power.png'",
         true,
         true},
        {"a short window reads as zeros",
         DEVICE_MOUSE,
         {57},
         43,
         "57%",
         true,
         "file='power/powered.png'",
         true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        entry->Initialise(c.kind, 0);
        Progress()->SetVisible(!c.progress_shown);
        Child("device_wuxian_logo")->SetVisible(c.logo_before);
        Show(c.status);
        EXPECT_EQ(Progress()->GetValue(), c.progress_value);
        EXPECT_EQ(Child("device_power_value")->GetText(), c.text);
        EXPECT_EQ(Progress()->GetVisibleFlag(), c.progress_shown);
        EXPECT_EQ(Child("device_power_status")->GetBkImage(), c.state_image);
        EXPECT_EQ(Child("device_wuxian_logo")->GetVisibleFlag(), c.logo_shown);
    }
}

TEST_F(DevicePowerTest, UnknownPowerStateKeepsProgressAndImage) {
    entry->Initialise(DEVICE_MOUSE, 0);
    Show({30, 1, 0, 1, 0, 0});
    Show({60, 3, 0, 0, 0, 0});
    EXPECT_EQ(Child("device_power_value")->GetText(), "60%");
    EXPECT_EQ(Progress()->GetValue(), 40);
    EXPECT_FALSE(Progress()->GetVisibleFlag());
    EXPECT_EQ(Child("device_power_status")->GetBkImage(), "file='power/wuxian_powering.png'");
    EXPECT_FALSE(Child("device_wuxian_logo")->GetVisibleFlag());
}

TEST_F(DevicePowerTest, MousepadShowsThePhoneOnThePad) {
    struct Case {
        std::vector<std::uint8_t> status;
        const char* tooltip;
        const char* image;
    };
    const Case cases[] = {
        {{50, 0, 0, 0, 0, 1}, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
        {{50, 0, 0, 0, 0, 2}, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
        {{50, 0, 0, 0, 0, 3}, "Phone_type_other", "file='power/Phone_type_other.png'"},
        {{50, 0, 0, 0, 0, 4}, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
        {{50, 0, 0, 0, 0, 0}, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
        {{50, 0, 0, 0}, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
    };
    entry->Initialise(DEVICE_MOUSEPAD, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tooltip);
        Child("device_phone_type")->SetToolTip("");
        Show(c.status);
        EXPECT_EQ(Child("device_phone_type")->GetToolTip(), c.tooltip);
        EXPECT_EQ(Child("device_phone_type")->GetBkImage(), c.image);
    }

    // Other kinds leave the phone alone.
    entry->Initialise(DEVICE_MOUSE, 0);
    Show({50, 0, 0, 0, 0, 1});
    EXPECT_EQ(Child("device_phone_type")->GetBkImage(), "file='power/Phone_type_no_device.png'");
}

TEST_F(DevicePowerTest, AMissingChildShowsNothing) {
    manager.SetRoot(dui::Builder(manager).BuildFromString(R"(
<MpDevicePower>
  <Label name="device_power_value"/>
  <Progress name="device_Power_progress"/>
  <Control name="device_power_status"/>
  <Control name="device_phone_type"/>
</MpDevicePower>)"));
    entry = dynamic_cast<CMpDevicePowerUI*>(manager.GetRoot());
    ASSERT_NE(entry, nullptr);
    entry->Initialise(DEVICE_MOUSEPAD, 0);
    Show({45, 2, 0, 1, 0, 1});
    EXPECT_EQ(Child("device_power_value")->GetText(), "");
    EXPECT_EQ(Progress()->GetValue(), 0);
    EXPECT_EQ(Child("device_power_status")->GetBkImage(), "");
    EXPECT_EQ(Child("device_phone_type")->GetBkImage(), "");
    entry->ShowPowerLayout(true);  // no layout: nothing happens
}

TEST_F(DevicePowerTest, PowerLayoutFollowsThePowerValue) {
    entry->ShowPowerLayout(false);
    EXPECT_FALSE(Child("device_power_Layout")->GetVisibleFlag());
    entry->ShowPowerLayout(true);
    EXPECT_TRUE(Child("device_power_Layout")->GetVisibleFlag());
}

}  // namespace
}  // namespace calvorn::ui
