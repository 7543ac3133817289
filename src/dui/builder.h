#pragma once

// Builds control trees from XML layouts (pugixml).
//
//   <Window size="800,572">
//     <Font id="0" name="Verdana" size="15" default="true"/>
//     <Default name="Button" value="height=&quot;30&quot;"/>
//     <Style name="macro_label_up_style" value="textcolor=&quot;#FF888888&quot;"/>
//     <VerticalLayout name="root"> ... <Include source="XML\part.xml"/> ... </VerticalLayout>
//   </Window>
//
// The Window element's size, fonts, defaults and styles go to the builder's paint manager.
// Classes are resolved as built-in classes, then by the creation callback, then by the
// context's control factory. A broken or missing layout builds nothing and writes a trace
// line; an unknown class skips that element and its children (with a trace line).

#include <functional>
#include <memory>
#include <string_view>

namespace calvorn::dui {

class Control;
class PaintManager;

// Creates a control for a layout class name the layer does not know, or returns null.
using CreateCallback = std::function<std::unique_ptr<Control>(std::string_view class_name)>;

class Builder {
public:
    explicit Builder(PaintManager& manager) : manager_(manager) {}

    // Builds the layout file `name` (resolved through the resource index). The tree is not
    // attached to a window yet: the caller adds it to a container or makes it a root.
    std::unique_ptr<Control> Build(std::string_view name, const CreateCallback& callback = {});
    // Builds from XML text; `origin` names it in trace lines.
    std::unique_ptr<Control> BuildFromString(std::string_view xml,
                                             const CreateCallback& callback = {},
                                             std::string_view origin = "<string>");

    // Creates a control of a built-in class, or null.
    static std::unique_ptr<Control> CreateBuiltin(std::string_view class_name);

private:
    PaintManager& manager_;
};

}  // namespace calvorn::dui
