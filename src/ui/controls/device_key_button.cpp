#include "ui/controls/device_key_button.h"

#include <algorithm>
#include <optional>

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
    brightness = std::clamp(brightness, 0, 255);
    if (colour == light_colour_ && brightness == light_brightness_ && shown == light_shown_) {
        return;
    }
    // A plain cap changing colour is the live part; anything else changes the static look.
    const bool live_only = shown && light_shown_ && light_image_.empty();
    light_colour_ = colour;
    light_brightness_ = brightness;
    light_shown_ = shown;
    if (live_only) {
        InvalidateLive();
    } else {
        Invalidate();
    }
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
        if (light_image_.empty()) {
            // In a layer the cap is a hole that PaintLive fills underneath.
            if (const std::optional<dui::Rect> cap = KeyCap()) {
                if (engine.PaintingLayer()) {
                    engine.EraseRoundRect(*cap, kKeyCapRadius, kKeyCapRadius);
                } else {
                    engine.FillRoundRect(*cap, kKeyCapRadius, kKeyCapRadius,
                                         LightArgb(light_brightness_));
                }
            }
        } else {
            DrawImage(engine, light_image_, LightArgb(255), light_brightness_);
        }
    }
    if (!keyset_hidden_) {
        DrawImage(engine, keyset_image_);
    }
}

void CDeviceKeyButtonUI::PaintLive(dui::IRenderEngine& engine) {
    if (!light_shown_ || !light_image_.empty()) {
        return;
    }
    // A square is enough: the layer's picture keeps the rounded corners around the hole.
    if (const std::optional<dui::Rect> cap = KeyCap()) {
        engine.FillRect(*cap, LightArgb(light_brightness_));
    }
}

std::optional<dui::Rect> CDeviceKeyButtonUI::KeyCap() const {
    dui::Rect cap = GetPos();
    cap.left += kKeyCapInset;
    cap.top += kKeyCapInset;
    cap.right -= kKeyCapInset;
    cap.bottom -= kKeyCapInset;
    if (cap.right <= cap.left || cap.bottom <= cap.top) {
        return std::nullopt;
    }
    return cap;
}

dui::Color CDeviceKeyButtonUI::LightArgb(int brightness) const {
    const std::uint32_t red = light_colour_ & 0xFF;
    const std::uint32_t blue = (light_colour_ >> 8) & 0xFF;
    const std::uint32_t green = (light_colour_ >> 16) & 0xFF;
    return 0xFF000000u | (Scaled(red, brightness) << 16) | (Scaled(green, brightness) << 8) |
           Scaled(blue, brightness);
}

}  // namespace calvorn::ui
