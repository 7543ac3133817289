#pragma once

#include <vector>

#include "dui/list_item.h"
#include "dui/vertical_layout.h"

namespace calvorn::dui {

// A vertical, scrollable list of rows (ListLabelElement, ListTextElement,
// ListContainerElement or subclasses). Selecting a row sends "itemselect" with wParam the new
// and lParam the old index; the arrow keys move the selection.
class List : public VerticalLayout, public IListOwner {
public:
    List();
    std::string_view GetClass() const override { return "List"; }

    const ListInfo& GetListInfo() const override { return info_; }
    ListInfo& MutableListInfo() { return info_; }
    int GetCurSel() const override { return cur_sel_; }
    bool SelectItem(int index, bool take_focus = false, bool notify = true) override;
    bool SelectMultiItem(int index, bool notify = true) override;
    bool UnSelectItem(int index) override;
    Control* OwnerControl() override { return this; }
    std::vector<int> GetSelectedItems() const;
    // Scrolls row `index` into view.
    void EnsureVisible(int index);

    Control* AddAt(std::unique_ptr<Control> child, int index) override;
    bool Remove(Control* child) override;
    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    void Reindex();

    ListInfo info_;
    int cur_sel_ = -1;
};

}  // namespace calvorn::dui
