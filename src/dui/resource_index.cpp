#include "dui/resource_index.h"

#include <algorithm>
#include <pugixml.hpp>

#include "dui/attributes.h"
#include "platform/trace.h"

namespace calvorn::dui {

namespace {

std::string Slashes(std::string_view name) {
    std::string result(name);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

}  // namespace

ResourceIndex::ResourceIndex(std::filesystem::path skin_folder)
    : skin_folder_(std::move(skin_folder)) {}

bool ResourceIndex::LoadIndex(std::string_view index_file) {
    const std::filesystem::path path = skin_folder_ / Slashes(index_file);
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(path.c_str());
    if (!result) {
        platform::TraceFormat("dui: cannot read resource index \"%s\": %s", path.c_str(),
                              result.description());
        return false;
    }
    struct Walker : pugi::xml_tree_walker {
        ResourceIndex* index = nullptr;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_element && std::string_view(node.name()) == "Item") {
                const std::string_view name = node.attribute("name").value();
                if (!name.empty()) {
                    index->AddEntry(name, node.attribute("value").value());
                }
            }
            return true;
        }
    } walker;
    walker.index = this;
    document.traverse(walker);
    return true;
}

void ResourceIndex::AddEntry(std::string_view name, std::string_view value) {
    entries_[ToLower(name)] = std::string(value);
}

std::string ResourceIndex::Lookup(std::string_view name) const {
    auto it = entries_.find(ToLower(name));
    return Slashes(it != entries_.end() ? std::string_view(it->second) : name);
}

std::optional<std::filesystem::path> ResourceIndex::ResolveFile(std::string_view name) const {
    if (name.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path relative = std::filesystem::path(Lookup(name)).lexically_normal();
    if (relative.empty() || relative.is_absolute() || relative.has_root_name() ||
        relative.has_root_directory()) {
        return std::nullopt;
    }
    const auto first = relative.begin();
    if (first == relative.end() || *first == "..") {
        return std::nullopt;
    }
    return skin_folder_ / relative;
}

std::string ResourceIndex::ResolveImage(std::string_view name) const {
    if (name.empty()) {
        return {};
    }
    const std::filesystem::path path(Lookup(name));
    if (path.is_absolute()) {
        return path.lexically_normal().string();
    }
    return (skin_folder_ / path).lexically_normal().string();
}

}  // namespace calvorn::dui
