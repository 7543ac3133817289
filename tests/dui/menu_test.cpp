#include "dui/menu.h"

#include <gtest/gtest.h>

#include "dui_fixture.h"
#include "platform/trace.h"

namespace calvorn::dui::testing {
namespace {

class MenuTest : public DuiTest {
protected:
    MenuTest() {
        skin.Write("menu.xml", R"(
<Window size="120,0">
  <Menu itemhotbkcolor="#FF333333">
    <MenuElement name="about_menu" text="about" height="30"/>
    <MenuElement name="setwnd_menu" text="settings" height="30" userdata="u"/>
    <MenuElement name="exit" text="exit" height="30"/>
  </Menu>
</Window>)");
        skin.Write("XML/Menus/macro_action_menu.xml", R"(
<Window size="160,0">
  <Menu>
    <MenuElement name="record_before" text="before" height="25">
      <MenuElement name="redio_previous_record_time" height="25"/>
      <MenuElement name="redio_previous_constant_time" height="25"/>
    </MenuElement>
    <MenuElement name="macro_action_edit" height="25"/>
  </Menu>
</Window>)");
        Load(R"(<VerticalLayout name="root"/>)");
    }

    std::vector<MenuCommand> commands;
    Menu::CommandHandler Record() {
        return [this](const MenuCommand& command) { commands.push_back(command); };
    }
};

TEST_F(MenuTest, OpensAlignedAtThePointAndReportsTheChosenRow) {
    struct Case {
        unsigned align;
        Rect rect;
    };
    const Case cases[] = {
        {kMenuAlignLeft | kMenuAlignTop, {500, 400, 620, 490}},
        {kMenuAlignRight | kMenuAlignTop, {380, 400, 500, 490}},
        {kMenuAlignLeft | kMenuAlignBottom, {500, 310, 620, 400}},
        {kMenuAlignRight | kMenuAlignBottom, {380, 310, 500, 400}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Menu> menu = Menu::Create(manager, "menu.xml", {500, 400}, c.align, {});
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(host.popups.size(), 1u);
        EXPECT_EQ(host.popups[0].rect, c.rect) << c.align;
        menu.reset();
        EXPECT_TRUE(host.popups.empty());
    }

    std::unique_ptr<Menu> menu = Menu::Create(manager, "menu.xml", {0, 0}, 6, Record());
    PaintManager& popup = *host.popups[0].manager;
    popup.UpdateLayout();
    ClickAt(popup, {10, 45});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].name, "setwnd_menu");
    EXPECT_EQ(commands[0].text, "settings");
    EXPECT_EQ(commands[0].user_data, "u");
    EXPECT_FALSE(menu->IsOpen()) << "a command closes the menu";
    EXPECT_TRUE(host.popups.empty());
}

TEST_F(MenuTest, SubMenusOpenOnHoverAndDismissalClosesEverything) {
    std::unique_ptr<Menu> menu =
        Menu::Create(manager, "XML\\Menus\\macro_action_menu.xml", {100, 100}, 6, Record());
    ASSERT_NE(menu, nullptr);
    PaintManager& top = *host.popups[0].manager;
    top.UpdateLayout();
    ClickAt(top, {10, 10});
    EXPECT_TRUE(commands.empty()) << "a row with a sub-menu is no command";
    // A sub-menu is a pop-up of the top pop-up's window.
    std::vector<FakeWindowHost::Popup>& subs = host.popups[0].host->popups;
    ASSERT_EQ(subs.size(), 1u);
    EXPECT_EQ(subs[0].rect, (Rect{260, 100, 420, 150})) << "beside the row";

    PaintManager& sub = *subs[0].manager;
    sub.UpdateLayout();
    ClickAt(sub, {10, 35});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].name, "redio_previous_constant_time");
    EXPECT_TRUE(host.popups.empty());

    menu = Menu::Create(manager, "XML\\Menus\\macro_action_menu.xml", {100, 100}, 6, Record());
    PaintManager& again = *host.popups[0].manager;
    again.UpdateLayout();
    again.OnMouseMove({10, 10});
    EXPECT_EQ(host.popups[0].host->popups.size(), 1u);
    again.OnMouseMove({10, 35});
    EXPECT_TRUE(host.popups[0].host->popups.empty()) << "hovering another row closes the sub-menu";
    again.OnPopupDismissed();
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_TRUE(host.popups.empty());
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(MenuTest, DestroyingTheMenuFromItsOwnCommandIsSafe) {
    std::unique_ptr<Menu> menu;
    menu = Menu::Create(manager, "menu.xml", {0, 0}, 6, [&](const MenuCommand& command) {
        commands.push_back(command);
        menu.reset();
    });
    PaintManager& popup = *host.popups[0].manager;
    popup.UpdateLayout();
    ClickAt(popup, {10, 75});
    EXPECT_EQ(menu, nullptr);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].name, "exit");
}

TEST_F(MenuTest, MissingLayoutOrRefusedPopupGivesNoMenu) {
    platform::TraceCapture trace;
    EXPECT_EQ(Menu::Create(manager, "nomenu.xml", {0, 0}, 6, {}), nullptr);
    EXPECT_EQ(trace.Lines().size(), 1u);
    host.refuse_popups = true;
    EXPECT_EQ(Menu::Create(manager, "menu.xml", {0, 0}, 6, {}), nullptr);
}

}  // namespace
}  // namespace calvorn::dui::testing
