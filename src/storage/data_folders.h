#pragma once

// The two folders all stored data lives in, and the files in them.
//
// - Default data folder: <program folder>/DefaultData, read only; the shipped default profile
//   of each device is <label>.Json there.
// - User device folder: <local application data>/Calvorn/<device label>; it and the Calvorn
//   folder are created whenever the path is built.

#include <filesystem>
#include <string_view>

namespace calvorn::storage {

// Whether `name` can name a file or folder of its own inside a data folder: 1 to 200 bytes,
// no '/' or NUL, not "." or "..". Labels and profile identifiers come from stored files, so a
// name that could leave its folder is refused.
bool IsSafeFileStem(std::string_view name);

std::filesystem::path DefaultDataFolder();
// Empty when the label is not a safe file stem.
std::filesystem::path DefaultProfilePath(std::string_view device_label);

// Empty when the label is not a safe file stem. Creation failures are silent: the later file
// writes then fail the same way.
std::filesystem::path UserDeviceFolder(std::string_view device_label);

// <folder>/<stem><extension>; empty when the stem is not safe.
std::filesystem::path DataFilePath(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension);
// A profile file: <folder>/<profile identifier>.Json.
std::filesystem::path ProfileFilePath(const std::filesystem::path& folder,
                                      std::string_view profile_id);

}  // namespace calvorn::storage
