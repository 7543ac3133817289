#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/file_io.h"
#include "platform/test_support.h"

namespace calvorn::platform {
namespace {

using testing::ScopedEnv;
using testing::TempFolder;

TEST(SettingsStoreTest, ValuesSurviveAndKeepTheirType) {
    TempFolder config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.path().string());
    SettingsStore store;
    EXPECT_EQ(store.File(), config / "Calvorn/registry.json");
    EXPECT_EQ(store.GetString("LANGUAGE"), std::nullopt);

    ASSERT_TRUE(store.SetString("LANGUAGE", "Deutsch"));
    ASSERT_TRUE(store.SetInt("Count", -5'000'000'000));
    ASSERT_TRUE(store.SetString("LANGUAGE", "日本語"));

    SettingsStore reopened;
    EXPECT_EQ(reopened.GetString("LANGUAGE"), "日本語");
    EXPECT_EQ(reopened.GetInt("Count"), -5'000'000'000);
    // The other type reads as absent, as in the registry.
    EXPECT_EQ(reopened.GetInt("LANGUAGE"), std::nullopt);
    EXPECT_EQ(reopened.GetString("Count"), std::nullopt);
    EXPECT_EQ(reopened.GetString("Missing"), std::nullopt);

    const std::optional<std::string> text = ReadWholeFile(store.File());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"LANGUAGE\" : \"日本語\""), std::string::npos) << *text;
}

TEST(SettingsStoreTest, BrokenFileReadsAsEmptyAndIsRepairedByTheNextChange) {
    TempFolder folder;
    for (const std::string broken : {"{\"LANGUAGE\": \"Eng", "[1, 2]", "\"text\"", ""}) {
        std::ofstream(folder / "registry.json") << broken;
        SettingsStore store(folder / "registry.json");
        EXPECT_EQ(store.GetString("LANGUAGE"), std::nullopt) << broken;
        ASSERT_TRUE(store.SetInt("Skin", 2));
        EXPECT_EQ(store.GetInt("Skin"), 2) << broken;
    }
}

TEST(SettingsStoreTest, UnwritableLocationReportsFailure) {
    TempFolder folder;
    std::ofstream(folder / "Calvorn") << "a file where the folder should be";
    SettingsStore store(folder / "Calvorn/registry.json");
    EXPECT_FALSE(store.SetString("LANGUAGE", "English"));
    EXPECT_EQ(store.GetString("LANGUAGE"), std::nullopt);
}

}  // namespace
}  // namespace calvorn::platform
