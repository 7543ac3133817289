#include "storage/keyboard_profiledata.h"

#include <algorithm>

#include "storage/json_access.h"

namespace calvorn::storage {

namespace {

constexpr const char* kSystemStages = "SystemStages";
constexpr const char* kCustomLightMode = "CustomLightMode";
constexpr const char* kLightColorInfo = "LightColorInfo";
constexpr const char* kGroupIndex = "CustomLightModeGroupIndex";

std::uint32_t Halves(const Json::Value& section, const char* low, const char* high) {
    return HalfOf(Member(section, low)) |
           (static_cast<std::uint32_t>(HalfOf(Member(section, high))) << 16);
}

void WriteHalves(Json::Value& section, const char* low, const char* high, std::uint32_t word) {
    section[low] = static_cast<Json::UInt>(word & 0xFFFF);
    section[high] = static_cast<Json::UInt>(word >> 16);
}

void WriteColor(Json::Value& element, device::LedColor color) {
    MemberForWrite(element, "Red") = color.red;
    MemberForWrite(element, "Green") = color.green;
    MemberForWrite(element, "Blue") = color.blue;
    MemberForWrite(element, "Alpha") = color.brightness;
}

}  // namespace

KeyboardSystemWords CKeyboardProfiledata::ReadSystemStages() {
    const Json::Value& stages = Member(Document(), kSystemStages);
    if (stages.isNull()) {
        return {0, 0, 0};
    }
    return {Halves(stages, "Repeat", "RepeatDelay"), Halves(stages, "Key6Flag", "PollingRate"),
            Halves(stages, "WFlag", "WinFlag")};
}

void CKeyboardProfiledata::WriteSystemStages(std::uint32_t word0, std::uint32_t word1,
                                             std::uint32_t word2) {
    Json::Value& stages = MemberForWrite(DocumentForWrite(), kSystemStages);
    if (!stages.isObject()) {
        stages = Json::Value(Json::objectValue);
    }
    WriteHalves(stages, "Repeat", "RepeatDelay", word0);
    WriteHalves(stages, "Key6Flag", "PollingRate", word1);
    WriteHalves(stages, "WFlag", "WinFlag", word2);
}

std::vector<device::LedColor> CKeyboardProfiledata::ReadCustomColours(int group,
                                                                      std::size_t count) {
    std::vector<device::LedColor> colors;
    if (group < 0 || group >= kMaxCustomGroups || count > kMaxCustomColors) {
        return colors;
    }
    colors.reserve(count);
    Json::Value& groups =
        MemberForWrite(MemberForWrite(DocumentForWrite(), kCustomLightMode), kLightColorInfo);
    Json::Value& entries = ElementForWrite(groups, static_cast<std::size_t>(group));
    for (std::size_t i = 0; i < count; ++i) {
        const Json::Value& element = Element(entries, i);
        if (element.isNull()) {
            WriteColor(ElementForWrite(entries, i), {});
            colors.push_back({});
            continue;
        }
        colors.push_back({ByteOf(Member(element, "Red")), ByteOf(Member(element, "Green")),
                          ByteOf(Member(element, "Blue")), ByteOf(Member(element, "Alpha"))});
    }
    return colors;
}

void CKeyboardProfiledata::WriteCustomColours(const std::vector<device::LedColor>& colors,
                                              int group) {
    if (group < 0 || group >= kMaxCustomGroups) {
        return;
    }
    Json::Value& groups =
        MemberForWrite(MemberForWrite(DocumentForWrite(), kCustomLightMode), kLightColorInfo);
    Json::Value& entries = ElementForWrite(groups, static_cast<std::size_t>(group));
    const std::size_t count = std::min(colors.size(), kMaxCustomColors);
    for (std::size_t i = 0; i < count; ++i) {
        WriteColor(ElementForWrite(entries, i), colors[i]);
    }
}

int CKeyboardProfiledata::ReadCustomGroupIndex() {
    return static_cast<int>(static_cast<std::int32_t>(
        IntegerOf(Member(Member(Document(), kCustomLightMode), kGroupIndex))));
}

void CKeyboardProfiledata::WriteCustomGroupIndex(int group) {
    MemberForWrite(MemberForWrite(DocumentForWrite(), kCustomLightMode), kGroupIndex) = group;
}

}  // namespace calvorn::storage
