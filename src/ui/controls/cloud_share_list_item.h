#pragma once

#include "dui/list_container_element.h"

namespace calvorn::ui {

// `CCloudShareListItemUI` ("CloudShareListItemUI"): a list row that, while hot and not
// selected, draws a one-pixel frame in the owning list's "itemhotframecolor" (none when the
// list sets none).
class CCloudShareListItemUI : public dui::ListContainerElement {
public:
    std::string_view GetClass() const override { return "CloudShareListItemUI"; }
    void PaintBorder(dui::IRenderEngine& engine) override;
};

}  // namespace calvorn::ui
