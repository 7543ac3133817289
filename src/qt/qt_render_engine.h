#pragma once

// The UI layer's render engine over QPainter: anti-aliased shapes, text in the window's fonts,
// and images with source rectangles, nine-patch corners, tiling, mask colours, fade and tint.

#include <QPainter>
#include <vector>

#include "dui/render_engine.h"
#include "qt/image_cache.h"

namespace calvorn::qt {

class QtRenderEngine final : public dui::IRenderEngine {
public:
    QtRenderEngine(QPainter& painter, ImageCache& images);

    void FillRect(const dui::Rect& rect, dui::Color color) override;
    void DrawRect(const dui::Rect& rect, int width, dui::Color color) override;
    void FillRoundRect(const dui::Rect& rect, int rx, int ry, dui::Color color) override;
    void DrawRoundRect(const dui::Rect& rect, int width, int rx, int ry, dui::Color color) override;
    void FillEllipse(const dui::Rect& rect, dui::Color color) override;
    void FillPie(const dui::Rect& rect, double start_degrees, double sweep_degrees,
                 dui::Color color) override;
    void DrawText(const dui::Rect& rect, std::string_view text, const dui::FontSpec& font,
                  dui::Color color, unsigned format) override;
    void DrawImage(const dui::ImageDraw& image) override;
    void PushClip(const dui::Rect& rect) override;
    void PopClip() override;

    // The QFont for a font description (also used by the native text editor).
    static QFont ToQFont(const dui::FontSpec& font);

private:
    void DrawPart(const QImage& image, const QRect& dest, const QRect& source, bool xtiled,
                  bool ytiled);

    QPainter& painter_;
    ImageCache& images_;
    std::vector<QRect> clips_;
};

QColor ToQColor(dui::Color color);
QRect ToQRect(const dui::Rect& rect);

}  // namespace calvorn::qt
