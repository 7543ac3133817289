#include "ui/controls/hand_img_select_button.h"

#include <algorithm>

#include "dui/paint_manager.h"
#include "dui/ui_context.h"

namespace calvorn::ui {

void CHandImgSelectButtonUI::SetHandImage(std::string_view path) {
    image_path_ = path;
    UpdateImage();
}

void CHandImgSelectButtonUI::DoInit() {
    UpdateImage();
}

void CHandImgSelectButtonUI::UpdateImage() {
    image_size_ = {};
    dui::PaintManager* manager = GetManager();
    if (manager != nullptr && manager->GetHost() != nullptr && !image_path_.empty()) {
        const std::string resolved = manager->Context().Resources().ResolveImage(image_path_);
        if (const std::optional<dui::Size> size = manager->GetHost()->ImageSize(resolved)) {
            image_size_ = *size;
        }
    }
    // The button's size in picture pixels: its layout size, or its current size at 96 DPI.
    const int width = GetFixedWidth() > 0 ? GetFixedWidth() : GetPos().Width();
    const int height = GetFixedHeight() > 0 ? GetFixedHeight() : GetPos().Height();
    source_ = {0, 0, width, height};
    if (width < image_size_.cx || height < image_size_.cy) {
        drawn_ = SourceString();
    } else {
        drawn_ = image_path_;
    }
    Invalidate();
}

std::string CHandImgSelectButtonUI::SourceString() const {
    return "file='" + image_path_ + "' source='" + std::to_string(source_.left) + "," +
           std::to_string(source_.top) + "," + std::to_string(source_.right) + "," +
           std::to_string(source_.bottom) + "'";
}

void CHandImgSelectButtonUI::Pan(dui::Point to) {
    // Moving the mouse one way moves the visible part the other way, so the picture follows
    // the mouse; the visible part keeps its size and stays inside the picture.
    auto pan = [](int from, int now, int& low, int& high, int limit) {
        if (now < from) {
            const int d = std::min(from - now, std::max(0, limit - high));
            low += d;
            high += d;
        } else if (low > 0) {
            const int d = std::min(now - from, low);
            low -= d;
            high -= d;
        }
    };
    pan(last_.x, to.x, source_.left, source_.right, image_size_.cx);
    pan(last_.y, to.y, source_.top, source_.bottom, image_size_.cy);
    last_ = to;
    drawn_ = SourceString();
}

void CHandImgSelectButtonUI::DoEvent(dui::UiEvent& event) {
    const dui::Rect& pos = GetPos();
    switch (event.type) {
        case dui::EventType::kButtonDown:
        case dui::EventType::kDoubleClick:
            if (pos.Contains(event.point) && IsEnabled()) {
                SetStateBits(dui::kStatePushed | dui::kStateCaptured, true);
                last_ = event.point;
                dragging_ = true;
                Invalidate();
            }
            return;
        case dui::EventType::kButtonUp:
            if (IsCaptured()) {
                SetStateBits(dui::kStatePushed | dui::kStateCaptured, false);
                Invalidate();
            }
            dragging_ = false;
            return;
        case dui::EventType::kMouseMove:
            if (dragging_) {
                Pan(event.point);
                if (IsCaptured()) {
                    SetStateBits(dui::kStatePushed, pos.Contains(event.point));
                }
                Invalidate();
            }
            return;
        case dui::EventType::kMouseEnter:
        case dui::EventType::kMouseLeave:
            if (IsEnabled()) {
                SendNotify(event.type == dui::EventType::kMouseEnter ? "msenter" : "msleave");
            }
            dui::Button::DoEvent(event);
            return;
        default:
            dui::Button::DoEvent(event);
    }
}

void CHandImgSelectButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "handimage") {
        SetHandImage(value);
    } else {
        dui::Button::SetAttribute(name, value);
    }
}

void CHandImgSelectButtonUI::PaintStatusImage(dui::IRenderEngine& engine) {
    dui::Button::PaintStatusImage(engine);
    DrawImage(engine, drawn_);
}

}  // namespace calvorn::ui
