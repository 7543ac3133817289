#include <gtest/gtest.h>

#include "dui/tab_layout.h"
#include "dui_fixture.h"

namespace calvorn::dui::testing {
namespace {

constexpr std::string_view kNestedLayout = R"(
<Window size="400,300">
  <VerticalLayout name="root" inset="10,10,10,10" childpadding="5">
    <HorizontalLayout name="top" height="40" childpadding="4">
      <Button name="a" width="100"/>
      <Button name="b"/>
      <Button name="c" width="60" padding="2,3,4,5"/>
    </HorizontalLayout>
    <TabLayout name="tabs" selectedid="1" inset="2,2,2,2">
      <Label name="page0"/>
      <VerticalLayout name="page1">
        <Label name="p1a" height="20"/>
        <Label name="p1b"/>
        <Label name="p1c" height="30"/>
      </VerticalLayout>
    </TabLayout>
    <Control name="float" float="true" pos="300,5,340,25"/>
    <Label name="bottom" height="25"/>
  </VerticalLayout>
</Window>)";

class LayoutTest : public DuiTest {};

TEST_F(LayoutTest, NestedLayoutAtDpi96And144) {
    struct Row {
        const char* name;
        Rect at96;
        Rect at144;
    };
    // At 144 DPI every 96-DPI length is 1.5 times as long, rounded half away from zero.
    const Row rows[] = {
        {"root", {0, 0, 400, 300}, {0, 0, 600, 450}},
        {"top", {10, 10, 390, 50}, {15, 15, 585, 75}},
        {"a", {10, 10, 110, 50}, {15, 15, 165, 75}},
        {"b", {114, 10, 320, 50}, {171, 15, 480, 75}},
        {"c", {326, 13, 386, 45}, {489, 20, 579, 67}},
        {"tabs", {10, 55, 390, 260}, {15, 83, 585, 389}},
        {"page1", {12, 57, 388, 258}, {18, 86, 582, 386}},
        {"p1a", {12, 57, 388, 77}, {18, 86, 582, 116}},
        {"p1b", {12, 77, 388, 228}, {18, 116, 582, 341}},
        {"p1c", {12, 228, 388, 258}, {18, 341, 582, 386}},
        {"float", {300, 5, 340, 25}, {450, 8, 510, 38}},
        {"bottom", {10, 265, 390, 290}, {15, 397, 585, 435}},
    };
    Load(kNestedLayout, {400, 300});
    EXPECT_EQ(manager.GetInitSize(), (Size{400, 300}));
    for (const Row& row : rows) {
        ASSERT_NE(Find(row.name), nullptr) << row.name;
        EXPECT_EQ(Find(row.name)->GetPos(), row.at96) << row.name << " at 96 DPI";
    }
    EXPECT_FALSE(Find("page0")->IsVisible());

    ASSERT_TRUE(manager.SetDpi(144));
    EXPECT_EQ(manager.GetWindowSize(), (Size{600, 450}));
    ASSERT_TRUE(host.resized_to.has_value());
    EXPECT_EQ(*host.resized_to, (Size{600, 450}));
    manager.UpdateLayout();
    for (const Row& row : rows) {
        EXPECT_EQ(Find(row.name)->GetPos(), row.at144) << row.name << " at 144 DPI";
    }
}

TEST_F(LayoutTest, InvalidDpiIsRefused) {
    Load(kNestedLayout);
    EXPECT_FALSE(manager.SetDpi(100));
    EXPECT_EQ(manager.GetDpi(), 96);
}

TEST_F(LayoutTest, VisibilityAndTabChangesRelayoutLazily) {
    Load(kNestedLayout);
    Find("top")->SetVisible(false);
    EXPECT_TRUE(manager.IsUpdateNeeded());
    EXPECT_EQ(Find("tabs")->GetPos(), (Rect{10, 55, 390, 260})) << "layout waits for the next pass";
    manager.UpdateLayout();
    EXPECT_EQ(Find("tabs")->GetPos(), (Rect{10, 10, 390, 260}));
    EXPECT_FALSE(Find("a")->IsVisible()) << "children of a hidden container are hidden";

    auto* tabs = Find<TabLayout>("tabs");
    ASSERT_TRUE(tabs->SelectItem(0));
    manager.UpdateLayout();
    EXPECT_TRUE(Find("page0")->IsVisible());
    EXPECT_FALSE(Find("p1a")->IsVisible());
    EXPECT_EQ(Find("page0")->GetPos(), (Rect{12, 12, 388, 258}));
    EXPECT_FALSE(tabs->SelectItem(2));
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

TEST_F(LayoutTest, MinAndMaxSizesClampStretchChildren) {
    Load(R"(
<HorizontalLayout name="row">
  <Control name="narrow" maxwidth="50"/>
  <Control name="wide" minwidth="300"/>
</HorizontalLayout>)",
         {200, 20});
    EXPECT_EQ(Find("narrow")->GetPos(), (Rect{0, 0, 50, 20}));
    EXPECT_EQ(Find("wide")->GetPos(), (Rect{50, 0, 350, 20}));
}

TEST_F(LayoutTest, TileLayoutFillsRowsOfColumns) {
    Load(R"(
<TileLayout name="grid" columns="3" childpadding="10">
  <Control name="t0" height="20"/><Control name="t1" height="20"/><Control name="t2" height="20"/>
  <Control name="t3" height="20"/><Control name="t4" height="20"/>
</TileLayout>)",
         {320, 200});
    EXPECT_EQ(Find("t0")->GetPos(), (Rect{0, 0, 100, 20}));
    EXPECT_EQ(Find("t2")->GetPos(), (Rect{220, 0, 320, 20}));
    EXPECT_EQ(Find("t4")->GetPos(), (Rect{110, 30, 210, 50}));
}

TEST_F(LayoutTest, ScrollingListMovesRowsAndEnsuresVisibility) {
    Load(R"(
<VerticalLayout name="box" vscrollbar="true">
  <Control name="r0" height="40"/><Control name="r1" height="40"/><Control name="r2" height="40"/>
  <Control name="r3" height="40"/><Control name="r4" height="40"/>
</VerticalLayout>)",
         {100, 100});
    auto* box = Find<Container>("box");
    EXPECT_EQ(box->GetScrollRange().cy, 100);
    EXPECT_EQ(Find("r0")->GetPos().right, 92) << "the scroll bar takes its width";
    box->EnsureVisible(Find("r4"));
    EXPECT_EQ(box->GetScrollPos().cy, 100);
    EXPECT_EQ(Find("r4")->GetPos(), (Rect{0, 60, 92, 100}));
    manager.OnWheel({10, 10}, 120);
    EXPECT_EQ(box->GetScrollPos().cy, 92);
    box->SetScrollPos({0, 1000});
    EXPECT_EQ(box->GetScrollPos().cy, 100) << "clamped to the range";
}

}  // namespace
}  // namespace calvorn::dui::testing
