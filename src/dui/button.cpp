#include "dui/button.h"

#include "dui/attributes.h"

namespace calvorn::dui {

namespace {

bool IsMouseEvent(EventType type) {
    switch (type) {
        case EventType::kMouseMove:
        case EventType::kMouseEnter:
        case EventType::kMouseLeave:
        case EventType::kButtonDown:
        case EventType::kButtonUp:
        case EventType::kDoubleClick:
        case EventType::kContextMenu:
        case EventType::kScrollWheel:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool Button::Activate() {
    if (!Control::Activate()) {
        return false;
    }
    SendNotify("click");
    return true;
}

void Button::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        Label::DoEvent(event);
        return;
    }
    switch (event.type) {
        case EventType::kKeyDown:
            if (event.key == kKeySpace || event.key == kKeyReturn) {
                Activate();
                return;
            }
            break;
        case EventType::kButtonDown:
        case EventType::kDoubleClick:
            if (rect_.Contains(event.point) && IsEnabled()) {
                SetStateBits(kStatePushed | kStateCaptured, true);
                Invalidate();
            }
            return;
        case EventType::kMouseMove:
            if (IsCaptured()) {
                SetStateBits(kStatePushed, rect_.Contains(event.point));
                Invalidate();
            }
            return;
        case EventType::kButtonUp:
            if (IsCaptured()) {
                SetStateBits(kStatePushed | kStateCaptured, false);
                Invalidate();
                if (rect_.Contains(event.point)) {
                    Activate();
                }
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
            Invalidate();
            return;
        default:
            break;
    }
    Label::DoEvent(event);
}

void Button::SetNormalImage(std::string_view image) {
    normal_image_ = image;
    Invalidate();
}

void Button::SetHotImage(std::string_view image) {
    hot_image_ = image;
    Invalidate();
}

void Button::SetPushedImage(std::string_view image) {
    pushed_image_ = image;
    Invalidate();
}

void Button::SetFocusedImage(std::string_view image) {
    focused_image_ = image;
    Invalidate();
}

void Button::SetDisabledImage(std::string_view image) {
    disabled_image_ = image;
    Invalidate();
}

void Button::SetForeImage(std::string_view image) {
    fore_image_ = image;
    Invalidate();
}

void Button::SetHotForeImage(std::string_view image) {
    hot_fore_image_ = image;
    Invalidate();
}

void Button::SetAttribute(std::string_view name, std::string_view value) {
    auto color = [&](Color& target) {
        if (auto c = ParseColor(value)) {
            target = *c;
            Invalidate();
        }
    };
    if (name == "normalimage") {
        SetNormalImage(value);
    } else if (name == "hotimage") {
        SetHotImage(value);
    } else if (name == "pushedimage") {
        SetPushedImage(value);
    } else if (name == "focusedimage") {
        SetFocusedImage(value);
    } else if (name == "disabledimage") {
        SetDisabledImage(value);
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "hotforeimage") {
        SetHotForeImage(value);
    } else if (name == "hottextcolor") {
        color(hot_text_color_);
    } else if (name == "pushedtextcolor") {
        color(pushed_text_color_);
    } else if (name == "focusedtextcolor") {
        color(focused_text_color_);
    } else if (name == "hotbkcolor") {
        color(hot_bk_color_);
    } else if (name == "pushedbkcolor") {
        color(pushed_bk_color_);
    } else {
        Label::SetAttribute(name, value);
    }
}

void Button::PaintBkColor(IRenderEngine& engine) {
    Color color = kNoColor;
    if (IsEnabled() && IsPushed()) {
        color = pushed_bk_color_;
    }
    if (!IsDrawn(color) && IsEnabled() && IsHot()) {
        color = hot_bk_color_;
    }
    if (IsDrawn(color)) {
        engine.FillRect(rect_, color);
        return;
    }
    Label::PaintBkColor(engine);
}

void Button::PaintStatusImage(IRenderEngine& engine) {
    const std::string* image = &normal_image_;
    if (!IsEnabled()) {
        if (!disabled_image_.empty()) {
            image = &disabled_image_;
        }
    } else if (IsPushed() && !pushed_image_.empty()) {
        image = &pushed_image_;
    } else if (IsHot() && !hot_image_.empty()) {
        image = &hot_image_;
    } else if (IsFocused() && !focused_image_.empty()) {
        image = &focused_image_;
    }
    DrawImage(engine, *image);
    if (IsHot() && !hot_fore_image_.empty()) {
        DrawImage(engine, hot_fore_image_);
    } else {
        DrawImage(engine, fore_image_);
    }
}

Color Button::StateTextColor() const {
    if (!IsEnabled()) {
        return GetDisabledTextColor();
    }
    if (IsPushed() && IsDrawn(pushed_text_color_)) {
        return pushed_text_color_;
    }
    if (IsHot() && IsDrawn(hot_text_color_)) {
        return hot_text_color_;
    }
    if (IsFocused() && IsDrawn(focused_text_color_)) {
        return focused_text_color_;
    }
    return GetTextColor();
}

void Button::PaintText(IRenderEngine& engine) {
    DrawTextIn(engine, GetText(), StateTextColor());
}

}  // namespace calvorn::dui
