#pragma once

// What the windows of one process share: the UI loop, the skin folder's resources, the
// language table, the shared fonts, the control factory and the list of windows. Start-up
// creates one and hands it to every paint manager; there is no global instance.
//
// It also owns deferred deletion: while any of its windows dispatches an event, a timer or a
// notification, removed controls and closed pop-ups are parked here and destroyed when the
// outermost dispatch returns, so a handler may remove the control that notified it.

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "dui/control_factory.h"
#include "dui/language_table.h"
#include "dui/render_engine.h"
#include "dui/resource_index.h"
#include "platform/ui_loop.h"

namespace calvorn::dui {

class PaintManager;

class UiContext {
public:
    UiContext(platform::UiLoop& loop, std::filesystem::path skin_folder);
    ~UiContext();
    UiContext(const UiContext&) = delete;
    UiContext& operator=(const UiContext&) = delete;

    platform::UiLoop& Loop() const { return loop_; }
    ResourceIndex& Resources() { return resources_; }
    const ResourceIndex& Resources() const { return resources_; }
    LanguageTable& Language() { return language_; }
    const LanguageTable& Language() const { return language_; }
    ControlFactory& Factory() { return factory_; }
    const ControlFactory& Factory() const { return factory_; }

    // Loads a language file (resolved like a layout) and repaints every window. On failure
    // the previous texts stay.
    bool LoadLanguage(std::string_view file);

    // Every window: set the DPI, repaint.
    void SetDpiForAll(int dpi);
    void InvalidateAll();
    const std::vector<PaintManager*>& Windows() const { return windows_; }

    // --- shared fonts (size in 96-DPI pixels) ---
    void AddSharedFont(int id, const FontSpec& font, bool is_default);
    const FontSpec* FindSharedFont(int id) const;
    const FontSpec* SharedDefaultFont() const;
    void RemoveSharedFonts();

    // --- dispatch and deferred deletion ---
    class DispatchScope {
    public:
        explicit DispatchScope(UiContext& context);
        ~DispatchScope();
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;

    private:
        UiContext& context_;
    };
    bool IsDispatching() const { return dispatch_depth_ > 0; }
    // Destroys `object` now, or after the outermost dispatch when one is running.
    template <typename T>
    void DeferDelete(std::unique_ptr<T> object) {
        if (!object) {
            return;
        }
        if (dispatch_depth_ == 0) {
            object.reset();
            return;
        }
        graveyard_.push_back(std::shared_ptr<T>(std::move(object)));
    }

private:
    friend class PaintManager;
    void AddWindow(PaintManager* window);
    void RemoveWindow(PaintManager* window);
    void EmptyGraveyard();

    platform::UiLoop& loop_;
    ResourceIndex resources_;
    LanguageTable language_;
    ControlFactory factory_;
    std::vector<PaintManager*> windows_;

    struct SharedFont {
        FontSpec description;
        int id;
    };
    std::vector<SharedFont> shared_fonts_;
    std::optional<FontSpec> shared_default_;

    int dispatch_depth_ = 0;
    std::vector<std::shared_ptr<void>> graveyard_;
};

}  // namespace calvorn::dui
