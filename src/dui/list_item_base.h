#pragma once

#include "dui/control.h"
#include "dui/list_item.h"

namespace calvorn::dui {

// The row state and behaviour shared by ListElement (a row without children, Base = Control)
// and ListContainerElement (a row of controls, Base = HorizontalLayout): index, owner and
// selection, "itemactivate", the list-row events and hot state, and the row background.
template <class Base>
class ListItemBase : public Base, public IListItem {
public:
    int GetIndex() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwner* GetOwner() const override { return owner_; }
    void SetOwner(IListOwner* owner) override { owner_ = owner; }
    bool IsSelected() const override { return selected_; }

    bool Select(bool select, bool notify = true) override {
        if (select == selected_) {
            return true;
        }
        selected_ = select;
        if (select && owner_ != nullptr) {
            owner_->SelectItem(index_, false, notify);
        }
        this->Invalidate();
        return true;
    }

    bool SelectMulti(bool select) override {
        selected_ = select;
        this->Invalidate();
        return true;
    }

    // "itemactivate".
    bool Activate() override {
        if (!Control::Activate()) {
            return false;
        }
        this->SendNotify("itemactivate");
        return true;
    }

    void DoEvent(UiEvent& event) override {
        if (HandleListItemEvent(*this, *this, event)) {
            return;
        }
        if (event.type == EventType::kMouseEnter) {
            if (this->IsEnabled()) {
                this->SetStateBits(kStateHot, true);
                this->Invalidate();
            }
            return;
        }
        if (event.type == EventType::kMouseLeave) {
            this->SetStateBits(kStateHot, false);
            this->Invalidate();
            return;
        }
        Base::DoEvent(event);
    }

    void PaintBkColor(IRenderEngine& engine) override {
        PaintListItemBackground(*this, *this, engine);
        Base::PaintBkColor(engine);
    }

private:
    int index_ = -1;
    IListOwner* owner_ = nullptr;
    bool selected_ = false;
};

}  // namespace calvorn::dui
