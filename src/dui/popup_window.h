#pragma once

// A pop-up window (a combo's drop list, a menu) showing a control tree that its owner keeps.
// While open the tree belongs to the pop-up's paint manager; closing (or destroying) hands it
// back to the window it belonged to before. The pop-up's paint manager is released through the
// context's deferred deletion, so a pop-up may be closed from its own event handlers.

#include <functional>
#include <memory>

#include "dui/geometry.h"

namespace calvorn::dui {

class Control;
class PaintManager;

class PopupWindow {
public:
    // Shows `content` at `screen_rect` through the owner's host. `on_dismiss` runs when the
    // pop-up loses the focus (not when it is closed by Close or the destructor).
    PopupWindow(PaintManager& owner, Control& content, const Rect& screen_rect,
                std::function<void()> on_dismiss);
    ~PopupWindow();
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;

    // False when the host could not show it (no host, or the host refused).
    bool IsOpen() const { return open_; }
    PaintManager& Manager() { return *manager_; }
    void Close();

private:
    PaintManager& owner_;
    Control& content_;
    PaintManager* return_to_;  // the content's window before it was shown here
    std::unique_ptr<PaintManager> manager_;
    bool attached_ = false;
    bool open_ = false;
};

}  // namespace calvorn::dui
