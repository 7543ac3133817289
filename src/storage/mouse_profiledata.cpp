#include "storage/mouse_profiledata.h"

#include "storage/json_access.h"

namespace calvorn::storage {

namespace {

constexpr const char* kDpiStages = "DPIStages";
constexpr const char* kStageActive = "StageActive";
constexpr const char* kStageDpis = "StageDPIs";
constexpr const char* kSystemStages = "SystemStages";
constexpr const char* kReportStages = "ReportStages";

DpiStage StageOf(const Json::Value& element) {
    return DpiStage{ByteOf(Member(element, "StageActive")), ByteOf(Member(element, "StageXY")),
                    HalfOf(Member(element, "StageDPIX")),   HalfOf(Member(element, "StageDPIY")),
                    ByteOf(Member(element, "StageColorR")), ByteOf(Member(element, "StageColorG")),
                    ByteOf(Member(element, "StageColorB"))};
}

std::uint32_t Halves(const Json::Value& low, const Json::Value& high) {
    return HalfOf(low) | (static_cast<std::uint32_t>(HalfOf(high)) << 16);
}

}  // namespace

std::vector<DpiStage> CMouseProfiledata::ReadDpiStages() {
    const Json::Value& section = Member(Document(), kDpiStages);
    if (!section.isNull()) {
        active_stage_ = static_cast<std::int32_t>(IntegerOf(Member(section, kStageActive)));
        const Json::Value& stages = Member(section, kStageDpis);
        for (Json::ArrayIndex j = 0; stages.isArray() && j < stages.size(); ++j) {
            const DpiStage stage = StageOf(stages[j]);
            if (j < dpi_stages_.size()) {
                dpi_stages_[j] = stage;
            } else {
                dpi_stages_.push_back(stage);
            }
        }
    }
    return dpi_stages_;
}

void CMouseProfiledata::WriteDpiStages(const std::vector<DpiStage>& stages) {
    dpi_stages_ = stages;
    Json::Value& array = MemberForWrite(MemberForWrite(DocumentForWrite(), kDpiStages), kStageDpis);
    for (std::size_t i = 0; i < stages.size(); ++i) {
        Json::Value& element = ElementForWrite(array, i);
        MemberForWrite(element, "StageActive") = stages[i].active;
        MemberForWrite(element, "StageXY") = stages[i].xy;
        MemberForWrite(element, "StageDPIX") = stages[i].dpi_x;
        MemberForWrite(element, "StageDPIY") = stages[i].dpi_y;
        MemberForWrite(element, "StageColorR") = stages[i].red;
        MemberForWrite(element, "StageColorG") = stages[i].green;
        MemberForWrite(element, "StageColorB") = stages[i].blue;
    }
}

void CMouseProfiledata::SetActiveStage(int stage) {
    active_stage_ = stage;
    MemberForWrite(MemberForWrite(DocumentForWrite(), kDpiStages), kStageActive) = stage;
}

MouseSystemWords CMouseProfiledata::ReadSystemStages() {
    const Json::Value& stages = Member(Document(), kSystemStages);
    if (stages.isNull()) {
        return {0, 0, 0};
    }
    const Json::Value& report = Member(Document(), kReportStages);
    return {Halves(Member(stages, "DoubleClickTime"), Member(stages, "MouseSpeed")),
            Halves(Member(stages, "PointerPrecision"), Member(stages, "ScorllPage")),
            Halves(Member(stages, "WheelScorlllinse"), Member(report, kStageActive))};
}

void CMouseProfiledata::WriteSystemStages(std::uint32_t word0, std::uint32_t word1,
                                          std::uint32_t word2) {
    Json::Value& stages = MemberForWrite(DocumentForWrite(), kSystemStages);
    MemberForWrite(stages, "DoubleClickTime") = static_cast<Json::UInt>(word0 & 0xFFFF);
    MemberForWrite(stages, "MouseSpeed") = static_cast<Json::UInt>(word0 >> 16);
    MemberForWrite(stages, "PointerPrecision") = static_cast<Json::UInt>(word1 & 0xFFFF);
    MemberForWrite(stages, "ScorllPage") = static_cast<Json::UInt>(word1 >> 16);
    MemberForWrite(stages, "WheelScorlllinse") = static_cast<Json::UInt>(word2 & 0xFFFF);
    MemberForWrite(MemberForWrite(DocumentForWrite(), kReportStages), kStageActive) =
        static_cast<Json::UInt>(word2 >> 16);
}

std::vector<CorrectionEntry> CMouseProfiledata::ReadCorrectInfo() {
    std::vector<CorrectionEntry> entries;
    const Json::Value& array = Member(Document(), "CorrectInfo");
    if (!array.isArray()) {
        return entries;
    }
    entries.reserve(array.size());
    for (const Json::Value& element : array) {
        entries.push_back(
            {ByteOf(Member(element, "CorrectPixThresh")), ByteOf(Member(element, "CorrectMinSq")),
             ByteOf(Member(element, "CorrectSelect")), StringOf(Member(element, "CorrectName"))});
    }
    return entries;
}

}  // namespace calvorn::storage
