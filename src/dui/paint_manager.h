#pragma once

// One window's manager: it holds the root control, the window size and DPI, fonts, default
// attributes and styles; finds controls; sends notifications to the window's receivers; runs
// control timers on the UI loop; tracks focus, capture and the hot control; dispatches the
// host's input to controls by hit test; lays the tree out lazily; and asks the host to
// repaint. UI thread only.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dui/control.h"
#include "dui/event.h"
#include "dui/render_engine.h"
#include "dui/window_host.h"
#include "platform/ui_loop.h"

namespace calvorn::dui {

class UiContext;

class PaintManager {
public:
    explicit PaintManager(UiContext& context);
    ~PaintManager();
    PaintManager(const PaintManager&) = delete;
    PaintManager& operator=(const PaintManager&) = delete;

    UiContext& Context() const { return context_; }
    platform::UiLoop& Loop() const;

    // --- host ---
    void SetHost(IWindowHost* host) { host_ = host; }
    IWindowHost* GetHost() const { return host_; }

    // --- tree ---
    // Takes the root, attaches the tree to this window and initialises it. The first layout
    // afterwards sends "windowinit".
    void SetRoot(std::unique_ptr<Control> root);
    Control* GetRoot() const { return root_; }
    // Shows a tree owned elsewhere (a pop-up's content); null detaches it again, handing it
    // back to `return_to` (its owner's window).
    void SetBorrowedRoot(Control* root, PaintManager* return_to = nullptr);

    // --- size and DPI ---
    // The size of the layout's Window element, 96-DPI units.
    Size GetInitSize() const { return init_size_; }
    void SetInitSize(Size size) { init_size_ = size; }
    // The client size in physical pixels, from the host.
    void SetWindowSize(Size size);
    Size GetWindowSize() const { return window_size_; }
    // 48, 72, 96, 120, 144, 168 or 192; other values are refused (false). A change relays
    // out the window and asks the host to resize it in proportion.
    bool SetDpi(int dpi);
    int GetDpi() const { return dpi_; }
    int Scale(int value) const;
    Rect Scale(const Rect& rect) const;

    // --- layout and painting ---
    void NeedUpdate();
    bool IsUpdateNeeded() const { return update_needed_; }
    // Lays the tree out when needed; the first layout sends "windowinit", later size changes
    // "windowsize".
    void UpdateLayout();
    void Invalidate(const Rect& rect);
    // Repaints the whole window, which may look different throughout (fonts, layout, scale):
    // it also renews LookGeneration().
    void Invalidate();
    // A stamp of window-wide changes of look, from the same counter as the controls' (see
    // NextLookGeneration).
    std::uint64_t LookGeneration() const { return look_generation_; }
    void Paint(IRenderEngine& engine, const Rect& dirty);

    // --- find ---
    // The first control in tree order with that name, or null.
    Control* FindControl(std::string_view name) const;
    // The control the mouse would hit at `point`.
    Control* FindControl(Point point);
    static Control* FindSubControlByName(Control* parent, std::string_view name);
    static std::vector<Control*> FindSubControlsByClass(Control* parent,
                                                        std::string_view class_name);

    // --- notifications ---
    void AddNotifier(INotifyReceiver* receiver);
    void RemoveNotifier(INotifyReceiver* receiver);
    // Delivers a notification to every receiver, synchronously.
    void SendNotify(Control* sender, std::string_view type, platform::WParam wparam = 0,
                    platform::LParam lparam = 0);

    // --- timers (on the context's UI loop, owner = the control) ---
    bool SetTimer(Control* control, std::uint32_t id, int elapse_ms);
    bool KillTimer(Control* control, std::uint32_t id);
    void KillTimers(Control* control);

    // --- focus, capture, hot control ---
    Control* GetFocus() const { return focus_; }
    // Moves the focus; the old focus gets a kill-focus event and "killfocus", the new one a
    // set-focus event and "setfocus". Null clears it.
    void SetFocus(Control* control);
    Control* GetHot() const { return hot_; }
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return captured_; }
    // The resolved tooltip of the hot control.
    std::string GetToolTip() const;
    Point GetMousePos() const { return mouse_; }

    // --- input from the host (window pixels) ---
    void OnMouseMove(Point point, unsigned modifiers = 0);
    void OnMouseLeave();
    void OnButtonDown(Point point, unsigned modifiers = 0);
    void OnButtonUp(Point point, unsigned modifiers = 0);
    void OnDoubleClick(Point point, unsigned modifiers = 0);
    void OnContextMenu(Point point);
    void OnWheel(Point point, int delta, unsigned modifiers = 0);
    void OnKeyDown(std::uint32_t virtual_key, unsigned modifiers = 0);
    void OnChar(char32_t code_point);
    // The window lost activation: a held button is let go.
    void OnWindowDeactivated();
    // A pop-up lost the focus; calls the dismiss handler.
    void OnPopupDismissed();
    void SetDismissHandler(std::function<void()> handler) { dismiss_ = std::move(handler); }

    // --- fonts ---
    // `font.size` in 96-DPI pixels. Shared fonts serve every window of the context.
    void AddFont(int id, const FontSpec& font, bool is_default, bool shared);
    // Removes this window's fonts and the shared ones.
    void RemoveAllFonts();
    // The font with that id scaled for this window: own fonts first, then shared, then the
    // default font, then a 12-pixel default.
    FontSpec GetFont(int id) const;

    // --- default attributes and styles ---
    void SetDefaultAttributes(std::string_view class_name, std::string_view attributes);
    const std::string* GetDefaultAttributes(std::string_view class_name) const;
    void AddStyle(std::string_view name, std::string_view attributes);
    const std::string* GetStyle(std::string_view name) const;

    // --- option groups ---
    void AddOptionToGroup(std::string_view group, Control* option);
    void RemoveOptionFromGroup(std::string_view group, Control* option);
    const std::vector<Control*>* GetOptionGroup(std::string_view group) const;

    // --- used by controls ---
    // A control (with its subtree) leaves this window: it is forgotten as hot, focus, click
    // or capture control and its timers are killed.
    void ReapControl(Control* control);

private:
    friend class UiContext;
    void DispatchTo(Control* control, UiEvent& event);
    Control* HitTest(Point point);
    void UpdateHot(Point point, unsigned modifiers);
    void DetachRoot();

    UiContext& context_;
    IWindowHost* host_ = nullptr;
    std::unique_ptr<Control> owned_root_;
    Control* root_ = nullptr;

    Size init_size_;
    Size window_size_;
    Size laid_out_size_;
    int dpi_ = 96;
    bool update_needed_ = true;
    bool first_layout_ = true;
    std::uint64_t look_generation_ = NextLookGeneration();

    Control* focus_ = nullptr;
    Control* hot_ = nullptr;
    Control* click_ = nullptr;
    bool captured_ = false;
    Point mouse_;

    std::vector<INotifyReceiver*> notifiers_;
    std::function<void()> dismiss_;

    struct Font {
        FontSpec description;
        int id;
    };
    std::vector<Font> fonts_;
    std::optional<FontSpec> default_font_;
    std::map<std::string, std::string, std::less<>> defaults_;
    std::map<std::string, std::string, std::less<>> styles_;
    std::map<std::string, std::vector<Control*>, std::less<>> option_groups_;
};

}  // namespace calvorn::dui
