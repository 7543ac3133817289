// Runs the built calvorn program the way a user or another program does.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/file_io.h"
#include "platform/ipc_endpoint.h"
#include "platform/test_support.h"
#include "shell/device_table_record.h"
#include "shell/registered_messages.h"

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

TEST_F(CalvornExecutableTest, DeviceTableQueryIsAnsweredToTheListeningCompanion) {
    ScopedEnv offscreen{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnv data{"CALVORN_DATA_HOME", (folder / "data").string()};
    ScopedEnv config{"XDG_CONFIG_HOME", (folder / "config").string()};
    std::string program = CALVORN_EXECUTABLE;
    std::string exit_after = "--exit-after";
    std::string ms = "10000";
    char* argv[] = {program.data(), exit_after.data(), ms.data(), nullptr};
    pid_t running = 0;
    ASSERT_EQ(::posix_spawn(&running, argv[0], nullptr, nullptr, argv, environ), 0);
    const std::filesystem::path socket = folder / "calvorn" / "Calvorn.sock";
    for (int i = 0; i < 1000 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    platform::UiLoop loop;
    MessageRecorder companion;
    const platform::WindowHandle window = loop.CreateWindow(&companion);
    platform::IpcEndpoint endpoint(loop, window);
    endpoint.Admit(kDeviceTableQueryName);
    ASSERT_TRUE(endpoint.Listen("ViraVide"));
    const Outcome query = Calvorn({"--send", "UWM_DEVICE_TABLE_QUERY", "0", "0"});
    EXPECT_EQ(query.exit_code, 0) << query.err;
    const bool answered = PumpUntil(loop, [&] { return !companion.entries.empty(); });
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);

    ASSERT_TRUE(answered);
    ASSERT_TRUE(companion.entries[0].copy.has_value());
    const platform::CopyDataMessage& record = *companion.entries[0].copy;
    EXPECT_EQ(record.message_name, kDeviceTableQueryName);
    EXPECT_EQ(record.lparam, kDeviceTableRecordTag);
    ASSERT_EQ(record.payload.size(), kDeviceTableRecordBytes);
    const auto expected = MakeDeviceTableRecord(discovery::kSupportedDevices);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.payload.begin()));
}

}  // namespace
}  // namespace calvorn::shell
