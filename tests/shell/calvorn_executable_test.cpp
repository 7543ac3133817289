// Runs the built calvorn program the way a user or another program does.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

#include "platform/file_io.h"
#include "platform/ipc_endpoint.h"
#include "platform/test_support.h"

extern char** environ;

namespace calvorn::shell {
namespace {

using platform::testing::MessageRecorder;
using platform::testing::PumpUntil;
using platform::testing::ScopedEnv;
using platform::testing::TempFolder;

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

class CalvornExecutableTest : public ::testing::Test {
protected:
    TempFolder folder;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", folder.path().string()};

    Outcome Calvorn(std::vector<std::string> args) {
        args.insert(args.begin(), CALVORN_EXECUTABLE);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const std::string out = folder / "stdout";
        const std::string err = folder / "stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t child = 0;
        Outcome run;
        const int error = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(error, 0) << "cannot run " << CALVORN_EXECUTABLE;
        int status = 0;
        if (error == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            run.exit_code = WEXITSTATUS(status);
        }
        run.out = platform::ReadWholeFile(out).value_or("");
        run.err = platform::ReadWholeFile(err).value_or("");
        return run;
    }
};

TEST_F(CalvornExecutableTest, InformationalOptions) {
    const Outcome version = Calvorn({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, "calvorn " CALVORN_VERSION "\n");

    const Outcome help = Calvorn({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: calvorn")) << help.out;
}

TEST_F(CalvornExecutableTest, WithoutADisplayTheWindowedStartExplainsItself) {
    ScopedEnv no_x{"DISPLAY", std::nullopt};
    ScopedEnv no_wayland{"WAYLAND_DISPLAY", std::nullopt};
    ScopedEnv no_platform{"QT_QPA_PLATFORM", std::nullopt};
    const Outcome plain = Calvorn({});
    EXPECT_EQ(plain.exit_code, 1);
    EXPECT_TRUE(plain.err.starts_with("calvorn: no display found.")) << plain.err;
}

TEST_F(CalvornExecutableTest, BadCommandLineExitsWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--bogus"}, {"--send", "Calvorn"}, {"extra"}}) {
        const Outcome run = Calvorn(args);
        EXPECT_EQ(run.exit_code, 2) << args[0];
        EXPECT_TRUE(run.err.starts_with("calvorn: ")) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(CalvornExecutableTest, SendReachesTheListeningProgram) {
    const Outcome unheard = Calvorn({"--send", "Calvorn", "0", "1"});
    EXPECT_EQ(unheard.exit_code, 1);
    EXPECT_EQ(unheard.err, "calvorn: nobody is listening on Calvorn\n");

    platform::UiLoop loop;
    MessageRecorder recorder;
    const platform::WindowHandle window = loop.CreateWindow(&recorder);
    platform::IpcEndpoint endpoint(loop, window);
    endpoint.Admit("Calvorn");
    endpoint.Admit("3093");
    ASSERT_TRUE(endpoint.Listen("Calvorn"));
    EXPECT_EQ(Calvorn({"--send", "Calvorn", "0", "1"}).exit_code, 0);
    EXPECT_EQ(Calvorn({"--send", "3093", "0x10", "-2", "--to", "Calvorn"}).exit_code, 0);
    ASSERT_TRUE(PumpUntil(loop, [&] { return recorder.entries.size() >= 2; }));
    EXPECT_EQ(recorder.entries[0].message, platform::RegisterWindowMessage("Calvorn"));
    EXPECT_EQ(recorder.entries[0].wparam, 0u);
    EXPECT_EQ(recorder.entries[0].lparam, 1);
    EXPECT_EQ(recorder.entries[1].message, 3093u);
    EXPECT_EQ(recorder.entries[1].wparam, 16u);
    EXPECT_EQ(recorder.entries[1].lparam, -2);

    const Outcome elsewhere = Calvorn({"--send", "Calvorn", "0", "1", "--to", "ViraVide"});
    EXPECT_EQ(elsewhere.exit_code, 1);
    EXPECT_EQ(elsewhere.err, "calvorn: nobody is listening on ViraVide\n");
}

}  // namespace
}  // namespace calvorn::shell
