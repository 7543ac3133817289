#pragma once

// `SettingsStore`: the per-user key-value settings that a Windows build keeps under the
// registry key HKCU\SOFTWARE\Calvorn. Here they live in one JSON object in
// $XDG_CONFIG_HOME/Calvorn/registry.json, one member per value name.
//
// Every call reads the file afresh and every change is written back at once (atomically), so
// two processes never see stale values. A missing or broken file reads as empty; the first
// change then replaces it with a valid one. A value of the other type reads as absent, as a
// string value read as a number does in the registry.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calvorn::platform {

class SettingsStore {
public:
    // The store of the current user.
    SettingsStore();
    // A store over another file (tests).
    explicit SettingsStore(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    std::optional<std::string> GetString(std::string_view name) const;
    std::optional<std::int64_t> GetInt(std::string_view name) const;
    // False when the file could not be written; the old file is then unchanged.
    bool SetString(std::string_view name, std::string_view value);
    bool SetInt(std::string_view name, std::int64_t value);

private:
    std::filesystem::path file_;
};

}  // namespace calvorn::platform
