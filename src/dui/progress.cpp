#include "dui/progress.h"

#include <algorithm>

#include "dui/attributes.h"

namespace calvorn::dui {

void Progress::SetMinValue(int min) {
    min_ = min;
    Invalidate();
}

void Progress::SetMaxValue(int max) {
    max_ = max;
    Invalidate();
}

void Progress::SetValue(int value) {
    value = max_ > min_ ? std::clamp(value, min_, max_) : min_;
    if (value == value_) {
        return;
    }
    value_ = value;
    Invalidate();
}

void Progress::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void Progress::SetForeColor(Color color) {
    fore_color_ = color;
    Invalidate();
}

void Progress::SetForeImage(std::string_view image) {
    fore_image_ = image;
    Invalidate();
}

void Progress::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "min") {
        SetMinValue(ParseInt(value));
    } else if (name == "max") {
        SetMaxValue(ParseInt(value));
    } else if (name == "value") {
        SetValue(ParseInt(value));
    } else if (name == "hor") {
        SetHorizontal(ParseBool(value));
    } else if (name == "forecolor") {
        if (auto c = ParseColor(value)) {
            SetForeColor(*c);
        }
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else {
        Label::SetAttribute(name, value);
    }
}

Rect Progress::FilledRect() const {
    if (max_ <= min_) {
        return {rect_.left, rect_.top, rect_.left, rect_.top};
    }
    const long span = max_ - min_;
    const long done = value_ - min_;
    Rect filled = rect_;
    if (horizontal_) {
        filled.right = rect_.left + static_cast<int>(rect_.Width() * done / span);
    } else {
        filled.top = rect_.bottom - static_cast<int>(rect_.Height() * done / span);
    }
    return filled;
}

void Progress::PaintStatusImage(IRenderEngine& engine) {
    const Rect filled = FilledRect();
    if (filled.IsEmpty()) {
        return;
    }
    if (IsDrawn(fore_color_)) {
        engine.FillRect(filled, fore_color_);
    }
    if (!fore_image_.empty()) {
        engine.PushClip(filled);
        DrawImage(engine, fore_image_);
        engine.PopClip();
    }
}

}  // namespace calvorn::dui
