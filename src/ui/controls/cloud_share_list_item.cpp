#include "ui/controls/cloud_share_list_item.h"

namespace calvorn::ui {

void CCloudShareListItemUI::PaintBorder(dui::IRenderEngine& engine) {
    dui::ListContainerElement::PaintBorder(engine);
    const dui::IListOwner* owner = GetOwner();
    if (owner == nullptr || !IsHot() || IsSelected()) {
        return;
    }
    const dui::Color frame = owner->GetListInfo().hot_frame_color;
    if (dui::IsDrawn(frame)) {
        engine.DrawRect(GetPos(), 1, frame);
    }
}

}  // namespace calvorn::ui
