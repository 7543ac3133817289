#pragma once

// A window host for headless tests: it records what the layer asks of the native window and
// "opens" pop-ups by attaching another FakeWindowHost to them at their screen rectangle.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dui/paint_manager.h"
#include "dui/window_host.h"

namespace calvorn::dui::testing {

class FakeWindowHost : public IWindowHost {
public:
    explicit FakeWindowHost(Point screen_origin = {}) : origin_(screen_origin) {}

    void Invalidate(const Rect& rect) override { invalidated.push_back(rect); }
    void SetCapture() override { captured = true; }
    void ReleaseCapture() override { captured = false; }
    Point ClientToScreen(Point point) const override {
        return {point.x + origin_.x, point.y + origin_.y};
    }
    Point CursorScreenPos() const override { return cursor; }
    void SetCursor(int cursor_id) override { cursor_id_set = cursor_id; }
    void ResizeWindow(Size size) override { resized_to = size; }

    bool OpenPopup(PaintManager& popup, const Rect& screen_rect) override {
        if (refuse_popups) {
            return false;
        }
        auto host = std::make_unique<FakeWindowHost>(Point{screen_rect.left, screen_rect.top});
        host->image_sizes = image_sizes;
        popup.SetHost(host.get());
        popup.SetWindowSize({screen_rect.Width(), screen_rect.Height()});
        popups.push_back({&popup, screen_rect, std::move(host)});
        return true;
    }
    void ClosePopup(PaintManager& popup) override {
        for (auto it = popups.begin(); it != popups.end(); ++it) {
            if (it->manager == &popup) {
                popup.SetHost(nullptr);
                closed_popups.push_back(it->rect);
                popups.erase(it);
                return;
            }
        }
    }

    void ShowTextEditor(const TextEditRequest& request, ITextEditSink* sink) override {
        editor = request;
        editor_sink = sink;
    }
    void HideTextEditor(ITextEditSink* sink) override {
        if (editor_sink == sink) {
            editor.reset();
            editor_sink = nullptr;
        }
    }

    // What a native editor does when the user clicks elsewhere: tell the sink, then hide.
    void LoseEditorFocus() {
        ITextEditSink* sink = editor_sink;
        if (sink != nullptr) {
            sink->OnEditorFocusLost();
            editor.reset();
            editor_sink = nullptr;
        }
    }

    std::optional<Size> ImageSize(const std::string& path) override {
        auto it = image_sizes.find(path);
        if (it == image_sizes.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    struct Popup {
        PaintManager* manager;
        Rect rect;
        std::unique_ptr<FakeWindowHost> host;
    };

    std::vector<Rect> invalidated;
    bool captured = false;
    Point cursor;
    int cursor_id_set = 0;
    std::optional<Size> resized_to;
    bool refuse_popups = false;
    std::vector<Popup> popups;
    std::vector<Rect> closed_popups;
    std::optional<TextEditRequest> editor;
    ITextEditSink* editor_sink = nullptr;
    std::map<std::string, Size> image_sizes;  // resolved path -> size

private:
    Point origin_;
};

}  // namespace calvorn::dui::testing
