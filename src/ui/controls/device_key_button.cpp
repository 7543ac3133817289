#include "ui/controls/device_key_button.h"

#include <algorithm>

namespace calvorn::ui {

namespace {

// The key cap sits inside the button's rectangle with a small gap, so neighbouring keys stay
// apart, and has rounded corners.
constexpr int kKeyCapInset = 1;
constexpr int kKeyCapRadius = 4;

std::uint32_t Scaled(std::uint32_t component, int brightness) {
    return component * static_cast<std::uint32_t>(brightness) / 255;
}

}  // namespace

void CDeviceKeyButtonUI::SetLightColor(std::uint32_t colour, int brightness, bool shown) {
    light_colour_ = colour;
    light_brightness_ = std::clamp(brightness, 0, 255);
    light_shown_ = shown;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeySetHidden(bool hidden) {
    if (keyset_hidden_ == hidden) {
        return;
    }
    keyset_hidden_ = hidden;
    Invalidate();
}

void CDeviceKeyButtonUI::DoEvent(dui::UiEvent& event) {
    if (event.type == dui::EventType::kDoubleClick) {
        if (GetPos().Contains(event.point) && IsEnabled()) {
            SetStateBits(dui::kStatePushed | dui::kStateCaptured, true);
            Invalidate();
            SendNotify("dbclick");
        }
        return;
    }
    dui::Button::DoEvent(event);
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "lightimage") {
        light_image_ = value;
        Invalidate();
    } else if (name == "keysetimage") {
        keyset_image_ = value;
        Invalidate();
    } else if (name == "gmnametextcolor") {
        // Accepted for the layouts that carry it; it changes nothing.
    } else {
        dui::Button::SetAttribute(name, value);
    }
}

void CDeviceKeyButtonUI::PaintStatusImage(dui::IRenderEngine& engine) {
    dui::Button::PaintStatusImage(engine);
    if (light_shown_) {
        const std::uint32_t red = light_colour_ & 0xFF;
        const std::uint32_t blue = (light_colour_ >> 8) & 0xFF;
        const std::uint32_t green = (light_colour_ >> 16) & 0xFF;
        if (light_image_.empty()) {
            PaintKeyCap(engine, 0xFF000000u | (Scaled(red, light_brightness_) << 16) |
                                    (Scaled(green, light_brightness_) << 8) |
                                    Scaled(blue, light_brightness_));
        } else {
            const dui::Color tint = 0xFF000000u | (red << 16) | (green << 8) | blue;
            DrawImage(engine, light_image_, tint, light_brightness_);
        }
    }
    if (!keyset_hidden_) {
        DrawImage(engine, keyset_image_);
    }
}

void CDeviceKeyButtonUI::PaintKeyCap(dui::IRenderEngine& engine, dui::Color colour) const {
    dui::Rect cap = GetPos();
    cap.left += kKeyCapInset;
    cap.top += kKeyCapInset;
    cap.right -= kKeyCapInset;
    cap.bottom -= kKeyCapInset;
    if (cap.right <= cap.left || cap.bottom <= cap.top) {
        return;
    }
    engine.FillRoundRect(cap, kKeyCapRadius, kKeyCapRadius, colour);
}

}  // namespace calvorn::ui
