#pragma once

#include "dui/control.h"
#include "dui/list_item.h"

namespace calvorn::dui {

// A list row without children; the base of the label and text rows.
class ListElement : public Control, public IListItem {
public:
    std::string_view GetClass() const override { return "ListElement"; }

    int GetIndex() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwner* GetOwner() const override { return owner_; }
    void SetOwner(IListOwner* owner) override { owner_ = owner; }
    bool IsSelected() const override { return selected_; }
    bool Select(bool select, bool notify = true) override;
    bool SelectMulti(bool select) override;

    // "itemactivate".
    bool Activate() override;
    void DoEvent(UiEvent& event) override;
    void PaintBkColor(IRenderEngine& engine) override;
    void PaintStatusImage(IRenderEngine&) override {}
    void PaintText(IRenderEngine& engine) override;

private:
    int index_ = -1;
    IListOwner* owner_ = nullptr;
    bool selected_ = false;
};

}  // namespace calvorn::dui
