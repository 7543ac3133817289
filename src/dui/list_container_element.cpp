#include "dui/list_container_element.h"

namespace calvorn::dui {

bool ListContainerElement::Select(bool select, bool notify) {
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

bool ListContainerElement::SelectMulti(bool select) {
    selected_ = select;
    Invalidate();
    return true;
}

bool ListContainerElement::Activate() {
    if (!Control::Activate()) {
        return false;
    }
    SendNotify("itemactivate");
    return true;
}

void ListContainerElement::DoEvent(UiEvent& event) {
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
    HorizontalLayout::DoEvent(event);
}

void ListContainerElement::PaintBkColor(IRenderEngine& engine) {
    PaintListItemBackground(*this, *this, engine);
    HorizontalLayout::PaintBkColor(engine);
}

}  // namespace calvorn::dui
