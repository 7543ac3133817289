#pragma once

// Lighting presets on disk, read only:
//
// - "default_light.json" in the default data folder: the built-in effect names of every
//   device model, {"DefaultLightName": [group...], "AreaLightName": [group...]}, the group at
//   a device's view value being that model's. An effect entry is {"LightName", "visible"}, an
//   area entry {"LightName"}.
// - "orvum_light.config" in the user device folder: the user's own presets,
//   {"LightInfo": [group...]}, each entry {"LightName", "Guid"}.
// - one effect-step file per user preset, named by its "Guid" + ".light" and kept beside the
//   preset list: {"LEDEffectList": [step...]}.
//
// Missing or broken files read as null: a name list whose group is missing keeps what it
// held, and a preset without a readable step file has no steps. Nothing here throws or
// reports to the user.

#include <json/json.h>

#include <filesystem>
#include <string>
#include <vector>

#include "device/light_preset_player.h"

namespace calvorn::storage {

inline constexpr char kDefaultLightFileName[] = "default_light.json";
inline constexpr char kPresetListFileName[] = "orvum_light.config";
inline constexpr char kEffectStepExtension[] = ".light";

// The names a device page offers in its lighting panel.
struct LightNameLists {
    std::vector<std::string> effect_names;  // built-in effects, in effect order
    std::vector<bool> effect_visible;       // whether each built-in effect is offered
    std::vector<std::string> area_names;
    std::vector<std::string> preset_names;  // the user's presets

    friend bool operator==(const LightNameLists&, const LightNameLists&) = default;
};

// Refreshes the lists from the two documents for the device model at `view_value`. A list
// whose group is missing (document null, no such group) keeps its content.
void RefreshLightNames(LightNameLists& lists, const Json::Value& default_light,
                       const Json::Value& preset_list, int view_value);
// The same from the files.
void RefreshLightNames(LightNameLists& lists, const std::filesystem::path& default_light_file,
                       const std::filesystem::path& preset_list_file, int view_value);

// The steps of an effect-step document, element i of "LEDEffectList" as step i; keys that are
// missing or of the wrong type read as 0. A document without the list has no steps.
std::vector<device::LightEffectStep> ParseEffectSteps(const Json::Value& document);

// The user's preset list and the steps of the selected preset, as a profile loads them.
class LightPresetStore {
public:
    // Reads the preset list file (null when missing or broken) and returns a copy. The
    // effect-step files are looked up in the same folder.
    Json::Value LoadPresetList(const std::filesystem::path& path);
    const Json::Value& PresetDocument() const { return document_; }

    // The steps of the user preset that "SelectItem" `select_item` selects: the entry at
    // select_item − base index in the preset group, when select_item is not below the base.
    // The steps replace the stored ones (no preset, no entry or no readable file: none) and a
    // copy is returned. A "Guid" that is not a plain file name (a path, empty) reads nothing.
    std::vector<device::LightEffectStep> ReadPresetEffects(int select_item);
    const std::vector<device::LightEffectStep>& PresetEffects() const { return steps_; }

    // The first "SelectItem" that names a user preset (0 unless set).
    void SetUserPresetBase(int base) { base_ = base; }
    int UserPresetBase() const { return base_; }
    // The group of "LightInfo" that holds the presets (0 unless set).
    void SetGroup(int group) { group_ = group; }
    int Group() const { return group_; }

private:
    std::filesystem::path folder_;
    Json::Value document_;
    std::vector<device::LightEffectStep> steps_;
    int base_ = 0;
    int group_ = 0;
};

}  // namespace calvorn::storage
