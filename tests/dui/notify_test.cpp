#include <gtest/gtest.h>

#include "dui/check_box.h"
#include "dui/combo.h"
#include "dui/edit.h"
#include "dui/list.h"
#include "dui/list_label_element.h"
#include "dui/notify_pump.h"
#include "dui/option.h"
#include "dui/popup_window.h"
#include "dui/slider.h"
#include "dui/tab_layout.h"
#include "dui_fixture.h"

namespace calvorn::dui::testing {
namespace {

using Lines = std::vector<std::string>;

class NotifyTest : public DuiTest {};

TEST_F(NotifyTest, WindowInitOnceThenWindowSize) {
    Load(R"(<VerticalLayout name="root"/>)");
    manager.UpdateLayout();
    EXPECT_EQ(log.Lines(), (Lines{"windowinit:root"}));
    manager.SetWindowSize({500, 300});
    manager.UpdateLayout();
    EXPECT_EQ(log.Lines(), (Lines{"windowinit:root", "windowsize:root"}));
}

TEST_F(NotifyTest, ButtonClicksOnlyWhenReleasedInsideWhileEnabled) {
    Load(R"(<HorizontalLayout><Button name="ok"/><Button name="other"/></HorizontalLayout>)");
    log.Clear();
    Control* ok = Find("ok");
    Click(ok);
    EXPECT_EQ(log.Count("click", "ok"), 1);

    manager.OnButtonDown(Center(ok));
    manager.OnMouseMove(Center(Find("other")));
    EXPECT_TRUE(host.captured);
    EXPECT_FALSE(ok->IsPushed()) << "the pushed state follows the mouse";
    manager.OnButtonUp(Center(Find("other")));
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(log.Count("click"), 1) << "released outside: no click";

    ok->SetEnabled(false);
    Click(ok);
    EXPECT_EQ(log.Count("click"), 1);
}

TEST_F(NotifyTest, HotTrackingSendsEnterAndLeaveAndSetsTheCursor) {
    Load(
        R"(<HorizontalLayout><Button name="a" cursor="hand"/><Button name="b"/></HorizontalLayout>)");
    Control* a = Find("a");
    Control* b = Find("b");
    manager.OnMouseMove(Center(a));
    EXPECT_EQ(manager.GetHot(), a);
    EXPECT_TRUE(a->IsHot());
    EXPECT_EQ(host.cursor_id_set, kCursorHand);
    manager.OnMouseMove(Center(b));
    EXPECT_FALSE(a->IsHot());
    EXPECT_TRUE(b->IsHot());
    EXPECT_EQ(host.cursor_id_set, kCursorArrow);
    manager.OnMouseLeave();
    EXPECT_EQ(manager.GetHot(), nullptr);
    EXPECT_FALSE(b->IsHot());
}

TEST_F(NotifyTest, OptionsInAGroupSelectOneAndSwitchTheirTab) {
    Load(R"(
<VerticalLayout>
  <HorizontalLayout height="20">
    <Option name="tab_0" group="tabs" selected="true" bindtablayoutname="pages" bindtabindex="0"/>
    <Option name="tab_1" group="tabs" bindtablayoutname="pages" bindtabindex="1"/>
    <CheckBox name="check"/>
  </HorizontalLayout>
  <TabLayout name="pages"><Control name="p0"/><Control name="p1"/></TabLayout>
</VerticalLayout>)");
    log.Clear();
    Click(Find("tab_1"));
    EXPECT_EQ(log.Lines(), (Lines{"setfocus:tab_1", "click:tab_1", "selectchanged:tab_0",
                                  "selectchanged:tab_1"}));
    EXPECT_FALSE(Find<Option>("tab_0")->IsSelected());
    EXPECT_TRUE(Find<Option>("tab_1")->IsSelected());
    EXPECT_EQ(Find<TabLayout>("pages")->GetCurSel(), 1);

    log.Clear();
    Click(Find("tab_1"));
    EXPECT_EQ(log.Count("selectchanged"), 0) << "clicking the selected option of a group";

    auto* check = Find<CheckBox>("check");
    Click(check);
    Click(check);
    EXPECT_FALSE(check->GetCheck());
    EXPECT_EQ(log.Count("selectchanged", "check"), 2);
    check->SetCheck(true, false);
    EXPECT_EQ(log.Count("selectchanged", "check"), 2) << "no notification when asked not to";
}

TEST_F(NotifyTest, ListSelectionActivationAndKeys) {
    Load(R"(
<List name="list" height="90">
  <ListLabelElement name="i0" height="30" text="zero"/>
  <ListLabelElement name="i1" height="30" text="one"/>
  <ListLabelElement name="i2" height="30" text="two"/>
</List>)");
    auto* list = Find<List>("list");
    log.Clear();
    Click(Find("i1"));
    EXPECT_EQ(list->GetCurSel(), 1);
    ASSERT_EQ(log.Count("itemselect", "list"), 1);
    const auto& select = log.entries[1];
    EXPECT_EQ(select.type, "itemselect");
    EXPECT_EQ(select.wparam, 1u);
    EXPECT_EQ(select.lparam, -1);
    EXPECT_EQ(log.Count("itemclick", "i1"), 1);

    Click(Find("i2"));  // a double click is a click followed by the double-click event
    manager.OnDoubleClick(Center(Find("i2")));
    manager.OnButtonUp(Center(Find("i2")));
    EXPECT_EQ(log.Count("itemactivate", "i2"), 1);

    manager.SetFocus(list);
    manager.OnKeyDown(kKeyUp);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_TRUE(dynamic_cast<ListLabelElement*>(Find("i1"))->IsSelected());
    EXPECT_FALSE(dynamic_cast<ListLabelElement*>(Find("i2"))->IsSelected());

    list->RemoveAt(1);
    EXPECT_EQ(list->GetCurSel(), -1) << "removing the selected row clears the selection";
    EXPECT_EQ(dynamic_cast<ListLabelElement*>(Find("i2"))->GetIndex(), 1);
}

TEST_F(NotifyTest, ComboDropListSelectsARowAndCloses) {
    Load(R"(
<VerticalLayout>
  <Combo name="combo" height="24" dropboxsize="0,60">
    <ListLabelElement name="c0" height="30" text="alpha"/>
    <ListLabelElement name="c1" height="30" text="beta"/>
    <ListLabelElement name="c2" height="30" text="gamma"/>
  </Combo>
</VerticalLayout>)",
         {200, 200});
    auto* combo = Find<Combo>("combo");
    EXPECT_EQ(combo->GetText(), "");
    log.Clear();
    Click(combo);
    ASSERT_EQ(host.popups.size(), 1u);
    EXPECT_EQ(host.popups[0].rect, (Rect{0, 24, 200, 84})) << "below the combo, capped height";
    EXPECT_EQ(log.Count("dropdown", "combo"), 1);

    PaintManager& drop = *host.popups[0].manager;
    drop.UpdateLayout();
    drop.OnMouseMove({50, 45});
    drop.OnButtonDown({50, 45});  // the second row; the host sends nothing more to a closed list
    EXPECT_TRUE(host.popups.empty()) << "choosing a row closes the list";
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "beta");
    ASSERT_EQ(log.Count("itemselect", "combo"), 1);

    manager.OnWheel(Center(combo), -120);
    EXPECT_EQ(combo->GetCurSel(), 2);
    manager.OnWheel(Center(combo), -120);
    EXPECT_EQ(combo->GetCurSel(), 2) << "stops at the last row";
    EXPECT_EQ(log.Count("itemselect", "combo"), 2);

    combo->SelectItem(0, false, false);
    EXPECT_EQ(log.Count("itemselect", "combo"), 2);
    EXPECT_EQ(manager.FindControl("c2"), Find("c2")) << "rows are found through the window";
}

TEST_F(NotifyTest, ComboDropListClosesWhenDismissedOrWhenTheComboGoes) {
    Load(R"(
<VerticalLayout name="root">
  <Combo name="combo" height="24"><ListLabelElement name="c0" height="30" text="a"/></Combo>
</VerticalLayout>)");
    auto* combo = Find<Combo>("combo");
    ASSERT_TRUE(combo->OpenDropList());
    host.popups[0].manager->OnPopupDismissed();
    EXPECT_TRUE(host.popups.empty());
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(Find("c0")->GetManager(), &manager) << "the rows come back to the window";

    ASSERT_TRUE(combo->OpenDropList());
    static_cast<Container*>(manager.GetRoot())->Remove(combo);
    EXPECT_TRUE(host.popups.empty());
}

TEST_F(NotifyTest, SliderSendsMoveValuesWhileDraggingAndTheFinalValueOnRelease) {
    Load(
        R"(<Slider name="s" min="0" max="100" value="0" thumbsize="10,10" sendmove="true" step="5"/>)",
        {110, 20});
    auto* slider = Find<Slider>("s");
    log.Clear();
    manager.OnMouseMove({5, 10});
    manager.OnButtonDown({5, 10});
    manager.OnMouseMove({55, 10});
    EXPECT_EQ(slider->GetValue(), 50);
    manager.OnMouseMove({80, 10});
    manager.OnButtonUp({80, 10});
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(log.Lines(),
              (Lines{"setfocus:s", "movevaluechanged:s", "movevaluechanged:s", "valuechanged:s"}));
    manager.OnWheel({50, 10}, 120);
    EXPECT_EQ(slider->GetValue(), 80);
    EXPECT_EQ(log.Count("valuechanged"), 2);
    slider->SetValue(500);
    EXPECT_EQ(slider->GetValue(), 100) << "clamped to the range";
    EXPECT_EQ(log.Count("valuechanged"), 2) << "setting the value sends nothing";
}

TEST_F(NotifyTest, EditTypingFocusAndNativeEditor) {
    Load(R"(
<HorizontalLayout>
  <Edit name="num" numberonly="true" maxchar="3"/>
  <Button name="btn"/>
</HorizontalLayout>)");
    auto* edit = Find<Edit>("num");
    log.Clear();
    Click(edit);
    EXPECT_EQ(log.Lines(), (Lines{"setfocus:num"}));
    ASSERT_TRUE(host.editor.has_value()) << "the focused edit asks for a native editor";
    EXPECT_EQ(host.editor_sink, edit);
    EXPECT_TRUE(host.editor->number_only);

    for (char32_t c : {U'1', U'x', U'2', U'3', U'4'}) {
        manager.OnChar(c);
    }
    EXPECT_EQ(edit->GetText(), "123") << "digits only, three at most";
    EXPECT_EQ(log.Count("textchanged", "num"), 3);
    manager.OnKeyDown(kKeyBack);
    EXPECT_EQ(edit->GetText(), "12");
    manager.OnKeyDown(kKeyReturn);
    EXPECT_EQ(log.Count("return", "num"), 1);

    host.editor_sink->OnEditorTextChanged("9a9");
    EXPECT_EQ(edit->GetText(), "99");
    host.LoseEditorFocus();
    EXPECT_EQ(manager.GetFocus(), nullptr);
    EXPECT_FALSE(host.editor.has_value());
    EXPECT_EQ(log.Lines().back(), "killfocus:num");

    Click(edit);
    log.Clear();
    Click(Find("btn"));
    EXPECT_EQ(log.Lines(), (Lines{"killfocus:num", "setfocus:btn", "click:btn"}));
    EXPECT_FALSE(host.editor.has_value());
}

class MainPump : public NotifyPump {
public:
    std::vector<std::string> seen;

protected:
    void HandleNotify(Notify& notify) override { seen.push_back("main:" + notify.type); }
};

class PagePump : public NotifyPump {
public:
    std::vector<std::string> seen;

protected:
    void HandleNotify(Notify& notify) override { seen.push_back("page:" + notify.type); }
};

TEST_F(NotifyTest, SubPumpsReceiveTheirVirtualWindowsNotifications) {
    Load(R"(
<HorizontalLayout>
  <HorizontalLayout virtualwnd="mainpage"><Button name="in_page"/></HorizontalLayout>
  <Button name="outside"/>
</HorizontalLayout>)");
    MainPump main_pump;
    PagePump page;
    ASSERT_TRUE(main_pump.AddVirtualWnd("mainpage", &page));
    EXPECT_FALSE(main_pump.AddVirtualWnd("mainpage", &page));
    manager.AddNotifier(&main_pump);
    Find("in_page")->SendNotify("click");
    Find("outside")->SendNotify("click");
    EXPECT_EQ(page.seen, (Lines{"page:click"}));
    EXPECT_EQ(main_pump.seen, (Lines{"main:click"}));
    manager.RemoveNotifier(&main_pump);
}

// Removes the control that sent a click from its container, as a delete button would.
struct RemoveOnClick : INotifyReceiver {
    void OnNotify(Notify& notify) override {
        if (notify.type == "click") {
            auto* parent = dynamic_cast<Container*>(notify.sender->GetParent());
            removed = parent != nullptr && parent->Remove(notify.sender);
        }
    }
    bool removed = false;
};

TEST_F(NotifyTest, AControlRemovedByItsOwnNotificationIsDestroyedSafely) {
    Load(
        R"(<HorizontalLayout name="row"><Button name="delete"/><Button name="keep"/></HorizontalLayout>)");
    RemoveOnClick remover;
    manager.AddNotifier(&remover);
    Control* doomed = Find("delete");
    manager.SetFocus(doomed);
    Click(doomed);
    manager.RemoveNotifier(&remover);
    EXPECT_TRUE(remover.removed);
    EXPECT_EQ(Find("delete"), nullptr);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    EXPECT_EQ(manager.GetHot(), nullptr);
    manager.UpdateLayout();
    EXPECT_EQ(Find("keep")->GetPos().left, 0);
}

TEST_F(NotifyTest, ControlTimersFireThroughTheFakeClockAndDieWithTheControl) {
    Load(R"(<HorizontalLayout name="row"><Control name="ticker"/></HorizontalLayout>)");
    Control* ticker = Find("ticker");
    log.Clear();
    ASSERT_TRUE(ticker->SetTimer(1001, 500));
    loop.AdvanceBy(platform::Millis(499));
    EXPECT_EQ(log.Count("timer"), 0);
    loop.AdvanceBy(platform::Millis(1));
    ASSERT_EQ(log.Count("timer", "ticker"), 1);
    EXPECT_EQ(log.entries.back().wparam, 1001u);
    loop.AdvanceBy(platform::Millis(1000));
    EXPECT_EQ(log.Count("timer", "ticker"), 3);

    ticker->KillTimer(1001);
    loop.AdvanceBy(platform::Millis(1000));
    EXPECT_EQ(log.Count("timer"), 3);

    ticker->SetTimer(1000, 50);
    static_cast<Container*>(manager.GetRoot())->Remove(ticker);
    EXPECT_FALSE(loop.HasTimer(ticker, 1000));
    loop.AdvanceBy(platform::Millis(200));
    EXPECT_EQ(log.Count("timer"), 3);
}

}  // namespace
}  // namespace calvorn::dui::testing
