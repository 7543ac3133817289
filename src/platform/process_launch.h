#pragma once

// Starting another program without waiting for it (what a Windows build does with
// ShellExecuteW and the verb "open"), for example the external firmware updater.

#include <filesystem>
#include <string>
#include <vector>

namespace calvorn::platform {

// Starts the executable at `program` with `args` (argv[0] is `program`) in `working_folder`
// (empty: the current folder), inheriting the environment, and returns at once. The child is
// reaped when it ends, so it never lingers as a zombie. False, with a trace line, when the file
// is missing, not an executable regular file, or cannot be started.
bool LaunchProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const std::filesystem::path& working_folder = {});

}  // namespace calvorn::platform
