#include "dui/popup_window.h"

#include "dui/control.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

PopupWindow::PopupWindow(PaintManager& owner, Control& content, const Rect& screen_rect,
                         std::function<void()> on_dismiss)
    : owner_(owner),
      content_(content),
      return_to_(content.GetManager()),
      manager_(std::make_unique<PaintManager>(owner.Context())) {
    manager_->SetDpi(owner.GetDpi());
    manager_->SetDismissHandler(std::move(on_dismiss));
    manager_->SetBorrowedRoot(&content_);
    manager_->SetWindowSize({screen_rect.Width(), screen_rect.Height()});
    attached_ = true;
    IWindowHost* host = owner.GetHost();
    open_ = host != nullptr && host->OpenPopup(*manager_, screen_rect);
    if (!open_) {
        Close();
    }
}

PopupWindow::~PopupWindow() {
    Close();
    owner_.Context().DeferDelete(std::move(manager_));
}

void PopupWindow::Close() {
    if (!attached_) {
        return;
    }
    attached_ = false;
    if (open_) {
        open_ = false;
        if (IWindowHost* host = owner_.GetHost()) {
            host->ClosePopup(*manager_);
        }
    }
    manager_->SetDismissHandler({});
    manager_->SetHost(nullptr);
    manager_->SetBorrowedRoot(nullptr, return_to_);
}

}  // namespace calvorn::dui
