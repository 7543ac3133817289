// Feeds arbitrary bytes to the lighting preset readers: the bytes are the built-in light
// names file, the user's preset list and the effect-step file that every preset entry names.
// The name lists are refreshed for every device model, each preset's steps are read, and the
// steps are played for a while into a keyboard's colour array. Nothing may crash or throw,
// whatever the files hold.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "device/color_array.h"
#include "device/light_preset_player.h"
#include "platform/file_io.h"
#include "storage/light_presets.h"

namespace {

namespace fs = std::filesystem;
using namespace calvorn;

// A private folder (in memory where the system has one).
const fs::path& Folder() {
    static const fs::path folder = [] {
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm/calvorn-fuzz-XXXXXX"
                                                           : "/tmp/calvorn-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? fs::path(made) : fs::temp_directory_path();
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const fs::path list = Folder() / storage::kPresetListFileName;
    const fs::path names = Folder() / storage::kDefaultLightFileName;
    platform::WriteFileAtomically(list, bytes);
    platform::WriteFileAtomically(names, bytes);
    // The step file every short "Guid" could name.
    for (const char* stem : {"", "0", "a", "guid"}) {
        platform::WriteFileAtomically(Folder() / (std::string(stem) + ".light"), bytes);
    }

    storage::LightNameLists lists;
    for (int view_value = -1; view_value <= 11; ++view_value) {
        storage::RefreshLightNames(lists, names, list, view_value);
    }

    storage::LightPresetStore store;
    store.LoadPresetList(list);
    device::ColorArray colors(126);
    device::PresetSteps steps;
    device::PresetStepPlayer player;
    device::LightParameters light;
    light.speed = static_cast<std::uint8_t>(size);
    platform::Millis now(1'000'000);
    for (int group = 0; group < 3; ++group) {
        store.SetGroup(group);
        for (int select_item = -1; select_item < 4; ++select_item) {
            steps.Replace(store.ReadPresetEffects(select_item));
            for (int turn = 0; turn < 64; ++turn) {
                player.Step(colors, steps, light, now);
                now += platform::Millis(37);
            }
        }
    }
    steps.Replace(storage::ParseEffectSteps(Json::Value(std::string(bytes))));
    player.Step(colors, steps, light, now);
    return 0;
}
