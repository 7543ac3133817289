#include "dui/recording_render_engine.h"

#include <cstdio>

namespace calvorn::dui {

std::string RecordingRenderEngine::Format(const Rect& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

std::string RecordingRenderEngine::Format(Color color) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%08X", color);
    return buffer;
}

namespace {

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

}  // namespace

void RecordingRenderEngine::FillRect(const Rect& rect, Color color) {
    calls_.push_back("fill " + Format(rect) + " " + Format(color));
}

void RecordingRenderEngine::DrawRect(const Rect& rect, int width, Color color) {
    calls_.push_back("border " + Format(rect) + " w=" + std::to_string(width) + " " +
                     Format(color));
}

void RecordingRenderEngine::FillRoundRect(const Rect& rect, int rx, int ry, Color color) {
    calls_.push_back("fillround " + Format(rect) + " r=" + std::to_string(rx) + "," +
                     std::to_string(ry) + " " + Format(color));
}

void RecordingRenderEngine::DrawRoundRect(const Rect& rect, int width, int rx, int ry,
                                          Color color) {
    calls_.push_back("borderround " + Format(rect) + " w=" + std::to_string(width) +
                     " r=" + std::to_string(rx) + "," + std::to_string(ry) + " " + Format(color));
}

void RecordingRenderEngine::FillEllipse(const Rect& rect, Color color) {
    calls_.push_back("ellipse " + Format(rect) + " " + Format(color));
}

void RecordingRenderEngine::FillPie(const Rect& rect, double start_degrees, double sweep_degrees,
                                    Color color) {
    calls_.push_back("pie " + Format(rect) + " start=" + Number(start_degrees) +
                     " sweep=" + Number(sweep_degrees) + " " + Format(color));
}

void RecordingRenderEngine::DrawText(const Rect& rect, std::string_view text, const FontSpec& font,
                                     Color color, unsigned format) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", format);
    calls_.push_back("text " + Format(rect) + " \"" + std::string(text) + "\" font=" + font.face +
                     "/" + std::to_string(font.size) + " " + Format(color) + " fmt=" + flags);
}

void RecordingRenderEngine::DrawImage(const ImageDraw& image) {
    std::string line = "image " + image.path + " dest=" + Format(image.dest);
    if (image.source) {
        line += " source=" + Format(*image.source);
    }
    line += " fade=" + std::to_string(image.fade);
    if (image.tint) {
        line += " tint=" + Format(*image.tint);
    }
    calls_.push_back(line);
    images_.push_back(image);
}

void RecordingRenderEngine::PushClip(const Rect&) {
    ++clip_depth_;
}

void RecordingRenderEngine::PopClip() {
    --clip_depth_;
}

std::vector<std::string> RecordingRenderEngine::CallsStartingWith(std::string_view prefix) const {
    std::vector<std::string> result;
    for (const std::string& call : calls_) {
        if (call.starts_with(prefix)) {
            result.push_back(call);
        }
    }
    return result;
}

bool RecordingRenderEngine::Contains(std::string_view line) const {
    for (const std::string& call : calls_) {
        if (call == line) {
            return true;
        }
    }
    return false;
}

void RecordingRenderEngine::Clear() {
    calls_.clear();
    images_.clear();
}

void RecordingRenderEngine::DrawLayer(const void* owner, std::uint64_t generation, const Rect& rect,
                                      const std::function<void(IRenderEngine&)>& paint) {
    if (!keeps_layers_ || painting_layer_) {
        paint(*this);
        return;
    }
    const auto kept = layers_.find(owner);
    if (kept != layers_.end() && kept->second == generation) {
        calls_.push_back("layer kept " + Format(rect));
        return;
    }
    calls_.push_back("layer begin " + Format(rect));
    painting_layer_ = true;
    paint(*this);
    painting_layer_ = false;
    calls_.push_back("layer end");
    layers_[owner] = generation;
}

void RecordingRenderEngine::EraseRoundRect(const Rect& rect, int rx, int ry) {
    calls_.push_back("erase " + Format(rect) + " r=" + std::to_string(rx) + "," +
                     std::to_string(ry));
}

}  // namespace calvorn::dui
