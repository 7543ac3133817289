#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/test_support.h"

namespace calvorn::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempFolder;

TEST(FoldersTest, ProgramFolderSearchOrder) {
    TempFolder root;
    ScopedEnv no_override("CALVORN_PROGRAM_DIR", std::nullopt);
    fs::create_directories(root / "bundle/skin");
    fs::create_directories(root / "prefix/bin");
    fs::create_directories(root / "prefix/share/calvorn/DefaultData");
    fs::create_directories(root / "bare/bin");

    EXPECT_EQ(ProgramFolderFor(root / "bundle/calvorn"), root / "bundle");
    EXPECT_EQ(ProgramFolderFor(root / "prefix/bin/calvorn"), root / "prefix/share/calvorn");
    // Nothing beside or below: the installed data when present, else the source tree.
    EXPECT_EQ(ProgramFolderFor(root / "bare/bin/calvorn"), ProgramFolderFor(fs::path()));

    ScopedEnv override_folder("CALVORN_PROGRAM_DIR", (root / "elsewhere").string());
    EXPECT_EQ(ProgramFolderFor(root / "bundle/calvorn"), root / "elsewhere");
    EXPECT_EQ(ProgramFolder(), root / "elsewhere");
}

TEST(FoldersTest, ExecutablePathIsThisProgram) {
    EXPECT_TRUE(ExecutablePath().is_absolute());
    EXPECT_TRUE(fs::exists(ExecutablePath()));
}

TEST(FoldersTest, DataAndConfigFoldersFollowTheEnvironment) {
    using Env = std::optional<std::string>;
    struct Case {
        Env calvorn_data, xdg_data, xdg_config;
        fs::path data, config;
    };
    const Case cases[] = {
        {"/c/data", "/x/data", "/x/config", "/c/data", "/x/config"},
        {std::nullopt, "/x/data", std::nullopt, "/x/data", "/home/u/.config"},
        {std::nullopt, std::nullopt, std::nullopt, "/home/u/.local/share", "/home/u/.config"},
        // Relative values are ignored.
        {"rel", "rel", "rel", "/home/u/.local/share", "/home/u/.config"},
    };
    ScopedEnv home("HOME", "/home/u");
    for (const Case& c : cases) {
        ScopedEnv a("CALVORN_DATA_HOME", c.calvorn_data);
        ScopedEnv b("XDG_DATA_HOME", c.xdg_data);
        ScopedEnv d("XDG_CONFIG_HOME", c.xdg_config);
        EXPECT_EQ(LocalAppDataFolder(), c.data);
        EXPECT_EQ(ConfigFolder(), c.config);
    }
}

class RuntimeFolderTest : public ::testing::Test {
protected:
    TempFolder base;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", base.path().string()};
    fs::path folder = base / "calvorn";

    static mode_t Mode(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }
};

TEST_F(RuntimeFolderTest, IsCreatedPrivateOrMadePrivate) {
    EXPECT_EQ(RuntimeFolder(), folder);
    EXPECT_EQ(Mode(folder), 0700u);

    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_EQ(RuntimeFolder(), folder);
    EXPECT_EQ(Mode(folder), 0700u);
}

TEST_F(RuntimeFolderTest, MissingRuntimeDirectoryIsCreated) {
    ScopedEnv deeper("XDG_RUNTIME_DIR", (base / "run/user/1").string());
    EXPECT_EQ(RuntimeFolder(), base / "run/user/1/calvorn");
}

TEST_F(RuntimeFolderTest, RefusesFoldersThatAreNotOurs) {
    fs::create_directories(base / "target");
    fs::create_symlink(base / "target", folder);
    EXPECT_EQ(RuntimeFolder(), std::nullopt);  // a symbolic link
    fs::remove(folder);

    std::ofstream(folder) << "file";
    EXPECT_EQ(RuntimeFolder(), std::nullopt);  // not a folder
    fs::remove(folder);

    if (::getuid() != 0) {
        GTEST_SKIP() << "handing a folder to another user needs root";
    }
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), 4242, 4242), 0);
    EXPECT_EQ(RuntimeFolder(), std::nullopt);  // another user's
}

TEST(FoldersTest, CreateFoldersMakesParentsAndFailsOverAFile) {
    TempFolder root;
    EXPECT_TRUE(CreateFolders(root / "a/b/c"));
    EXPECT_TRUE(fs::is_directory(root / "a/b/c"));
    EXPECT_TRUE(CreateFolders(root / "a/b/c"));  // already there
    std::ofstream(root / "file") << "x";
    EXPECT_FALSE(CreateFolders(root / "file/sub"));
    EXPECT_FALSE(CreateFolders(root / "file"));
}

TEST(FoldersTest, LocalNames) {
    EXPECT_TRUE(IsValidLocalName("Calvorn"));
    EXPECT_TRUE(IsValidLocalName("ViraVide"));
    EXPECT_TRUE(IsValidLocalName(std::string(64, 'a')));
    for (const std::string_view bad : {"", ".", "..", ".hidden", "a/b", "tab\there", "\xC3\xA9"}) {
        EXPECT_FALSE(IsValidLocalName(bad)) << bad;
    }
    EXPECT_FALSE(IsValidLocalName(std::string(65, 'a')));
}

}  // namespace
}  // namespace calvorn::platform
