#pragma once

#include <string>

#include "dui/button.h"

namespace calvorn::dui {

// A button with a selected state. In a group (per window) selecting one deselects the others
// and a click only selects; without a group a click toggles. Bound to a tab layout
// ("bindtablayoutname", "bindtabindex"), selecting it shows that page.
class Option : public Button {
public:
    ~Option() override;
    std::string_view GetClass() const override { return "Option"; }

    bool IsSelected() const { return (state_ & kStateSelected) != 0; }
    // Changes the selected state; sends "selectchanged" when it changed and `notify` is set.
    void Selected(bool selected, bool notify = true);
    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string_view group);
    void BindTabLayout(std::string_view tab_layout_name, int index);
    const std::string& GetBindTabLayoutName() const { return bind_tab_name_; }
    int GetBindTabIndex() const { return bind_tab_index_; }

    void SetSelectedImage(std::string_view image);
    void SetSelectedHotImage(std::string_view image);
    void SetSelectedTextColor(Color color) { selected_text_color_ = color; }
    void SetSelectedBkColor(Color color) { selected_bk_color_ = color; }

    bool Activate() override;
    void SetManager(PaintManager* manager, Control* parent, bool init) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;
    void PaintBkColor(IRenderEngine& engine) override;

protected:
    Color StateTextColor() const override;
    void SwitchBoundTab();

private:
    std::string group_;
    std::string bind_tab_name_;
    int bind_tab_index_ = -1;
    std::string selected_image_;
    std::string selected_hot_image_;
    Color selected_text_color_ = kNoColor;
    Color selected_bk_color_ = kNoColor;
};

}  // namespace calvorn::dui
