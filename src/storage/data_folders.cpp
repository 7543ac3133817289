#include "storage/data_folders.h"

#include <string>

#include "platform/folders.h"

namespace calvorn::storage {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxStemBytes = 200;

}  // namespace

bool IsSafeFileStem(std::string_view name) {
    return !name.empty() && name.size() <= kMaxStemBytes && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

fs::path DefaultDataFolder() {
    return platform::ProgramFolder() / "DefaultData";
}

fs::path DefaultProfilePath(std::string_view device_label) {
    return DataFilePath(DefaultDataFolder(), device_label, ".Json");
}

fs::path UserDeviceFolder(std::string_view device_label) {
    if (!IsSafeFileStem(device_label)) {
        return {};
    }
    fs::path folder = platform::LocalAppDataFolder() / "Calvorn" / std::string(device_label);
    platform::CreateFolders(folder);
    return folder;
}

fs::path DataFilePath(const fs::path& folder, std::string_view stem, std::string_view extension) {
    if (folder.empty() || !IsSafeFileStem(stem)) {
        return {};
    }
    return folder / (std::string(stem) + std::string(extension));
}

fs::path ProfileFilePath(const fs::path& folder, std::string_view profile_id) {
    return DataFilePath(folder, profile_id, ".Json");
}

}  // namespace calvorn::storage
