#include "dui/list_text_element.h"

#include "dui/paint_manager.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

std::string ListTextElement::GetColumnText(int column) const {
    if (column == 0) {
        return GetText();
    }
    if (column < 0 || column > static_cast<int>(more_columns_.size())) {
        return {};
    }
    const std::string& text = more_columns_[static_cast<std::size_t>(column - 1)];
    if (!IsResourceText() || GetManager() == nullptr) {
        return text;
    }
    return GetManager()->Context().Language().Resolve(text);
}

void ListTextElement::SetColumnText(int column, std::string_view text) {
    if (column < 0) {
        return;
    }
    if (column == 0) {
        SetText(text);
        return;
    }
    if (column > static_cast<int>(more_columns_.size())) {
        more_columns_.resize(static_cast<std::size_t>(column));
    }
    more_columns_[static_cast<std::size_t>(column - 1)] = text;
    Invalidate();
}

int ListTextElement::GetColumnCount() const {
    return 1 + static_cast<int>(more_columns_.size());
}

void ListTextElement::PaintText(IRenderEngine& engine) {
    const int columns = GetColumnCount();
    const Color color = ListItemTextColor(*this, *this);
    const IListOwner* owner = GetOwner();
    const Rect padding =
        Scale(owner != nullptr ? owner->GetListInfo().text_padding : GetTextPadding());
    const FontSpec font = ResolveFont(owner != nullptr ? owner->GetListInfo().font : GetFont());
    const unsigned style = owner != nullptr ? owner->GetListInfo().text_style : GetTextStyle();
    const int width = rect_.Width() / columns;
    for (int column = 0; column < columns; ++column) {
        const std::string text = GetColumnText(column);
        if (text.empty()) {
            continue;
        }
        const int left = rect_.left + width * column;
        const int right = column == columns - 1 ? rect_.right : left + width;
        const Rect cell{left, rect_.top, right, rect_.bottom};
        engine.DrawText(cell.Deflate(padding), text, font, color, style);
    }
}

}  // namespace calvorn::dui
