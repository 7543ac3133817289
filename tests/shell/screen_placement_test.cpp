#include "shell/screen_placement.h"

#include <gtest/gtest.h>

#include "dui/menu.h"
#include "shell/count_format.h"

namespace calvorn::shell {
namespace {

TEST(ScreenPlacementTest, TrayMenuStaysInsideTheAvailableArea) {
    using dui::kMenuAlignBottom;
    using dui::kMenuAlignLeft;
    using dui::kMenuAlignRight;
    using dui::kMenuAlignTop;
    const dui::Rect area{0, 30, 1920, 1080};  // a panel along the top
    struct Case {
        dui::Point cursor;
        dui::Point point;
        unsigned align;
    };
    const Case cases[] = {
        {{1900, 10}, {1900, 30}, kMenuAlignRight | kMenuAlignTop},  // tray on a top panel
        {{1900, 1070}, {1900, 1070}, kMenuAlignRight | kMenuAlignBottom},
        {{10, 1079}, {10, 1079}, kMenuAlignLeft | kMenuAlignBottom},
        {{5, 40}, {5, 40}, kMenuAlignLeft | kMenuAlignTop},
        {{2500, 2000}, {1919, 1079}, kMenuAlignRight | kMenuAlignBottom},
    };
    for (const Case& c : cases) {
        const MenuPlacement placement = TrayMenuPlacement(c.cursor, area);
        EXPECT_EQ(placement.point, c.point) << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(placement.align, c.align) << c.cursor.x << "," << c.cursor.y;
    }
    // Without a known screen the menu opens at the cursor.
    const MenuPlacement unknown = TrayMenuPlacement({7, 9}, {});
    EXPECT_EQ(unknown.point, (dui::Point{7, 9}));
    EXPECT_EQ(unknown.align, kMenuAlignLeft | kMenuAlignTop);
}

TEST(ScreenPlacementTest, CountFormatReadsNoArgumentItWasNotGiven) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"%d over", "12 over"},
        {"over by %d, %d", "over by 12, %d"},
        {"%s %n %d", "%s %n 12"},
        {"no number", "no number"},
        {"", ""},
        {"100%", "100%"},
    };
    for (const auto& [format, text] : cases) {
        EXPECT_EQ(FormatCount(format, 12), text) << format;
    }
}

}  // namespace
}  // namespace calvorn::shell
