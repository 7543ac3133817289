#pragma once

// Fonts shipped in the program folder's Font/ and used by the skin, loaded for this process
// only. A missing or unreadable file, or one Qt refuses, is skipped.

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace calvorn::qt {

class PrivateFonts {
public:
    PrivateFonts() = default;
    ~PrivateFonts();  // removes the fonts, the last loaded first
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    // Loads each file (relative to `program_folder`), in order. Returns how many loaded.
    int Load(const std::filesystem::path& program_folder,
             std::span<const std::string_view> relative_paths);

private:
    std::vector<int> ids_;
};

}  // namespace calvorn::qt
