#pragma once

// Interface texts by key, from the language file last loaded:
//
//   <Language name="cn">
//     <Text id="message_text_7" value="..."/>
//     <Text id="KB_Update_Text">... (element text when there is no value attribute)</Text>
//   </Language>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace calvorn::dui {

class LanguageTable {
public:
    // Replaces the table with the file's texts. A missing or broken file leaves the table as
    // it was and returns false (with a trace line).
    bool Load(const std::filesystem::path& file);
    bool LoadFromString(std::string_view xml);
    void Clear() { texts_.clear(); }

    // The text for `key`, or nothing.
    std::optional<std::string> Find(std::string_view key) const;
    // The text for `key`, or `key` itself.
    std::string Resolve(std::string_view key) const;

    const std::string& Name() const { return name_; }
    void SetName(std::string_view name) { name_ = name; }

private:
    bool Parse(std::string_view xml, std::string_view origin);

    std::string name_;
    std::map<std::string, std::string, std::less<>> texts_;
};

}  // namespace calvorn::dui
