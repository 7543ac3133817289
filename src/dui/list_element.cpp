#include "dui/list_element.h"

namespace calvorn::dui {

bool ListElement::Select(bool select, bool notify) {
    if (select == selected_) {
        return true;
    }
    selected_ = select;
    if (select && owner_ != nullptr) {
        owner_->SelectItem(index_, false, notify);
    }
    Invalidate();
    return true;
}

bool ListElement::SelectMulti(bool select) {
    selected_ = select;
    Invalidate();
    return true;
}

bool ListElement::Activate() {
    if (!Control::Activate()) {
        return false;
    }
    SendNotify("itemactivate");
    return true;
}

void ListElement::DoEvent(UiEvent& event) {
    if (HandleListItemEvent(*this, *this, event)) {
        return;
    }
    if (event.type == EventType::kMouseEnter) {
        if (IsEnabled()) {
            SetStateBits(kStateHot, true);
            Invalidate();
        }
        return;
    }
    if (event.type == EventType::kMouseLeave) {
        SetStateBits(kStateHot, false);
        Invalidate();
        return;
    }
    Control::DoEvent(event);
}

void ListElement::PaintBkColor(IRenderEngine& engine) {
    PaintListItemBackground(*this, *this, engine);
    Control::PaintBkColor(engine);
}

void ListElement::PaintText(IRenderEngine& engine) {
    const std::string text = GetText();
    if (text.empty()) {
        return;
    }
    const Color color = ListItemTextColor(*this, *this);
    if (owner_ == nullptr) {
        engine.DrawText(rect_.Deflate(Scale(GetTextPadding())), text, ResolveFont(GetFont()), color,
                        GetTextStyle());
        return;
    }
    const ListInfo& info = owner_->GetListInfo();
    engine.DrawText(rect_.Deflate(Scale(info.text_padding)), text, ResolveFont(info.font), color,
                    info.text_style);
}

}  // namespace calvorn::dui
