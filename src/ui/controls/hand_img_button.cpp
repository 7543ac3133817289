#include "ui/controls/hand_img_button.h"

namespace calvorn::ui {

void CHandImgButtonUI::SetBadgeHidden(bool hidden) {
    badge_hidden_ = hidden;
    Invalidate();
}

dui::Rect CHandImgButtonUI::GetBadgeRect() const {
    const dui::Rect& pos = GetPos();
    const int top = pos.bottom - Scale(29);
    const int left = pos.right - Scale(30);
    return {left, top, left + Scale(20), top + Scale(20)};
}

void CHandImgButtonUI::DoEvent(dui::UiEvent& event) {
    const dui::Rect& pos = GetPos();
    switch (event.type) {
        case dui::EventType::kButtonDown:
        case dui::EventType::kDoubleClick:
            if (pos.Contains(event.point) && IsEnabled()) {
                SetStateBits(dui::kStatePushed | dui::kStateCaptured, true);
                Invalidate();
            }
            return;
        case dui::EventType::kButtonUp:
            if (IsCaptured()) {
                SetStateBits(dui::kStatePushed | dui::kStateCaptured, false);
                Invalidate();
                if (GetBadgeRect().Contains(event.point) && !badge_hidden_) {
                    SendNotify("click_handdelete");
                } else if (pos.Contains(event.point)) {
                    Activate();
                }
            }
            return;
        case dui::EventType::kMouseMove:
            current_delete_image_ =
                GetBadgeRect().Contains(event.point) ? &delete_hot_image_ : &delete_normal_image_;
            if (IsCaptured()) {
                SetStateBits(dui::kStatePushed, pos.Contains(event.point));
            }
            Invalidate();
            return;
        case dui::EventType::kMouseEnter:
        case dui::EventType::kMouseLeave:
            if (IsEnabled()) {
                const bool enter = event.type == dui::EventType::kMouseEnter;
                SetStateBits(dui::kStateHot, enter);
                Invalidate();
                SendNotify(enter ? "msenter" : "msleave");
            }
            dui::Button::DoEvent(event);
            return;
        default:
            dui::Button::DoEvent(event);
    }
}

void CHandImgButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "handimage") {
        hand_image_ = value;
        Invalidate();
    } else if (name == "deletenormalimage") {
        delete_normal_image_ = value;
        Invalidate();
    } else if (name == "deletehotimage") {
        delete_hot_image_ = value;
        Invalidate();
    } else {
        dui::Button::SetAttribute(name, value);
    }
}

void CHandImgButtonUI::PaintStatusImage(dui::IRenderEngine& engine) {
    dui::Button::PaintStatusImage(engine);
    DrawImage(engine, hand_image_);
    if (IsHot() && !badge_hidden_) {
        DrawImage(engine, *current_delete_image_, GetBadgeRect());
    }
}

}  // namespace calvorn::ui
