#pragma once

// The program's own control classes: registration with the control factory at start-up and
// creation by layout class name for a window's creation callback.

#include <memory>
#include <string_view>

#include "dui/control.h"
#include "dui/control_factory.h"

namespace calvorn::ui {

// Registers `CDeviceKeyButtonUI`, `CSelectPanelUI`, `CHandImgButtonUI`,
// `CHandImgSelectButtonUI`, `CRedioMacroButtonUI`, `CCircleProgressUI`,
// `CComboEditContainerElementUI` and `CCloudShareListItemUI` under their class names (the list
// row also under its layout name "CloudShareListItemUI").
void RegisterCustomControls(dui::ControlFactory& factory);

// Creates one of those controls from its layout class name ("SelectPanel"), compared without
// regard to case; null for other names.
std::unique_ptr<dui::Control> CreateCustomControl(std::string_view layout_class_name);

}  // namespace calvorn::ui
