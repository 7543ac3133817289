#include "dui/container.h"

#include <algorithm>

#include "dui/attributes.h"
#include "dui/paint_manager.h"
#include "dui/scroll_bar.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

Container::Container() = default;

Container::~Container() = default;

Control* Container::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return items_[static_cast<std::size_t>(index)].get();
}

int Container::GetItemIndex(const Control* child) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == child) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Control* Container::Add(std::unique_ptr<Control> child) {
    return AddAt(std::move(child), GetCount());
}

Control* Container::AddAt(std::unique_ptr<Control> child, int index) {
    if (!child) {
        return nullptr;
    }
    index = std::clamp(index, 0, GetCount());
    Control* raw = child.get();
    items_.insert(items_.begin() + index, std::move(child));
    raw->SetInternVisible(IsVisible());
    raw->SetManager(GetManager(), this, true);
    NeedUpdate();
    return raw;
}

bool Container::Remove(Control* child) {
    std::unique_ptr<Control> removed = Detach(child);
    if (!removed) {
        return false;
    }
    if (PaintManager* manager = GetManager()) {
        manager->Context().DeferDelete(std::move(removed));
    }
    return true;
}

bool Container::RemoveAt(int index) {
    return Remove(GetItemAt(index));
}

void Container::RemoveAll() {
    while (!items_.empty()) {
        Remove(items_.back().get());
    }
}

std::unique_ptr<Control> Container::Detach(Control* child) {
    const int index = GetItemIndex(child);
    if (index < 0) {
        return nullptr;
    }
    child->Invalidate();
    std::unique_ptr<Control> removed = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    removed->SetManager(nullptr, nullptr, false);
    NeedUpdate();
    return removed;
}

Control* Container::FindSubControl(std::string_view name) {
    for (const auto& item : items_) {
        if (Control* found = item->FindByName(name)) {
            return found;
        }
    }
    return nullptr;
}

Control* Container::FindByName(std::string_view name) {
    if (GetName() == name) {
        return this;
    }
    return FindSubControl(name);
}

Control* Container::HitTest(Point point) {
    if (!IsVisible() || !rect_.Contains(point)) {
        return nullptr;
    }
    for (ScrollBar* bar : {vscroll_.get(), hscroll_.get()}) {
        if (bar != nullptr) {
            if (Control* hit = bar->HitTest(point)) {
                return hit;
            }
        }
    }
    if (mouse_child_) {
        const Rect inner = InnerRect();
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            Control& child = **it;
            if (!child.IsFloat() && !inner.Contains(point)) {
                continue;
            }
            if (Control* hit = child.HitTest(point)) {
                return hit;
            }
        }
    }
    return IsMouseEnabled() ? this : nullptr;
}

void Container::Visit(const std::function<void(Control&)>& visit) {
    visit(*this);
    for (const auto& item : items_) {
        item->Visit(visit);
    }
}

void Container::SetManager(PaintManager* manager, Control* parent, bool init) {
    Control::SetManager(manager, parent, init);
    for (ScrollBar* bar : {vscroll_.get(), hscroll_.get()}) {
        if (bar != nullptr) {
            bar->SetManager(manager, this, init);
        }
    }
    for (const auto& item : items_) {
        item->SetManager(manager, this, init);
    }
}

void Container::SetVisible(bool visible) {
    Control::SetVisible(visible);
    for (const auto& item : items_) {
        item->SetInternVisible(IsVisible());
    }
}

void Container::SetInternVisible(bool visible) {
    Control::SetInternVisible(visible);
    for (const auto& item : items_) {
        item->SetInternVisible(IsVisible());
    }
}

void Container::SetInset(const Rect& inset) {
    inset_ = inset;
    NeedUpdate();
}

void Container::SetChildPadding(int padding) {
    child_padding_ = padding;
    NeedUpdate();
}

void Container::EnableScrollBar(bool vertical, bool horizontal) {
    auto apply = [this](std::unique_ptr<ScrollBar>& bar, bool wanted, bool is_horizontal) {
        if (wanted && !bar) {
            bar = std::make_unique<ScrollBar>();
            bar->SetHorizontal(is_horizontal);
            bar->SetOwner(this);
            bar->SetManager(GetManager(), this, true);
        } else if (!wanted && bar) {
            std::unique_ptr<ScrollBar> old = std::move(bar);
            old->SetManager(nullptr, nullptr, false);
            if (PaintManager* manager = GetManager()) {
                manager->Context().DeferDelete(std::move(old));
            }
        }
    };
    apply(vscroll_, vertical, false);
    apply(hscroll_, horizontal, true);
    NeedUpdate();
}

Size Container::GetScrollPos() const {
    return {hscroll_ ? hscroll_->GetScrollPos() : 0, vscroll_ ? vscroll_->GetScrollPos() : 0};
}

Size Container::GetScrollRange() const {
    return {hscroll_ ? hscroll_->GetScrollRange() : 0, vscroll_ ? vscroll_->GetScrollRange() : 0};
}

void Container::SetScrollPos(Size pos) {
    const Size old = GetScrollPos();
    if (vscroll_) {
        vscroll_->SetScrollPos(pos.cy);
    }
    if (hscroll_) {
        hscroll_->SetScrollPos(pos.cx);
    }
    if (GetScrollPos() != old) {
        SetPos(rect_);
        Invalidate();
    }
}

void Container::LineUp() {
    if (vscroll_) {
        SetScrollPos({GetScrollPos().cx, GetScrollPos().cy - Scale(vscroll_->GetLineSize())});
    }
}

void Container::LineDown() {
    if (vscroll_) {
        SetScrollPos({GetScrollPos().cx, GetScrollPos().cy + Scale(vscroll_->GetLineSize())});
    }
}

void Container::EnsureVisible(const Control* child) {
    if (GetItemIndex(child) < 0 || !vscroll_) {
        return;
    }
    if (GetManager() != nullptr && GetManager()->IsUpdateNeeded()) {
        GetManager()->UpdateLayout();
    }
    const Rect inner = InnerRect();
    const Rect& pos = child->GetPos();
    int offset = 0;
    if (pos.top < inner.top) {
        offset = pos.top - inner.top;
    } else if (pos.bottom > inner.bottom) {
        offset = std::min(pos.bottom - inner.bottom, pos.top - inner.top);
    }
    if (offset != 0) {
        SetScrollPos({GetScrollPos().cx, GetScrollPos().cy + offset});
    }
}

Rect Container::InnerRect() const {
    Rect inner = rect_.Deflate(Scale(inset_));
    if (vscroll_ && vscroll_->IsVisible()) {
        inner.right -= Scale(vscroll_->GetThickness());
    }
    if (hscroll_ && hscroll_->IsVisible()) {
        inner.bottom -= Scale(hscroll_->GetThickness());
    }
    return inner;
}

void Container::SetFloatPos(Control& child) {
    const Rect pos = Scale(child.GetFloatPos());
    child.SetPos(pos.Offset(rect_.left, rect_.top));
}

void Container::ProcessScrollBar(const Rect& rect, int content_width, int content_height) {
    const Rect inner = rect.Deflate(Scale(inset_));
    if (vscroll_) {
        const int range = std::max(0, content_height - InnerRect().Height());
        vscroll_->SetScrollRange(range);
        vscroll_->SetVisible(range > 0);
        const int thickness = Scale(vscroll_->GetThickness());
        vscroll_->SetPos({inner.right - thickness, inner.top, inner.right, inner.bottom});
    }
    if (hscroll_) {
        const int range = std::max(0, content_width - InnerRect().Width());
        hscroll_->SetScrollRange(range);
        hscroll_->SetVisible(range > 0);
        const int thickness = Scale(hscroll_->GetThickness());
        hscroll_->SetPos({inner.left, inner.bottom - thickness, inner.right, inner.bottom});
    }
}

Size Container::LayoutChildren(const Rect& inner) {
    ForEachFlowChild([&](Control& child) {
        const Rect padding = Scale(child.GetPadding());
        Rect area = inner.Deflate(padding);
        const Size wanted = child.EstimateSize({area.Width(), area.Height()});
        if (wanted.cx > 0) {
            area.right = area.left + wanted.cx;
        }
        if (wanted.cy > 0) {
            area.bottom = area.top + wanted.cy;
        }
        child.SetPos(area);
    });
    return {inner.Width(), inner.Height()};
}

void Container::SetPos(const Rect& rect) {
    Control::SetPos(rect);
    Size content = LayoutChildren(InnerRect());
    if (!vscroll_ && !hscroll_) {
        return;
    }
    const bool v_before = vscroll_ && vscroll_->IsVisible();
    const bool h_before = hscroll_ && hscroll_->IsVisible();
    const Size pos_before = GetScrollPos();
    ProcessScrollBar(rect, content.cx, content.cy);
    const bool v_after = vscroll_ && vscroll_->IsVisible();
    const bool h_after = hscroll_ && hscroll_->IsVisible();
    if (v_before != v_after || h_before != h_after || pos_before != GetScrollPos()) {
        // The scroll bars' space or the clamped position changed: lay out again with them.
        content = LayoutChildren(InnerRect());
        ProcessScrollBar(rect, content.cx, content.cy);
    }
}

void Container::DoEvent(UiEvent& event) {
    if (event.type == EventType::kScrollWheel && vscroll_ && vscroll_->GetScrollRange() > 0) {
        if (event.wheel_delta > 0) {
            LineUp();
        } else {
            LineDown();
        }
        return;
    }
    Control::DoEvent(event);
}

void Container::SetLayered(bool on) {
    layered_ = on;
    Invalidate();
}

void Container::DoPaint(IRenderEngine& engine, const Rect& dirty) {
    if (!IsVisible() || !rect_.Intersects(dirty)) {
        return;
    }
    if (!layered_ || !engine.KeepsLayers() || engine.PaintingLayer()) {
        PaintContent(engine, dirty);
        return;
    }
    PaintLive(engine);
    const PaintManager* manager = GetManager();
    const std::uint64_t generation =
        std::max(GetLookGeneration(), manager != nullptr ? manager->LookGeneration() : 0);
    engine.DrawLayer(this, generation, rect_,
                     [this](IRenderEngine& layer) { PaintContent(layer, rect_); });
}

void Container::PaintLive(IRenderEngine& engine) {
    if (!IsVisible()) {
        return;
    }
    // The same children and clips as PaintContent, so a live part shows exactly where its
    // control would be painted.
    engine.PushClip(rect_);
    ForEachPaintedChild(engine, [&engine](Control& child) { child.PaintLive(engine); });
    engine.PopClip();
}

bool Container::HidesArea(const Rect& area) const {
    if (!IsVisible() || !rect_.Contains(area)) {
        return false;
    }
    // A layered container's own look is its kept picture, painted over its background.
    if (layered_ && (GetBkColor() >> 24) == 0xFF && GetBorderRound() == Size{}) {
        return true;
    }
    const Rect inner = InnerRect();
    return std::any_of(items_.begin(), items_.end(), [&area, &inner](const auto& item) {
        return ChildHides(*item, area, inner);
    });
}

bool Container::ChildHides(const Control& child, const Rect& area, const Rect& inner) {
    return (child.IsFloat() || inner.Contains(area)) && child.HidesArea(area);
}

void Container::PaintContent(IRenderEngine& engine, const Rect& dirty) {
    // Everything painted before the last child that hides the whole dirty part of this
    // container would be painted over: it is skipped. A key picture repainted many times a
    // second then costs no more than the picture itself. Floating children paint after those
    // in the flow: a hiding float also hides every child in the flow, and a hiding child in
    // the flow hides no float.
    const Rect area = dirty.Intersect(rect_);
    const Rect inner = InnerRect();
    const Control* cover = nullptr;
    for (const auto& item : items_) {
        if (item->IsVisible() && ChildHides(*item, area, inner)) {
            cover = item.get();
        }
    }
    engine.PushClip(rect_);
    bool reached = cover == nullptr;
    if (reached) {
        PaintBkColor(engine);
        PaintBkImage(engine);
        PaintStatusImage(engine);
        PaintText(engine);
        PaintBorder(engine);
    }
    ForEachPaintedChild(engine, [&](Control& child) {
        reached = reached || &child == cover;
        if (reached) {
            child.DoPaint(engine, dirty);
        }
    });
    for (ScrollBar* bar : {vscroll_.get(), hscroll_.get()}) {
        if (bar != nullptr && bar->IsVisible()) {
            bar->DoPaint(engine, dirty);
        }
    }
    engine.PopClip();
}

void Container::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset") {
        SetInset(ParseRect(value));
    } else if (name == "childpadding") {
        SetChildPadding(ParseInt(value));
    } else if (name == "layered") {
        SetLayered(ParseBool(value));
    } else if (name == "mousechild") {
        SetMouseChildEnabled(ParseBool(value));
    } else if (name == "vscrollbar") {
        EnableScrollBar(ParseBool(value), hscroll_ != nullptr);
    } else if (name == "hscrollbar") {
        EnableScrollBar(vscroll_ != nullptr, ParseBool(value));
    } else if (name == "vscrollbarstyle") {
        EnableScrollBar(true, hscroll_ != nullptr);
        vscroll_->ApplyAttributeList(value);
    } else if (name == "hscrollbarstyle") {
        EnableScrollBar(vscroll_ != nullptr, true);
        hscroll_->ApplyAttributeList(value);
    } else {
        Control::SetAttribute(name, value);
    }
}

}  // namespace calvorn::dui
