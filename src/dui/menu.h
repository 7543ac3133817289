#pragma once

// Pop-up menus built from a layout:
//
//   <Window size="160,0">
//     <Menu>
//       <MenuElement name="about_menu" text="about_text" height="30"/>
//       <MenuElement name="record" text="record_text" height="30">
//         <MenuElement name="redio_previous_record_time" text="..." height="30"/>
//       </MenuElement>
//     </Menu>
//   </Window>
//
// A row with rows inside opens them as a sub-menu beside itself when hovered. Clicking a row
// without rows calls the command handler with its name, text and user data and closes the
// whole menu; losing the focus closes it without a command.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dui/list.h"
#include "dui/list_container_element.h"

namespace calvorn::dui {

class Menu;
class PaintManager;
class PopupWindow;

enum MenuAlign : unsigned {
    kMenuAlignLeft = 2,     // the menu's left edge at the point
    kMenuAlignTop = 4,      // its top edge at the point
    kMenuAlignRight = 8,    // its right edge at the point
    kMenuAlignBottom = 16,  // its bottom edge at the point
};

struct MenuCommand {
    std::string name;
    std::string text;
    std::string user_data;
};

// The rows of one menu level (layout class "Menu"); the "item..." attributes style its rows.
class MenuBody : public List {
public:
    std::string_view GetClass() const override { return "Menu"; }
    Menu* GetMenu() const { return menu_; }
    void SetMenu(Menu* menu) { menu_ = menu; }
    // The size the rows need in `scale`'s window pixels: the width from "width", else the
    // layout window's width, else 150.
    Size MeasureContent(const PaintManager& scale) const;

private:
    Menu* menu_ = nullptr;
};

// One menu row (layout class "MenuElement").
class MenuElement : public ListContainerElement {
public:
    MenuElement();
    ~MenuElement() override;
    std::string_view GetClass() const override { return "MenuElement"; }

    // MenuElement children form the sub-menu; other controls are shown in the row.
    Control* AddChild(std::unique_ptr<Control> child) override;
    bool HasSubMenu() const;
    MenuBody* GetSubMenu() const { return sub_menu_.get(); }

    Control* FindByName(std::string_view name) override;
    void SetManager(PaintManager* manager, Control* parent, bool init) override;
    void DoEvent(UiEvent& event) override;
    void PaintText(IRenderEngine& engine) override;

private:
    MenuBody* Body() const;

    std::unique_ptr<MenuBody> sub_menu_;
};

class Menu {
public:
    using CommandHandler = std::function<void(const MenuCommand&)>;

    // Builds `layout` and opens it at `screen_point` with the MenuAlign bits in `align`. Null
    // when the layout cannot be built or the host shows no pop-up.
    static std::unique_ptr<Menu> Create(PaintManager& owner, std::string_view layout,
                                        Point screen_point, unsigned align,
                                        CommandHandler on_command);
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    bool IsOpen() const;
    void Close();
    // The pop-ups open now, top level first (tests drive them).
    std::vector<PaintManager*> OpenManagers() const;

    // Called by the rows.
    void OnItemHot(MenuElement& item);
    void OnItemClick(MenuElement& item);

private:
    struct Level;
    Menu(PaintManager& owner, CommandHandler on_command);
    bool OpenLevel(MenuBody& body, const Rect& screen_rect, PaintManager& parent,
                   MenuElement* opened_from);
    void CloseLevelsFrom(std::size_t level);
    int LevelOf(const MenuElement& item) const;

    PaintManager& owner_;
    CommandHandler on_command_;
    // Holds the menu layout's size, fonts, defaults and styles.
    std::unique_ptr<PaintManager> layout_manager_;
    std::unique_ptr<Control> root_;
    std::vector<std::unique_ptr<Level>> levels_;
};

}  // namespace calvorn::dui
