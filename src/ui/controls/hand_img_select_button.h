#pragma once

#include <string>

#include "dui/button.h"

namespace calvorn::ui {

// `CHandImgSelectButtonUI` ("HandImgSelectButton"): a button showing a part of a picture that
// may be larger than the button. Dragging pans the visible part, which never leaves the
// picture; entering and leaving send "msenter" and "msleave".
class CHandImgSelectButtonUI : public dui::Button {
public:
    std::string_view GetClass() const override { return "HandImgSelectButton"; }

    // Stores the picture and shows its top-left part at the button's size. The picture's size
    // comes from the window's host; without a window it is looked up when the button joins one.
    void SetHandImage(std::string_view path);
    const std::string& GetHandImage() const { return image_path_; }
    // The image string drawn over the button.
    const std::string& GetDrawnImage() const { return drawn_; }
    // The visible part of the picture, picture pixels.
    const dui::Rect& GetSourceRect() const { return source_; }
    dui::Size GetImageSize() const { return image_size_; }
    bool IsDragging() const { return dragging_; }

    void DoEvent(dui::UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(dui::IRenderEngine& engine) override;

protected:
    void DoInit() override;

private:
    void UpdateImage();
    void Pan(dui::Point to);
    std::string SourceString() const;

    std::string image_path_;
    std::string drawn_;
    dui::Size image_size_;
    dui::Rect source_;
    dui::Point last_;
    bool dragging_ = false;
};

}  // namespace calvorn::ui
