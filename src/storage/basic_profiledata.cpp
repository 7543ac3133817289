#include "storage/basic_profiledata.h"

#include "storage/json_access.h"
#include "storage/json_file.h"

namespace calvorn::storage {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDeviceKey = "Device";

// Bits 16-23, 8-15 and 0-7 of a stored key code.
device::AssignmentCode CodeOf(const Json::Value& value) {
    return device::CodeFromAssignment(WordOf(value));
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const fs::path& path) {
    if (!path.empty()) {
        profile_path_ = path;
    }
}

void CBasicProfiledata::SetDefaultProfilePath(const fs::path& path) {
    if (!path.empty()) {
        default_profile_path_ = path;
    }
}

void CBasicProfiledata::SetPresetListPath(const fs::path& path) {
    if (!path.empty()) {
        preset_list_path_ = path;
    }
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index >= 0 && index <= kMaxDeviceIndex) {
        device_index_ = index;
    }
}

const Json::Value& CBasicProfiledata::DeviceDocumentOf(const Json::Value& root) const {
    const Json::Value& document =
        Element(Member(root, kDeviceKey), static_cast<std::size_t>(device_index_));
    return document.isObject() ? document : Json::Value::nullSingleton();
}

Json::Value& CBasicProfiledata::DocumentForWrite() {
    if (!document_.isObject()) {
        document_ = Json::Value(Json::objectValue);
    }
    return document_;
}

Json::Value CBasicProfiledata::Load(const fs::path& path) {
    Json::Value root = ReadJsonFile(path);
    document_ = DeviceDocumentOf(root);
    if (document_.isNull() && path != default_profile_path_) {
        document_ = DeviceDocumentOf(ReadJsonFile(default_profile_path_));
        if (!root.isObject()) {
            root = Json::Value(Json::objectValue);
        }
        ElementForWrite(MemberForWrite(root, kDeviceKey), static_cast<std::size_t>(device_index_)) =
            document_;
        WriteJsonFile(path, root);
    }
    return document_;
}

bool CBasicProfiledata::Save() {
    return SaveTo(document_, profile_path_);
}

bool CBasicProfiledata::SaveTo(const Json::Value& value, const fs::path& path) {
    Json::Value root = ReadJsonFile(path);
    ElementForWrite(MemberForWrite(root, kDeviceKey), static_cast<std::size_t>(device_index_)) =
        value;
    return WriteJsonFile(path, root);
}

bool CBasicProfiledata::WriteWhole(const Json::Value& value, const fs::path& path) {
    return WriteJsonFile(path, value);
}

LightSetting CBasicProfiledata::ReadLightInfo() {
    const Json::Value& info = Member(document_, "LightInfo");
    LightSetting setting;
    if (info.isNull()) {
        return setting;
    }
    setting.select_item = ByteOf(Member(info, "SelectItem"));
    setting.light = ByteOf(Member(info, "Light"));
    setting.speed = ByteOf(Member(info, "Speed"));
    setting.fx = ByteOf(Member(info, "Fx"));
    setting.multi_color = IntegerOf(Member(info, "MultiColor")) != 0 ? 1 : 0;
    setting.red = ByteOf(Member(info, "Red"));
    setting.green = ByteOf(Member(info, "Green"));
    setting.blue = ByteOf(Member(info, "Blue"));
    setting.zzcc_led_mode = ByteOf(Member(info, "ZZCCLedMode"));
    setting.custom_group = ByteOf(Member(info, "CustomGroup"));
    return setting;
}

void CBasicProfiledata::WriteLightInfo(const LightSetting& setting) {
    Json::Value info(Json::objectValue);
    info["SelectItem"] = setting.select_item;
    info["Light"] = setting.light;
    info["Speed"] = setting.speed;
    info["Fx"] = setting.fx;
    info["MultiColor"] = setting.multi_color != 0 ? 1 : 0;
    info["Red"] = setting.red;
    info["Green"] = setting.green;
    info["Blue"] = setting.blue;
    info["ZZCCLedMode"] = setting.zzcc_led_mode;
    info["CustomGroup"] = setting.custom_group;
    DocumentForWrite()["LightInfo"] = std::move(info);
}

std::vector<LightEffectRecord> CBasicProfiledata::ReadLightList() {
    std::vector<LightEffectRecord> list;
    const Json::Value& array = Member(document_, "LightList");
    if (!array.isArray()) {
        return list;
    }
    list.reserve(array.size());
    for (const Json::Value& element : array) {
        LightEffectRecord record;
        if (!element.isNull()) {
            record.mode = ByteOf(Member(element, "LEDREGMode"));
            record.brightness = ByteOf(Member(element, "LEDBrightness"));
            record.speed = ByteOf(Member(element, "LEDSpeed"));
            record.direction = IntegerOf(Member(element, "LEDDirection")) != 0 ? 1 : 0;
            record.multi_color = IntegerOf(Member(element, "LEDMultiColor")) != 0 ? 1 : 0;
            record.red = ByteOf(Member(element, "red"));
            record.green = ByteOf(Member(element, "green"));
            record.blue = ByteOf(Member(element, "blue"));
            record.present = 1;
        }
        list.push_back(record);
    }
    return list;
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadKeyAssignments() {
    std::vector<KeyAssignmentPair> keys;
    const Json::Value& array = Member(document_, "KeyList");
    if (!array.isArray()) {
        return keys;
    }
    keys.reserve(array.size());
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        const Json::Value& element = array[i];
        const auto position = static_cast<std::uint16_t>(i);
        keys.push_back(KeyAssignmentPair{position, CodeOf(Member(element, "Assignment")), position,
                                         CodeOf(Member(element, "DefaultAssignment"))});
    }
    return keys;
}

void CBasicProfiledata::WriteKeyAssignments(const std::vector<KeyAssignmentPair>& keys) {
    Json::Value& array = MemberForWrite(DocumentForWrite(), "KeyList");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        MemberForWrite(ElementForWrite(array, i), "Assignment") =
            static_cast<Json::Int>(device::AssignmentFromCode(keys[i].code));
    }
}

}  // namespace calvorn::storage
