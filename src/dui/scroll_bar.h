#pragma once

#include <string>

#include "dui/control.h"

namespace calvorn::dui {

class Container;

// The scroll bar of a container: a track and a thumb sized by the visible part. Dragging the
// thumb or clicking the track (one page) scrolls the owner.
class ScrollBar : public Control {
public:
    ScrollBar();
    std::string_view GetClass() const override { return "ScrollBar"; }

    Container* GetOwner() const { return owner_; }
    void SetOwner(Container* owner) { owner_ = owner; }
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal);
    // The scrollable amount (content size - visible size), window pixels; 0 hides the thumb.
    int GetScrollRange() const { return range_; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return pos_; }
    // Clamped to 0..range.
    void SetScrollPos(int pos);
    // Line size in 96-DPI units (wheel and arrow keys).
    int GetLineSize() const { return line_size_; }
    void SetLineSize(int size) { line_size_ = size; }
    // Thickness in 96-DPI units.
    int GetThickness() const { return thickness_; }
    Rect GetThumbRect() const;

    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkImage(IRenderEngine& engine) override;
    void PaintStatusImage(IRenderEngine& engine) override;

private:
    void ScrollOwnerTo(int pos);

    Container* owner_ = nullptr;
    bool horizontal_ = false;
    int range_ = 0;
    int pos_ = 0;
    int line_size_ = 8;
    int thickness_ = 8;
    bool dragging_ = false;
    Point drag_start_;
    int drag_start_pos_ = 0;
    Color thumb_color_ = 0xFFB0B0B0;
    Color thumb_hot_color_ = 0xFF909090;
    std::string thumb_image_;
    std::string thumb_hot_image_;
    std::string thumb_pushed_image_;
    std::string bk_normal_image_;
};

}  // namespace calvorn::dui
