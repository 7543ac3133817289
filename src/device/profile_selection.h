#pragma once

// The identifier of a device's selected profile, from the profile list "ProfileList.ini" of
// its user device folder ("profilelist": one {"profilename", "profileUUID", ...} per profile;
// "profileselect": the selected index).
//
// A device page needs a current profile before its profile panel has handed one over. When
// the list is missing, broken or empty, a one-profile list is made the way the profile panel
// makes it at start-up: "profile1" with a new time-stamp identifier, selected, and its profile
// file written from the default profile with that name and identifier.

#include <filesystem>
#include <string>

namespace calvorn::device {

// The selected profile's identifier (element 0's when "profileselect" lies outside the list);
// empty when the folder is empty or the list cannot be made.
std::string SelectedProfileIdentifier(const std::filesystem::path& user_folder,
                                      const std::filesystem::path& default_profile);

}  // namespace calvorn::device
