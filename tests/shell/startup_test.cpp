// Starts the windowed program (offscreen) the way a user does: single instance, the first
// window, a missing font folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_io.h"
#include "platform/test_support.h"

extern char** environ;

namespace calvorn::shell {
namespace {

using platform::testing::ScopedEnv;
using platform::testing::TempFolder;
namespace fs = std::filesystem;

// One run of the calvorn executable, started in the background.
class Process {
public:
    Process(std::vector<std::string> args, const fs::path& log_folder, const std::string& name)
        : out_(log_folder / (name + ".out")), err_(log_folder / (name + ".err")) {
        args.insert(args.begin(), CALVORN_EXECUTABLE);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit code, or -1 when the process could not start or did not exit normally.
    int Wait() {
        if (pid_ <= 0) {
            return -1;
        }
        int status = 0;
        const pid_t waited = ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Err() const { return platform::ReadWholeFile(err_).value_or(""); }

private:
    fs::path out_;
    fs::path err_;
    pid_t pid_ = -1;
};

bool WaitFor(const fs::path& path) {
    for (int i = 0; i < 1000 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fs::exists(path);
}

class StartupTest : public ::testing::Test {
protected:
    TempFolder folder;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", folder.path().string()};
    ScopedEnv data{"CALVORN_DATA_HOME", (folder.path() / "data").string()};
    ScopedEnv config{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    ScopedEnv platform_name{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnv trace{"CALVORN_TRACE", "1"};
};

TEST_F(StartupTest, SecondStartActivatesTheFirstAndLeavesWithoutAWindow) {
    Process first({"--exit-after", "8000"}, folder.path(), "first");
    ASSERT_TRUE(WaitFor(folder.path() / "calvorn" / "Calvorn.sock"));

    Process second({}, folder.path(), "second");
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(second.Err().find("InitWindow"), std::string::npos) << second.Err();

    // The first instance traces the activation (wParam 0, lParam 1) when it arrives.
    std::string first_err;
    for (int i = 0; i < 500; ++i) {
        first_err = first.Err();
        if (first_err.find("，0d1d") != std::string::npos) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(first_err.find("calvorn: 软件标示 49152，0d1d"), std::string::npos) << first_err;
}

TEST_F(StartupTest, StartsWithoutTheFontFolderAndWritesAScreenshot) {
    const fs::path program = folder.path() / "program";
    fs::create_directories(program);
    fs::copy(fs::path(CALVORN_SOURCE_DIR) / "skin", program / "skin", fs::copy_options::recursive);
    ScopedEnv program_dir{"CALVORN_PROGRAM_DIR", program.string()};
    ASSERT_FALSE(fs::exists(program / "Font"));

    const fs::path shot = folder.path() / "main.png";
    Process run({"--screenshot", shot.string()}, folder.path(), "shot");
    EXPECT_EQ(run.Wait(), 0) << run.Err();
    const std::string png = platform::ReadWholeFile(shot).value_or("");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // A blank 800 x 572 picture compresses to a few hundred bytes; the window does not.
    EXPECT_GT(png.size(), 5000u);
}

TEST_F(StartupTest, MissingSkinIsReportedAndNotAnEmptyWindow) {
    ScopedEnv program_dir{"CALVORN_PROGRAM_DIR", (folder.path() / "nowhere").string()};
    Process run({"--screenshot", (folder.path() / "x.png").string()}, folder.path(), "noskin");
    EXPECT_EQ(run.Wait(), 1);
    EXPECT_NE(run.Err().find("calvorn: cannot build the main window"), std::string::npos)
        << run.Err();
}

}  // namespace
}  // namespace calvorn::shell
