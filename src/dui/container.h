#pragma once

// A control that owns children. The plain container places every child over its whole inner
// rectangle; the layouts (vertical, horizontal, tab, tile) derive from it. A container can
// scroll its content with a vertical and/or horizontal scroll bar.

#include <memory>
#include <vector>

#include "dui/control.h"

namespace calvorn::dui {

class ScrollBar;

class Container : public Control {
public:
    Container();
    ~Container() override;

    std::string_view GetClass() const override { return "Container"; }

    // --- children ---
    int GetCount() const { return static_cast<int>(items_.size()); }
    Control* GetItemAt(int index) const;
    int GetItemIndex(const Control* child) const;  // -1 when not a child
    // Appends or inserts (index clamped to 0..count) a child; returns it.
    virtual Control* Add(std::unique_ptr<Control> child);
    virtual Control* AddAt(std::unique_ptr<Control> child, int index);
    // Removes and destroys a child. Safe while events or notifications are dispatched: the
    // child leaves the window at once and is destroyed when the dispatch returns.
    virtual bool Remove(Control* child);
    bool RemoveAt(int index);
    void RemoveAll();
    // Removes a child and hands it to the caller (to re-parent it).
    std::unique_ptr<Control> Detach(Control* child);
    // The first descendant (not this) with that name.
    Control* FindSubControl(std::string_view name);

    Control* AddChild(std::unique_ptr<Control> child) override { return Add(std::move(child)); }
    Control* FindByName(std::string_view name) override;
    Control* HitTest(Point point) override;
    void Visit(const std::function<void(Control&)>& visit) override;
    void SetManager(PaintManager* manager, Control* parent, bool init) override;
    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;

    // --- layout attributes (96-DPI units) ---
    const Rect& GetInset() const { return inset_; }
    void SetInset(const Rect& inset);
    int GetChildPadding() const { return child_padding_; }
    void SetChildPadding(int padding);
    bool IsMouseChildEnabled() const { return mouse_child_; }
    void SetMouseChildEnabled(bool enabled) { mouse_child_ = enabled; }

    // --- painting as a layer ("layered") ---
    // A layered container is painted as a layer where the engine keeps layers: its look and
    // its children's, less their live parts, is painted once and kept until any of it
    // changes; each paint fills the live parts (PaintLive) and draws the kept picture over
    // them. Give it an opaque background: live parts show through wherever the picture is
    // not opaque.
    bool IsLayered() const { return layered_; }
    void SetLayered(bool on);

    // --- scrolling ---
    // Creates or removes the scroll bars.
    void EnableScrollBar(bool vertical, bool horizontal);
    ScrollBar* GetVerticalScrollBar() const { return vscroll_.get(); }
    ScrollBar* GetHorizontalScrollBar() const { return hscroll_.get(); }
    Size GetScrollPos() const;
    Size GetScrollRange() const;
    // Clamped to the range; moves the children.
    void SetScrollPos(Size pos);
    // Line scrolling (wheel, arrow keys).
    void LineUp();
    void LineDown();
    // Scrolls so that `child` is fully inside the visible area when possible.
    void EnsureVisible(const Control* child);

    void SetPos(const Rect& rect) override;
    void DoEvent(UiEvent& event) override;
    void DoPaint(IRenderEngine& engine, const Rect& dirty) override;
    void PaintLive(IRenderEngine& engine) override;
    // True when a child hides the area, or for a layered container with an opaque square
    // background colour over the area.
    bool HidesArea(const Rect& area) const override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    // The rectangle children are laid out in: the control less its inset and the scroll
    // bars' width.
    Rect InnerRect() const;
    // Places a float child at its "pos" relative to this container.
    void SetFloatPos(Control& child);
    // Places the floating children at their own positions and calls `arrange` with each
    // visible child the layout places in its flow, in order.
    template <class Arrange>
    void ForEachFlowChild(Arrange&& arrange) {
        for (const auto& item : items_) {
            Control& child = *item;
            if (child.IsFloat()) {
                SetFloatPos(child);
            } else if (child.IsVisible()) {
                arrange(child);
            }
        }
    }
    // Sets the scroll bars' ranges from the content size (window pixels) and places them.
    void ProcessScrollBar(const Rect& rect, int content_width, int content_height);
    // Lays out the children in `inner` (already less the inset and the scroll bars) and
    // returns the content size. The plain container gives each child the whole rectangle.
    virtual Size LayoutChildren(const Rect& inner);

    std::vector<std::unique_ptr<Control>> items_;

private:
    // The whole look where it meets `dirty`: own parts, then the children and scroll bars,
    // less what a later child hides.
    void PaintContent(IRenderEngine& engine, const Rect& dirty);
    // Whether `child`, painted clipped as PaintContent clips it (to `inner` when it is in
    // the flow), hides `area`.
    static bool ChildHides(const Control& child, const Rect& area, const Rect& inner);
    // Calls `visit` with each visible child in paint order: the children in the flow that
    // reach into the inner rectangle, clipped to it, then the floating ones.
    template <class Visit>
    void ForEachPaintedChild(IRenderEngine& engine, Visit&& visit) const {
        const Rect inner = InnerRect();
        engine.PushClip(inner);
        for (const auto& item : items_) {
            if (item->IsVisible() && !item->IsFloat() && item->GetPos().Intersects(inner)) {
                visit(*item);
            }
        }
        engine.PopClip();
        for (const auto& item : items_) {
            if (item->IsVisible() && item->IsFloat()) {
                visit(*item);
            }
        }
    }

    Rect inset_;
    int child_padding_ = 0;
    bool mouse_child_ = true;
    bool layered_ = false;
    std::unique_ptr<ScrollBar> vscroll_;
    std::unique_ptr<ScrollBar> hscroll_;
};

}  // namespace calvorn::dui
