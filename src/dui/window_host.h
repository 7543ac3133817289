#pragma once

// What the UI layer asks of the native window that shows a paint manager's tree. The Qt host
// implements it; tests use FakeWindowHost. All points and rectangles are in the window's
// physical pixels unless named "screen".

#include <optional>
#include <string>

#include "dui/geometry.h"
#include "dui/render_engine.h"

namespace calvorn::dui {

class PaintManager;

// What a native text editor shown over an Edit needs to look like the control.
struct TextEditRequest {
    Rect rect;
    std::string text;
    FontSpec font;
    Color text_color = 0xFF000000;
    Color background = kNoColor;  // no colour: transparent
    int max_chars = 0;            // 0: unlimited
    bool number_only = false;     // accept the digits 0-9 only
    bool password = false;
    bool read_only = false;
    bool multi_line = false;
};

// The Edit control that owns a native text editor. The host calls these on the UI thread
// while the editor is shown.
class ITextEditSink {
public:
    virtual ~ITextEditSink() = default;
    virtual void OnEditorTextChanged(const std::string& text) = 0;
    virtual void OnEditorReturn() = 0;
    // The editor lost the keyboard focus; the host hides it after this call.
    virtual void OnEditorFocusLost() = 0;
};

class IWindowHost {
public:
    virtual ~IWindowHost() = default;

    // Asks for `rect` to be repainted (through PaintManager::Paint) soon.
    virtual void Invalidate(const Rect& rect) = 0;
    // Mouse capture while a button is held on a control.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual Point ClientToScreen(Point point) const = 0;
    virtual Point CursorScreenPos() const = 0;
    // System cursor ids: arrow 32512, ibeam 32513, hand 32649, ...
    virtual void SetCursor(int cursor_id) = 0;
    // Resizes the window's client area (physical pixels), e.g. after a DPI change; the host
    // answers with PaintManager::SetWindowSize.
    virtual void ResizeWindow(Size size) = 0;

    // Shows a pop-up window at `screen_rect` for `popup`: the host creates the native window,
    // gives `popup` its own host with SetHost and its size with SetWindowSize, and feeds it
    // input. When the pop-up loses the focus the host calls popup.OnPopupDismissed(). False
    // when no pop-up can be shown.
    virtual bool OpenPopup(PaintManager& popup, const Rect& screen_rect) = 0;
    // Destroys the native pop-up window of `popup` and detaches it (SetHost(nullptr)). The
    // host never calls `popup` after this.
    virtual void ClosePopup(PaintManager& popup) = 0;

    // Shows (or moves and refills) a native text editor for `sink`, focused, with the caret
    // at the end. Only one editor per window: a new request replaces an editor of another
    // sink without calling that sink's OnEditorFocusLost.
    virtual void ShowTextEditor(const TextEditRequest& request, ITextEditSink* sink) = 0;
    // Hides the editor if it belongs to `sink`; no call on the sink follows.
    virtual void HideTextEditor(ITextEditSink* sink) = 0;

    // Pixel size of an image file, or nothing when it cannot be loaded.
    virtual std::optional<Size> ImageSize(const std::string& path) = 0;
};

}  // namespace calvorn::dui
