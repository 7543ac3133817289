#include "dui/list_item.h"

#include "dui/attributes.h"
#include "dui/control.h"
#include "dui/render_engine.h"

namespace calvorn::dui {

bool ListInfo::SetAttribute(std::string_view name, std::string_view value) {
    auto color = [&](Color& target) {
        if (auto c = ParseColor(value)) {
            target = *c;
        }
        return true;
    };
    if (name == "itemfont") {
        font = ParseInt(value, -1);
    } else if (name == "itemalign") {
        text_style &= ~static_cast<unsigned>(kTextCenter | kTextRight);
        if (value == "center") {
            text_style |= kTextCenter;
        } else if (value == "right") {
            text_style |= kTextRight;
        }
    } else if (name == "itemtextpadding") {
        text_padding = ParseRect(value);
    } else if (name == "itemtextcolor") {
        return color(text_color);
    } else if (name == "itembkcolor") {
        return color(bk_color);
    } else if (name == "itembkimage") {
        bk_image = value;
    } else if (name == "itemselectedtextcolor") {
        return color(selected_text_color);
    } else if (name == "itemselectedbkcolor") {
        return color(selected_bk_color);
    } else if (name == "itemselectedimage") {
        selected_image = value;
    } else if (name == "itemhottextcolor") {
        return color(hot_text_color);
    } else if (name == "itemhotbkcolor") {
        return color(hot_bk_color);
    } else if (name == "itemhotimage") {
        hot_image = value;
    } else if (name == "itemdisabledtextcolor") {
        return color(disabled_text_color);
    } else if (name == "itemhotframecolor") {
        return color(hot_frame_color);
    } else if (name == "multiselect") {
        multi_select = ParseBool(value);
    } else {
        return false;
    }
    return true;
}

bool HandleListItemEvent(Control& row, IListItem& item, UiEvent& event) {
    IListOwner* owner = item.GetOwner();
    switch (event.type) {
        case EventType::kDoubleClick:
            if (row.IsEnabled()) {
                row.Activate();
                row.Invalidate();
            }
            return true;
        case EventType::kKeyDown:
            if (event.key == kKeyReturn && row.IsEnabled()) {
                row.Activate();
                row.Invalidate();
                return true;
            }
            return false;
        case EventType::kButtonDown:
            if (row.IsEnabled()) {
                if ((event.modifiers & kModCtrl) != 0 && owner != nullptr &&
                    owner->GetListInfo().multi_select) {
                    if (item.IsSelected()) {
                        owner->UnSelectItem(item.GetIndex());
                    } else {
                        owner->SelectMultiItem(item.GetIndex());
                    }
                } else {
                    item.Select(true);
                }
                row.Invalidate();
            }
            return true;
        case EventType::kButtonUp:
            if (row.IsEnabled()) {
                row.SendNotify("itemclick");
            }
            return true;
        case EventType::kMouseMove:
            return true;
        default:
            return false;
    }
}

void PaintListItemBackground(Control& row, const IListItem& item, IRenderEngine& engine) {
    const IListOwner* owner = item.GetOwner();
    if (owner == nullptr) {
        return;
    }
    const ListInfo& info = owner->GetListInfo();
    Color color = info.bk_color;
    const std::string* image = &info.bk_image;
    if (item.IsSelected()) {
        color = info.selected_bk_color;
        image = &info.selected_image;
    } else if (row.IsHot() && row.IsEnabled()) {
        color = info.hot_bk_color;
        image = &info.hot_image;
    }
    if (IsDrawn(color)) {
        engine.FillRect(row.GetPos(), color);
    }
    row.DrawImage(engine, *image);
}

Color ListItemTextColor(const Control& row, const IListItem& item) {
    const IListOwner* owner = item.GetOwner();
    if (owner == nullptr) {
        return row.IsEnabled() ? row.GetTextColor() : row.GetDisabledTextColor();
    }
    const ListInfo& info = owner->GetListInfo();
    if (!row.IsEnabled()) {
        return info.disabled_text_color;
    }
    if (item.IsSelected()) {
        return info.selected_text_color;
    }
    if (row.IsHot()) {
        return info.hot_text_color;
    }
    return info.text_color;
}

}  // namespace calvorn::dui
