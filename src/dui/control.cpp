#include "dui/control.h"

#include <array>
#include <atomic>
#include <utility>

#include "dui/attributes.h"
#include "dui/image_string.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

namespace {

struct CursorName {
    std::string_view name;
    int id;
};

constexpr std::array<CursorName, 14> kCursors{{
    {"arrow", 32512},
    {"ibeam", 32513},
    {"wait", 32514},
    {"cross", 32515},
    {"uparrow", 32516},
    {"size", 32640},
    {"icon", 32641},
    {"sizenwse", 32642},
    {"sizenesw", 32643},
    {"sizewe", 32644},
    {"sizens", 32645},
    {"sizeall", 32646},
    {"no", 32648},
    {"hand", 32649},
}};

}  // namespace

std::uint64_t NextLookGeneration() {
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

Control::Control() = default;

Control::~Control() {
    if (manager_ != nullptr) {
        manager_->ReapControl(this);
    }
}

std::string Control::GetText() const {
    if (!resource_text_ || manager_ == nullptr) {
        return text_;
    }
    return manager_->Context().Language().Resolve(text_);
}

void Control::SetText(std::string_view text) {
    if (text_ == text) {
        return;
    }
    text_ = text;
    Invalidate();
}

void Control::SetResourceText(bool on) {
    resource_text_ = on;
    Invalidate();
}

std::string Control::GetToolTip() const {
    if (manager_ == nullptr) {
        return tooltip_;
    }
    return manager_->Context().Language().Resolve(tooltip_);
}

void Control::SetManager(PaintManager* manager, Control* parent, bool init) {
    if (manager_ != nullptr && manager_ != manager) {
        manager_->ReapControl(this);
    }
    manager_ = manager;
    parent_ = parent;
    if (manager_ != nullptr && init && !initialised_) {
        initialised_ = true;
        DoInit();
    }
}

Control* Control::AddChild(std::unique_ptr<Control>) {
    return nullptr;
}

Control* Control::FindByName(std::string_view name) {
    return name_ == name ? this : nullptr;
}

Control* Control::HitTest(Point point) {
    if (!IsVisible() || !mouse_enabled_ || !rect_.Contains(point)) {
        return nullptr;
    }
    return this;
}

void Control::Visit(const std::function<void(Control&)>& visit) {
    visit(*this);
}

bool Control::Contains(const Control* other) const {
    for (const Control* c = other; c != nullptr; c = c->parent_) {
        if (c == this) {
            return true;
        }
    }
    return false;
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    const bool was_visible = IsVisible();
    visible_ = visible;
    if (was_visible != IsVisible()) {
        NeedUpdate();
    }
    if (manager_ != nullptr && !IsVisible() && Contains(manager_->GetFocus())) {
        manager_->SetFocus(nullptr);
    }
}

void Control::SetInternVisible(bool visible) {
    intern_visible_ = visible;
    if (manager_ != nullptr && !IsVisible() && manager_->GetFocus() == this) {
        manager_->SetFocus(nullptr);
    }
}

bool Control::IsEnabled() const {
    for (const Control* c = this; c != nullptr; c = c->parent_) {
        if (!c->enabled_) {
            return false;
        }
    }
    return true;
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    if (!enabled) {
        state_ &= ~(kStateHot | kStatePushed);
    }
    Invalidate();
}

void Control::SetFocus() {
    if (manager_ != nullptr) {
        manager_->SetFocus(this);
    }
}

std::string Control::ResolveVirtualWnd() const {
    for (const Control* c = this; c != nullptr; c = c->parent_) {
        if (!c->virtual_wnd_.empty()) {
            return c->virtual_wnd_;
        }
    }
    return {};
}

void Control::SetPos(const Rect& rect) {
    if (rect_ == rect) {
        return;
    }
    Invalidate();
    rect_ = rect;
    Invalidate();
}

void Control::SetFloat(bool on) {
    float_ = on;
    NeedUpdate();
}

void Control::SetFloatPos(const Rect& pos) {
    float_pos_ = pos;
    fixed_ = {pos.Width() > 0 ? pos.Width() : 0, pos.Height() > 0 ? pos.Height() : 0};
    NeedUpdate();
}

void Control::SetFixedWidth(int cx) {
    fixed_.cx = cx < 0 ? 0 : cx;
    NeedUpdate();
}

void Control::SetFixedHeight(int cy) {
    fixed_.cy = cy < 0 ? 0 : cy;
    NeedUpdate();
}

void Control::SetMinWidth(int cx) {
    min_.cx = cx < 0 ? 0 : cx;
    NeedUpdate();
}

void Control::SetMinHeight(int cy) {
    min_.cy = cy < 0 ? 0 : cy;
    NeedUpdate();
}

void Control::SetMaxWidth(int cx) {
    max_.cx = cx < 0 ? 0 : cx;
    NeedUpdate();
}

void Control::SetMaxHeight(int cy) {
    max_.cy = cy < 0 ? 0 : cy;
    NeedUpdate();
}

void Control::SetPadding(const Rect& padding) {
    padding_ = padding;
    NeedUpdate();
}

Size Control::EstimateSize(Size) const {
    return {Scale(fixed_.cx), Scale(fixed_.cy)};
}

int Control::Scale(int value) const {
    return manager_ != nullptr ? manager_->Scale(value) : value;
}

Rect Control::Scale(const Rect& rect) const {
    return {Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
}

void Control::SetBkColor(Color color) {
    bk_color_ = color;
    Invalidate();
}

void Control::SetBkImage(std::string_view image) {
    bk_image_ = image;
    Invalidate();
}

void Control::SetBorderColor(Color color) {
    border_color_ = color;
    Invalidate();
}

void Control::SetFocusBorderColor(Color color) {
    focus_border_color_ = color;
    Invalidate();
}

void Control::SetBorderSize(int size) {
    border_size_ = size < 0 ? 0 : size;
    Invalidate();
}

void Control::SetBorderRound(Size round) {
    border_round_ = round;
    Invalidate();
}

void Control::SetFont(int font_id) {
    font_ = font_id;
    Invalidate();
}

void Control::SetTextColor(Color color) {
    text_color_ = color;
    Invalidate();
}

void Control::SetDisabledTextColor(Color color) {
    disabled_text_color_ = color;
    Invalidate();
}

void Control::SetTextStyle(unsigned style) {
    text_style_ = style;
    Invalidate();
}

void Control::SetTextPadding(const Rect& padding) {
    text_padding_ = padding;
    Invalidate();
}

void Control::SetAttribute(std::string_view name, std::string_view value) {
    auto color = [&](void (Control::*setter)(Color)) {
        if (auto c = ParseColor(value)) {
            (this->*setter)(*c);
        }
    };
    if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "resourcetext") {
        SetResourceText(ParseBool(value));
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "visible") {
        SetVisible(ParseBool(value));
    } else if (name == "enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == "keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (name == "menu") {
        SetContextMenuUsed(ParseBool(value));
    } else if (name == "virtualwnd") {
        SetVirtualWnd(value);
    } else if (name == "float") {
        SetFloat(ParseBool(value));
    } else if (name == "pos") {
        SetFloatPos(ParseRect(value));
    } else if (name == "width") {
        SetFixedWidth(ParseInt(value));
    } else if (name == "height") {
        SetFixedHeight(ParseInt(value));
    } else if (name == "minwidth") {
        SetMinWidth(ParseInt(value));
    } else if (name == "minheight") {
        SetMinHeight(ParseInt(value));
    } else if (name == "maxwidth") {
        SetMaxWidth(ParseInt(value));
    } else if (name == "maxheight") {
        SetMaxHeight(ParseInt(value));
    } else if (name == "padding") {
        SetPadding(ParseRect(value));
    } else if (name == "bkcolor") {
        color(&Control::SetBkColor);
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "bordercolor") {
        color(&Control::SetBorderColor);
    } else if (name == "focusbordercolor") {
        color(&Control::SetFocusBorderColor);
    } else if (name == "bordersize") {
        SetBorderSize(ParseInt(value));
    } else if (name == "borderround") {
        SetBorderRound(ParseSize(value));
    } else if (name == "font") {
        SetFont(ParseInt(value, -1));
    } else if (name == "textcolor") {
        color(&Control::SetTextColor);
    } else if (name == "disabledtextcolor") {
        color(&Control::SetDisabledTextColor);
    } else if (name == "textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (name == "align") {
        unsigned style = text_style_ & ~static_cast<unsigned>(kTextCenter | kTextRight);
        if (value == "center") {
            style |= kTextCenter;
        } else if (value == "right") {
            style |= kTextRight;
        }
        SetTextStyle(style);
    } else if (name == "valign") {
        unsigned style = text_style_ & ~static_cast<unsigned>(kTextVCenter | kTextBottom);
        if (value == "vcenter" || value == "center") {
            style |= kTextVCenter;
        } else if (value == "bottom") {
            style |= kTextBottom;
        }
        SetTextStyle(style);
    } else if (name == "endellipsis") {
        SetTextStyle(ParseBool(value) ? text_style_ | kTextEndEllipsis
                                      : text_style_ & ~static_cast<unsigned>(kTextEndEllipsis));
    } else if (name == "wordbreak") {
        SetTextStyle(ParseBool(value)
                         ? (text_style_ | kTextWordBreak) & ~static_cast<unsigned>(kTextSingleLine)
                         : (text_style_ | kTextSingleLine) &
                               ~static_cast<unsigned>(kTextWordBreak));
    } else if (name == "cursor") {
        for (const CursorName& cursor : kCursors) {
            if (cursor.name == value) {
                SetCursor(cursor.id);
            }
        }
    } else if (name == "style") {
        if (manager_ != nullptr) {
            if (const std::string* style = manager_->GetStyle(value)) {
                ApplyAttributeList(*style);
            }
        }
    }
}

void Control::ApplyAttributeList(std::string_view list) {
    for (const auto& [name, value] : ParseAttributeList(list)) {
        SetAttribute(name, value);
    }
}

void Control::Invalidate() {
    MarkLookChanged();
    InvalidateLive();
}

void Control::InvalidateLive() {
    if (manager_ == nullptr || !IsVisible()) {
        return;
    }
    Rect area = rect_;
    for (const Control* c = parent_; c != nullptr && !area.IsEmpty(); c = c->parent_) {
        area = area.Intersect(c->rect_);
    }
    if (!area.IsEmpty()) {
        manager_->Invalidate(area);
    }
}

void Control::MarkLookChanged() {
    const std::uint64_t generation = NextLookGeneration();
    for (Control* c = this; c != nullptr; c = c->parent_) {
        c->look_generation_ = generation;
    }
}

void Control::NeedUpdate() {
    MarkLookChanged();
    if (manager_ != nullptr) {
        manager_->NeedUpdate();
    }
}

void Control::Event(UiEvent& event) {
    event.sender = this;
    DoEvent(event);
}

void Control::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kSetFocus:
            SetStateBits(kStateFocused, true);
            Invalidate();
            return;
        case EventType::kKillFocus:
            SetStateBits(kStateFocused, false);
            Invalidate();
            return;
        case EventType::kTimer:
            SendNotify("timer", event.wparam);
            return;
        case EventType::kContextMenu:
            if (context_menu_) {
                SendNotify("menu", static_cast<platform::WParam>(event.point.x),
                           static_cast<platform::LParam>(event.point.y));
                return;
            }
            break;
        default:
            break;
    }
    if (parent_ != nullptr) {
        parent_->DoEvent(event);
    }
}

bool Control::Activate() {
    return IsVisible() && IsEnabled();
}

void Control::SendNotify(std::string_view type, platform::WParam wparam, platform::LParam lparam) {
    if (manager_ != nullptr) {
        manager_->SendNotify(this, type, wparam, lparam);
    }
}

bool Control::SetTimer(std::uint32_t id, int elapse_ms) {
    return manager_ != nullptr && manager_->SetTimer(this, id, elapse_ms);
}

void Control::KillTimer(std::uint32_t id) {
    if (manager_ != nullptr) {
        manager_->KillTimer(this, id);
    }
}

void Control::DoPaint(IRenderEngine& engine, const Rect& dirty) {
    if (!IsVisible() || !rect_.Intersects(dirty)) {
        return;
    }
    engine.PushClip(rect_);
    PaintBkColor(engine);
    PaintBkImage(engine);
    PaintStatusImage(engine);
    PaintText(engine);
    PaintBorder(engine);
    engine.PopClip();
}

void Control::PaintBkColor(IRenderEngine& engine) {
    if (!IsDrawn(bk_color_)) {
        return;
    }
    if (border_round_.cx > 0 || border_round_.cy > 0) {
        engine.FillRoundRect(rect_, Scale(border_round_.cx), Scale(border_round_.cy), bk_color_);
    } else {
        engine.FillRect(rect_, bk_color_);
    }
}

void Control::PaintBkImage(IRenderEngine& engine) {
    DrawImage(engine, bk_image_);
}

void Control::PaintStatusImage(IRenderEngine&) {}

void Control::PaintLive(IRenderEngine&) {}

bool Control::HidesArea(const Rect&) const {
    return false;
}

void Control::PaintText(IRenderEngine&) {}

void Control::PaintBorder(IRenderEngine& engine) {
    if (border_size_ <= 0) {
        return;
    }
    const Color color =
        IsFocused() && IsDrawn(focus_border_color_) ? focus_border_color_ : border_color_;
    if (!IsDrawn(color)) {
        return;
    }
    if (border_round_.cx > 0 || border_round_.cy > 0) {
        engine.DrawRoundRect(rect_, Scale(border_size_), Scale(border_round_.cx),
                             Scale(border_round_.cy), color);
    } else {
        engine.DrawRect(rect_, Scale(border_size_), color);
    }
}

bool Control::DrawImage(IRenderEngine& engine, std::string_view image, std::optional<Color> tint,
                        int fade) const {
    return DrawImage(engine, image, rect_, tint, fade);
}

bool Control::DrawImage(IRenderEngine& engine, std::string_view image, const Rect& area,
                        std::optional<Color> tint, int fade) const {
    if (image.empty()) {
        return false;
    }
    const std::optional<ImageString> parsed = ParseImageString(image);
    if (!parsed) {
        return false;
    }
    ImageDraw draw;
    draw.path = manager_ != nullptr ? manager_->Context().Resources().ResolveImage(parsed->file)
                                    : parsed->file;
    draw.dest = parsed->dest ? Scale(*parsed->dest).Offset(area.left, area.top) : area;
    draw.source = parsed->source;
    draw.corner = parsed->corner;
    draw.hole = parsed->hole;
    draw.xtiled = parsed->xtiled;
    draw.ytiled = parsed->ytiled;
    draw.mask = parsed->mask;
    draw.fade = parsed->fade * std::clamp(fade, 0, 255) / 255;
    draw.tint = tint;
    engine.DrawImage(draw);
    return true;
}

void Control::SetStateBits(unsigned bits, bool on) {
    const unsigned state = on ? (state_ | bits) : (state_ & ~bits);
    if (state != state_) {
        state_ = state;
        MarkLookChanged();
    }
}

FontSpec Control::ResolveFont(int font_id) const {
    return manager_ != nullptr ? manager_->GetFont(font_id) : FontSpec{};
}

}  // namespace calvorn::dui
