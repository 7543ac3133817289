#pragma once

#include <string>

#include "dui/progress.h"

namespace calvorn::dui {

// A progress bar with a thumb. Dragging the thumb sends "movevaluechanged" while it moves
// (with "sendmove") and "valuechanged" when released; a click on the track moves the value
// there and the wheel moves it by "step", each sending "valuechanged". SetValue sends nothing.
class Slider : public Progress {
public:
    std::string_view GetClass() const override { return "Slider"; }

    int GetStep() const { return step_; }
    void SetStep(int step) { step_ = step; }
    Size GetThumbSize() const { return thumb_size_; }
    void SetThumbSize(Size size) { thumb_size_ = size; }
    bool IsSendMove() const { return send_move_; }
    void SetSendMove(bool on) { send_move_ = on; }
    // The thumb's rectangle, window pixels.
    Rect GetThumbRect() const;

    void DoEvent(UiEvent& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;

private:
    int ValueAt(Point point) const;

    int step_ = 1;
    Size thumb_size_{10, 10};
    bool send_move_ = false;
    bool thumb_hot_ = false;
    std::string thumb_image_;
    std::string thumb_hot_image_;
    std::string thumb_pushed_image_;
};

}  // namespace calvorn::dui
