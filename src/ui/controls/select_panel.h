#pragma once

#include "dui/vertical_layout.h"

namespace calvorn::ui {

// `CSelectPanelUI` ("SelectPanel"): the device picture. Dragging over it with the button held
// spans a selection rectangle; on release every "DeviceKeyButton" child is marked selected
// when the rectangle touches it (even partly) and "click_select_end" is sent. A click without
// a drag selects nothing.
class CSelectPanelUI : public dui::VerticalLayout {
public:
    std::string_view GetClass() const override { return "SelectPanel"; }

    // The last selection rectangle (left and top the smaller coordinates), window pixels.
    const dui::Rect& GetSelectionRect() const { return selection_; }
    bool IsDragging() const { return dragging_; }

    void DoEvent(dui::UiEvent& event) override;
    void PaintBorder(dui::IRenderEngine& engine) override;

private:
    void MarkTouchedKeyButtons();

    bool pressed_ = false;
    bool dragging_ = false;
    dui::Point start_;
    dui::Point current_;
    dui::Rect selection_;
};

}  // namespace calvorn::ui
