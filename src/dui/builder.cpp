#include "dui/builder.h"

#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "dui/attributes.h"
#include "dui/check_box.h"
#include "dui/color_palette.h"
#include "dui/combo.h"
#include "dui/container.h"
#include "dui/control.h"
#include "dui/edit.h"
#include "dui/horizontal_layout.h"
#include "dui/label.h"
#include "dui/list.h"
#include "dui/list_container_element.h"
#include "dui/list_label_element.h"
#include "dui/list_text_element.h"
#include "dui/menu.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/progress.h"
#include "dui/rich_edit.h"
#include "dui/scroll_bar.h"
#include "dui/slider.h"
#include "dui/tab_layout.h"
#include "dui/text.h"
#include "dui/tile_layout.h"
#include "dui/ui_context.h"
#include "dui/vertical_layout.h"
#include "platform/trace.h"

namespace calvorn::dui {

namespace {

// Limits that keep hostile layouts from exhausting the stack or memory.
constexpr int kMaxIncludeDepth = 8;
constexpr int kMaxNesting = 200;
constexpr int kMaxIncludeCount = 100;
constexpr int kMaxControls = 100'000;

template <typename T>
std::unique_ptr<Control> Make() {
    return std::make_unique<T>();
}

using Maker = std::unique_ptr<Control> (*)();

const std::map<std::string, Maker, std::less<>>& BuiltinClasses() {
    static const std::map<std::string, Maker, std::less<>> classes{
        {"control", &Make<Control>},
        {"container", &Make<Container>},
        {"verticallayout", &Make<VerticalLayout>},
        {"horizontallayout", &Make<HorizontalLayout>},
        {"tablayout", &Make<TabLayout>},
        {"tilelayout", &Make<TileLayout>},
        {"label", &Make<Label>},
        {"text", &Make<Text>},
        {"button", &Make<Button>},
        {"option", &Make<Option>},
        {"checkbox", &Make<CheckBox>},
        {"edit", &Make<Edit>},
        {"richedit", &Make<RichEdit>},
        {"combo", &Make<Combo>},
        {"list", &Make<List>},
        {"listlabelelement", &Make<ListLabelElement>},
        {"listtextelement", &Make<ListTextElement>},
        {"listcontainerelement", &Make<ListContainerElement>},
        {"progress", &Make<Progress>},
        {"slider", &Make<Slider>},
        {"scrollbar", &Make<ScrollBar>},
        {"colorpalette", &Make<ColorPalette>},
        {"menu", &Make<MenuBody>},
        {"menuelement", &Make<MenuElement>},
    };
    return classes;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

void TraceBuildFailure(std::string_view origin, std::string_view reason) {
    platform::TraceFormat("dui: cannot build layout %s: %.*s", Quoted(origin).c_str(),
                          static_cast<int>(reason.size()), reason.data());
}

class TreeBuilder {
public:
    TreeBuilder(PaintManager& manager, const CreateCallback& callback)
        : manager_(manager), callback_(callback) {}

    // Parses `xml` and returns the controls of its root (normally one).
    std::vector<std::unique_ptr<Control>> BuildDocument(std::string_view xml,
                                                        std::string_view origin,
                                                        int include_depth) {
        pugi::xml_document document;
        const pugi::xml_parse_result result =
            document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
        if (!result) {
            TraceBuildFailure(origin, result.description());
            return {};
        }
        pugi::xml_node root = document.document_element();
        if (!root) {
            TraceBuildFailure(origin, "no root element");
            return {};
        }
        std::vector<std::unique_ptr<Control>> controls;
        if (EqualsNoCase(root.name(), "Window")) {
            ApplyWindow(root, include_depth);
            for (pugi::xml_node child : root.children()) {
                if (child.type() != pugi::node_element || IsWindowSetting(child.name())) {
                    continue;
                }
                BuildInto(child, controls, 0, include_depth);
                if (!controls.empty()) {
                    break;
                }
            }
        } else {
            BuildInto(root, controls, 0, include_depth);
        }
        if (controls.empty()) {
            TraceBuildFailure(origin, "no control");
        }
        return controls;
    }

    std::vector<std::unique_ptr<Control>> BuildFile(std::string_view name, int include_depth) {
        const std::optional<std::filesystem::path> path =
            manager_.Context().Resources().ResolveFile(name);
        if (!path) {
            TraceBuildFailure(name, "not a skin resource");
            return {};
        }
        std::ifstream in(*path, std::ios::binary);
        if (!in) {
            TraceBuildFailure(name, "cannot read " + path->string());
            return {};
        }
        std::ostringstream content;
        content << in.rdbuf();
        return BuildDocument(content.str(), name, include_depth);
    }

private:
    static bool IsWindowSetting(std::string_view name) {
        return EqualsNoCase(name, "Font") || EqualsNoCase(name, "Default") ||
               EqualsNoCase(name, "Style") || EqualsNoCase(name, "Image");
    }

    void ApplyWindow(pugi::xml_node window, int include_depth) {
        const pugi::xml_attribute size = window.attribute("size");
        if (!size.empty() && include_depth == 0 && manager_.GetRoot() == nullptr) {
            manager_.SetInitSize(ParseSize(size.value()));
        }
        for (pugi::xml_node child : window.children()) {
            if (EqualsNoCase(child.name(), "Font")) {
                FontSpec font;
                font.face = child.attribute("name").value();
                font.size = ParseInt(child.attribute("size").value(), 12);
                font.bold = ParseBool(child.attribute("bold").value());
                font.underline = ParseBool(child.attribute("underline").value());
                font.italic = ParseBool(child.attribute("italic").value());
                manager_.AddFont(ParseInt(child.attribute("id").value(), -1), font,
                                 ParseBool(child.attribute("default").value()),
                                 ParseBool(child.attribute("shared").value()));
            } else if (EqualsNoCase(child.name(), "Default")) {
                manager_.SetDefaultAttributes(child.attribute("name").value(),
                                              child.attribute("value").value());
            } else if (EqualsNoCase(child.name(), "Style")) {
                manager_.AddStyle(child.attribute("name").value(),
                                  child.attribute("value").value());
            }
        }
    }

    std::unique_ptr<Control> Create(std::string_view class_name) {
        if (std::unique_ptr<Control> control = Builder::CreateBuiltin(class_name)) {
            return control;
        }
        if (callback_) {
            if (std::unique_ptr<Control> control = callback_(class_name)) {
                return control;
            }
        }
        return manager_.Context().Factory().Create(class_name);
    }

    void ApplyAttributes(Control& control, std::string_view list) {
        for (const auto& [name, value] : ParseAttributeList(list)) {
            SetAttribute(control, name, value);
        }
    }

    void SetAttribute(Control& control, std::string_view name, std::string_view value) {
        if (name == "style") {
            if (const std::string* style = manager_.GetStyle(value)) {
                ApplyAttributes(control, *style);
            }
            return;
        }
        control.SetAttribute(name, value);
    }

    // Builds `node` (a control or an Include) and appends the result to `out`.
    void BuildInto(pugi::xml_node node, std::vector<std::unique_ptr<Control>>& out, int nesting,
                   int include_depth) {
        if (node.type() != pugi::node_element) {
            return;
        }
        if (nesting > kMaxNesting) {
            platform::Trace("dui: layout nested too deeply");
            return;
        }
        const std::string_view class_name = node.name();
        if (EqualsNoCase(class_name, "Include")) {
            BuildInclude(node, out, include_depth);
            return;
        }
        if (TooMany()) {
            return;
        }
        std::unique_ptr<Control> control = Create(class_name);
        if (!control) {
            platform::TraceFormat("dui: unknown control class %s", Quoted(class_name).c_str());
            return;
        }
        ++built_;
        if (const std::string* defaults = manager_.GetDefaultAttributes(class_name)) {
            ApplyAttributes(*control, *defaults);
        }
        for (pugi::xml_attribute attribute : node.attributes()) {
            SetAttribute(*control, attribute.name(), attribute.value());
        }
        for (pugi::xml_node child : node.children()) {
            std::vector<std::unique_ptr<Control>> children;
            BuildInto(child, children, nesting + 1, include_depth);
            for (std::unique_ptr<Control>& built : children) {
                control->AddChild(std::move(built));
            }
        }
        out.push_back(std::move(control));
    }

    void BuildInclude(pugi::xml_node node, std::vector<std::unique_ptr<Control>>& out,
                      int include_depth) {
        const std::string_view source = node.attribute("source").value();
        if (TooMany()) {
            return;
        }
        if (include_depth >= kMaxIncludeDepth) {
            TraceBuildFailure(source, "includes nested too deeply");
            return;
        }
        const int count =
            std::clamp(ParseInt(node.attribute("count").value(), 1), 0, kMaxIncludeCount);
        for (int i = 0; i < count; ++i) {
            std::vector<std::unique_ptr<Control>> built = BuildFile(source, include_depth + 1);
            if (built.empty()) {
                return;
            }
            for (std::unique_ptr<Control>& control : built) {
                out.push_back(std::move(control));
            }
        }
    }

    // True, with one trace line per build, once the build made its maximum of controls.
    bool TooMany() {
        if (built_ < kMaxControls) {
            return false;
        }
        if (!too_many_traced_) {
            too_many_traced_ = true;
            platform::Trace("dui: layout has too many controls");
        }
        return true;
    }

    PaintManager& manager_;
    const CreateCallback& callback_;
    int built_ = 0;
    bool too_many_traced_ = false;
};

std::unique_ptr<Control> First(std::vector<std::unique_ptr<Control>> controls) {
    if (controls.empty()) {
        return nullptr;
    }
    return std::move(controls.front());
}

}  // namespace

std::unique_ptr<Control> Builder::Build(std::string_view name, const CreateCallback& callback) {
    return First(TreeBuilder(manager_, callback).BuildFile(name, 0));
}

std::unique_ptr<Control> Builder::BuildFromString(std::string_view xml,
                                                  const CreateCallback& callback,
                                                  std::string_view origin) {
    return First(TreeBuilder(manager_, callback).BuildDocument(xml, origin, 0));
}

std::unique_ptr<Control> Builder::CreateBuiltin(std::string_view class_name) {
    const auto& classes = BuiltinClasses();
    auto it = classes.find(ToLower(class_name));
    return it != classes.end() ? it->second() : nullptr;
}

}  // namespace calvorn::dui
