#pragma once

#include <memory>
#include <string>

#include "dui/label.h"
#include "dui/list_item.h"

namespace calvorn::dui {

class PopupWindow;
class VerticalLayout;

// A drop-down list. Its rows are its children (list rows); it shows the selected row's text.
// A click opens the rows in a pop-up; clicking a row selects it ("itemselect", wParam new and
// lParam old index) and closes the pop-up. The wheel and the arrow keys move the selection.
class Combo : public Label, public IListOwner {
public:
    Combo();
    ~Combo() override;
    std::string_view GetClass() const override { return "Combo"; }

    // --- rows ---
    int GetCount() const;
    Control* GetItemAt(int index) const;
    int GetItemIndex(const Control* row) const;
    Control* Add(std::unique_ptr<Control> row);
    Control* AddAt(std::unique_ptr<Control> row, int index);
    bool Remove(Control* row);
    bool RemoveAt(int index);
    void RemoveAll();

    // --- selection ---
    const ListInfo& GetListInfo() const override { return info_; }
    ListInfo& MutableListInfo() { return info_; }
    int GetCurSel() const override { return cur_sel_; }
    bool SelectItem(int index, bool take_focus = false, bool notify = true) override;
    bool SelectMultiItem(int index, bool notify = true) override;
    bool UnSelectItem(int index) override;
    Control* OwnerControl() override { return this; }
    // The selected row's text, or empty.
    std::string GetText() const override;

    // --- drop list ---
    bool IsDropped() const;
    // Opens the rows as a pop-up below the combo ("dropdown"); false when it cannot.
    bool OpenDropList();
    void CloseDropList();
    PopupWindow* GetDropWindow() const { return drop_.get(); }
    Size GetDropBoxSize() const { return drop_box_size_; }

    Control* AddChild(std::unique_ptr<Control> child) override { return Add(std::move(child)); }
    Control* FindByName(std::string_view name) override;
    void Visit(const std::function<void(Control&)>& visit) override;
    void SetManager(PaintManager* manager, Control* parent, bool init) override;
    bool Activate() override;
    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;
    void PaintText(IRenderEngine& engine) override;

private:
    void Reindex();

    std::unique_ptr<VerticalLayout> rows_;
    std::unique_ptr<PopupWindow> drop_;
    ListInfo info_;
    int cur_sel_ = -1;
    Size drop_box_size_{0, 150};
    std::string normal_image_;
    std::string hot_image_;
    std::string pushed_image_;
    std::string disabled_image_;
};

}  // namespace calvorn::dui
