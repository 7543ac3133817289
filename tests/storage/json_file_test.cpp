#include "storage/json_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/test_support.h"
#include "platform/trace.h"
#include "storage/storage_test_support.h"

namespace calvorn::storage {
namespace {

using platform::testing::TempFolder;
using testing::ReadText;
using testing::WriteText;

TEST(ReadJsonFileTest, UnusableFilesReadAsNull) {
    TempFolder folder;
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"empty", ""},
        {"truncated", "{\"Device\" : [ { \"LightInfo\" : { \"Red\" : 1"},
        {"garbage", "\x01\x02 not json \xff"},
        {"missing value", "{\"a\" : }"},
        {"nested too deep", std::string(100000, '[')},
    };
    for (const Case& c : cases) {
        WriteText(folder / c.name, c.content);
        EXPECT_TRUE(ReadJsonFile(folder / c.name).isNull()) << c.name;
    }
    EXPECT_TRUE(ReadJsonFile(folder / "missing").isNull());
    EXPECT_TRUE(ReadJsonFile(folder.path()).isNull());  // a folder, not a file
}

TEST(ReadJsonFileTest, ReadsDocumentsWithCommentsAndTracesTheOutcome) {
    TempFolder folder;
    WriteText(folder / "ok.Json", "// a profile\n{ \"profilename\" : \"p\", \"n\" : [1, 2] }\r\n");
    platform::TraceCapture trace;
    const Json::Value root = ReadJsonFile(folder / "ok.Json");
    ASSERT_TRUE(root.isObject());
    EXPECT_EQ(root["profilename"].asString(), "p");
    EXPECT_EQ(root["n"].size(), 2u);
    EXPECT_TRUE(trace.Contains("readjsonFile 错误吗：：0"));

    trace.Clear();
    ReadJsonFile(folder / "missing.Json");
    EXPECT_TRUE(trace.Contains("readjsonFile 错误吗：：2"));  // ENOENT
    EXPECT_TRUE(trace.Contains((folder / "missing.Json").string()));
}

TEST(WriteJsonFileTest, StyledFormWithSortedMembersAndAFinalLineEnd) {
    Json::Value value(Json::objectValue);
    value["b"] = 1;
    value["a"] = Json::Value(Json::arrayValue);
    value["a"].append(Json::Value(Json::objectValue));
    value["a"][0]["Name"] = "Ünïcode";
    value["c"] = Json::Value(Json::arrayValue);
    const std::string expected =
        "{\n"
        "   \"a\" :\n"
        "   [\n"
        "      {\n"
        "         \"Name\" : \"Ünïcode\"\n"
        "      }\n"
        "   ],\n"
        "   \"b\" : 1,\n"
        "   \"c\" : []\n"
        "}\n";
    EXPECT_EQ(StyledJsonText(value), expected);

    TempFolder folder;
    ASSERT_TRUE(WriteJsonFile(folder / "ProfileList.ini", value));
    EXPECT_EQ(ReadText(folder / "ProfileList.ini"), expected);
    EXPECT_EQ(ReadJsonFile(folder / "ProfileList.ini"), value);
}

TEST(WriteJsonFileTest, FailedWritesKeepTheOldFile) {
    TempFolder folder;
    const auto file = folder / "macro.config";
    Json::Value old_value(Json::objectValue);
    old_value["old"] = true;
    ASSERT_TRUE(WriteJsonFile(file, old_value));
    const std::string old_text = ReadText(file);

    Json::Value big(Json::arrayValue);
    for (int i = 0; i < 20000; ++i) {
        big.append(i);
    }
    EXPECT_FALSE(testing::RunWithFileSizeLimit(4096, [&] { return WriteJsonFile(file, big); }));
    EXPECT_EQ(ReadText(file), old_text);
    EXPECT_EQ(testing::FolderContent(folder.path()), std::vector<std::string>{"macro.config"});

    EXPECT_FALSE(WriteJsonFile(folder / "no such folder" / "x.Json", old_value));
}

}  // namespace
}  // namespace calvorn::storage
