#include "dui/list_element.h"

namespace calvorn::dui {

void ListElement::PaintText(IRenderEngine& engine) {
    const std::string text = GetText();
    if (text.empty()) {
        return;
    }
    const Color color = ListItemTextColor(*this, *this);
    const IListOwner* owner = GetOwner();
    if (owner == nullptr) {
        engine.DrawText(rect_.Deflate(Scale(GetTextPadding())), text, ResolveFont(GetFont()), color,
                        GetTextStyle());
        return;
    }
    const ListInfo& info = owner->GetListInfo();
    engine.DrawText(rect_.Deflate(Scale(info.text_padding)), text, ResolveFont(info.font), color,
                    info.text_style);
}

}  // namespace calvorn::dui
