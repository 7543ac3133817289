#pragma once

// Whole-file reads and crash-safe whole-file writes, shared by everything that stores files.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calvorn::platform {

// Replaces the file at `path` with `bytes` so that a reader, or the disk after a crash, sees
// either the old content or the new, never a mixture: the bytes go to a new temporary file in
// the same folder, are flushed to disk, and the temporary file is renamed over `path`. An
// existing file keeps its permission bits. On any failure the old file is left untouched, the
// temporary file is removed and the result is false. The folder must exist.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Files larger than this are refused by default, so a hostile or mistaken path (a device
// node, a huge file) cannot exhaust memory.
inline constexpr std::size_t kDefaultReadLimit = 64u << 20;

// The whole content of a regular file, or empty when it cannot be opened or read, is not a
// regular file, or is larger than `max_bytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t max_bytes = kDefaultReadLimit);

}  // namespace calvorn::platform
