#include "platform/process_launch.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

#include "platform/trace.h"

extern char** environ;

namespace calvorn::platform {

namespace {

// Owns the posix_spawn attribute and file-action objects.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// Waits for the child on a thread of its own, so it is reaped whenever it ends without the
// caller waiting. The thread owns nothing but the process id, so detaching it is safe.
void ReapWhenEnded(pid_t child) {
    try {
        std::thread([child] {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        TraceFormat("cannot watch process %d; it stays a zombie until it is reaped",
                    static_cast<int>(child));
    }
}

}  // namespace

bool LaunchProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const std::filesystem::path& working_folder) {
    struct stat info {};
    if (::stat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::access(program.c_str(), X_OK) != 0) {
        TraceFormat("cannot start %s: missing or not executable", program.c_str());
        return false;
    }
    SpawnSetup setup;
    if (!working_folder.empty()) {
        if (::stat(working_folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            TraceFormat("cannot start %s: no folder %s", program.c_str(), working_folder.c_str());
            return false;
        }
        posix_spawn_file_actions_addchdir_np(&setup.actions, working_folder.c_str());
    }
    // The child starts with default signal handling and nothing blocked, whatever this
    // process has set up for its own threads.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&setup.attributes, &signals);
    sigfillset(&signals);
    sigdelset(&signals, SIGKILL);
    sigdelset(&signals, SIGSTOP);
    posix_spawnattr_setsigdefault(&setup.attributes, &signals);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    std::string program_text = program.native();
    argv.push_back(program_text.data());
    std::vector<std::string> arguments = args;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    pid_t child = 0;
    const int error = ::posix_spawn(&child, program.c_str(), &setup.actions, &setup.attributes,
                                    argv.data(), environ);
    if (error != 0) {
        TraceFormat("cannot start %s: %s", program.c_str(), ErrorText(error).c_str());
        return false;
    }
    ReapWhenEnded(child);
    return true;
}

}  // namespace calvorn::platform
