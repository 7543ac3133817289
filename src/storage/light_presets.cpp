#include "storage/light_presets.h"

#include <cstdint>

#include "storage/data_folders.h"
#include "storage/json_access.h"
#include "storage/json_file.h"

namespace calvorn::storage {

namespace {

// Group `index` of the array at `key`; null for a negative index or a missing group.
const Json::Value& GroupOf(const Json::Value& document, const char* key, int index) {
    if (index < 0) {
        return Json::Value::nullSingleton();
    }
    return Element(Member(document, key), static_cast<std::size_t>(index));
}

// A flag as stored: booleans as they are, numbers by being non-zero, anything else false.
bool FlagOf(const Json::Value& value) {
    return IntegerOf(value) != 0;
}

// Every entry's "LightName", in order; entries of the wrong type give an empty name.
std::vector<std::string> NamesOf(const Json::Value& group) {
    std::vector<std::string> names;
    if (!group.isArray()) {
        return names;
    }
    names.reserve(group.size());
    for (Json::ArrayIndex i = 0; i < group.size(); ++i) {
        names.push_back(StringOf(Member(group[i], "LightName")));
    }
    return names;
}

}  // namespace

void RefreshLightNames(LightNameLists& lists, const Json::Value& default_light,
                       const Json::Value& preset_list, int view_value) {
    const Json::Value& effects = GroupOf(default_light, "DefaultLightName", view_value);
    if (!effects.isNull()) {
        lists.effect_names = NamesOf(effects);
        lists.effect_visible.clear();
        if (effects.isArray()) {
            for (Json::ArrayIndex i = 0; i < effects.size(); ++i) {
                lists.effect_visible.push_back(FlagOf(Member(effects[i], "visible")));
            }
        }
    }
    const Json::Value& areas = GroupOf(default_light, "AreaLightName", view_value);
    if (!areas.isNull()) {
        lists.area_names = NamesOf(areas);
    }
    const Json::Value& presets = GroupOf(preset_list, "LightInfo", view_value);
    if (!presets.isNull()) {
        lists.preset_names = NamesOf(presets);
    }
}

void RefreshLightNames(LightNameLists& lists, const std::filesystem::path& default_light_file,
                       const std::filesystem::path& preset_list_file, int view_value) {
    RefreshLightNames(lists, ReadJsonFile(default_light_file), ReadJsonFile(preset_list_file),
                      view_value);
}

std::vector<device::LightEffectStep> ParseEffectSteps(const Json::Value& document) {
    std::vector<device::LightEffectStep> steps;
    const Json::Value& list = Member(document, "LEDEffectList");
    if (!list.isArray()) {
        return steps;
    }
    steps.resize(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& element = list[i];
        device::LightEffectStep& step = steps[i];
        step.mode = ByteOf(Member(element, "LEDREGMode"));
        step.brightness = ByteOf(Member(element, "LEDBrightness"));
        step.speed = ByteOf(Member(element, "LEDSpeed"));
        step.direction = ByteOf(Member(element, "LEDDirection"));
        step.multi_color = ByteOf(Member(element, "LEDMultiColor"));
        step.red = ByteOf(Member(element, "red"));
        step.green = ByteOf(Member(element, "green"));
        step.blue = ByteOf(Member(element, "blue"));
        step.time_ms = static_cast<std::int32_t>(WordOf(Member(element, "Time")));
        step.cycle = static_cast<std::int32_t>(WordOf(Member(element, "Cyle")));
    }
    return steps;
}

Json::Value LightPresetStore::LoadPresetList(const std::filesystem::path& path) {
    folder_ = path.parent_path();
    document_ = ReadJsonFile(path);
    return document_;
}

std::vector<device::LightEffectStep> LightPresetStore::ReadPresetEffects(int select_item) {
    steps_.clear();
    if (!document_.isNull() && select_item >= base_) {
        const Json::Value& entry = Element(GroupOf(document_, "LightInfo", group_),
                                           static_cast<std::size_t>(select_item - base_));
        const std::string guid = StringOf(Member(entry, "Guid"));
        // The name comes from a file the user may have been given: it must name a file in
        // the preset folder, not a path elsewhere.
        if (!entry.isNull() && IsSafeFileStem(guid)) {
            steps_ =
                ParseEffectSteps(ReadJsonFile(DataFilePath(folder_, guid, kEffectStepExtension)));
        }
    }
    return steps_;
}

}  // namespace calvorn::storage
