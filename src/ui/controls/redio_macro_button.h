#pragma once

#include <string>

#include "dui/button.h"

namespace calvorn::ui {

// `CRedioMacroButtonUI` ("RedioMacroButton"): the record button of the macro panel. It keeps
// the image string of its "redioimage" attribute and otherwise is a plain button.
class CRedioMacroButtonUI : public dui::Button {
public:
    std::string_view GetClass() const override { return "RedioMacroButton"; }
    const std::string& GetRedioImage() const { return redio_image_; }
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    std::string redio_image_;
};

}  // namespace calvorn::ui
