#pragma once

#include "dui/edit.h"
#include "dui/label.h"
#include "dui/list_container_element.h"

namespace calvorn::ui {

// `CComboEditContainerElementUI` ("ComboEditContainerElement"): a list row built from its own
// layout, "XML\CustomControlXML\ComboEditElementItem.xml", with the children "text1", "text2"
// and "delay_edit". Enter activates it and sends "return"; button up sends "itemclick".
class CComboEditContainerElementUI : public dui::ListContainerElement {
public:
    static constexpr std::string_view kItemLayout =
        "XML\\CustomControlXML\\ComboEditElementItem.xml";

    std::string_view GetClass() const override { return "ComboEditContainerElement"; }

    dui::Control* GetText1() const { return text1_; }
    dui::Control* GetText2() const { return text2_; }
    dui::Control* GetDelayEdit() const { return delay_edit_; }

    void DoEvent(dui::UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    void DoInit() override;

private:
    dui::Control* text1_ = nullptr;
    dui::Control* text2_ = nullptr;
    dui::Control* delay_edit_ = nullptr;
};

}  // namespace calvorn::ui
