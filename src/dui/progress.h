#pragma once

#include <string>

#include "dui/label.h"

namespace calvorn::dui {

// A bar filled in proportion to value between min and max: the fore image (its source cut to
// the filled part) or the fore colour over the filled part, horizontally or vertically
// (filling from the bottom).
class Progress : public Label {
public:
    std::string_view GetClass() const override { return "Progress"; }

    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    int GetValue() const { return value_; }
    void SetMinValue(int min);
    void SetMaxValue(int max);
    // Clamped to min..max.
    void SetValue(int value);
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal);
    Color GetForeColor() const { return fore_color_; }
    void SetForeColor(Color color);
    const std::string& GetForeImage() const { return fore_image_; }
    void SetForeImage(std::string_view image);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;

protected:
    // The filled part of the control's rectangle.
    Rect FilledRect() const;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool horizontal_ = true;
    Color fore_color_ = kNoColor;
    std::string fore_image_;
};

}  // namespace calvorn::dui
