#pragma once

#include "dui/control.h"

namespace calvorn::dui {

// A colour picker: hue across and saturation down in the palette area, brightness in the bar
// below it. Choosing a colour with the mouse sends "colorchanged" when the button goes up.
class ColorPalette : public Control {
public:
    ColorPalette();
    std::string_view GetClass() const override { return "ColorPalette"; }

    // Opaque ARGB.
    Color GetSelectColor() const;
    // Moves the marks to `color` (its hue, saturation and brightness); no notification.
    void SetSelectColor(Color color);
    int GetPalletHeight() const { return pallet_height_; }
    int GetBarHeight() const { return bar_height_; }

    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;

    // HSV (hue 0..359, saturation and value 0..255) to opaque ARGB and back.
    static Color HsvToColor(int hue, int saturation, int value);
    static void ColorToHsv(Color color, int& hue, int& saturation, int& value);

private:
    Rect PalletRect() const;
    Rect BarRect() const;
    void PickAt(Point point);

    int hue_ = 0;
    int saturation_ = 255;
    int value_ = 255;
    int pallet_height_ = 150;
    int bar_height_ = 16;
    enum class Drag { kNone, kPallet, kBar } drag_ = Drag::kNone;
};

}  // namespace calvorn::dui
