#include "platform/process_launch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/file_io.h"
#include "platform/test_support.h"
#include "platform/trace.h"

namespace calvorn::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WaitUntil;

// Child processes of this process that have ended but were not reaped.
int ZombieChildren() {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::optional<std::string> stat = ReadWholeFile(entry.path() / "stat");
        if (!stat) {
            continue;
        }
        // "pid (name) S ppid ...": the name may hold spaces, so parse after the last ')'.
        const size_t close = stat->rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat->c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == ::getpid() && state == 'Z') {
            ++zombies;
        }
    }
    return zombies;
}

TEST(ProcessLaunchTest, StartsInTheWorkingFolderAndLeavesNoZombie) {
    TempFolder folder;
    fs::create_directory(folder / "Update");
    ASSERT_TRUE(LaunchProcess("/bin/sh", {"-c", "pwd > where.tmp && mv where.tmp where"},
                              folder / "Update"));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(folder / "Update/where"); }));
    EXPECT_EQ(ReadWholeFile(folder / "Update/where"), (folder / "Update").string() + "\n");
    EXPECT_TRUE(WaitUntil([] { return ZombieChildren() == 0; }));
}

TEST(ProcessLaunchTest, RefusesWhatCannotRun) {
    TempFolder folder;
    std::ofstream(folder / "Pellmor") << "#!/bin/sh\n";
    fs::permissions(folder / "Pellmor", fs::perms::owner_read | fs::perms::owner_write);
    TraceCapture trace;
    EXPECT_FALSE(LaunchProcess(folder / "missing", {}));
    EXPECT_FALSE(LaunchProcess(folder / "Pellmor", {}));  // not executable
    EXPECT_FALSE(LaunchProcess(folder.path(), {}));       // a folder
    EXPECT_FALSE(LaunchProcess("/bin/sh", {"-c", "true"}, folder / "no-such-folder"));
    EXPECT_EQ(trace.Lines().size(), 4u);
}

}  // namespace
}  // namespace calvorn::platform
