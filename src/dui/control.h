#pragma once

// The base of every control: identity, text, visibility and input flags, the attributes the
// layout engine reads, appearance, states, events, notifications, timers and painting.
//
// A control belongs to at most one window (PaintManager) and one parent; a container owns its
// children. Sizes given by attributes are kept in 96-DPI units and scaled by the window's DPI
// when laid out and painted; GetPos() is in physical window pixels.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dui/event.h"
#include "dui/geometry.h"
#include "dui/render_engine.h"

namespace calvorn::dui {

class PaintManager;

enum ControlState : unsigned {
    kStateHot = 0x01,
    kStatePushed = 0x02,
    kStateCaptured = 0x04,
    kStateSelected = 0x08,
    kStateFocused = 0x10,
    kStateDisabled = 0x20,
};

// A new value of the window-wide look counter: larger than every value it gave before. Looks
// of controls and windows are stamped with it, so a cached picture keyed by a stamp is never
// taken for a later look.
std::uint64_t NextLookGeneration();

// System cursor ids.
inline constexpr int kCursorArrow = 32512;
inline constexpr int kCursorIBeam = 32513;
inline constexpr int kCursorHand = 32649;

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The layout class name ("Button", "DeviceKeyButton").
    virtual std::string_view GetClass() const { return "Control"; }

    // --- identity and text ---
    const std::string& GetName() const { return name_; }
    void SetName(std::string_view name) { name_ = name; }
    const std::string& GetUserData() const { return user_data_; }
    void SetUserData(std::string_view data) { user_data_ = data; }
    // The text to show: the stored text resolved as a language key (see LanguageTable), or
    // the stored text itself when it is no key or the control shows literal text.
    virtual std::string GetText() const;
    const std::string& GetRawText() const { return text_; }
    virtual void SetText(std::string_view text);
    bool IsResourceText() const { return resource_text_; }
    void SetResourceText(bool on);
    std::string GetToolTip() const;
    void SetToolTip(std::string_view tooltip) { tooltip_ = tooltip; }

    // --- tree ---
    Control* GetParent() const { return parent_; }
    PaintManager* GetManager() const { return manager_; }
    // Joins (manager set) or leaves (null) a window under `parent`, with every descendant.
    // `init` runs DoInit once the first time the control joins a window.
    virtual void SetManager(PaintManager* manager, Control* parent, bool init);
    // Takes a child built for this control (containers, combos, menus); returns it, or null
    // when this control holds no children (the child is then destroyed).
    virtual Control* AddChild(std::unique_ptr<Control> child);
    // This control or the first descendant in tree order with that name.
    virtual Control* FindByName(std::string_view name);
    // The topmost visible, mouse-enabled control at `point`, or null.
    virtual Control* HitTest(Point point);
    // Calls `visit` for this control and every descendant, in tree order.
    virtual void Visit(const std::function<void(Control&)>& visit);
    // True when `other` is this control or one of its descendants.
    bool Contains(const Control* other) const;

    // --- visibility and input ---
    // Shown: its own flag and every ancestor shown.
    bool IsVisible() const { return visible_ && intern_visible_; }
    bool GetVisibleFlag() const { return visible_; }
    virtual void SetVisible(bool visible);
    // Set by the parent when the parent is hidden or shown.
    virtual void SetInternVisible(bool visible);
    // Enabled: its own flag and every ancestor enabled.
    bool IsEnabled() const;
    virtual void SetEnabled(bool enabled);
    bool IsMouseEnabled() const { return mouse_enabled_; }
    void SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
    bool IsKeyboardEnabled() const { return keyboard_enabled_; }
    void SetKeyboardEnabled(bool enabled) { keyboard_enabled_ = enabled; }
    bool IsFocused() const { return (state_ & kStateFocused) != 0; }
    void SetFocus();
    unsigned GetState() const { return state_; }
    bool IsHot() const { return (state_ & kStateHot) != 0; }
    bool IsPushed() const { return (state_ & kStatePushed) != 0; }
    bool IsCaptured() const { return (state_ & kStateCaptured) != 0; }
    bool IsContextMenuUsed() const { return context_menu_; }
    void SetContextMenuUsed(bool used) { context_menu_ = used; }
    int GetCursor() const { return cursor_; }
    void SetCursor(int cursor_id) { cursor_ = cursor_id; }
    const std::string& GetVirtualWnd() const { return virtual_wnd_; }
    void SetVirtualWnd(std::string_view name) { virtual_wnd_ = name; }
    // The "virtualwnd" of this control or its nearest ancestor that has one.
    std::string ResolveVirtualWnd() const;

    // --- geometry ---
    const Rect& GetPos() const { return rect_; }
    // Places the control (layout result, window pixels); containers lay out their children.
    virtual void SetPos(const Rect& rect);
    bool IsFloat() const { return float_; }
    void SetFloat(bool on);
    // "pos": the float rectangle relative to the parent's top-left corner, 96-DPI units.
    const Rect& GetFloatPos() const { return float_pos_; }
    void SetFloatPos(const Rect& pos);
    int GetFixedWidth() const { return fixed_.cx; }
    int GetFixedHeight() const { return fixed_.cy; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return min_.cx; }
    int GetMinHeight() const { return min_.cy; }
    int GetMaxWidth() const { return max_.cx; }
    int GetMaxHeight() const { return max_.cy; }
    void SetMinWidth(int cx);
    void SetMinHeight(int cy);
    void SetMaxWidth(int cx);
    void SetMaxHeight(int cy);
    // Outer margins, 96-DPI units.
    const Rect& GetPadding() const { return padding_; }
    void SetPadding(const Rect& padding);
    // The size the control wants in a layout, window pixels; 0 in a direction means "stretch".
    virtual Size EstimateSize(Size available) const;
    // A 96-DPI value in this control's window pixels.
    int Scale(int value) const;
    Rect Scale(const Rect& rect) const;

    // --- appearance ---
    Color GetBkColor() const { return bk_color_; }
    void SetBkColor(Color color);
    const std::string& GetBkImage() const { return bk_image_; }
    void SetBkImage(std::string_view image);
    Color GetBorderColor() const { return border_color_; }
    void SetBorderColor(Color color);
    Color GetFocusBorderColor() const { return focus_border_color_; }
    void SetFocusBorderColor(Color color);
    int GetBorderSize() const { return border_size_; }
    void SetBorderSize(int size);
    Size GetBorderRound() const { return border_round_; }
    void SetBorderRound(Size round);
    int GetFont() const { return font_; }
    void SetFont(int font_id);
    Color GetTextColor() const { return text_color_; }
    void SetTextColor(Color color);
    Color GetDisabledTextColor() const { return disabled_text_color_; }
    void SetDisabledTextColor(Color color);
    // TextFormat flags.
    unsigned GetTextStyle() const { return text_style_; }
    void SetTextStyle(unsigned style);
    const Rect& GetTextPadding() const { return text_padding_; }
    void SetTextPadding(const Rect& padding);

    // --- attributes ---
    // Sets one layout attribute; unknown names are ignored. Subclasses handle theirs and pass
    // the rest on.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    // Applies `name="value" name2="value2" ...`.
    void ApplyAttributeList(std::string_view list);

    // --- redraw and relayout ---
    void Invalidate();
    // Repaints the control for a change of its live part only (what PaintLive draws): the
    // kept layers of its ancestors stay valid.
    void InvalidateLive();
    // Marks the window for layout before its next paint or hit test.
    void NeedUpdate();
    // A stamp of this control's look and its descendants': it changes on every Invalidate,
    // NeedUpdate or state change among them, and never returns to an earlier value.
    std::uint64_t GetLookGeneration() const { return look_generation_; }

    // --- events and notifications ---
    // Delivers an event to this control (sets event.sender).
    void Event(UiEvent& event);
    // Handles an event. The base handles focus changes, timers ("timer") and the context menu
    // ("menu" when used) and passes anything else to the parent.
    virtual void DoEvent(UiEvent& event);
    // The control's action (a button's click). False when hidden or disabled.
    virtual bool Activate();
    // Sends a notification from this control through its window; nothing without a window.
    void SendNotify(std::string_view type, platform::WParam wparam = 0,
                    platform::LParam lparam = 0);

    // --- timers ---
    // A repeating timer on the window's UI loop; it delivers a timer event with `id` to this
    // control until killed, the control leaves its window or is destroyed. False without a
    // window.
    bool SetTimer(std::uint32_t id, int elapse_ms);
    void KillTimer(std::uint32_t id);

    // --- painting ---
    // Paints the control where it meets `dirty`: background colour, background image, status
    // image, text, border.
    virtual void DoPaint(IRenderEngine& engine, const Rect& dirty);
    virtual void PaintBkColor(IRenderEngine& engine);
    virtual void PaintBkImage(IRenderEngine& engine);
    virtual void PaintStatusImage(IRenderEngine& engine);
    virtual void PaintText(IRenderEngine& engine);
    virtual void PaintBorder(IRenderEngine& engine);
    // Whether painting this control covers all of `area` (window pixels) with opaque
    // pixels, so that whatever lies beneath there need not be painted. False by default:
    // controls choose their background by state in ways a caller cannot see.
    virtual bool HidesArea(const Rect& area) const;
    // Paints what changes many times a second (a key's light colour) while an ancestor is
    // painted as a layer: it goes under the layer's picture, where DoPaint left a hole while
    // the engine was PaintingLayer(). Nothing by default.
    virtual void PaintLive(IRenderEngine& engine);
    // Draws an image string into this control's rectangle (or its "dest" part). False when
    // the string is empty or cannot be parsed.
    bool DrawImage(IRenderEngine& engine, std::string_view image,
                   std::optional<Color> tint = std::nullopt, int fade = 255) const;
    // The same with `area` (window pixels) in place of the control's rectangle.
    bool DrawImage(IRenderEngine& engine, std::string_view image, const Rect& area,
                   std::optional<Color> tint = std::nullopt, int fade = 255) const;

protected:
    // Runs once, the first time the control joins a window.
    virtual void DoInit() {}
    void SetStateBits(unsigned bits, bool on);
    // The font of this control's window, scaled.
    FontSpec ResolveFont(int font_id) const;

    unsigned state_ = 0;
    Rect rect_;

private:
    // Stamps this control and its ancestors with a new look generation.
    void MarkLookChanged();

    PaintManager* manager_ = nullptr;
    Control* parent_ = nullptr;
    bool initialised_ = false;
    std::uint64_t look_generation_ = NextLookGeneration();

    std::string name_;
    std::string user_data_;
    std::string text_;
    std::string tooltip_;
    std::string virtual_wnd_;
    bool resource_text_ = true;

    bool visible_ = true;
    bool intern_visible_ = true;
    bool enabled_ = true;
    bool mouse_enabled_ = true;
    bool keyboard_enabled_ = true;
    bool context_menu_ = false;
    int cursor_ = kCursorArrow;

    bool float_ = false;
    Rect float_pos_;
    Size fixed_;
    Size min_;
    Size max_{9999, 9999};
    Rect padding_;

    Color bk_color_ = kNoColor;
    std::string bk_image_;
    Color border_color_ = kNoColor;
    Color focus_border_color_ = kNoColor;
    int border_size_ = 0;
    Size border_round_;
    int font_ = -1;
    Color text_color_ = 0xFF000000;
    Color disabled_text_color_ = 0xFFA7A6AA;
    unsigned text_style_ = kTextLeft | kTextVCenter | kTextSingleLine;
    Rect text_padding_;
};

}  // namespace calvorn::dui
