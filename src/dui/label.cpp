#include "dui/label.h"

namespace calvorn::dui {

void Label::PaintText(IRenderEngine& engine) {
    const std::string text = GetText();
    if (text.empty()) {
        return;
    }
    DrawTextIn(engine, text, IsEnabled() ? GetTextColor() : GetDisabledTextColor());
}

void Label::DrawTextIn(IRenderEngine& engine, const std::string& text, Color color) const {
    if (text.empty() || !IsDrawn(color)) {
        return;
    }
    const Rect area = rect_.Deflate(Scale(GetTextPadding()));
    engine.DrawText(area, text, ResolveFont(GetFont()), color, GetTextStyle());
}

}  // namespace calvorn::dui
