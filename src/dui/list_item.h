#pragma once

// The contract between list rows and the control that holds them (a List or a Combo): the
// owner's look for rows (ListInfo), selection and activation.

#include <string>

#include "dui/event.h"
#include "dui/geometry.h"

namespace calvorn::dui {

class Control;
class IRenderEngine;

// How the owner wants its rows drawn (the "item..." attributes of List and Combo).
struct ListInfo {
    int font = -1;
    unsigned text_style = 0x4 | 0x20;  // left, vertically centred, single line
    Rect text_padding;
    Color text_color = 0xFF000000;
    Color bk_color = kNoColor;
    std::string bk_image;
    Color selected_text_color = 0xFF000000;
    Color selected_bk_color = 0xFFC1E3FF;
    std::string selected_image;
    Color hot_text_color = 0xFF000000;
    Color hot_bk_color = 0xFFE9F5FF;
    std::string hot_image;
    Color disabled_text_color = 0xFFCCCCCC;
    Color hot_frame_color = kNoColor;  // one-pixel frame of a hot, unselected row
    bool multi_select = false;

    // Handles an "item..." attribute; false for other names.
    bool SetAttribute(std::string_view name, std::string_view value);
};

class IListOwner {
public:
    virtual ~IListOwner() = default;
    virtual const ListInfo& GetListInfo() const = 0;
    virtual int GetCurSel() const = 0;
    // Selects row `index` alone (-1 clears); "itemselect" when it changed and `notify`.
    virtual bool SelectItem(int index, bool take_focus = false, bool notify = true) = 0;
    // Multi-select lists: adds row `index` to the selection, or removes it.
    virtual bool SelectMultiItem(int index, bool notify = true) = 0;
    virtual bool UnSelectItem(int index) = 0;
    // The owner as a control (events a row passes on).
    virtual Control* OwnerControl() = 0;
};

class IListItem {
public:
    virtual ~IListItem() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwner* GetOwner() const = 0;
    virtual void SetOwner(IListOwner* owner) = 0;
    virtual bool IsSelected() const = 0;
    // Sets the row's selected state; with `notify` asks the owner to select it.
    virtual bool Select(bool select, bool notify = true) = 0;
    // Adds the row to (or removes it from) a multi-selection.
    virtual bool SelectMulti(bool select) = 0;
};

// The list-row behaviour shared by the row classes: selection by button down (Ctrl toggles
// in a multi-select owner), "itemclick" on button up, activation by double click or Enter
// ("itemactivate"), hot state. Returns true when the event was handled.
bool HandleListItemEvent(Control& row, IListItem& item, UiEvent& event);
// The row background for the owner's ListInfo and the row state.
void PaintListItemBackground(Control& row, const IListItem& item, IRenderEngine& engine);
// The text colour for the owner's ListInfo and the row state.
Color ListItemTextColor(const Control& row, const IListItem& item);

}  // namespace calvorn::dui
