#pragma once

#include <string>

#include "dui/button.h"

namespace calvorn::ui {

// `CHandImgButtonUI` ("HandImgButton"): a button with a picture over its image and, while hot,
// a delete badge in its lower right part. Releasing the button in the badge sends
// "click_handdelete" instead of "click"; entering and leaving send "msenter" and "msleave".
class CHandImgButtonUI : public dui::Button {
public:
    std::string_view GetClass() const override { return "HandImgButton"; }

    bool IsBadgeHidden() const { return badge_hidden_; }
    void SetBadgeHidden(bool hidden);
    const std::string& GetHandImage() const { return hand_image_; }
    // The image the badge shows now: the hot one while the mouse is over the badge.
    const std::string& GetCurrentDeleteImage() const { return *current_delete_image_; }
    // The badge square, window pixels: 20 × 20 (scaled), its top 29 above the bottom edge and
    // its left 30 left of the right edge.
    dui::Rect GetBadgeRect() const;

    void DoEvent(dui::UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(dui::IRenderEngine& engine) override;

private:
    std::string hand_image_;
    std::string delete_normal_image_;
    std::string delete_hot_image_;
    const std::string* current_delete_image_ = &delete_normal_image_;
    bool badge_hidden_ = true;
};

}  // namespace calvorn::ui
