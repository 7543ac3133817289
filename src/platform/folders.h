#pragma once

// Where the program finds its data and keeps the user's.
//
// - Program folder: the read-only run-time data (skin/, DefaultData/, Font/).
// - Local application data: the per-user data folder ("Calvorn/<device label>/" lives there).
// - Config folder: the settings store's file.
// - Runtime folder: the instance lock and the IPC sockets; private to the user.
//
// Environment variables are read on each call, so tests can point them at temporary folders.

#include <filesystem>
#include <optional>
#include <string_view>

namespace calvorn::platform {

// The program folder, searched in this order:
//   1. $CALVORN_PROGRAM_DIR when set (taken as it stands);
//   2. the executable's folder when it holds skin/ or DefaultData/ (a relocatable bundle);
//   3. <executable folder>/../share/calvorn when it holds either (an installed tree);
//   4. <install prefix>/share/calvorn from the build, when it holds either;
//   5. the source tree of the build (a developer build run from its build folder).
std::filesystem::path ProgramFolder();
// The same search for an executable at `executable`, so tests can run it over a fixture tree.
std::filesystem::path ProgramFolderFor(const std::filesystem::path& executable);
// The running executable (/proc/self/exe); empty when it cannot be read.
std::filesystem::path ExecutablePath();

// $CALVORN_DATA_HOME, else $XDG_DATA_HOME, else ~/.local/share. Relative values are ignored,
// as the XDG base-directory rules require. Not created here.
std::filesystem::path LocalAppDataFolder();

// $XDG_CONFIG_HOME, else ~/.config. Not created here.
std::filesystem::path ConfigFolder();

// $XDG_RUNTIME_DIR/calvorn, else /tmp/calvorn-<uid>. Created with mode 0700 when missing.
// Empty when it cannot be created, or when the path is a symbolic link, not a folder, or
// owned by another user (someone else could then read or plant our sockets and locks).
std::optional<std::filesystem::path> RuntimeFolder();

// Whether `name` may name a file of its own in the runtime folder (an instance lock or an IPC
// endpoint): 1 to 64 printable ASCII characters, no '/', not starting with '.'.
bool IsValidLocalName(std::string_view name);

// Creates `folder` and any missing parents (mkdir -p). True when it exists as a folder
// afterwards.
bool CreateFolders(const std::filesystem::path& folder);

}  // namespace calvorn::platform
