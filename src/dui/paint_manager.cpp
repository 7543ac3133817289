#include "dui/paint_manager.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "dui/attributes.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

namespace {

bool IsValidDpi(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return true;
        default:
            return false;
    }
}

}  // namespace

PaintManager::PaintManager(UiContext& context) : context_(context) {
    context_.AddWindow(this);
}

PaintManager::~PaintManager() {
    if (root_ != nullptr && !owned_root_) {
        root_->SetManager(nullptr, root_->GetParent(), false);
    }
    DetachRoot();
    context_.RemoveWindow(this);
}

platform::UiLoop& PaintManager::Loop() const {
    return context_.Loop();
}

void PaintManager::SetRoot(std::unique_ptr<Control> root) {
    DetachRoot();
    owned_root_ = std::move(root);
    root_ = owned_root_.get();
    if (root_ != nullptr) {
        root_->SetManager(this, nullptr, true);
    }
    first_layout_ = true;
    NeedUpdate();
}

void PaintManager::SetBorrowedRoot(Control* root, PaintManager* return_to) {
    if (root_ != nullptr && !owned_root_) {
        Control* old = root_;
        root_ = nullptr;
        old->SetManager(return_to, old->GetParent(), false);
    }
    if (root != nullptr) {
        DetachRoot();
        root_ = root;
        root_->SetManager(this, root_->GetParent(), true);
        first_layout_ = true;
        NeedUpdate();
    }
}

void PaintManager::DetachRoot() {
    focus_ = nullptr;
    hot_ = nullptr;
    click_ = nullptr;
    if (owned_root_) {
        std::unique_ptr<Control> old = std::move(owned_root_);
        root_ = nullptr;
        old.reset();
    }
    root_ = nullptr;
}

void PaintManager::SetWindowSize(Size size) {
    if (window_size_ == size) {
        return;
    }
    window_size_ = size;
    NeedUpdate();
}

bool PaintManager::SetDpi(int dpi) {
    if (!IsValidDpi(dpi)) {
        return false;
    }
    if (dpi == dpi_) {
        return true;
    }
    const int old = dpi_;
    dpi_ = dpi;
    if (window_size_.cx > 0 || window_size_.cy > 0) {
        const Size scaled{window_size_.cx * dpi / old, window_size_.cy * dpi / old};
        window_size_ = scaled;
        if (host_ != nullptr) {
            host_->ResizeWindow(scaled);
        }
    }
    NeedUpdate();
    return true;
}

int PaintManager::Scale(int value) const {
    if (dpi_ == 96) {
        return value;
    }
    return static_cast<int>(std::lround(static_cast<double>(value) * dpi_ / 96.0));
}

Rect PaintManager::Scale(const Rect& rect) const {
    return {Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
}

void PaintManager::NeedUpdate() {
    if (!update_needed_) {
        update_needed_ = true;
        Invalidate();
    }
}

void PaintManager::UpdateLayout() {
    if (root_ == nullptr) {
        return;
    }
    const bool resized = laid_out_size_ != window_size_;
    if (!update_needed_ && !resized) {
        return;
    }
    UiContext::DispatchScope scope(context_);
    update_needed_ = false;
    laid_out_size_ = window_size_;
    root_->SetPos({0, 0, window_size_.cx, window_size_.cy});
    if (first_layout_) {
        first_layout_ = false;
        SendNotify(root_, "windowinit");
    } else if (resized) {
        SendNotify(root_, "windowsize");
    }
}

void PaintManager::Invalidate(const Rect& rect) {
    if (host_ != nullptr && !rect.IsEmpty()) {
        host_->Invalidate(rect);
    }
}

void PaintManager::Invalidate() {
    look_generation_ = NextLookGeneration();
    Invalidate({0, 0, window_size_.cx, window_size_.cy});
}

void PaintManager::Paint(IRenderEngine& engine, const Rect& dirty) {
    UpdateLayout();
    if (root_ != nullptr) {
        root_->DoPaint(engine, dirty);
    }
}

Control* PaintManager::FindControl(std::string_view name) const {
    return root_ != nullptr && !name.empty() ? root_->FindByName(name) : nullptr;
}

Control* PaintManager::FindControl(Point point) {
    return HitTest(point);
}

Control* PaintManager::FindSubControlByName(Control* parent, std::string_view name) {
    return parent != nullptr && !name.empty() ? parent->FindByName(name) : nullptr;
}

std::vector<Control*> PaintManager::FindSubControlsByClass(Control* parent,
                                                           std::string_view class_name) {
    std::vector<Control*> found;
    if (parent != nullptr) {
        parent->Visit([&](Control& control) {
            if (&control != parent && EqualsNoCase(control.GetClass(), class_name)) {
                found.push_back(&control);
            }
        });
    }
    return found;
}

void PaintManager::AddNotifier(INotifyReceiver* receiver) {
    if (receiver != nullptr &&
        std::find(notifiers_.begin(), notifiers_.end(), receiver) == notifiers_.end()) {
        notifiers_.push_back(receiver);
    }
}

void PaintManager::RemoveNotifier(INotifyReceiver* receiver) {
    notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), receiver), notifiers_.end());
}

void PaintManager::SendNotify(Control* sender, std::string_view type, platform::WParam wparam,
                              platform::LParam lparam) {
    UiContext::DispatchScope scope(context_);
    Notify notify;
    notify.type = type;
    notify.sender = sender;
    notify.wparam = wparam;
    notify.lparam = lparam;
    notify.point = mouse_;
    if (sender != nullptr) {
        notify.virtual_wnd = sender->ResolveVirtualWnd();
    }
    const std::vector<INotifyReceiver*> receivers = notifiers_;
    for (INotifyReceiver* receiver : receivers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), receiver) != notifiers_.end()) {
            receiver->OnNotify(notify);
        }
    }
}

bool PaintManager::SetTimer(Control* control, std::uint32_t id, int elapse_ms) {
    if (control == nullptr || control->GetManager() != this || elapse_ms < 0) {
        return false;
    }
    Loop().SetTimer(control, id, platform::Millis(elapse_ms), [this, control, id] {
        UiEvent event;
        event.type = EventType::kTimer;
        event.wparam = id;
        event.point = mouse_;
        DispatchTo(control, event);
    });
    return true;
}

bool PaintManager::KillTimer(Control* control, std::uint32_t id) {
    return Loop().KillTimer(control, id);
}

void PaintManager::KillTimers(Control* control) {
    Loop().KillTimers(control);
}

void PaintManager::SetFocus(Control* control) {
    if (control == focus_) {
        return;
    }
    if (control != nullptr &&
        (control->GetManager() != this || !control->IsVisible() || !control->IsEnabled())) {
        return;
    }
    UiContext::DispatchScope scope(context_);
    Control* old = focus_;
    focus_ = control;
    if (old != nullptr && old->GetManager() == this) {
        UiEvent event;
        event.type = EventType::kKillFocus;
        event.point = mouse_;
        old->Event(event);
        SendNotify(old, "killfocus");
    }
    if (control != nullptr && focus_ == control && control->GetManager() == this) {
        UiEvent event;
        event.type = EventType::kSetFocus;
        event.point = mouse_;
        control->Event(event);
        SendNotify(control, "setfocus");
    }
}

void PaintManager::SetCapture() {
    if (!captured_ && host_ != nullptr) {
        host_->SetCapture();
    }
    captured_ = true;
}

void PaintManager::ReleaseCapture() {
    if (captured_ && host_ != nullptr) {
        host_->ReleaseCapture();
    }
    captured_ = false;
}

std::string PaintManager::GetToolTip() const {
    return hot_ != nullptr ? hot_->GetToolTip() : std::string();
}

void PaintManager::DispatchTo(Control* control, UiEvent& event) {
    if (control == nullptr || control->GetManager() != this) {
        return;
    }
    UiContext::DispatchScope scope(context_);
    control->Event(event);
}

Control* PaintManager::HitTest(Point point) {
    UpdateLayout();
    return root_ != nullptr ? root_->HitTest(point) : nullptr;
}

void PaintManager::UpdateHot(Point point, unsigned modifiers) {
    Control* hit = HitTest(point);
    if (hit == hot_) {
        return;
    }
    if (hot_ != nullptr) {
        Control* old = hot_;
        hot_ = nullptr;
        UiEvent leave;
        leave.type = EventType::kMouseLeave;
        leave.point = point;
        leave.modifiers = modifiers;
        DispatchTo(old, leave);
    }
    if (hit != nullptr && hit->GetManager() == this) {
        hot_ = hit;
        UiEvent enter;
        enter.type = EventType::kMouseEnter;
        enter.point = point;
        enter.modifiers = modifiers;
        DispatchTo(hit, enter);
    }
    if (host_ != nullptr) {
        host_->SetCursor(hot_ != nullptr ? hot_->GetCursor() : kCursorArrow);
    }
}

void PaintManager::OnMouseMove(Point point, unsigned modifiers) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    UpdateHot(point, modifiers);
    Control* target = click_ != nullptr ? click_ : hot_;
    UiEvent move;
    move.type = EventType::kMouseMove;
    move.point = point;
    move.modifiers = modifiers;
    DispatchTo(target, move);
}

void PaintManager::OnMouseLeave() {
    UiContext::DispatchScope scope(context_);
    if (hot_ != nullptr) {
        Control* old = hot_;
        hot_ = nullptr;
        UiEvent leave;
        leave.type = EventType::kMouseLeave;
        leave.point = mouse_;
        DispatchTo(old, leave);
    }
}

void PaintManager::OnButtonDown(Point point, unsigned modifiers) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    Control* hit = HitTest(point);
    if (hit == nullptr) {
        return;
    }
    if (hit->IsKeyboardEnabled()) {
        SetFocus(hit);
    }
    if (hit->GetManager() != this) {
        return;
    }
    click_ = hit;
    SetCapture();
    UiEvent down;
    down.type = EventType::kButtonDown;
    down.point = point;
    down.modifiers = modifiers;
    DispatchTo(hit, down);
}

void PaintManager::OnButtonUp(Point point, unsigned modifiers) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    ReleaseCapture();
    Control* target = click_;
    click_ = nullptr;
    UiEvent up;
    up.type = EventType::kButtonUp;
    up.point = point;
    up.modifiers = modifiers;
    DispatchTo(target, up);
}

void PaintManager::OnDoubleClick(Point point, unsigned modifiers) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    Control* hit = HitTest(point);
    if (hit == nullptr) {
        return;
    }
    click_ = hit;
    SetCapture();
    UiEvent click;
    click.type = EventType::kDoubleClick;
    click.point = point;
    click.modifiers = modifiers;
    DispatchTo(hit, click);
}

void PaintManager::OnContextMenu(Point point) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    UiEvent menu;
    menu.type = EventType::kContextMenu;
    menu.point = point;
    DispatchTo(HitTest(point), menu);
}

void PaintManager::OnWheel(Point point, int delta, unsigned modifiers) {
    UiContext::DispatchScope scope(context_);
    mouse_ = point;
    UiEvent wheel;
    wheel.type = EventType::kScrollWheel;
    wheel.point = point;
    wheel.wheel_delta = delta;
    wheel.modifiers = modifiers;
    DispatchTo(HitTest(point), wheel);
}

void PaintManager::OnKeyDown(std::uint32_t virtual_key, unsigned modifiers) {
    UiEvent key;
    key.type = EventType::kKeyDown;
    key.point = mouse_;
    key.key = virtual_key;
    key.modifiers = modifiers;
    DispatchTo(focus_, key);
}

void PaintManager::OnChar(char32_t code_point) {
    UiEvent key;
    key.type = EventType::kChar;
    key.point = mouse_;
    key.key = static_cast<std::uint32_t>(code_point);
    DispatchTo(focus_, key);
}

void PaintManager::OnWindowDeactivated() {
    UiContext::DispatchScope scope(context_);
    ReleaseCapture();
    Control* target = click_;
    click_ = nullptr;
    // A button up outside every control ends a press without a click.
    UiEvent up;
    up.type = EventType::kButtonUp;
    up.point = {INT_MIN / 2, INT_MIN / 2};
    DispatchTo(target, up);
}

void PaintManager::OnPopupDismissed() {
    UiContext::DispatchScope scope(context_);
    if (dismiss_) {
        const std::function<void()> handler = dismiss_;
        handler();
    }
}

void PaintManager::AddFont(int id, const FontSpec& font, bool is_default, bool shared) {
    if (shared) {
        context_.AddSharedFont(id, font, is_default);
    } else {
        auto it =
            std::find_if(fonts_.begin(), fonts_.end(), [id](const Font& f) { return f.id == id; });
        if (it != fonts_.end()) {
            it->description = font;
        } else {
            fonts_.push_back({font, id});
        }
        if (is_default) {
            default_font_ = font;
        }
    }
    Invalidate();
}

void PaintManager::RemoveAllFonts() {
    fonts_.clear();
    default_font_.reset();
    context_.RemoveSharedFonts();
    Invalidate();
}

FontSpec PaintManager::GetFont(int id) const {
    FontSpec description{"", 12, false, false, false};
    auto it =
        std::find_if(fonts_.begin(), fonts_.end(), [id](const Font& f) { return f.id == id; });
    if (it != fonts_.end()) {
        description = it->description;
    } else if (const FontSpec* shared = context_.FindSharedFont(id)) {
        description = *shared;
    } else if (default_font_) {
        description = *default_font_;
    } else if (const FontSpec* shared_default = context_.SharedDefaultFont()) {
        description = *shared_default;
    }
    description.size = Scale(description.size);
    return description;
}

void PaintManager::SetDefaultAttributes(std::string_view class_name, std::string_view attributes) {
    defaults_[ToLower(class_name)] = std::string(attributes);
}

const std::string* PaintManager::GetDefaultAttributes(std::string_view class_name) const {
    auto it = defaults_.find(ToLower(class_name));
    return it != defaults_.end() ? &it->second : nullptr;
}

void PaintManager::AddStyle(std::string_view name, std::string_view attributes) {
    styles_[std::string(name)] = std::string(attributes);
}

const std::string* PaintManager::GetStyle(std::string_view name) const {
    auto it = styles_.find(name);
    return it != styles_.end() ? &it->second : nullptr;
}

void PaintManager::AddOptionToGroup(std::string_view group, Control* option) {
    if (group.empty() || option == nullptr) {
        return;
    }
    std::vector<Control*>& members = option_groups_[std::string(group)];
    if (std::find(members.begin(), members.end(), option) == members.end()) {
        members.push_back(option);
    }
}

void PaintManager::RemoveOptionFromGroup(std::string_view group, Control* option) {
    auto it = option_groups_.find(group);
    if (it == option_groups_.end()) {
        return;
    }
    std::vector<Control*>& members = it->second;
    members.erase(std::remove(members.begin(), members.end(), option), members.end());
    if (members.empty()) {
        option_groups_.erase(it);
    }
}

const std::vector<Control*>* PaintManager::GetOptionGroup(std::string_view group) const {
    auto it = option_groups_.find(group);
    return it != option_groups_.end() ? &it->second : nullptr;
}

void PaintManager::ReapControl(Control* control) {
    if (control == nullptr) {
        return;
    }
    if (focus_ == control) {
        focus_ = nullptr;
    }
    if (hot_ == control) {
        hot_ = nullptr;
    }
    if (click_ == control) {
        click_ = nullptr;
        ReleaseCapture();
    }
    if (root_ == control && !owned_root_) {
        root_ = nullptr;
    }
    KillTimers(control);
}

}  // namespace calvorn::dui
