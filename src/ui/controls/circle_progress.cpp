#include "ui/controls/circle_progress.h"

namespace calvorn::ui {

namespace {

constexpr double kStartDegrees = 90.0;
constexpr int kRingInset = 10;
constexpr dui::Color kHoleColor = 0xFFFFFFFF;

}  // namespace

double CCircleProgressUI::SweepDegrees() const {
    const int span = GetMaxValue() - GetMinValue();
    if (span <= 0) {
        return 0.0;
    }
    return static_cast<double>(GetValue() - GetMinValue()) * 360.0 / span;
}

void CCircleProgressUI::PaintBkColor(dui::IRenderEngine& engine) {
    if (dui::IsDrawn(GetBkColor())) {
        engine.FillEllipse(GetPos(), GetBkColor());
    }
}

void CCircleProgressUI::PaintStatusImage(dui::IRenderEngine& engine) {
    engine.FillPie(GetPos(), kStartDegrees, SweepDegrees(), GetForeColor());
    const int inset = Scale(kRingInset);
    engine.FillEllipse(GetPos().Deflate({inset, inset, inset, inset}), kHoleColor);
}

}  // namespace calvorn::ui
