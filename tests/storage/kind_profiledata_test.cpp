// The mouse and headset documents: their own sections over small profile files.

#include <gtest/gtest.h>

#include "platform/test_support.h"
#include "storage/mouse_profiledata.h"
#include "storage/qv7290_profiledata.h"
#include "storage/storage_test_support.h"

namespace calvorn::storage {
namespace {

using platform::testing::TempFolder;
using testing::Parse;
using testing::ReadText;
using testing::WriteText;

template <typename Document>
class KindProfileTest : public ::testing::Test {
protected:
    void Load(const std::string& device_json) {
        WriteText(profile, R"({"profilename":"p","Device":[)" + device_json + "]}");
        document.SetProfilePath(profile);
        document.Load(profile);
    }
    Json::Value StoredDevice() const { return Parse(ReadText(profile))["Device"][0]; }

    TempFolder folder;
    std::filesystem::path profile = folder / "p.Json";
    Document document;
};

using MouseProfileTest = KindProfileTest<CMouseProfiledata>;
using HeadsetProfileTest = KindProfileTest<CQv7290Profiledata>;

TEST_F(MouseProfileTest, DpiStagesMergeIntoTheStoredList) {
    Load(R"({"DPIStages":{"StageActive":2,"StageDPIs":[
        {"StageActive":1,"StageXY":0,"StageDPIX":800,"StageDPIY":70000,
         "StageColorR":255,"StageColorG":0,"StageColorB":0},
        {"StageActive":1,"StageDPIX":1600,"StageDPIY":1600}]}})");
    const std::vector<DpiStage> four = {
        {1, 0, 1, 1, 0, 0, 0}, {1, 0, 2, 2, 0, 0, 0}, {1, 0, 3, 3, 0, 0, 0}, {0, 1, 4, 4, 9, 9, 9}};
    document.WriteDpiStages(four);
    document.Load(profile);  // the file still holds two stages
    const std::vector<DpiStage> stages = document.ReadDpiStages();
    ASSERT_EQ(stages.size(), 4u);
    EXPECT_EQ(stages[0], (DpiStage{1, 0, 800, 70000 - 65536, 255, 0, 0}));
    EXPECT_EQ(stages[1], (DpiStage{1, 0, 1600, 1600, 0, 0, 0}));
    EXPECT_EQ(stages[3], four[3]);
    EXPECT_EQ(document.GetActiveStage(), 2);

    document.SetActiveStage(3);
    document.WriteDpiStages(stages);
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(StoredDevice()["DPIStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(StoredDevice()["DPIStages"]["StageDPIs"].size(), 4u);
    EXPECT_EQ(StoredDevice()["DPIStages"]["StageDPIs"][3]["StageColorB"].asInt(), 9);
}

TEST_F(MouseProfileTest, SystemWordsTakeTheReportRateOnlyWhenPresent) {
    Load(R"({"SystemStages":{"DoubleClickTime":500,"MouseSpeed":10,"PointerPrecision":1,
        "ScorllPage":3,"WheelScorlllinse":4}})");
    EXPECT_EQ(document.ReadSystemStages(),
              (MouseSystemWords{500 | (10u << 16), 1 | (3u << 16), 4}));
    document.WriteSystemStages(1, 2, 5 | (6u << 16));
    EXPECT_EQ(document.ReadSystemStages(), (MouseSystemWords{1, 2, 5 | (6u << 16)}));
    EXPECT_EQ(document.Document()["ReportStages"]["StageActive"].asInt(), 6);
    EXPECT_EQ(document.Document()["SystemStages"]["ScorllPage"].asInt(), 0);
}

TEST_F(MouseProfileTest, CorrectionEntries) {
    Load(R"({"CorrectInfo":[{"CorrectPixThresh":3,"CorrectMinSq":4,"CorrectSelect":1,
        "CorrectName":"Übung"}, null]})");
    const std::vector<CorrectionEntry> entries = document.ReadCorrectInfo();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (CorrectionEntry{3, 4, 1, "Übung"}));
    EXPECT_EQ(entries[1], CorrectionEntry{});
}

TEST_F(HeadsetProfileTest, EqualiserPresetsByType) {
    Load(R"({"EQHzValueInfo":[null,
        [{"value":1},{"value":2},{"value":3},{"value":4},{"value":5},
         {"value":6},{"value":7},{"value":8},{"value":9},{"value":10}],
        [{"value":-3}]]})");
    const std::vector<std::int32_t> first = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    struct Case {
        std::int32_t eq_type;
        std::vector<std::int32_t> bands;
    };
    const Case cases[] = {
        {0, first},
        {1, first},
        {14, first},
        {-5, first},
        {2, {-3, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {13, {}},  // the user equaliser lives elsewhere
        {12, std::vector<std::int32_t>(10, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(document.ReadEqValues(c.eq_type), c.bands) << c.eq_type;
    }
    // Reading the missing preset 12 filled it in with zeros.
    EXPECT_EQ(document.Document()["EQHzValueInfo"][12][9]["value"].asInt(), 0);

    document.WriteEqValues(13, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    document.WriteEqValues(0, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_EQ(document.ReadEqValues(1), (std::vector<std::int32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_FALSE(document.Document()["EQHzValueInfo"].isValidIndex(13));
}

TEST_F(HeadsetProfileTest, SettingsAndUserEqualisers) {
    Load("{}");
    EXPECT_EQ(document.ReadSystemSetStages(), HeadsetSettings{});
    const HeadsetSettings settings = {1, 2, 13, 0, 1, 80, 0, -5};
    document.WriteSystemSetStages(settings);
    EXPECT_EQ(document.ReadSystemSetStages(), settings);
    EXPECT_EQ(document.Document()["SystemSetStages"]["MicMoniterValue"].asInt(), -5);

    document.WriteCustomEqNames({"Rock", "Stimme"});
    document.WriteCustomEqValues(1, {1, 1, 1, 1, 1, 1, 1, 1, 1, 2});
    EXPECT_EQ(document.ReadCustomEqNames(), (std::vector<std::string>{"Rock", "Stimme"}));
    EXPECT_EQ(document.ReadCustomEqValues(1),
              (std::vector<std::int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 2}));
    EXPECT_EQ(document.ReadCustomEqValues(0), std::vector<std::int32_t>(10, 0));
    EXPECT_TRUE(document.ReadCustomEqValues(-1).empty());
    EXPECT_TRUE(document.ReadCustomEqValues(1 << 20).empty());
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(StoredDevice()["CustomEQNameInfo"][1]["Name"].asString(), "Stimme");
}

}  // namespace
}  // namespace calvorn::storage
