#include "ui/lighting/lighting_handlers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dui/check_box.h"
#include "dui/color_palette.h"
#include "dui/combo.h"
#include "dui/list_label_element.h"
#include "dui/slider.h"
#include "ui/lighting/lighting_test_support.h"

namespace calvorn::ui {
namespace {

using testing::kCommitCalls;
using testing::RecordingDevice;

class LightingHandlersTest : public testing::LightingWindow {
protected:
    LightingHandlersTest() {
        page = AddPage(discovery::DEVICE_KEYBOARD);
        // Mode 5, brightness 4, speed 2, forward; multi-colour; red 10, green 20, blue 30;
        // secondary mode 0.
        page->SetRecord(0x01020405, 0x1E140A01, 0x00000000, 0x00000007);
        Panel(page).Configure(std::vector<std::string>(30, "mode"), {}, 5, 4);
        Panel(page).ShowRecord(0x01020405, 0x1E140A01, 0);
        page->calls.clear();
    }

    LightingHandlers MakeHandlers(RecordingDevice* current) {
        LightingHost host_side;
        host_side.current_page = [current] { return current; };
        host_side.screen_size = [] { return testing::kScreen; };
        return LightingHandlers(std::move(host_side), clock);
    }

    RecordingDevice* page = nullptr;
};

TEST_F(LightingHandlersTest, ColourEditsClampToAByteAndShowWhatWasStored) {
    struct Case {
        const char* edit;
        const char* typed;
        int byte;
        int stored;
        const char* shown;
    };
    const Case cases[] = {
        {"deng_edit_G", "300", 6, 255, "255"}, {"deng_edit_G", "", 6, 0, "0"},
        {"deng_edit_R", "42", 5, 42, "42"},    {"deng_edit_B", "-7", 7, 0, "0"},
        {"deng_edit_B", "abc", 7, 0, "0"},     {"deng_edit_R", "99999999999", 5, 255, "255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " <- \"" + c.typed + "\"");
        page->SetRecord(0x01020405, 0x1E140A01);
        page->SetSyncLighting(true);
        page->calls.clear();
        LightingHandlers handlers = MakeHandlers(page);

        In(page, c.edit)->SetText(c.typed);
        EXPECT_TRUE(Send(handlers, page, "killfocus", c.edit));

        EXPECT_EQ(page->RecordByte(c.byte), c.stored);
        EXPECT_EQ(In(page, c.edit)->GetText(), c.shown);
        EXPECT_EQ(page->RecordByte(4), 0) << "a typed colour ends multi-colour cycling";
        EXPECT_FALSE(Panel(page).GetMultiColor());
        EXPECT_FALSE(page->SyncLighting());
        const dui::Color expected = 0xFF000000u | (page->RecordByte(5) << 16) |
                                    (page->RecordByte(6) << 8) | page->RecordByte(7);
        EXPECT_EQ(In(page, "deng_colordp_btn")->GetBkColor(), expected);
        EXPECT_EQ(page->calls, kCommitCalls);
    }
}

TEST_F(LightingHandlersTest, EachEditStoresItsByteAndSaysWhetherTheDeviceStaysSynchronised) {
    auto pick = [](dui::Combo* combo, int index) { combo->SelectItem(index, false, false); };
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* type;
        const char* name;
        int byte;
        int value;
        bool stays_synchronised;
    };
    const std::vector<Case> cases = {
        {"mode", [&] { pick(In<dui::Combo>(page, "light_combo_modeSelect"), 24); }, "itemselect",
         "light_combo_modeSelect", 0, 24, false},
        {"brightness", [&] { In<dui::Slider>(page, "deng_light_slider")->SetValue(2); },
         "valuechanged", "deng_light_slider", 1, 2, false},
        {"speed", [&] { In<dui::Slider>(page, "deng_speed_slider")->SetValue(0); }, "valuechanged",
         "deng_speed_slider", 2, 0, false},
        {"secondary mode",
         [&] {
             auto* combo = In<dui::Combo>(page, "light_combo_ZZCCmodeSelect");
             for (int i = 0; i < 4; ++i) {
                 combo->Add(std::make_unique<dui::ListLabelElement>());
             }
             pick(combo, 3);
         },
         "itemselect", "light_combo_ZZCCmodeSelect", 11, 3, true},
        {"multi-colour off",
         [&] { In<dui::CheckBox>(page, "deng_7color_check")->SetCheck(false, false); },
         "selectchanged", "deng_7color_check", 4, 0, false},
        {"preset colour", [] {}, "click", "color_option_4", 6, 0xFF, true},
        {"palette",
         [&] { In<dui::ColorPalette>(page, "deng_Color_Pallet")->SetSelectColor(0xFF0000FF); },
         "colorchanged", "deng_Color_Pallet", 7, 0xFF, false},
        {"direction", [] {}, "selectchanged", "deng_FXR_check", 3, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page->SetRecord(0x01020405, 0x1E140A01);
        page->SetSyncLighting(true);
        page->calls.clear();
        LightingHandlers handlers = MakeHandlers(page);

        c.act();
        EXPECT_TRUE(Send(handlers, page, c.type, c.name));

        EXPECT_EQ(page->RecordByte(c.byte), c.value);
        EXPECT_EQ(page->SyncLighting(), c.stays_synchronised);
        EXPECT_EQ(page->calls, kCommitCalls);
    }
}

TEST_F(LightingHandlersTest, PresetColourShowsInTheEditsAndEndsCycling) {
    LightingHandlers handlers = MakeHandlers(page);
    ASSERT_TRUE(Panel(page).GetMultiColor());

    EXPECT_TRUE(Send(handlers, page, "click", "color_option_2"));  // #FFFF8000

    EXPECT_EQ(page->RecordByte(4), 0);
    EXPECT_EQ(page->RecordByte(5), 0xFF);
    EXPECT_EQ(page->RecordByte(6), 0x80);
    EXPECT_EQ(page->RecordByte(7), 0x00);
    EXPECT_EQ(Panel(page).GetComponentText(ColorComponent::kRed), "255");
    EXPECT_EQ(Panel(page).GetComponentText(ColorComponent::kGreen), "128");
    EXPECT_EQ(Panel(page).GetComponentText(ColorComponent::kBlue), "0");
    EXPECT_FALSE(Panel(page).GetMultiColor());
    EXPECT_EQ(In(page, "deng_colordp_btn")->GetBkColor(), 0xFFFF8000u);
}

TEST_F(LightingHandlersTest, DirectionChecksBehaveAsAPairWhicheverIsClicked) {
    LightingHandlers handlers = MakeHandlers(page);
    auto* first = In<dui::CheckBox>(page, "deng_FXL_check");
    auto* second = In<dui::CheckBox>(page, "deng_FXR_check");
    ASSERT_TRUE(first->GetCheck());

    second->SetCheck(true, false);
    Send(handlers, page, "selectchanged", "deng_FXR_check");
    EXPECT_EQ(page->RecordByte(3), 0);
    EXPECT_FALSE(first->GetCheck());
    EXPECT_TRUE(second->GetCheck());

    // A click on the checked one toggles it off in the control; the pair keeps it chosen.
    second->SetCheck(false, false);
    Send(handlers, page, "selectchanged", "deng_FXR_check");
    EXPECT_EQ(page->RecordByte(3), 0);
    EXPECT_FALSE(first->GetCheck());
    EXPECT_TRUE(second->GetCheck());

    Send(handlers, page, "selectchanged", "deng_FXL_check");
    EXPECT_EQ(page->RecordByte(3), 1);
    EXPECT_TRUE(first->GetCheck());
    EXPECT_FALSE(second->GetCheck());
}

TEST_F(LightingHandlersTest, KeyboardOnlyEditsLeaveOtherKindsAlone) {
    RecordingDevice* mouse = AddPage(discovery::DEVICE_MOUSE, 2);
    mouse->SetRecord(0x01020402, 0);
    mouse->SetSyncLighting(true);
    LightingHost host_side;
    host_side.current_page = [mouse] { return mouse; };
    host_side.screen_size = [] { return testing::kScreen; };
    int custom_calls = 0;
    host_side.select_custom_mode = [&](device::CTalvexUSBDevice&, int) { ++custom_calls; };
    host_side.custom_colouring = [&](device::CTalvexUSBDevice&, bool) { ++custom_calls; };
    LightingHandlers handlers(std::move(host_side), clock);

    auto* secondary = In<dui::Combo>(mouse, "light_combo_ZZCCmodeSelect");
    secondary->Add(std::make_unique<dui::ListLabelElement>());
    secondary->SelectItem(0, false, false);
    EXPECT_TRUE(Send(handlers, mouse, "itemselect", "light_combo_ZZCCmodeSelect"));
    EXPECT_TRUE(Send(handlers, mouse, "click", "custom_bright_color_btn"));

    EXPECT_EQ(custom_calls, 0);
    EXPECT_TRUE(mouse->calls.empty());
    EXPECT_TRUE(mouse->SyncLighting());
}

TEST_F(LightingHandlersTest, CustomModeGoesToTheKeyboardPageAndSavesWithoutAWrite) {
    LightingHost host_side;
    host_side.current_page = [this] { return page; };
    std::vector<std::string> custom;
    host_side.select_custom_mode = [&](device::CTalvexUSBDevice&, int index) {
        custom.push_back("mode " + std::to_string(index));
    };
    host_side.custom_colouring = [&](device::CTalvexUSBDevice&, bool lit) {
        custom.push_back(lit ? "lit" : "off");
    };
    LightingHandlers handlers(std::move(host_side), clock);
    page->SetSyncLighting(true);

    auto* combo = In<dui::Combo>(page, "light_combo_custommodeSelect");
    combo->Add(std::make_unique<dui::ListLabelElement>());
    combo->Add(std::make_unique<dui::ListLabelElement>());
    combo->SelectItem(1, false, false);
    Send(handlers, page, "itemselect", "light_combo_custommodeSelect");
    EXPECT_EQ(page->calls, std::vector<std::string>{"SaveProfile"});
    EXPECT_FALSE(page->SyncLighting());

    page->calls.clear();
    Send(handlers, page, "click", "custom_bright_color_btn");
    Send(handlers, page, "click", "custom_off_color_btn");
    EXPECT_TRUE(page->calls.empty());
    EXPECT_EQ(custom, (std::vector<std::string>{"mode 1", "lit", "off"}));
}

// Forwards the window's notifications to the handlers, as the main window does.
class Forwarder : public dui::INotifyReceiver {
public:
    explicit Forwarder(LightingHandlers& handlers) : handlers_(handlers) {}
    void OnNotify(dui::Notify& notify) override {
        if (handlers_.HandleNotify(notify)) {
            taken.push_back(notify.type + ":" + notify.sender->GetName());
        }
    }
    std::vector<std::string> taken;

private:
    LightingHandlers& handlers_;
};

TEST_F(LightingHandlersTest, TheWindowsOwnNotificationsReachTheHandlers) {
    LightingHandlers handlers = MakeHandlers(page);
    Forwarder forward(handlers);
    manager.AddNotifier(&forward);

    const dui::Rect& swatch = In(page, "color_option_6")->GetPos();  // #FF0000FF
    const dui::Point centre{(swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2};
    manager.OnMouseMove(centre, 0);
    manager.OnButtonDown(centre, 0);
    manager.OnButtonUp(centre, 0);

    dui::Control* green = In(page, "deng_edit_G");
    green->SetFocus();
    green->SetText("300");
    In(page, "deng_edit_B")->SetFocus();

    EXPECT_EQ(forward.taken,
              (std::vector<std::string>{"click:color_option_6", "killfocus:deng_edit_G"}));
    EXPECT_EQ((std::vector<int>{page->RecordByte(5), page->RecordByte(6), page->RecordByte(7)}),
              (std::vector<int>{0, 255, 255}));
    EXPECT_EQ(green->GetText(), "255");
    manager.RemoveNotifier(&forward);
}

TEST_F(LightingHandlersTest, OtherNotificationsAreNotTakenAndNothingHappensWithoutAPage) {
    LightingHandlers handlers = MakeHandlers(page);
    // Right name, wrong event; and an unrelated control.
    EXPECT_FALSE(Send(handlers, page, "click", "deng_light_slider"));
    EXPECT_FALSE(Send(handlers, page, "click", "deng_edit_R"));
    dui::Notify none;
    none.type = "click";
    EXPECT_FALSE(handlers.HandleNotify(none));
    EXPECT_TRUE(page->calls.empty());

    LightingHandlers without_page = MakeHandlers(nullptr);
    page->SetSyncLighting(true);
    EXPECT_TRUE(Send(without_page, page, "valuechanged", "deng_light_slider"));
    EXPECT_TRUE(Send(without_page, page, "click", "deng_same_mode"));
    EXPECT_TRUE(page->calls.empty());
    EXPECT_TRUE(page->SyncLighting());
}

}  // namespace
}  // namespace calvorn::ui
