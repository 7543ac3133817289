#include "dui/option.h"

#include "dui/attributes.h"
#include "dui/paint_manager.h"
#include "dui/tab_layout.h"

namespace calvorn::dui {

Option::~Option() {
    if (GetManager() != nullptr && !group_.empty()) {
        GetManager()->RemoveOptionFromGroup(group_, this);
    }
}

void Option::SetManager(PaintManager* manager, Control* parent, bool init) {
    if (GetManager() != nullptr && GetManager() != manager && !group_.empty()) {
        GetManager()->RemoveOptionFromGroup(group_, this);
    }
    Button::SetManager(manager, parent, init);
    if (manager != nullptr && !group_.empty()) {
        manager->AddOptionToGroup(group_, this);
    }
}

void Option::SetGroup(std::string_view group) {
    if (group_ == group) {
        return;
    }
    if (GetManager() != nullptr && !group_.empty()) {
        GetManager()->RemoveOptionFromGroup(group_, this);
    }
    group_ = group;
    if (GetManager() != nullptr && !group_.empty()) {
        GetManager()->AddOptionToGroup(group_, this);
    }
}

void Option::Selected(bool selected, bool notify) {
    if (IsSelected() == selected) {
        return;
    }
    SetStateBits(kStateSelected, selected);
    PaintManager* manager = GetManager();
    if (manager != nullptr && selected && !group_.empty()) {
        if (const std::vector<Control*>* members = manager->GetOptionGroup(group_)) {
            const std::vector<Control*> others = *members;
            for (Control* other : others) {
                if (other != this) {
                    static_cast<Option*>(other)->Selected(false, notify);
                }
            }
        }
    }
    Invalidate();
    if (notify) {
        SendNotify("selectchanged", selected ? 1 : 0);
    }
    if (selected) {
        SwitchBoundTab();
    }
}

void Option::BindTabLayout(std::string_view tab_layout_name, int index) {
    bind_tab_name_ = tab_layout_name;
    bind_tab_index_ = index;
}

void Option::SwitchBoundTab() {
    PaintManager* manager = GetManager();
    if (manager == nullptr || bind_tab_name_.empty() || bind_tab_index_ < 0) {
        return;
    }
    if (auto* tab = dynamic_cast<TabLayout*>(manager->FindControl(bind_tab_name_))) {
        tab->SelectItem(bind_tab_index_);
    }
}

bool Option::Activate() {
    if (!Button::Activate()) {
        return false;
    }
    Selected(group_.empty() ? !IsSelected() : true);
    return true;
}

void Option::SetSelectedImage(std::string_view image) {
    selected_image_ = image;
    Invalidate();
}

void Option::SetSelectedHotImage(std::string_view image) {
    selected_hot_image_ = image;
    Invalidate();
}

void Option::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group") {
        SetGroup(value);
    } else if (name == "selected") {
        Selected(ParseBool(value), false);
    } else if (name == "selectedimage") {
        SetSelectedImage(value);
    } else if (name == "selectedhotimage") {
        SetSelectedHotImage(value);
    } else if (name == "selectedtextcolor") {
        if (auto c = ParseColor(value)) {
            SetSelectedTextColor(*c);
        }
    } else if (name == "selectedbkcolor") {
        if (auto c = ParseColor(value)) {
            SetSelectedBkColor(*c);
        }
    } else if (name == "bindtablayoutname") {
        bind_tab_name_ = value;
    } else if (name == "bindtabindex") {
        bind_tab_index_ = ParseInt(value, -1);
    } else {
        Button::SetAttribute(name, value);
    }
}

void Option::PaintBkColor(IRenderEngine& engine) {
    if (IsSelected() && IsDrawn(selected_bk_color_)) {
        engine.FillRect(rect_, selected_bk_color_);
        return;
    }
    Button::PaintBkColor(engine);
}

void Option::PaintStatusImage(IRenderEngine& engine) {
    if (IsSelected() && !selected_image_.empty()) {
        if (IsHot() && !selected_hot_image_.empty()) {
            DrawImage(engine, selected_hot_image_);
        } else {
            DrawImage(engine, selected_image_);
        }
        DrawImage(engine, GetForeImage());
        return;
    }
    Button::PaintStatusImage(engine);
}

Color Option::StateTextColor() const {
    if (IsEnabled() && IsSelected() && IsDrawn(selected_text_color_)) {
        return selected_text_color_;
    }
    return Button::StateTextColor();
}

}  // namespace calvorn::dui
