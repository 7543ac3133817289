#pragma once

// The UI layer's render engine over QPainter: anti-aliased shapes, text in the window's fonts,
// images with source rectangles, nine-patch corners, tiling, mask colours, fade and tint, and
// layers kept as images.

#include <QPainter>
#include <vector>

#include "dui/render_engine.h"
#include "qt/image_cache.h"
#include "qt/layer_cache.h"

namespace calvorn::qt {

class QtRenderEngine final : public dui::IRenderEngine {
public:
    // Layered containers are kept in `layers`; without it they are painted as any other.
    // `painting_layer` is set for the engine that paints a layer's picture.
    QtRenderEngine(QPainter& painter, ImageCache& images, LayerCache* layers = nullptr,
                   bool painting_layer = false);

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
    bool KeepsLayers() const override { return layers_ != nullptr; }
    bool PaintingLayer() const override { return painting_layer_; }
    void DrawLayer(const void* owner, std::uint64_t generation, const dui::Rect& rect,
                   const std::function<void(dui::IRenderEngine&)>& paint) override;
    void EraseRoundRect(const dui::Rect& rect, int rx, int ry) override;

    // The QFont for a font description (also used by the native text editor).
    static QFont ToQFont(const dui::FontSpec& font);

private:
    void DrawPart(const QImage& image, const QRect& dest, const QRect& source, bool xtiled,
                  bool ytiled);

    QPainter& painter_;
    ImageCache& images_;
    LayerCache* layers_;
    bool painting_layer_;
    std::vector<QRect> clips_;
};

QColor ToQColor(dui::Color color);
QRect ToQRect(const dui::Rect& rect);

}  // namespace calvorn::qt
