#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/trace.h"

namespace calvorn::platform {

namespace fs = std::filesystem;

namespace {

// An environment variable holding an absolute path, or empty.
fs::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return fs::path(value);
}

fs::path HomeFolder() {
    if (fs::path home = AbsoluteFromEnvironment("HOME"); !home.empty()) {
        return home;
    }
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return fs::path(found->pw_dir);
    }
    return fs::path("/");
}

bool HoldsProgramData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "skin", error) ||
           fs::is_directory(folder / "DefaultData", error);
}

}  // namespace

fs::path ExecutablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

fs::path ProgramFolder() {
    return ProgramFolderFor(ExecutablePath());
}

fs::path ProgramFolderFor(const fs::path& executable) {
    if (const char* value = std::getenv("CALVORN_PROGRAM_DIR"); value != nullptr && *value) {
        return fs::path(value);
    }
    if (!executable.empty()) {
        fs::path beside = executable.parent_path();
        if (HoldsProgramData(beside)) {
            return beside;
        }
        fs::path shared = (beside / ".." / "share" / "calvorn").lexically_normal();
        if (HoldsProgramData(shared)) {
            return shared;
        }
    }
    if (fs::path installed(CALVORN_INSTALL_DATADIR); HoldsProgramData(installed)) {
        return installed;
    }
    return fs::path(CALVORN_SOURCE_DIR);
}

fs::path LocalAppDataFolder() {
    if (fs::path folder = AbsoluteFromEnvironment("CALVORN_DATA_HOME"); !folder.empty()) {
        return folder;
    }
    if (fs::path folder = AbsoluteFromEnvironment("XDG_DATA_HOME"); !folder.empty()) {
        return folder;
    }
    return HomeFolder() / ".local" / "share";
}

fs::path ConfigFolder() {
    if (fs::path folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME"); !folder.empty()) {
        return folder;
    }
    return HomeFolder() / ".config";
}

std::optional<fs::path> RuntimeFolder() {
    fs::path folder;
    if (fs::path base = AbsoluteFromEnvironment("XDG_RUNTIME_DIR"); !base.empty()) {
        folder = base / "calvorn";
    } else {
        folder = fs::path("/tmp") / ("calvorn-" + std::to_string(getuid()));
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT) {
        // $XDG_RUNTIME_DIR itself is missing: create the parents too.
        if (CreateFolders(folder.parent_path())) {
            ::mkdir(folder.c_str(), 0700);
        }
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        TraceFormat("cannot create the runtime folder %s", folder.c_str());
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
        TraceFormat("refusing the runtime folder %s: not a folder of this user", folder.c_str());
        return std::nullopt;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        TraceFormat("refusing the runtime folder %s: cannot make it private", folder.c_str());
        return std::nullopt;
    }
    return folder;
}

bool IsValidLocalName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name.front() == '.') {
        return false;
    }
    for (const char c : name) {
        if (c < 0x20 || c > 0x7E || c == '/') {
            return false;
        }
    }
    return true;
}

bool CreateFolders(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    return fs::is_directory(folder, error);
}

}  // namespace calvorn::platform
