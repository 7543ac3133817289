#pragma once

#include <string>

#include "dui/label.h"

namespace calvorn::dui {

// A label that can be clicked: button down and up inside while enabled (or Activate) sends
// "click". Its status image follows the state: disabled, pushed, hot, focused, normal; the
// foreground image is drawn over it.
class Button : public Label {
public:
    // A button's text is centred unless its layout says otherwise.
    Button() { SetTextStyle(kTextCenter | kTextVCenter | kTextSingleLine); }
    std::string_view GetClass() const override { return "Button"; }

    bool Activate() override;
    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;
    void PaintText(IRenderEngine& engine) override;
    void PaintBkColor(IRenderEngine& engine) override;

    const std::string& GetNormalImage() const { return normal_image_; }
    void SetNormalImage(std::string_view image);
    void SetHotImage(std::string_view image);
    void SetPushedImage(std::string_view image);
    void SetFocusedImage(std::string_view image);
    void SetDisabledImage(std::string_view image);
    const std::string& GetForeImage() const { return fore_image_; }
    void SetForeImage(std::string_view image);
    void SetHotForeImage(std::string_view image);
    void SetHotTextColor(Color color) { hot_text_color_ = color; }
    void SetPushedTextColor(Color color) { pushed_text_color_ = color; }
    void SetFocusedTextColor(Color color) { focused_text_color_ = color; }
    void SetHotBkColor(Color color) { hot_bk_color_ = color; }
    void SetPushedBkColor(Color color) { pushed_bk_color_ = color; }

protected:
    // The text colour for the current state.
    virtual Color StateTextColor() const;

    std::string normal_image_;
    std::string hot_image_;
    std::string pushed_image_;
    std::string focused_image_;
    std::string disabled_image_;
    std::string fore_image_;
    std::string hot_fore_image_;
    Color hot_text_color_ = kNoColor;
    Color pushed_text_color_ = kNoColor;
    Color focused_text_color_ = kNoColor;
    Color hot_bk_color_ = kNoColor;
    Color pushed_bk_color_ = kNoColor;
};

}  // namespace calvorn::dui
