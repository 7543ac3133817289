#include "ui/controls/redio_macro_button.h"

namespace calvorn::ui {

void CRedioMacroButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "redioimage") {
        redio_image_ = value;
    } else {
        dui::Button::SetAttribute(name, value);
    }
}

}  // namespace calvorn::ui
