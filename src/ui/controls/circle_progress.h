#pragma once

#include "dui/progress.h"

namespace calvorn::ui {

// `CCircleProgressUI` ("CircleProgress"): progress drawn as a ring. The background colour
// fills the whole ellipse, the fore colour a pie from 90 degrees sweeping the done part of
// 360 degrees, and a white ellipse inset by 10 pixels leaves the ring.
class CCircleProgressUI : public dui::Progress {
public:
    std::string_view GetClass() const override { return "CircleProgress"; }
    // The pie's sweep in degrees for the current value.
    double SweepDegrees() const;

    void PaintBkColor(dui::IRenderEngine& engine) override;
    void PaintStatusImage(dui::IRenderEngine& engine) override;
};

}  // namespace calvorn::ui
