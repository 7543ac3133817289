#pragma once

// A native Qt window that shows one paint manager's control tree: it paints the tree with
// QtRenderEngine, feeds mouse, wheel, keyboard and focus events to the paint manager, places
// a native text editor over a focused edit control, and opens pop-up windows (combo lists,
// menus) as further HostWindows. It is the only place where the UI layer meets Qt widgets.

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "dui/paint_manager.h"
#include "dui/window_host.h"
#include "qt/image_cache.h"
#include "qt/layer_cache.h"

class QLineEdit;
class QPlainTextEdit;

namespace calvorn::qt {

class HostWindow final : public QWidget, public dui::IWindowHost {
    Q_OBJECT
public:
    enum class Kind { kTopLevel, kPopup };

    // The window shows `manager`'s tree and sizes itself from the manager's initial size.
    HostWindow(dui::PaintManager& manager, Kind kind, HostWindow* owner = nullptr);
    ~HostWindow() override;

    dui::PaintManager& Manager() { return manager_; }
    // Draggable strip at the top of a frameless window (the layout's caption height), window
    // pixels; 0 turns dragging off.
    void SetCaptionHeight(int height) { caption_height_ = height; }
    // Called when the user asks to close the window (window manager close button, Alt+F4).
    void SetCloseHandler(std::function<void()> handler) { on_close_ = std::move(handler); }
    void CenterOnScreen();
    // Renders the window's current content into an image (the same pixels as on screen).
    QImage Render();

    // dui::IWindowHost
    void Invalidate(const dui::Rect& rect) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    dui::Point ClientToScreen(dui::Point point) const override;
    dui::Point CursorScreenPos() const override;
    void SetCursor(int cursor_id) override;
    void ResizeWindow(dui::Size size) override;
    bool OpenPopup(dui::PaintManager& popup, const dui::Rect& screen_rect) override;
    void ClosePopup(dui::PaintManager& popup) override;
    void ShowTextEditor(const dui::TextEditRequest& request, dui::ITextEditSink* sink) override;
    void HideTextEditor(dui::ITextEditSink* sink) override;
    std::optional<dui::Size> ImageSize(const std::string& path) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintInto(QPainter& painter, const QRect& dirty);
    void EditorFocusLost();

    dui::PaintManager& manager_;
    Kind kind_;
    HostWindow* owner_;
    ImageCache own_images_;
    ImageCache& images_;
    LayerCache layers_;
    QRect pending_update_;  // what Invalidate asked to repaint since the last paint
    int caption_height_ = 0;
    bool dismissed_ = false;
    bool detached_ = false;  // a closed pop-up: no more calls into its paint manager
    std::function<void()> on_close_;
    std::map<dui::PaintManager*, HostWindow*> popups_;

    QLineEdit* line_editor_ = nullptr;
    QPlainTextEdit* text_editor_ = nullptr;
    QWidget* active_editor_ = nullptr;
    dui::ITextEditSink* editor_sink_ = nullptr;
};

}  // namespace calvorn::qt
