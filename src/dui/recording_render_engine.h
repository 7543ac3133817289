#pragma once

// A render engine that records every call as a line of text instead of drawing, so tests can
// assert what a control paints without a display:
//   fill 0,0,100,20 #FF112233
//   pie 10,10,110,110 start=90 sweep=90 #FF00FF00
//   text 0,0,100,20 "OK" font=Verdana/12 #FF000000 fmt=0x25
//   image skin/a.png dest=0,0,10,10 source=0,0,5,5 fade=255 tint=#FFFF0000
// With SetKeepsLayers(true) it keeps layers as a picture-keeping engine would: a layer's
// calls are recorded between "layer begin" and "layer end" when it is painted anew, and a
// layer drawn from its kept picture records only "layer kept".

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dui/render_engine.h"

namespace calvorn::dui {

class RecordingRenderEngine : public IRenderEngine {
public:
    void FillRect(const Rect& rect, Color color) override;
    void DrawRect(const Rect& rect, int width, Color color) override;
    void FillRoundRect(const Rect& rect, int rx, int ry, Color color) override;
    void DrawRoundRect(const Rect& rect, int width, int rx, int ry, Color color) override;
    void FillEllipse(const Rect& rect, Color color) override;
    void FillPie(const Rect& rect, double start_degrees, double sweep_degrees,
                 Color color) override;
    void DrawText(const Rect& rect, std::string_view text, const FontSpec& font, Color color,
                  unsigned format) override;
    void DrawImage(const ImageDraw& image) override;
    void PushClip(const Rect& rect) override;
    void PopClip() override;
    bool KeepsLayers() const override { return keeps_layers_; }
    bool PaintingLayer() const override { return painting_layer_; }
    void DrawLayer(const void* owner, std::uint64_t generation, const Rect& rect,
                   const std::function<void(IRenderEngine&)>& paint) override;
    void EraseRoundRect(const Rect& rect, int rx, int ry) override;

    void SetKeepsLayers(bool on) { keeps_layers_ = on; }

    const std::vector<std::string>& Calls() const { return calls_; }
    const std::vector<ImageDraw>& Images() const { return images_; }
    // Calls whose line starts with `prefix` ("pie", "image", "text").
    std::vector<std::string> CallsStartingWith(std::string_view prefix) const;
    bool Contains(std::string_view line) const;
    // Clips pushed and not yet popped.
    int ClipDepth() const { return clip_depth_; }
    void Clear();

    static std::string Format(const Rect& rect);
    static std::string Format(Color color);

private:
    std::vector<std::string> calls_;
    std::vector<ImageDraw> images_;
    int clip_depth_ = 0;
    bool keeps_layers_ = false;
    bool painting_layer_ = false;
    std::map<const void*, std::uint64_t> layers_;  // generation of each kept picture
};

}  // namespace calvorn::dui
