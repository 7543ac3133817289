#include "ui/controls/custom_controls.h"

#include <array>

#include "dui/attributes.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/select_panel.h"
#include "ui/lighting/light_control_ui.h"

namespace calvorn::ui {

namespace {

template <typename T>
std::unique_ptr<dui::Control> Make() {
    return std::make_unique<T>();
}

struct CustomClass {
    std::string_view class_name;
    std::string_view layout_name;
    std::unique_ptr<dui::Control> (*make)();
};

constexpr std::array<CustomClass, 9> kCustomClasses{{
    {"CDeviceKeyButtonUI", "DeviceKeyButton", &Make<CDeviceKeyButtonUI>},
    {"CSelectPanelUI", "SelectPanel", &Make<CSelectPanelUI>},
    {"CHandImgButtonUI", "HandImgButton", &Make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", "HandImgSelectButton", &Make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", "RedioMacroButton", &Make<CRedioMacroButtonUI>},
    {"CCircleProgressUI", "CircleProgress", &Make<CCircleProgressUI>},
    {"CComboEditContainerElementUI", "ComboEditContainerElement",
     &Make<CComboEditContainerElementUI>},
    {"CCloudShareListItemUI", "CloudShareListItemUI", &Make<CCloudShareListItemUI>},
    {"CLightControlUI", "LightControl", &Make<CLightControlUI>},
}};

}  // namespace

void RegisterCustomControls(dui::ControlFactory& factory) {
    for (const CustomClass& custom : kCustomClasses) {
        factory.Register(custom.class_name, custom.make);
    }
    factory.Register("CloudShareListItemUI", &Make<CCloudShareListItemUI>);
}

std::unique_ptr<dui::Control> CreateCustomControl(std::string_view layout_class_name) {
    for (const CustomClass& custom : kCustomClasses) {
        if (dui::EqualsNoCase(custom.layout_name, layout_class_name)) {
            return custom.make();
        }
    }
    return nullptr;
}

}  // namespace calvorn::ui
