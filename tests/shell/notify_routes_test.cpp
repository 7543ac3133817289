#include "shell/notify_routes.h"

#include <gtest/gtest.h>

namespace calvorn::shell {
namespace {

TEST(NotifyRoutesTest, IndexedNamesSplitAtTheLastUnderscore) {
    struct Case {
        std::string_view name;
        std::optional<std::string> prefix;
        int index;
    };
    const Case cases[] = {
        {"key_17", "key_", 17},
        {"orvum_DPI_edit_2", "orvum_DPI_edit_", 2},
        {"color_option_0", "color_option_", 0},
        {"closebtn", std::nullopt, 0},
        {"key_", std::nullopt, 0},
        {"deng_Op_tab", std::nullopt, 0},
        {"key_-3", std::nullopt, 0},
        {"key_+3", std::nullopt, 0},
        {"key_3a", std::nullopt, 0},
        {"key_99999999999", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const std::optional<IndexedName> split = SplitIndexedName(c.name);
        ASSERT_EQ(split.has_value(), c.prefix.has_value()) << c.name;
        if (split) {
            EXPECT_EQ(split->prefix, *c.prefix) << c.name;
            EXPECT_EQ(split->index, c.index) << c.name;
        }
    }
}

TEST(NotifyRoutesTest, RoutesByTypeAndNameWithoutRegardToCase) {
    using R = NotifyRoute;
    struct Case {
        std::string_view type;
        std::string_view name;
        NotifyRoute route;
        int index;
    };
    const Case cases[] = {
        {"windowinit", "anything", R::kWindowInit, -1},
        {"windowsize", "root", R::kWindowSize, -1},
        {"windowsize", "body", R::kNone, -1},
        {"click", "closebtn", R::kCloseButton, -1},
        {"click", "CLOSEBTN", R::kCloseButton, -1},
        {"selectchanged", "closebtn", R::kNone, -1},
        {"click", "Key_17", R::kKeyPicked, 17},
        {"click", "key_butt_keysave", R::kKeySettingPanel, -1},
        {"click", "key_x", R::kNone, -1},
        {"selectchanged", "key_Op_tab", R::kFunctionTab, 2},
        {"selectchanged", "virtual7.1_op_tab", R::kFunctionTab, 8},
        {"selectchanged", "device_select", R::kNone, -1},
        {"click", "color_option_4", R::kLighting, 4},
        {"colorchanged", "deng_Color_Pallet", R::kLighting, -1},
        {"itemselect", "light_combo_ZZCCmodeSelect", R::kLighting, -1},
        {"valuechanged", "deng_speed_slider", R::kLighting, -1},
        {"movevaluechanged", "deng_speed_slider", R::kNone, -1},
        {"killfocus", "deng_edit_G", R::kLighting, -1},
        {"click", "deng_same_mode", R::kLighting, -1},
        {"click", "custom_off_color_btn", R::kLighting, -1},
        {"valuechanged", "DPI_slider_2", R::kMousePage, 2},
        {"movevaluechanged", "orvum_DPI_slider_3", R::kOrvumDpiSlider, 3},
        {"killfocus", "orvum_DPI_edit_3", R::kOrvumDpiEdit, 3},
        {"killfocus", "orvum_DPI_edit_", R::kNone, -1},
        {"setfocus", "keyset_keyboard_text_edit", R::kInputHook, -1},
        {"killfocus", "keyset_keyboard_text_edit", R::kInputHook, -1},
        {"itemselect", "device_profile_combo", R::kProfileList, -1},
        {"click", "windowdeviceset_1", R::kSystemControlPanel, 1},
        {"click_wpremove", "anything", R::kNone, -1},
        {"timer", "closebtn", R::kNone, -1},
    };
    for (const Case& c : cases) {
        const NotifyTarget target = RouteNotification(c.type, c.name);
        EXPECT_EQ(target.route, c.route) << c.type << " " << c.name;
        EXPECT_EQ(target.index, c.index) << c.type << " " << c.name;
    }
}

}  // namespace
}  // namespace calvorn::shell
