#include "device/profile_selection.h"

#include <json/json.h>

#include "storage/data_folders.h"
#include "storage/json_access.h"
#include "storage/json_file.h"
#include "storage/time_stamp.h"

namespace calvorn::device {

namespace {

constexpr const char* kListKey = "profilelist";
constexpr const char* kSelectKey = "profileselect";
constexpr const char* kFirstProfileName = "profile1";

// Writes a one-profile list and the profile's file; returns the new identifier.
std::string CreateFirstProfile(const std::filesystem::path& list_path,
                               const std::filesystem::path& user_folder,
                               const std::filesystem::path& default_profile) {
    const std::string identifier = storage::MakeTimeStamp();
    Json::Value entry(Json::objectValue);
    entry["profilename"] = kFirstProfileName;
    entry["profileUUID"] = identifier;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    Json::Value list(Json::objectValue);
    list[kListKey].append(entry);
    list[kSelectKey] = 0;
    if (!storage::WriteJsonFile(list_path, list)) {
        return {};
    }
    Json::Value profile = storage::ReadJsonFile(default_profile);
    if (!profile.isObject()) {
        profile = Json::Value(Json::objectValue);
    }
    profile["profilename"] = kFirstProfileName;
    profile["profileUUID"] = identifier;
    storage::WriteJsonFile(storage::ProfileFilePath(user_folder, identifier), profile);
    return identifier;
}

}  // namespace

std::string SelectedProfileIdentifier(const std::filesystem::path& user_folder,
                                      const std::filesystem::path& default_profile) {
    const std::filesystem::path list_path =
        storage::DataFilePath(user_folder, "ProfileList", ".ini");
    if (list_path.empty()) {
        return {};
    }
    const Json::Value list = storage::ReadJsonFile(list_path);
    const Json::Value& profiles = storage::Member(list, kListKey);
    if (!profiles.isArray() || profiles.empty()) {
        return CreateFirstProfile(list_path, user_folder, default_profile);
    }
    const std::int64_t select = storage::IntegerOf(storage::Member(list, kSelectKey));
    const std::size_t index = select >= 0 && static_cast<std::size_t>(select) < profiles.size()
                                  ? static_cast<std::size_t>(select)
                                  : 0;
    return storage::StringOf(storage::Member(storage::Element(profiles, index), "profileUUID"));
}

}  // namespace calvorn::device
