#pragma once

// Where the main window sends a UI notification: a fixed table from (type, control name) to
// a target. Names compare without regard to letter case; a name of a numbered family
// ("key_17", "orvum_DPI_edit_2") matches its prefix and carries the number as its index.
//
// Some targets are panels that the program does not contain yet (key setting, macro editor,
// recoil, headset, profile list, settings window, skin frame, the mouse page). Their rows
// are in the table so that each notification has exactly one owner; the main window consumes
// them without effect until the panel exists.

#include <optional>
#include <string>
#include <string_view>

#include "dui/attributes.h"

namespace calvorn::shell {

enum class NotifyRoute {
    kNone,  // no handling beyond the trace lines
    kWindowInit,
    kWindowSize,          // "windowsize" on "root": refit after a display change
    kLighting,            // the lighting panel's rows
    kCloseButton,         // hide the window
    kHideWindow,          // "nodevice_ok_btn"
    kLightControlToggle,  // "control_light_status"
    kMinimize,            // "minbtn"
    kMaximize,            // "maxbtn"
    kRestore,             // "restorebtn"
    kKeyPicked,           // "key_" N on the device picture
    kRestoreDefaults,     // "default_btn"
    kFunctionTab,         // the page's tab options; index 1..8
    kOrvumDpiSlider,      // "orvum_DPI_slider_" N while dragging
    kOrvumDpiEdit,        // "orvum_DPI_edit_" N losing the focus
    kInputHook,           // install (setfocus) or remove (killfocus) the global input hook
    kKeySettingPanel,     // not built yet
    kKeyboardOptions,     // keyboard page options: not built yet
    kMousePage,           // mouse page operations: no mouse page in this program
    kMacroEditor,         // not built yet
    kMacroRecorder,       // not built yet
    kRecoilPanel,         // not built yet
    kHeadsetPanel,        // not built yet
    kProfileList,         // not built yet
    kSettingsWindow,      // not built yet
    kSkinFrame,           // not built yet
    kSystemControlPanel,  // "windowdeviceset_" N: the system's keyboard or mouse settings
    kDeviceListPaging,    // "device_select_prev"/"next": the list scrolls instead
};

// Indexed control names ("key_17") are split as everywhere in the UI layer.
using dui::IndexedName;
using dui::SplitIndexedName;

struct NotifyTarget {
    NotifyRoute route = NotifyRoute::kNone;
    int index = -1;  // the number of an indexed name, or the tab number of kFunctionTab
};

NotifyTarget RouteNotification(std::string_view type, std::string_view control_name);

}  // namespace calvorn::shell
