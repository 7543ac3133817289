#pragma once

// Whole-file JSON reading and writing for every stored file (profiles, lists, presets, macros),
// whatever its extension.

#include <json/json.h>

#include <filesystem>
#include <string>

namespace calvorn::storage {

// The parsed root of the file at `path`, or a null value when the file is missing, empty, too
// large, not valid JSON or nested too deeply. Writes the fixed trace lines (the open result,
// and the path when there was no content).
Json::Value ReadJsonFile(const std::filesystem::path& path);

// The styled text of a value: one member per line, three-space indentation, members of an
// object in ascending key order, UTF-8 as it stands, and a final line end.
std::string StyledJsonText(const Json::Value& value);

// Replaces the file at `path` with the styled text of `value`. The text goes to a temporary
// file in the same folder that is renamed over the old file, so a crash or a full disk never
// leaves a half-written file and a failed write leaves the old file intact. False when the
// write failed; the callers, like the stored-data rules, treat that silently.
bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

}  // namespace calvorn::storage
