#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "platform/test_support.h"

namespace calvorn::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::vector<std::string> FolderContent(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileIoTest, WriteReplacesContentAndKeepsPermissions) {
    TempFolder folder;
    const fs::path file = folder / "ProfileList.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "first"));
    EXPECT_EQ(ReadWholeFile(file), "first");

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string binary("\0\1\2 second", 10);
    ASSERT_TRUE(WriteFileAtomically(file, binary));
    EXPECT_EQ(ReadWholeFile(file), binary);
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomically(file, ""));
    EXPECT_EQ(ReadWholeFile(file), "");
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"ProfileList.ini"});
}

TEST(FileIoTest, FailedRenameLeavesTheTargetAndNoTemporaryFile) {
    TempFolder folder;
    // A non-empty folder where the file should go: the rename over it must fail.
    fs::create_directories(folder / "target/inner");
    EXPECT_FALSE(WriteFileAtomically(folder / "target", "data"));
    EXPECT_TRUE(fs::is_directory(folder / "target/inner"));
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"target"});

    EXPECT_FALSE(WriteFileAtomically(folder / "missing/file", "data"));
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

// The write itself fails half-way (the file-size limit stops it, which works even for root).
// It runs in a child process so that the limit does not reach the test runner.
TEST(FileIoTest, FailedWriteLeavesTheOldFileIntact) {
    TempFolder folder;
    const fs::path file = folder / "macro.config";
    ASSERT_TRUE(WriteFileAtomically(file, "old content"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(WriteFileAtomically(file, std::string(1 << 20, 'n')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have reported failure";
    EXPECT_EQ(ReadWholeFile(file), "old content");
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"macro.config"});
}

TEST(FileIoTest, ReadRefusesWhatIsNotASmallRegularFile) {
    TempFolder folder;
    EXPECT_EQ(ReadWholeFile(folder / "missing"), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder.path()), std::nullopt);
    EXPECT_EQ(ReadWholeFile("/dev/zero"), std::nullopt);
    std::ofstream(folder / "big") << std::string(100, 'b');
    EXPECT_EQ(ReadWholeFile(folder / "big", 99), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder / "big", 100), std::string(100, 'b'));
}

}  // namespace
}  // namespace calvorn::platform
