#include "dui/color_palette.h"

#include <algorithm>

#include "dui/attributes.h"

namespace calvorn::dui {

namespace {

// Size of one painted cell of the palette and the bar, 96-DPI pixels.
constexpr int kCell = 6;

}  // namespace

ColorPalette::ColorPalette() {
    SetKeyboardEnabled(false);
}

Color ColorPalette::HsvToColor(int hue, int saturation, int value) {
    hue = ((hue % 360) + 360) % 360;
    saturation = std::clamp(saturation, 0, 255);
    value = std::clamp(value, 0, 255);
    const int region = hue / 60;
    const int remainder = (hue % 60) * 255 / 60;
    const int p = value * (255 - saturation) / 255;
    const int q = value * (255 - saturation * remainder / 255) / 255;
    const int t = value * (255 - saturation * (255 - remainder) / 255) / 255;
    int r = 0;
    int g = 0;
    int b = 0;
    switch (region) {
        case 0:
            r = value, g = t, b = p;
            break;
        case 1:
            r = q, g = value, b = p;
            break;
        case 2:
            r = p, g = value, b = t;
            break;
        case 3:
            r = p, g = q, b = value;
            break;
        case 4:
            r = t, g = p, b = value;
            break;
        default:
            r = value, g = p, b = q;
            break;
    }
    return 0xFF000000u | (static_cast<Color>(r) << 16) | (static_cast<Color>(g) << 8) |
           static_cast<Color>(b);
}

void ColorPalette::ColorToHsv(Color color, int& hue, int& saturation, int& value) {
    const int r = static_cast<int>((color >> 16) & 0xFF);
    const int g = static_cast<int>((color >> 8) & 0xFF);
    const int b = static_cast<int>(color & 0xFF);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int delta = max - min;
    value = max;
    saturation = max == 0 ? 0 : delta * 255 / max;
    if (delta == 0) {
        hue = 0;
    } else if (max == r) {
        hue = (60 * (g - b) / delta + 360) % 360;
    } else if (max == g) {
        hue = 60 * (b - r) / delta + 120;
    } else {
        hue = 60 * (r - g) / delta + 240;
    }
}

Color ColorPalette::GetSelectColor() const {
    return HsvToColor(hue_, saturation_, value_);
}

void ColorPalette::SetSelectColor(Color color) {
    ColorToHsv(color, hue_, saturation_, value_);
    Invalidate();
}

Rect ColorPalette::PalletRect() const {
    return {rect_.left, rect_.top, rect_.right,
            std::min(rect_.bottom, rect_.top + Scale(pallet_height_))};
}

Rect ColorPalette::BarRect() const {
    const Rect pallet = PalletRect();
    return {rect_.left, pallet.bottom, rect_.right,
            std::min(rect_.bottom, pallet.bottom + Scale(bar_height_))};
}

void ColorPalette::PickAt(Point point) {
    if (drag_ == Drag::kPallet) {
        const Rect pallet = PalletRect();
        if (pallet.Width() <= 0 || pallet.Height() <= 0) {
            return;
        }
        const int x = std::clamp(point.x - pallet.left, 0, pallet.Width() - 1);
        const int y = std::clamp(point.y - pallet.top, 0, pallet.Height() - 1);
        hue_ = x * 360 / pallet.Width();
        saturation_ = 255 - y * 255 / std::max(1, pallet.Height() - 1);
    } else if (drag_ == Drag::kBar) {
        const Rect bar = BarRect();
        if (bar.Width() <= 0) {
            return;
        }
        const int x = std::clamp(point.x - bar.left, 0, bar.Width() - 1);
        value_ = x * 255 / std::max(1, bar.Width() - 1);
    }
    Invalidate();
}

void ColorPalette::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kButtonDown:
            if (IsEnabled()) {
                if (PalletRect().Contains(event.point)) {
                    drag_ = Drag::kPallet;
                } else if (BarRect().Contains(event.point)) {
                    drag_ = Drag::kBar;
                }
                PickAt(event.point);
            }
            return;
        case EventType::kMouseMove:
            if (drag_ != Drag::kNone) {
                PickAt(event.point);
            }
            return;
        case EventType::kButtonUp:
            if (drag_ != Drag::kNone) {
                PickAt(event.point);
                drag_ = Drag::kNone;
                SendNotify("colorchanged");
            }
            return;
        default:
            Control::DoEvent(event);
    }
}

void ColorPalette::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "palletheight") {
        pallet_height_ = std::max(0, ParseInt(value, 150));
        Invalidate();
    } else if (name == "barheight") {
        bar_height_ = std::max(0, ParseInt(value, 16));
        Invalidate();
    } else {
        Control::SetAttribute(name, value);
    }
}

void ColorPalette::PaintStatusImage(IRenderEngine& engine) {
    const int cell = std::max(1, Scale(kCell));
    const Rect pallet = PalletRect();
    for (int y = pallet.top; y < pallet.bottom; y += cell) {
        const int saturation = 255 - (y - pallet.top) * 255 / std::max(1, pallet.Height());
        for (int x = pallet.left; x < pallet.right; x += cell) {
            const int hue = (x - pallet.left) * 360 / std::max(1, pallet.Width());
            engine.FillRect(
                {x, y, std::min(x + cell, pallet.right), std::min(y + cell, pallet.bottom)},
                HsvToColor(hue, saturation, value_));
        }
    }
    const Rect bar = BarRect();
    for (int x = bar.left; x < bar.right; x += cell) {
        const int value = (x - bar.left) * 255 / std::max(1, bar.Width());
        engine.FillRect({x, bar.top, std::min(x + cell, bar.right), bar.bottom},
                        HsvToColor(hue_, saturation_, value));
    }
    const int mark = Scale(3);
    if (!pallet.IsEmpty()) {
        const int mx = pallet.left + hue_ * pallet.Width() / 360;
        const int my = pallet.top + (255 - saturation_) * (pallet.Height() - 1) / 255;
        engine.DrawRect({mx - mark, my - mark, mx + mark, my + mark}, 1, 0xFFFFFFFF);
    }
    if (!bar.IsEmpty()) {
        const int bx = bar.left + value_ * (bar.Width() - 1) / 255;
        engine.DrawRect({bx - mark, bar.top, bx + mark, bar.bottom}, 1, 0xFFFFFFFF);
    }
}

}  // namespace calvorn::dui
