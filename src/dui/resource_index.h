#pragma once

// The skin folder and its resource index "res.xml": resolves layout and image names to files.
// A name is looked up in the index first (`<Item name="XML_MAIN" value="main.xml"/>` at any
// depth under the root), then taken as a path under the skin folder; backslashes become '/'.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace calvorn::dui {

class ResourceIndex {
public:
    ResourceIndex() = default;
    explicit ResourceIndex(std::filesystem::path skin_folder);

    // Reads `index_file` (normally "res.xml") from the skin folder. False, with a trace line,
    // when it is missing or broken; lookups then go straight to the folder.
    bool LoadIndex(std::string_view index_file = "res.xml");
    // Adds or replaces one entry (tests, program-made resources).
    void AddEntry(std::string_view name, std::string_view value);

    const std::filesystem::path& SkinFolder() const { return skin_folder_; }
    // A layout or language file inside the skin folder; nothing for empty names and names
    // that lead outside the folder (absolute, "..").
    std::optional<std::filesystem::path> ResolveFile(std::string_view name) const;
    // An image: like ResolveFile, but an absolute path (an image the user chose) is used as it
    // stands. Empty for an empty name.
    std::string ResolveImage(std::string_view name) const;

private:
    std::string Lookup(std::string_view name) const;

    std::filesystem::path skin_folder_;
    std::map<std::string, std::string, std::less<>> entries_;  // keys in lower case
};

}  // namespace calvorn::dui
