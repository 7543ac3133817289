#include "dui/scroll_bar.h"

#include <algorithm>

#include "dui/attributes.h"
#include "dui/container.h"

namespace calvorn::dui {

ScrollBar::ScrollBar() {
    SetBkColor(0xFFE8E8E8);
    SetKeyboardEnabled(false);
}

void ScrollBar::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void ScrollBar::SetScrollRange(int range) {
    range_ = std::max(0, range);
    pos_ = std::clamp(pos_, 0, range_);
    Invalidate();
}

void ScrollBar::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, range_);
    if (pos == pos_) {
        return;
    }
    pos_ = pos;
    Invalidate();
}

Rect ScrollBar::GetThumbRect() const {
    const int track = horizontal_ ? rect_.Width() : rect_.Height();
    if (range_ <= 0 || track <= 0) {
        return {};
    }
    const int length =
        std::clamp(static_cast<int>(static_cast<long>(track) * track / (track + range_)),
                   std::min(track, Scale(thickness_)), track);
    const int offset = static_cast<int>(static_cast<long>(track - length) * pos_ / range_);
    if (horizontal_) {
        return {rect_.left + offset, rect_.top, rect_.left + offset + length, rect_.bottom};
    }
    return {rect_.left, rect_.top + offset, rect_.right, rect_.top + offset + length};
}

void ScrollBar::ScrollOwnerTo(int pos) {
    if (owner_ == nullptr) {
        SetScrollPos(pos);
        return;
    }
    Size scroll = owner_->GetScrollPos();
    if (horizontal_) {
        scroll.cx = pos;
    } else {
        scroll.cy = pos;
    }
    owner_->SetScrollPos(scroll);
}

void ScrollBar::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kButtonDown:
        case EventType::kDoubleClick: {
            if (!IsEnabled() || range_ <= 0) {
                return;
            }
            const Rect thumb = GetThumbRect();
            if (thumb.Contains(event.point)) {
                dragging_ = true;
                drag_start_ = event.point;
                drag_start_pos_ = pos_;
                SetStateBits(kStatePushed | kStateCaptured, true);
            } else {
                const int page = horizontal_ ? rect_.Width() : rect_.Height();
                const bool before =
                    horizontal_ ? event.point.x < thumb.left : event.point.y < thumb.top;
                ScrollOwnerTo(before ? pos_ - page : pos_ + page);
            }
            Invalidate();
            return;
        }
        case EventType::kMouseMove:
            if (dragging_) {
                const Rect thumb = GetThumbRect();
                const int track =
                    horizontal_ ? rect_.Width() - thumb.Width() : rect_.Height() - thumb.Height();
                const int moved =
                    horizontal_ ? event.point.x - drag_start_.x : event.point.y - drag_start_.y;
                if (track > 0) {
                    ScrollOwnerTo(drag_start_pos_ +
                                  static_cast<int>(static_cast<long>(moved) * range_ / track));
                }
            }
            return;
        case EventType::kButtonUp:
            dragging_ = false;
            SetStateBits(kStatePushed | kStateCaptured, false);
            Invalidate();
            return;
        case EventType::kMouseEnter:
            SetStateBits(kStateHot, true);
            Invalidate();
            return;
        case EventType::kMouseLeave:
            SetStateBits(kStateHot, false);
            Invalidate();
            return;
        default:
            Control::DoEvent(event);
    }
}

void ScrollBar::SetAttribute(std::string_view name, std::string_view value) {
    auto color = [&](Color& target) {
        if (auto c = ParseColor(value)) {
            target = *c;
        }
    };
    if (name == "hor") {
        SetHorizontal(ParseBool(value));
    } else if (name == "range") {
        SetScrollRange(ParseInt(value));
    } else if (name == "scrollpos") {
        SetScrollPos(ParseInt(value));
    } else if (name == "linesize") {
        SetLineSize(std::max(1, ParseInt(value, 8)));
    } else if ((name == "width" && !horizontal_) || (name == "height" && horizontal_)) {
        thickness_ = std::max(1, ParseInt(value, 8));
    } else if (name == "thumbcolor") {
        color(thumb_color_);
    } else if (name == "thumbhotcolor") {
        color(thumb_hot_color_);
    } else if (name == "thumbnormalimage") {
        thumb_image_ = value;
    } else if (name == "thumbhotimage") {
        thumb_hot_image_ = value;
    } else if (name == "thumbpushedimage") {
        thumb_pushed_image_ = value;
    } else if (name == "bknormalimage") {
        bk_normal_image_ = value;
    } else {
        Control::SetAttribute(name, value);
    }
}

void ScrollBar::PaintBkImage(IRenderEngine& engine) {
    Control::PaintBkImage(engine);
    DrawImage(engine, bk_normal_image_);
}

void ScrollBar::PaintStatusImage(IRenderEngine& engine) {
    const Rect thumb = GetThumbRect();
    if (thumb.IsEmpty()) {
        return;
    }
    const std::string* image = &thumb_image_;
    if (dragging_ && !thumb_pushed_image_.empty()) {
        image = &thumb_pushed_image_;
    } else if (IsHot() && !thumb_hot_image_.empty()) {
        image = &thumb_hot_image_;
    }
    if (!image->empty()) {
        DrawImage(engine, *image, thumb);
        return;
    }
    const Color color = IsHot() || dragging_ ? thumb_hot_color_ : thumb_color_;
    if (IsDrawn(color)) {
        engine.FillRect(thumb, color);
    }
}

}  // namespace calvorn::dui
