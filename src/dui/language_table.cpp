#include "dui/language_table.h"

#include <fstream>
#include <pugixml.hpp>
#include <sstream>

#include "dui/attributes.h"
#include "platform/trace.h"

namespace calvorn::dui {

bool LanguageTable::Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        platform::TraceFormat("dui: cannot read language file \"%s\"", file.c_str());
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return Parse(content.str(), file.string());
}

bool LanguageTable::LoadFromString(std::string_view xml) {
    return Parse(xml, "<string>");
}

bool LanguageTable::Parse(std::string_view xml, std::string_view origin) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(xml.data(), xml.size());
    pugi::xml_node root = document.document_element();
    if (!result || !EqualsNoCase(root.name(), "Language")) {
        platform::TraceFormat("dui: cannot read language file \"%.*s\": %s",
                              static_cast<int>(origin.size()), origin.data(),
                              result ? "no Language element" : result.description());
        return false;
    }
    std::map<std::string, std::string, std::less<>> texts;
    for (pugi::xml_node text : root.children("Text")) {
        const pugi::xml_attribute id = text.attribute("id");
        if (id.empty()) {
            continue;
        }
        const pugi::xml_attribute value = text.attribute("value");
        texts[id.value()] = value.empty() ? text.child_value() : value.value();
    }
    texts_.swap(texts);
    name_ = root.attribute("name").value();
    return true;
}

std::optional<std::string> LanguageTable::Find(std::string_view key) const {
    auto it = texts_.find(key);
    if (it == texts_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string LanguageTable::Resolve(std::string_view key) const {
    auto it = texts_.find(key);
    return it != texts_.end() ? it->second : std::string(key);
}

}  // namespace calvorn::dui
