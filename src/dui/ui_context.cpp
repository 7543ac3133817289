#include "dui/ui_context.h"

#include <algorithm>

#include "dui/paint_manager.h"

namespace calvorn::dui {

UiContext::UiContext(platform::UiLoop& loop, std::filesystem::path skin_folder)
    : loop_(loop), resources_(std::move(skin_folder)) {
    std::error_code error;
    if (std::filesystem::exists(resources_.SkinFolder() / "res.xml", error)) {
        resources_.LoadIndex();
    }
}

UiContext::~UiContext() {
    graveyard_.clear();
}

bool UiContext::LoadLanguage(std::string_view file) {
    const std::optional<std::filesystem::path> path = resources_.ResolveFile(file);
    if (!path || !language_.Load(*path)) {
        return false;
    }
    InvalidateAll();
    return true;
}

void UiContext::SetDpiForAll(int dpi) {
    const std::vector<PaintManager*> windows = windows_;
    for (PaintManager* window : windows) {
        window->SetDpi(dpi);
    }
}

void UiContext::InvalidateAll() {
    for (PaintManager* window : windows_) {
        window->Invalidate();
    }
}

void UiContext::AddSharedFont(int id, const FontSpec& font, bool is_default) {
    auto it = std::find_if(shared_fonts_.begin(), shared_fonts_.end(),
                           [id](const SharedFont& f) { return f.id == id; });
    if (it != shared_fonts_.end()) {
        it->description = font;
    } else {
        shared_fonts_.push_back({font, id});
    }
    if (is_default) {
        shared_default_ = font;
    }
}

const FontSpec* UiContext::FindSharedFont(int id) const {
    auto it = std::find_if(shared_fonts_.begin(), shared_fonts_.end(),
                           [id](const SharedFont& f) { return f.id == id; });
    return it != shared_fonts_.end() ? &it->description : nullptr;
}

const FontSpec* UiContext::SharedDefaultFont() const {
    return shared_default_ ? &*shared_default_ : nullptr;
}

void UiContext::RemoveSharedFonts() {
    shared_fonts_.clear();
    shared_default_.reset();
}

UiContext::DispatchScope::DispatchScope(UiContext& context) : context_(context) {
    ++context_.dispatch_depth_;
}

UiContext::DispatchScope::~DispatchScope() {
    if (--context_.dispatch_depth_ == 0) {
        context_.EmptyGraveyard();
    }
}

void UiContext::AddWindow(PaintManager* window) {
    windows_.push_back(window);
}

void UiContext::RemoveWindow(PaintManager* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

void UiContext::EmptyGraveyard() {
    // Destroying an object may park more (a closed pop-up's tree); keep going until empty,
    // with the depth raised so nothing is destroyed twice.
    ++dispatch_depth_;
    while (!graveyard_.empty()) {
        std::vector<std::shared_ptr<void>> batch;
        batch.swap(graveyard_);
        batch.clear();
    }
    --dispatch_depth_;
}

}  // namespace calvorn::dui
