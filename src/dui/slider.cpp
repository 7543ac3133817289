#include "dui/slider.h"

#include <algorithm>

#include "dui/attributes.h"

namespace calvorn::dui {

Rect Slider::GetThumbRect() const {
    const int cx = Scale(thumb_size_.cx);
    const int cy = Scale(thumb_size_.cy);
    const int span = std::max(1, GetMaxValue() - GetMinValue());
    const int done = GetValue() - GetMinValue();
    if (IsHorizontal()) {
        const int left = rect_.left + (rect_.Width() - cx) * done / span;
        const int top = (rect_.top + rect_.bottom - cy) / 2;
        return {left, top, left + cx, top + cy};
    }
    const int top = rect_.bottom - cy - (rect_.Height() - cy) * done / span;
    const int left = (rect_.left + rect_.right - cx) / 2;
    return {left, top, left + cx, top + cy};
}

int Slider::ValueAt(Point point) const {
    const int span = GetMaxValue() - GetMinValue();
    if (span <= 0) {
        return GetMinValue();
    }
    int offset = 0;
    int track = 0;
    if (IsHorizontal()) {
        const int cx = Scale(GetThumbSize().cx);
        offset = point.x - rect_.left - cx / 2;
        track = rect_.Width() - cx;
    } else {
        const int cy = Scale(GetThumbSize().cy);
        offset = rect_.bottom - point.y - cy / 2;
        track = rect_.Height() - cy;
    }
    if (track <= 0) {
        return GetMinValue();
    }
    const long value = GetMinValue() + (static_cast<long>(offset) * span + track / 2) / track;
    return static_cast<int>(std::clamp<long>(value, GetMinValue(), GetMaxValue()));
}

void Slider::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kButtonDown:
        case EventType::kDoubleClick:
            if (IsEnabled() && rect_.Contains(event.point)) {
                SetStateBits(kStatePushed | kStateCaptured, true);
                if (!GetThumbRect().Contains(event.point)) {
                    SetValue(ValueAt(event.point));
                }
                Invalidate();
            }
            return;
        case EventType::kMouseMove:
            if (IsCaptured()) {
                const int value = ValueAt(event.point);
                if (value != GetValue()) {
                    SetValue(value);
                    if (send_move_) {
                        SendNotify("movevaluechanged");
                    }
                }
            } else {
                const bool hot = GetThumbRect().Contains(event.point);
                if (hot != thumb_hot_) {
                    thumb_hot_ = hot;
                    Invalidate();
                }
            }
            return;
        case EventType::kButtonUp:
            if (IsCaptured()) {
                SetStateBits(kStatePushed | kStateCaptured, false);
                SetValue(ValueAt(event.point));
                Invalidate();
                SendNotify("valuechanged");
            }
            return;
        case EventType::kScrollWheel:
            if (IsEnabled()) {
                SetValue(GetValue() + (event.wheel_delta > 0 ? step_ : -step_));
                SendNotify("valuechanged");
            }
            return;
        case EventType::kMouseEnter:
            if (IsEnabled()) {
                SetStateBits(kStateHot, true);
                Invalidate();
            }
            return;
        case EventType::kMouseLeave:
            SetStateBits(kStateHot, false);
            thumb_hot_ = false;
            Invalidate();
            return;
        default:
            Progress::DoEvent(event);
    }
}

void Slider::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "step") {
        SetStep(std::max(1, ParseInt(value, 1)));
    } else if (name == "thumbsize") {
        SetThumbSize(ParseSize(value));
    } else if (name == "sendmove") {
        SetSendMove(ParseBool(value));
    } else if (name == "thumbimage") {
        thumb_image_ = value;
    } else if (name == "thumbhotimage") {
        thumb_hot_image_ = value;
    } else if (name == "thumbpushedimage") {
        thumb_pushed_image_ = value;
    } else {
        Progress::SetAttribute(name, value);
    }
}

void Slider::PaintStatusImage(IRenderEngine& engine) {
    Progress::PaintStatusImage(engine);
    const std::string* image = &thumb_image_;
    if (IsCaptured() && !thumb_pushed_image_.empty()) {
        image = &thumb_pushed_image_;
    } else if (thumb_hot_ && !thumb_hot_image_.empty()) {
        image = &thumb_hot_image_;
    }
    DrawImage(engine, *image, GetThumbRect());
}

}  // namespace calvorn::dui
