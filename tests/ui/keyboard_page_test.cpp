#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "device/keyboard_device.h"
#include "dui/builder.h"
#include "dui/container.h"
#include "dui/fake_window_host.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/progress.h"
#include "dui/recording_render_engine.h"
#include "dui/tab_layout.h"
#include "dui/ui_context.h"
#include "hid/virtual_hid_backend.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "ui/controls/custom_controls.h"
#include "ui/controls/device_key_button.h"

namespace calvorn::ui {
namespace {

namespace fs = std::filesystem;
using device::CTalvexKeyboardDevice;

constexpr int kVariants = 7;
const std::set<int> kKeysNotOnTheBoard = {18, 19, 20, 104};

// The keyboard page built from the shipped layout, as the main window builds it.
class KeyboardPageTest : public ::testing::Test {
protected:
    KeyboardPageTest() {
        RegisterCustomControls(context.Factory());
        manager.SetHost(&host);
        std::unique_ptr<dui::Control> root = dui::Builder(manager).Build(
            "XML\\DeviceXml\\keyboarddevice.xml",
            [this](std::string_view class_name) -> std::unique_ptr<dui::Control> {
                if (class_name == "TalvexKeyboardDevice") {
                    return std::make_unique<CTalvexKeyboardDevice>(backend);
                }
                return nullptr;
            });
        page = dynamic_cast<CTalvexKeyboardDevice*>(root.get());
        if (page == nullptr) {
            ADD_FAILURE() << "the layout did not build a keyboard page";
            return;
        }
        page->SetPageLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
        page->SetKeyCount(126);
        page->SetLedCount(126);
        page->BindPage();
        manager.SetRoot(std::move(root));
        manager.SetWindowSize({599, 519});
        manager.UpdateLayout();
    }

    dui::Container* Panel(int variant) const {
        return dynamic_cast<dui::Container*>(
            page->FindSubControl("keyboard_device_key_light_" + std::to_string(variant)));
    }
    CDeviceKeyButtonUI* Key(int key) const {
        return dynamic_cast<CDeviceKeyButtonUI*>(page->KeyButton(key));
    }

    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context{loop, fs::path(CALVORN_SOURCE_DIR) / "skin"};
    dui::testing::FakeWindowHost host;
    dui::PaintManager manager{context};
    hid::VirtualHidBackend backend;
    CTalvexKeyboardDevice* page = nullptr;
};

TEST_F(KeyboardPageTest, EveryLayoutVariantHasOneButtonPerKeyOfTheBoard) {
    ASSERT_NE(page, nullptr);
    for (int variant = 0; variant < kVariants; ++variant) {
        SCOPED_TRACE(variant);
        dui::Container* panel = Panel(variant);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->GetClass(), "SelectPanel");
        std::set<int> keys;
        for (int i = 0; i < panel->GetCount(); ++i) {
            const dui::Control* button = panel->GetItemAt(i);
            ASSERT_EQ(button->GetClass(), "DeviceKeyButton");
            const int key = std::stoi(button->GetName().substr(4));
            EXPECT_EQ(button->GetName(), "key_" + std::to_string(key));
            EXPECT_EQ(button->GetUserData(), "light_" + std::to_string(key));
            keys.insert(key);
        }
        EXPECT_EQ(keys.size(), 126u - kKeysNotOnTheBoard.size());
        for (const int missing : kKeysNotOnTheBoard) {
            EXPECT_EQ(keys.count(missing), 0u);
        }
    }
}

TEST_F(KeyboardPageTest, ThePageBindsVariantZeroAndAttachRebindsTheProductsVariant) {
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->KeySelectionPanel(), Panel(0));
    for (int key = 0; key < 126; ++key) {
        SCOPED_TRACE(key);
        if (kKeysNotOnTheBoard.count(key) != 0) {
            EXPECT_EQ(page->KeyButton(key), nullptr);
            continue;
        }
        ASSERT_NE(Key(key), nullptr);
        EXPECT_EQ(Key(key)->GetParent(), Panel(0));
        EXPECT_EQ(page->LedButton(key), page->KeyButton(key));
        EXPECT_TRUE(Key(key)->IsLightShown());
        EXPECT_EQ(Key(key)->GetLightColor(), 0xFFFFFFu);
    }

    page->BindLayoutVariant(5);
    auto* layouts =
        dynamic_cast<dui::TabLayout*>(page->FindSubControl("keyboard_device_key_layout"));
    ASSERT_NE(layouts, nullptr);
    EXPECT_EQ(layouts->GetCurSel(), 5);
    EXPECT_EQ(page->KeySelectionPanel(), Panel(5));
    EXPECT_EQ(Key(0)->GetParent(), Panel(5));
    EXPECT_EQ(page->LayoutVariant(), 5);
}

TEST_F(KeyboardPageTest, LightFramesColourTheKeyCaps) {
    ASSERT_NE(page, nullptr);
    page->Colors().Set(0, {0x10, 0x80, 0xFF, 128});
    page->SendLightFrame();
    CDeviceKeyButtonUI* escape = Key(0);
    EXPECT_EQ(escape->GetLightColor(), 0x10u | (0xFFu << 8) | (0x80u << 16));
    EXPECT_EQ(escape->GetLightBrightness(), 128);

    dui::RecordingRenderEngine engine;
    manager.Paint(engine, escape->GetPos());
    const dui::Rect& pos = escape->GetPos();
    const std::string cap = "fillround " + std::to_string(pos.left + 1) + "," +
                            std::to_string(pos.top + 1) + "," + std::to_string(pos.right - 1) +
                            "," + std::to_string(pos.bottom - 1) + " r=4,4 #FF084080";
    const std::vector<std::string> calls = engine.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), cap), calls.end())
        << "the cap takes the colour at the key's brightness";

    page->SetHostLightControl(false);
    page->Colors().Set(0, {1, 2, 3, 255});
    page->SendLightFrame();
    EXPECT_EQ(escape->GetLightColor(), 0x10u | (0xFFu << 8) | (0x80u << 16)) << "host off";
}

TEST_F(KeyboardPageTest, TabsOptionsAndTheFnKey) {
    ASSERT_NE(page, nullptr);
    for (const char* tab :
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab",
          "7290_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}) {
        EXPECT_NE(page->FindSubControl(tab), nullptr) << tab;
    }
    auto* functions = dynamic_cast<dui::TabLayout*>(page->FindSubControl("device_function_switch"));
    auto* key_functions =
        dynamic_cast<dui::TabLayout*>(page->FindSubControl("device_key_function_switch"));
    ASSERT_NE(functions, nullptr);
    ASSERT_NE(key_functions, nullptr);
    EXPECT_EQ(key_functions->GetItemAt(0)->GetName(), "light_tab_page");
    EXPECT_EQ(page->LightingPanel(),
              dynamic_cast<device::ILightingPanel*>(page->FindSubControl("LightControlItem")));
    EXPECT_NE(page->LightingPanel(), nullptr);

    page->SelectFunctionTab(2);
    EXPECT_EQ(key_functions->GetCurSel(), 1);
    EXPECT_FALSE(Key(device::kFnLogicalKey)->IsEnabled());
    page->SelectFunctionTab(3);
    EXPECT_FALSE(Key(device::kFnLogicalKey)->IsEnabled()) << "other tabs leave it";
    page->SelectFunctionTab(1);
    EXPECT_TRUE(Key(device::kFnLogicalKey)->IsEnabled());
}

TEST_F(KeyboardPageTest, OptionControlsShowTheStoredOptions) {
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(context.Language().LoadFromString(
        R"(<Language name="en"><Text id="Repeat_Delay_Time" value="Delay "/></Language>)"));
    page->SetKeyboardOption(device::KeyboardOption::kRepeatDelay, 2);
    page->SetKeyboardOption(device::KeyboardOption::kPollingRate, 7);  // shown as option 0
    page->SetKeyboardOption(device::KeyboardOption::kWinLock, 1);
    page->SetKeyboardOption(device::KeyboardOption::kRepeatRate, 12);
    page->ApplyProfile();

    EXPECT_EQ(page->FindSubControl("repeat_delay_time_label1")->GetText(), "Delay 750ms");
    const auto selected = [&](const std::string& name) {
        return dynamic_cast<dui::Option*>(page->FindSubControl(name))->IsSelected();
    };
    EXPECT_TRUE(selected("repeat_delay_check_2"));
    EXPECT_TRUE(selected("polling_rate_option_0"));
    EXPECT_TRUE(selected("winlockflag_option"));
    EXPECT_FALSE(selected("wflag_option"));
    EXPECT_EQ(dynamic_cast<dui::Progress*>(page->FindSubControl("repeat_rate_slider"))->GetValue(),
              12);
}

}  // namespace
}  // namespace calvorn::ui
