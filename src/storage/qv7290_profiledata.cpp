#include "storage/qv7290_profiledata.h"

#include "storage/json_access.h"

namespace calvorn::storage {

namespace {

constexpr const char* kSystemSetStages = "SystemSetStages";
constexpr const char* kEqValues = "EQHzValueInfo";
constexpr const char* kCustomEqNames = "CustomEQNameInfo";
constexpr const char* kCustomEqValues = "CustomEQHzValueInfo";
constexpr std::array<const char*, 8> kSettingKeys = {
    "MagicEnable", "MagicType",  "EqType",           "CustomEqSeletIndex",
    "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue"};

std::size_t PresetIndex(std::int32_t eq_type) {
    const auto type = static_cast<std::uint32_t>(eq_type);
    return type >= 1 && type <= 12 ? type : 1;
}

std::int32_t Int32Of(const Json::Value& value) {
    return static_cast<std::int32_t>(IntegerOf(value));
}

// Ten bands of `preset`: a missing preset is added as ten zero bands.
std::vector<std::int32_t> ReadBands(Json::Value& presets, std::size_t index) {
    std::vector<std::int32_t> values(std::tuple_size_v<EqBands>, 0);
    if (Element(presets, index).isNull()) {
        Json::Value& preset = ElementForWrite(presets, index);
        for (std::size_t band = 0; band < values.size(); ++band) {
            MemberForWrite(ElementForWrite(preset, band), "value") = 0;
        }
        return values;
    }
    const Json::Value& preset = Element(presets, index);
    for (std::size_t band = 0; band < values.size(); ++band) {
        values[band] = Int32Of(Member(Element(preset, band), "value"));
    }
    return values;
}

void WriteBands(Json::Value& presets, std::size_t index, const EqBands& bands) {
    Json::Value& preset = ElementForWrite(presets, index);
    for (std::size_t band = 0; band < bands.size(); ++band) {
        MemberForWrite(ElementForWrite(preset, band), "value") = bands[band];
    }
}

}  // namespace

HeadsetSettings CQv7290Profiledata::ReadSystemSetStages() {
    HeadsetSettings settings{};
    const Json::Value& section = Member(Document(), kSystemSetStages);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        settings[i] = Int32Of(Member(section, kSettingKeys[i]));
    }
    return settings;
}

void CQv7290Profiledata::WriteSystemSetStages(const HeadsetSettings& settings) {
    Json::Value& section = MemberForWrite(DocumentForWrite(), kSystemSetStages);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        MemberForWrite(section, kSettingKeys[i]) = settings[i];
    }
}

std::vector<std::int32_t> CQv7290Profiledata::ReadEqValues(std::int32_t eq_type) {
    if (static_cast<std::uint32_t>(eq_type) == kUserEqType) {
        return {};
    }
    return ReadBands(MemberForWrite(DocumentForWrite(), kEqValues), PresetIndex(eq_type));
}

void CQv7290Profiledata::WriteEqValues(std::int32_t eq_type, const EqBands& bands) {
    if (static_cast<std::uint32_t>(eq_type) == kUserEqType) {
        return;
    }
    WriteBands(MemberForWrite(DocumentForWrite(), kEqValues), PresetIndex(eq_type), bands);
}

std::vector<std::string> CQv7290Profiledata::ReadCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& array = Member(Document(), kCustomEqNames);
    for (Json::ArrayIndex i = 0; array.isArray() && i < array.size(); ++i) {
        names.push_back(StringOf(Member(array[i], "Name")));
    }
    return names;
}

void CQv7290Profiledata::WriteCustomEqNames(const std::vector<std::string>& names) {
    Json::Value array(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = name;
        array.append(std::move(element));
    }
    DocumentForWrite()[kCustomEqNames] = std::move(array);
}

std::vector<std::int32_t> CQv7290Profiledata::ReadCustomEqValues(int index) {
    if (index < 0 || index > kMaxCustomEq) {
        return {};
    }
    return ReadBands(MemberForWrite(DocumentForWrite(), kCustomEqValues),
                     static_cast<std::size_t>(index));
}

void CQv7290Profiledata::WriteCustomEqValues(int index, const EqBands& bands) {
    if (index < 0 || index > kMaxCustomEq) {
        return;
    }
    WriteBands(MemberForWrite(DocumentForWrite(), kCustomEqValues), static_cast<std::size_t>(index),
               bands);
}

}  // namespace calvorn::storage
