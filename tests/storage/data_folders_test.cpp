#include "storage/data_folders.h"

#include <gtest/gtest.h>

#include "platform/test_support.h"

namespace calvorn::storage {
namespace {

namespace fs = std::filesystem;
using platform::testing::ScopedEnv;
using platform::testing::TempFolder;

TEST(DataFoldersTest, UserDeviceFolderIsCreatedOnDemand) {
    TempFolder home;
    ScopedEnv data_home("CALVORN_DATA_HOME", home.path().string());
    const fs::path folder = UserDeviceFolder("keyboard");
    EXPECT_EQ(folder, home / "Calvorn" / "keyboard");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(ProfileFilePath(folder, "2024_03_05_07_08_09_012"),
              folder / "2024_03_05_07_08_09_012.Json");
    EXPECT_EQ(DataFilePath(folder, "orvum_light", ".config"), folder / "orvum_light.config");
}

TEST(DataFoldersTest, NamesThatCouldLeaveTheFolderAreRefused) {
    TempFolder home;
    ScopedEnv data_home("CALVORN_DATA_HOME", home.path().string());
    const std::string_view unsafe[] = {
        "", ".", "..", "../keyboard", "a/b", "/etc/passwd", std::string_view("a\0b", 3)};
    for (const std::string_view name : unsafe) {
        EXPECT_FALSE(IsSafeFileStem(name)) << name;
        EXPECT_TRUE(UserDeviceFolder(name).empty()) << name;
        EXPECT_TRUE(ProfileFilePath(home.path(), name).empty()) << name;
    }
    EXPECT_FALSE(IsSafeFileStem(std::string(201, 'a')));
    EXPECT_TRUE(IsSafeFileStem("profile 1 (copy)"));
    EXPECT_FALSE(fs::exists(home / "Calvorn" / ".." / "keyboard"));
}

TEST(DataFoldersTest, DefaultProfileComesFromTheProgramFolder) {
    ScopedEnv program("CALVORN_PROGRAM_DIR", CALVORN_SOURCE_DIR);
    EXPECT_EQ(DefaultDataFolder(), fs::path(CALVORN_SOURCE_DIR) / "DefaultData");
    EXPECT_TRUE(fs::is_regular_file(DefaultProfilePath("keyboard")));
}

}  // namespace
}  // namespace calvorn::storage
