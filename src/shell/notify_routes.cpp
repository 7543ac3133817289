#include "shell/notify_routes.h"

#include <charconv>

namespace calvorn::shell {
namespace {

enum class Match {
    kExact,
    kIndexed,  // the row's name is the prefix of a numbered family
    kAnyName,
};

struct Row {
    std::string_view type;
    std::string_view name;
    Match match;
    NotifyRoute route;
    int index = -1;  // for kExact rows that carry a fixed number (the tabs)
};

using R = NotifyRoute;

constexpr Row kRows[] = {
    {"windowinit", "", Match::kAnyName, R::kWindowInit},
    {"windowsize", "root", Match::kExact, R::kWindowSize},
    {"colorchanged", "deng_Color_Pallet", Match::kExact, R::kLighting},
    {"setfocus", "keyset_keyboard_text_edit", Match::kExact, R::kInputHook},
    {"itemactivate", "macro_action", Match::kExact, R::kMacroEditor},

    // Clicks.
    {"click", "closebtn", Match::kExact, R::kCloseButton},
    {"click", "nodevice_ok_btn", Match::kExact, R::kHideWindow},
    {"click", "control_light_status", Match::kExact, R::kLightControlToggle},
    {"click", "minbtn", Match::kExact, R::kMinimize},
    {"click", "maxbtn", Match::kExact, R::kMaximize},
    {"click", "restorebtn", Match::kExact, R::kRestore},
    {"click", "skinbtn", Match::kExact, R::kSkinFrame},
    {"click", "setbtn", Match::kExact, R::kSettingsWindow},
    {"click", "key_", Match::kIndexed, R::kKeyPicked},
    {"click", "color_option_", Match::kIndexed, R::kLighting},
    {"click", "windowdeviceset_", Match::kIndexed, R::kSystemControlPanel},
    {"click", "default_btn", Match::kExact, R::kRestoreDefaults},
    {"click", "reset_repeat_btn", Match::kExact, R::kKeyboardOptions},
    {"click", "device_add_btn", Match::kExact, R::kProfileList},
    {"click", "device_sub_btn", Match::kExact, R::kProfileList},
    {"click", "device_copy_btn", Match::kExact, R::kProfileList},
    {"click", "device_export_btn", Match::kExact, R::kProfileList},
    {"click", "device_import_btn", Match::kExact, R::kProfileList},
    {"click", "device_reset_btn", Match::kExact, R::kProfileList},
    {"click", "device_profile_edit_save_btn", Match::kExact, R::kProfileList},
    {"click", "profile_fun_spread_btn", Match::kExact, R::kProfileList},
    {"click", "key_butt_keysave", Match::kExact, R::kKeySettingPanel},
    {"click", "key_butt_keydefalut", Match::kExact, R::kKeySettingPanel},
    {"click", "key_butt_keycancel", Match::kExact, R::kKeySettingPanel},
    {"click", "key_butt_prosave", Match::kExact, R::kKeySettingPanel},
    {"click", "macro_btn_starredio", Match::kExact, R::kMacroRecorder},
    {"click", "macro_btn_stopredio", Match::kExact, R::kMacroRecorder},
    {"click", "macro_btn_name_add", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_name_sub", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_name_edit", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_save", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_cancel", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_up", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_down", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_uptop", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_downbottom", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_delete", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_deleteall", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_import", Match::kExact, R::kMacroEditor},
    {"click", "macro_btn_export", Match::kExact, R::kMacroEditor},
    {"click", "macro_inset_moveleftkey_btn", Match::kExact, R::kMacroEditor},
    {"click", "macro_inset_moverightkey_btn", Match::kExact, R::kMacroEditor},
    {"click", "macro_inset_moveupkey_btn", Match::kExact, R::kMacroEditor},
    {"click", "macro_inset_movedownkey_btn", Match::kExact, R::kMacroEditor},
    {"click", "shootdate_save_btn", Match::kExact, R::kRecoilPanel},
    {"click", "shootdate_reset_btn", Match::kExact, R::kRecoilPanel},
    {"click", "shootdate_import_btn", Match::kExact, R::kRecoilPanel},
    {"click", "shootdate_export_btn", Match::kExact, R::kRecoilPanel},
    {"click", "bullet_selected_prev", Match::kExact, R::kRecoilPanel},
    {"click", "bullet_selected_next", Match::kExact, R::kRecoilPanel},
    {"click", "custom_bright_color_btn", Match::kExact, R::kLighting},
    {"click", "custom_off_color_btn", Match::kExact, R::kLighting},
    {"click", "deng_same_mode", Match::kExact, R::kLighting},
    {"click", "hs_EQ_btn_save", Match::kExact, R::kHeadsetPanel},
    {"click", "hs_EQ_btn_delete", Match::kExact, R::kHeadsetPanel},
    {"click", "device_select_prev", Match::kExact, R::kDeviceListPaging},
    {"click", "device_select_next", Match::kExact, R::kDeviceListPaging},

    // Selections. "device_select" switches the page through the entry's own tab binding
    // and "synchro_device_select" has no effect, so neither has a row.
    {"selectchanged", "DPI_enable_check_", Match::kIndexed, R::kMousePage},
    {"selectchanged", "polling_rate_option_", Match::kIndexed, R::kMousePage},
    {"selectchanged", "mouse_device_seting_option_", Match::kIndexed, R::kMousePage},
    {"selectchanged", "pointer_precision_check", Match::kExact, R::kMousePage},
    {"selectchanged", "scrolls_page_check", Match::kExact, R::kMousePage},
    {"selectchanged", "repeat_delay_check_", Match::kIndexed, R::kKeyboardOptions},
    {"selectchanged", "winlockflag_option", Match::kExact, R::kKeyboardOptions},
    {"selectchanged", "wflag_option", Match::kExact, R::kKeyboardOptions},
    {"selectchanged", "6flag_option", Match::kExact, R::kKeyboardOptions},
    {"selectchanged", "shoot_gun_op_", Match::kIndexed, R::kRecoilPanel},
    {"selectchanged", "bullet_op_", Match::kIndexed, R::kRecoilPanel},
    {"selectchanged", "bullet_x_check", Match::kExact, R::kRecoilPanel},
    {"selectchanged", "bullet_y_check", Match::kExact, R::kRecoilPanel},
    {"selectchanged", "magic_option_", Match::kIndexed, R::kHeadsetPanel},
    {"selectchanged", "7290_eq_option_", Match::kIndexed, R::kHeadsetPanel},
    {"selectchanged", "magic_enable_option", Match::kExact, R::kHeadsetPanel},
    {"selectchanged", "7290_MicIn_option", Match::kExact, R::kHeadsetPanel},
    {"selectchanged", "7290_MicMoniter_option", Match::kExact, R::kHeadsetPanel},
    {"selectchanged", "key_ComBox_check_", Match::kIndexed, R::kKeySettingPanel},
    {"selectchanged", "deng_Op_tab", Match::kExact, R::kFunctionTab, 1},
    {"selectchanged", "key_Op_tab", Match::kExact, R::kFunctionTab, 2},
    {"selectchanged", "macro_Op_tab", Match::kExact, R::kFunctionTab, 3},
    {"selectchanged", "system_Op_tab", Match::kExact, R::kFunctionTab, 4},
    {"selectchanged", "cursor_Op_tab", Match::kExact, R::kFunctionTab, 5},
    {"selectchanged", "7290_voice_Op_tab", Match::kExact, R::kFunctionTab, 6},
    {"selectchanged", "magic_Op_tab", Match::kExact, R::kFunctionTab, 7},
    {"selectchanged", "Virtual7.1_Op_tab", Match::kExact, R::kFunctionTab, 8},
    {"selectchanged", "deng_FXL_check", Match::kExact, R::kLighting},
    {"selectchanged", "deng_FXR_check", Match::kExact, R::kLighting},
    {"selectchanged", "deng_7color_check", Match::kExact, R::kLighting},

    // Sliders: final values, then values while dragging.
    {"valuechanged", "DPI_slider_", Match::kIndexed, R::kMousePage},
    {"valuechanged", "7290_eq_hz_slider_", Match::kIndexed, R::kHeadsetPanel},
    {"valuechanged", "pointer_speed_slider", Match::kExact, R::kMousePage},
    {"valuechanged", "scroll_speed_slider", Match::kExact, R::kMousePage},
    {"valuechanged", "double_click_slider", Match::kExact, R::kMousePage},
    {"valuechanged", "repeat_rate_slider", Match::kExact, R::kKeyboardOptions},
    {"valuechanged", "deng_light_slider", Match::kExact, R::kLighting},
    {"valuechanged", "deng_speed_slider", Match::kExact, R::kLighting},
    {"valuechanged", "7290_MicIn_slider", Match::kExact, R::kHeadsetPanel},
    {"valuechanged", "7290_MicMoniter_slider", Match::kExact, R::kHeadsetPanel},
    {"movevaluechanged", "DPI_slider_", Match::kIndexed, R::kMousePage},
    {"movevaluechanged", "orvum_DPI_slider_", Match::kIndexed, R::kOrvumDpiSlider},

    // Combo boxes.
    {"itemselect", "device_profile_combo", Match::kExact, R::kProfileList},
    {"itemselect", "light_combo_modeSelect", Match::kExact, R::kLighting},
    {"itemselect", "light_combo_custommodeSelect", Match::kExact, R::kLighting},
    {"itemselect", "light_combo_ZZCCmodeSelect", Match::kExact, R::kLighting},
    {"itemselect", "keyset_function_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_macro_over_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_mousekey_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_mouseswing_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_mousewheel_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_mousedpi_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_media_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_system_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_macro_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_gunkey_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "keyset_combokey_combo", Match::kExact, R::kKeySettingPanel},
    {"itemselect", "macro_name_list", Match::kExact, R::kMacroEditor},
    {"itemselect", "custom_eq_name_combo", Match::kExact, R::kHeadsetPanel},

    // Edits losing the focus.
    {"killfocus", "DPI_edit_", Match::kIndexed, R::kMousePage},
    {"killfocus", "orvum_DPI_edit_", Match::kIndexed, R::kOrvumDpiEdit},
    {"killfocus", "deng_edit_R", Match::kExact, R::kLighting},
    {"killfocus", "deng_edit_G", Match::kExact, R::kLighting},
    {"killfocus", "deng_edit_B", Match::kExact, R::kLighting},
    {"killfocus", "keyset_keyboard_text_edit", Match::kExact, R::kInputHook},
    {"killfocus", "bullet_x_eidt", Match::kExact, R::kRecoilPanel},
    {"killfocus", "bullet_y_eidt", Match::kExact, R::kRecoilPanel},
    {"killfocus", "bullet_delay_eidt", Match::kExact, R::kRecoilPanel},
    {"killfocus", "macro_delay", Match::kExact, R::kMacroEditor},
    {"killfocus", "keyset_mouseswing_num_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mouseswing_delay_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mouseswing_speed_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mousewheel_num_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mousewheel_delay_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mousewheel_speed_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mousefire_interval_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_mousefire_num_edit", Match::kExact, R::kKeySettingPanel},
    {"killfocus", "keyset_macro_cycle_edit", Match::kExact, R::kKeySettingPanel},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

NotifyTarget RouteNotification(std::string_view type, std::string_view control_name) {
    const std::optional<IndexedName> indexed = SplitIndexedName(control_name);
    for (const Row& row : kRows) {
        if (row.type != type) {
            continue;
        }
        switch (row.match) {
            case Match::kAnyName:
                return {row.route, -1};
            case Match::kExact:
                if (EqualNoCase(row.name, control_name)) {
                    return {row.route, row.index};
                }
                break;
            case Match::kIndexed:
                if (indexed && EqualNoCase(row.name, indexed->prefix)) {
                    return {row.route, indexed->index};
                }
                break;
        }
    }
    return {};
}

}  // namespace calvorn::shell
