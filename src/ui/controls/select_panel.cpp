#include "ui/controls/select_panel.h"

#include <algorithm>

#include "ui/controls/device_key_button.h"

namespace calvorn::ui {

namespace {

// The rubber band's outline while dragging.
constexpr dui::Color kBandColor = 0xFFFFFFFF;

}  // namespace

void CSelectPanelUI::DoEvent(dui::UiEvent& event) {
    dui::VerticalLayout::DoEvent(event);
    switch (event.type) {
        case dui::EventType::kButtonDown:
            if (IsEnabled()) {
                pressed_ = true;
                start_ = event.point;
                SetStateBits(dui::kStateCaptured, true);
            }
            break;
        case dui::EventType::kMouseMove:
            if (IsCaptured()) {
                current_ = event.point;
                NeedUpdate();
            }
            if (pressed_) {
                dragging_ = true;
            }
            if (dragging_) {
                current_ = event.point;
                selection_ = {std::min(start_.x, current_.x), std::min(start_.y, current_.y),
                              std::max(start_.x, current_.x), std::max(start_.y, current_.y)};
                NeedUpdate();
                Invalidate();
            }
            break;
        case dui::EventType::kButtonUp: {
            const bool was_dragging = dragging_;
            if (IsCaptured()) {
                SetStateBits(dui::kStateCaptured, false);
                dragging_ = false;
                start_ = current_;
            }
            pressed_ = false;
            if (was_dragging) {
                dragging_ = false;
                start_ = current_;
                MarkTouchedKeyButtons();
                NeedUpdate();
                Invalidate();
                SendNotify("click_select_end");
            }
            break;
        }
        default:
            break;
    }
}

void CSelectPanelUI::MarkTouchedKeyButtons() {
    // The rectangle includes the pixels under both corners, so a drag along one row still
    // touches the keys it crosses.
    const dui::Rect band{selection_.left, selection_.top, selection_.right + 1,
                         selection_.bottom + 1};
    for (int i = 0; i < GetCount(); ++i) {
        dui::Control* child = GetItemAt(i);
        if (child->GetClass() != "DeviceKeyButton") {
            continue;
        }
        if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(child)) {
            key->SetRubberBandSelected(child->GetPos().Intersects(band) ? 1 : 0);
        }
    }
}

void CSelectPanelUI::PaintBorder(dui::IRenderEngine& engine) {
    dui::VerticalLayout::PaintBorder(engine);
    if (dragging_ && !selection_.IsEmpty()) {
        engine.DrawRect(selection_, 1, kBandColor);
    }
}

}  // namespace calvorn::ui
