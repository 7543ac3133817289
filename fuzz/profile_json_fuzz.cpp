// Feeds arbitrary bytes to the profile documents as a profile file: the file is loaded (and
// rebuilt from a small default when it is unusable), every section reader of the keyboard,
// mouse and headset documents runs over it, what was read is written back, and the document
// is saved. Nothing may crash or throw, whatever the file holds.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "storage/keyboard_profiledata.h"
#include "storage/mouse_profiledata.h"
#include "storage/qv7290_profiledata.h"

namespace {

namespace fs = std::filesystem;
using namespace calvorn::storage;

constexpr std::string_view kDefaultProfile = R"({"profilename":"Default","Device":[{
    "LightInfo":{"SelectItem":4,"Light":5,"CustomGroup":1},
    "KeyList":[{"Assignment":2097156,"DefaultAssignment":2097156}],
    "SystemStages":{"Repeat":31,"RepeatDelay":1},
    "CustomLightMode":{"CustomLightModeGroupIndex":0,"LightColorInfo":[[{"Red":1}]]}}]})";

// A private folder (in memory where the system has one) with the default profile.
const fs::path& Folder() {
    static const fs::path folder = [] {
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm/calvorn-fuzz-XXXXXX"
                                                           : "/tmp/calvorn-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern.data());
        const fs::path path = made != nullptr ? fs::path(made) : fs::temp_directory_path();
        calvorn::platform::WriteFileAtomically(path / "default.Json", kDefaultProfile);
        return path;
    }();
    return folder;
}

template <typename Document>
void LoadInto(Document& document, const fs::path& profile) {
    document.SetDefaultProfilePath(Folder() / "default.Json");
    document.SetProfilePath(profile);
    document.Load(profile);
}

void Keyboard(const fs::path& profile) {
    CKeyboardProfiledata document;
    LoadInto(document, profile);
    const LightSetting light = document.ReadLightInfo();
    document.ReadLightList();
    const auto keys = document.ReadKeyAssignments();
    const KeyboardSystemWords words = document.ReadSystemStages();
    const int group = document.ReadCustomGroupIndex();
    const auto colors = document.ReadCustomColours(light.custom_group, 126);
    document.ReadCustomColours(group, 3);
    document.WriteLightInfo(light);
    document.WriteKeyAssignments(keys);
    document.WriteSystemStages(words[0], words[1], words[2]);
    document.WriteCustomColours(colors, light.custom_group);
    document.WriteCustomGroupIndex(group);
    document.Save();
}

void Mouse(const fs::path& profile) {
    CMouseProfiledata document;
    LoadInto(document, profile);
    const auto stages = document.ReadDpiStages();
    const MouseSystemWords words = document.ReadSystemStages();
    document.ReadCorrectInfo();
    document.WriteDpiStages(stages);
    document.SetActiveStage(document.GetActiveStage());
    document.WriteSystemStages(words[0], words[1], words[2]);
}

void Headset(const fs::path& profile) {
    CQv7290Profiledata document;
    LoadInto(document, profile);
    const HeadsetSettings settings = document.ReadSystemSetStages();
    for (std::int32_t type = -1; type <= 14; ++type) {
        document.ReadEqValues(type);
    }
    document.ReadEqValues(settings[2]);
    document.WriteCustomEqNames(document.ReadCustomEqNames());
    document.ReadCustomEqValues(settings[3]);
    document.WriteSystemSetStages(settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path profile = Folder() / "profile.Json";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    calvorn::platform::WriteFileAtomically(profile, bytes);
    Mouse(profile);
    Headset(profile);
    Keyboard(profile);
    return 0;
}
