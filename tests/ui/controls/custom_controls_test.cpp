#include "ui/controls/custom_controls.h"

#include <gtest/gtest.h>

#include "dui/dui_fixture.h"
#include "dui/list.h"
#include "dui/recording_render_engine.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/select_panel.h"

namespace calvorn::ui {
namespace {

using dui::Point;
using dui::RecordingRenderEngine;
using dui::Rect;

class CustomControlsTest : public dui::testing::DuiTest {
protected:
    CustomControlsTest() { RegisterCustomControls(context.Factory()); }

    std::vector<std::string> PaintCalls(const dui::Control* control) {
        RecordingRenderEngine engine;
        manager.Paint(engine, control->GetPos());
        return engine.Calls();
    }
    std::string Resolved(std::string_view image) const {
        return context.Resources().ResolveImage(image);
    }
};

TEST_F(CustomControlsTest, LayoutNamesFindTheRegisteredClasses) {
    Load(R"(
<VerticalLayout>
  <SelectPanel name="panel"><DeviceKeyButton name="key_0"/></SelectPanel>
  <HandImgButton name="hand"/><HandImgSelectButton name="pan"/><RedioMacroButton name="rec"/>
  <CircleProgress name="ring"/>
  <List name="list"><ComboEditContainerElement name="row"/><CloudShareListItemUI name="share"/></List>
</VerticalLayout>)");
    EXPECT_NE(Find<CSelectPanelUI>("panel"), nullptr);
    EXPECT_NE(Find<CDeviceKeyButtonUI>("key_0"), nullptr);
    EXPECT_NE(Find<CHandImgButtonUI>("hand"), nullptr);
    EXPECT_NE(Find<CHandImgSelectButtonUI>("pan"), nullptr);
    EXPECT_NE(Find<CRedioMacroButtonUI>("rec"), nullptr);
    EXPECT_NE(Find<CCircleProgressUI>("ring"), nullptr);
    EXPECT_NE(Find<CComboEditContainerElementUI>("row"), nullptr);
    EXPECT_NE(Find<CCloudShareListItemUI>("share"), nullptr);

    EXPECT_EQ(CreateCustomControl("selectpanel")->GetClass(), "SelectPanel");
    EXPECT_EQ(CreateCustomControl("TalvexKeyboardDevice"), nullptr);
}

constexpr std::string_view kKeyPicture = R"(
<SelectPanel name="device_key_light">
  <DeviceKeyButton name="key_0" float="true" pos="10,10,40,40"/>
  <DeviceKeyButton name="key_1" float="true" pos="50,10,80,40"/>
  <DeviceKeyButton name="key_2" float="true" pos="10,50,40,80"/>
  <DeviceKeyButton name="key_3" float="true" pos="100,100,130,130"/>
  <Button name="not_a_key" float="true" pos="60,45,90,75"/>
</SelectPanel>)";

TEST_F(CustomControlsTest, RubberBandSelectsExactlyTheKeysItTouchesAfterADrag) {
    Load(kKeyPicture, {300, 200});
    auto marks = [&] {
        std::string result;
        for (const char* name : {"key_0", "key_1", "key_2", "key_3"}) {
            result += std::to_string(Find<CDeviceKeyButtonUI>(name)->GetRubberBandSelected());
        }
        return result;
    };
    auto drag = [&](Point from, Point to) {
        manager.OnMouseMove(from);
        manager.OnButtonDown(from);
        manager.OnMouseMove({(from.x + to.x) / 2, (from.y + to.y) / 2});
        manager.OnMouseMove(to);
        manager.OnButtonUp(to);
    };

    drag({5, 5}, {55, 45});  // touches key_1 only in its left edge
    EXPECT_EQ(marks(), "1100");
    EXPECT_EQ(Find<CSelectPanelUI>("device_key_light")->GetSelectionRect(), (Rect{5, 5, 55, 45}));
    EXPECT_EQ(log.Count("click_select_end", "device_key_light"), 1);

    manager.OnButtonDown({200, 150});
    manager.OnButtonUp({200, 150});
    EXPECT_EQ(log.Count("click_select_end"), 1) << "a click without a drag ends no selection";
    EXPECT_EQ(marks(), "1100");

    drag({135, 135}, {35, 75});  // dragged up and left
    EXPECT_EQ(marks(), "0011");
    EXPECT_EQ(log.Count("click_select_end"), 2);

    drag({5, 90}, {150, 90});  // a flat line between the rows touches nothing
    EXPECT_EQ(marks(), "0000");
}

TEST_F(CustomControlsTest, KeyButtonDrawsTintedLightThenKeySetMarkAndSendsDbclick) {
    Load(R"(
<HorizontalLayout>
  <DeviceKeyButton name="key_5" width="40" normalimage="kb/key.png" lightimage="kb/light.png"
                   keysetimage="kb/set.png" gmnametextcolor="#FF00FF"/>
</HorizontalLayout>)");
    auto* key = Find<CDeviceKeyButtonUI>("key_5");
    EXPECT_EQ(PaintCalls(key).size(), 1u) << "only the button image: light and mark are off";

    // Red 0x11, green 0x22, blue 0x33 packed as R + B × 256 + G × 65536.
    key->SetLightColor(0x11 + 0x33 * 256 + 0x22 * 65536, 128, true);
    key->SetKeySetHidden(false);
    const std::vector<std::string> calls = PaintCalls(key);
    const std::string dest = " dest=0,0,40,300";
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "image " + Resolved("kb/key.png") + dest + " fade=255");
    EXPECT_EQ(calls[1], "image " + Resolved("kb/light.png") + dest + " fade=128 tint=#FF112233");
    EXPECT_EQ(calls[2], "image " + Resolved("kb/set.png") + dest + " fade=255");

    manager.OnDoubleClick({20, 20});
    EXPECT_EQ(log.Count("dbclick", "key_5"), 1);
    EXPECT_TRUE(key->IsPushed());
    manager.OnButtonUp({20, 20});
    key->SetEnabled(false);
    manager.OnDoubleClick({20, 20});
    EXPECT_EQ(log.Count("dbclick"), 1);
}

constexpr std::string_view kLayeredKeys = R"(
<SelectPanel name="keys" layered="true" bkcolor="#FF111318">
  <DeviceKeyButton name="key_0" float="true" pos="10,10,40,40" text="A" font="1"
                   bkcolor="#FF232832" borderround="4,4" textcolor="#FF15181E"/>
  <DeviceKeyButton name="key_1" float="true" pos="50,10,80,40" text="B" font="1"
                   bkcolor="#FF232832" borderround="4,4" textcolor="#FF15181E"/>
</SelectPanel>)";

TEST_F(CustomControlsTest, LayeredKeyPictureKeepsItsPictureWhileOnlyCapColoursChange) {
    Load(kLayeredKeys, {300, 200});
    auto* key_0 = Find<CDeviceKeyButtonUI>("key_0");
    auto* key_1 = Find<CDeviceKeyButtonUI>("key_1");
    // Red 0x10 and blue 0x20 (R + B × 256) at full brightness.
    key_0->SetLightColor(0x10 + 0x20 * 256, 255, true);
    key_1->SetLightColor(0x10 + 0x20 * 256, 255, true);
    RecordingRenderEngine engine;
    engine.SetKeepsLayers(true);
    auto paint = [&] {
        engine.Clear();
        manager.Paint(engine, {0, 0, 300, 200});
        EXPECT_EQ(engine.ClipDepth(), 0);
        return engine.Calls();
    };

    // First paint: the live caps, then the picture with a hole where each cap shows.
    std::vector<std::string> calls = paint();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "fill 11,11,39,39 #FF100020");
    EXPECT_EQ(calls[1], "fill 51,11,79,39 #FF100020");
    EXPECT_EQ(calls[2], "layer begin 0,0,300,200");
    EXPECT_TRUE(engine.Contains("fillround 10,10,40,40 r=4,4 #FF232832"));
    EXPECT_TRUE(engine.Contains("erase 11,11,39,39 r=4,4"));
    EXPECT_TRUE(engine.Contains("erase 51,11,79,39 r=4,4"));
    EXPECT_EQ(engine.CallsStartingWith("fillround 11,11").size(), 0u) << "no cap in the picture";
    EXPECT_EQ(calls.back(), "layer end");

    // A new colour repaints the cap only and keeps the picture.
    host.invalidated.clear();
    key_0->SetLightColor(0xFF, 128, true);
    EXPECT_EQ(host.invalidated, (std::vector<Rect>{{10, 10, 40, 40}}));
    const std::vector<std::string> live{"fill 11,11,39,39 #FF800000", "fill 51,11,79,39 #FF100020",
                                        "layer kept 0,0,300,200"};
    EXPECT_EQ(paint(), live);
    host.invalidated.clear();
    key_0->SetLightColor(0xFF, 128, true);
    EXPECT_TRUE(host.invalidated.empty()) << "the same colour again repaints nothing";

    // Anything else a key shows is in the picture: a new text, hovering, hiding the light.
    key_1->SetText("C");
    EXPECT_EQ(paint()[2], "layer begin 0,0,300,200");
    EXPECT_TRUE(engine.Contains("text 50,10,80,40 \"C\" font=/12 #FF15181E fmt=0x25"));
    EXPECT_EQ(paint()[2], "layer kept 0,0,300,200");
    manager.OnMouseMove({20, 20});
    EXPECT_EQ(paint()[2], "layer begin 0,0,300,200");
    key_0->SetLightColor(0xFF, 128, false);
    calls = paint();
    EXPECT_EQ(calls[0], "fill 51,11,79,39 #FF100020");
    EXPECT_EQ(calls[1], "layer begin 0,0,300,200");
    EXPECT_FALSE(engine.Contains("erase 11,11,39,39 r=4,4"));

    // An engine without layers paints the caps in place, rounded.
    RecordingRenderEngine plain;
    manager.Paint(plain, {0, 0, 300, 200});
    EXPECT_TRUE(plain.Contains("fillround 51,11,79,39 r=4,4 #FF100020"));
    EXPECT_TRUE(plain.CallsStartingWith("layer").empty());
    EXPECT_TRUE(plain.CallsStartingWith("erase").empty());
}

TEST_F(CustomControlsTest, AnOpaqueLayeredPictureHidesWhatLiesBeneathIt) {
    struct Case {
        std::string_view panel;  // attributes of the key panel
        bool window_fill;        // whether the window's background is painted under it
    };
    const Case cases[] = {
        {R"(layered="true" bkcolor="#FF111318")", false},
        {R"(layered="true" bkcolor="#80111318")", true},  // see-through background
        {R"(layered="true" bkcolor="#FF111318" borderround="6,6")", true},  // open corners
        {R"(bkcolor="#FF111318")", true},                                   // not a layer
    };
    for (const Case& c : cases) {
        Load(R"(<VerticalLayout bkcolor="#FF000000" inset="5,5,5,5"><SelectPanel name="keys" )" +
                 std::string(c.panel) +
                 R"(><DeviceKeyButton name="key_0" float="true" pos="10,10,40,40"/></SelectPanel>
                 </VerticalLayout>)",
             {300, 200});
        Find<CDeviceKeyButtonUI>("key_0")->SetLightColor(0xFF, 255, true);
        RecordingRenderEngine engine;
        engine.SetKeepsLayers(true);
        manager.Paint(engine, {15, 15, 45, 45});
        EXPECT_EQ(engine.Contains("fill 0,0,300,200 #FF000000"), c.window_fill) << c.panel;
        // Where the panel does not reach, the window is painted whatever the panel is.
        engine.Clear();
        manager.Paint(engine, {0, 0, 300, 200});
        EXPECT_TRUE(engine.Contains("fill 0,0,300,200 #FF000000")) << c.panel;
    }
}

TEST_F(CustomControlsTest, HandImageBadgeClickReplacesTheClickOnlyWhileShown) {
    Load(R"(
<HorizontalLayout>
  <HandImgButton name="hand_1" width="100" height="80" handimage="hand.png"
                 deletenormalimage="del.png" deletehotimage="del_hot.png"/>
</HorizontalLayout>)");
    auto* hand = Find<CHandImgButtonUI>("hand_1");
    EXPECT_EQ(hand->GetBadgeRect(), (Rect{70, 51, 90, 71}));
    const Point badge{75, 55};

    Click(hand);
    EXPECT_EQ(log.Count("msenter", "hand_1"), 1);
    ClickAt(manager, badge);
    EXPECT_EQ(log.Count("click", "hand_1"), 2) << "with the badge hidden the badge area is button";
    EXPECT_EQ(log.Count("click_handdelete"), 0);

    hand->SetBadgeHidden(false);
    log.Clear();
    ClickAt(manager, badge);
    EXPECT_EQ(log.Count("click_handdelete", "hand_1"), 1);
    EXPECT_EQ(log.Count("click"), 0);
    Click(hand);
    EXPECT_EQ(log.Count("click", "hand_1"), 1);

    manager.OnMouseMove(badge);
    EXPECT_EQ(hand->GetCurrentDeleteImage(), "del_hot.png");
    const std::vector<std::string> calls = PaintCalls(hand);
    EXPECT_EQ(calls.back(), "image " + Resolved("del_hot.png") + " dest=70,51,90,71 fade=255");
    manager.OnMouseLeave();
    EXPECT_EQ(log.Count("msleave", "hand_1"), 1);
}

TEST_F(CustomControlsTest, PanningMovesTheVisiblePartAndStopsAtTheImageEdges) {
    host.image_sizes[Resolved("pics/big.png")] = {300, 200};
    host.image_sizes[Resolved("pics/small.png")] = {60, 40};
    Load(R"(
<HorizontalLayout>
  <HandImgSelectButton name="pan" width="100" height="50" handimage="pics/big.png" cursor="hand"/>
  <HandImgSelectButton name="small" width="100" height="50" handimage="pics/small.png"/>
</HorizontalLayout>)");
    auto* pan = Find<CHandImgSelectButtonUI>("pan");
    EXPECT_EQ(pan->GetCursor(), 32649);
    EXPECT_EQ(pan->GetDrawnImage(), "file='pics/big.png' source='0,0,100,50'");
    EXPECT_EQ(Find<CHandImgSelectButtonUI>("small")->GetDrawnImage(), "pics/small.png");

    struct Step {
        Point to;
        Rect source;
    };
    const Step steps[] = {
        {{20, 25}, {30, 0, 130, 50}},       // 30 to the left: the picture follows the mouse
        {{-300, 25}, {200, 0, 300, 50}},    // far left: stops at the right edge
        {{-250, 25}, {150, 0, 250, 50}},    // 50 back to the right
        {{500, 25}, {0, 0, 100, 50}},       // far right: the left edge reaches 0, width kept
        {{500, -400}, {0, 150, 100, 200}},  // far up: stops at the bottom edge
        {{500, 900}, {0, 0, 100, 50}},
    };
    manager.OnMouseMove({50, 25});
    manager.OnButtonDown({50, 25});
    for (const Step& step : steps) {
        manager.OnMouseMove(step.to);
        EXPECT_EQ(pan->GetSourceRect(), step.source) << step.to.x << "," << step.to.y;
    }
    EXPECT_EQ(pan->GetDrawnImage(), "file='pics/big.png' source='0,0,100,50'");
    manager.OnButtonUp({500, 900});
    EXPECT_FALSE(pan->IsDragging());
    manager.OnMouseMove({20, 25});
    EXPECT_EQ(pan->GetSourceRect(), (Rect{0, 0, 100, 50})) << "no panning without the button";
    EXPECT_GE(log.Count("msenter", "pan"), 1);
}

TEST_F(CustomControlsTest, RingProgressSweepsTheDonePartFrom90Degrees) {
    Load(R"(
<HorizontalLayout>
  <CircleProgress name="ring" width="100" height="100" min="0" max="100" value="25"
                  bkcolor="#FF202020" forecolor="#FF00A0FF"/>
</HorizontalLayout>)");
    auto* ring = Find<CCircleProgressUI>("ring");
    EXPECT_DOUBLE_EQ(ring->SweepDegrees(), 90.0);
    EXPECT_EQ(PaintCalls(ring),
              (std::vector<std::string>{"ellipse 0,0,100,100 #FF202020",
                                        "pie 0,0,100,100 start=90 sweep=90 #FF00A0FF",
                                        "ellipse 10,10,90,90 #FFFFFFFF"}));
    ring->SetMinValue(50);
    ring->SetMaxValue(150);
    ring->SetValue(50);
    EXPECT_DOUBLE_EQ(ring->SweepDegrees(), 0.0) << "an empty ring whatever the minimum";
}

TEST_F(CustomControlsTest, ComboEditRowBuildsItsLayoutAndSendsReturnAndItemClick) {
    skin.Write("XML/CustomControlXML/ComboEditElementItem.xml", R"(
<HorizontalLayout>
  <Label name="text1"/><Label name="text2"/><Edit name="delay_edit"/>
</HorizontalLayout>)");
    Load(R"(
<List name="macro_list">
  <ComboEditContainerElement name="r0" height="30" normalimage="ignored.png"/>
  <ComboEditContainerElement name="r1" height="30"/>
</List>)");
    auto* row = Find<CComboEditContainerElementUI>("r1");
    ASSERT_NE(row->GetText1(), nullptr);
    ASSERT_NE(row->GetText2(), nullptr);
    ASSERT_NE(row->GetDelayEdit(), nullptr);
    EXPECT_EQ(row->GetText1()->GetParent()->GetParent(), row);

    log.Clear();
    Click(row->GetText1());
    EXPECT_EQ(Find<dui::List>("macro_list")->GetCurSel(), 1);
    EXPECT_EQ(log.Count("itemselect", "macro_list"), 1);
    EXPECT_EQ(log.Count("itemclick", "r1"), 1);
    manager.OnKeyDown(dui::kKeyReturn);
    EXPECT_EQ(log.Count("return", "r1"), 1);
    EXPECT_EQ(log.Count("itemactivate", "r1"), 1);
}

TEST_F(CustomControlsTest, ComboEditRowWithoutItsLayoutStaysEmpty) {
    Load(R"(<List name="list"><ComboEditContainerElement name="r0" height="30"/></List>)");
    auto* row = Find<CComboEditContainerElementUI>("r0");
    EXPECT_EQ(row->GetCount(), 0);
    EXPECT_EQ(row->GetText1(), nullptr);
}

TEST_F(CustomControlsTest, ListRowDrawsTheHoverFrameOnlyWhenHotAndNotSelected) {
    Load(R"(
<List name="list" itemhotframecolor="#FF00FF00" itemhotbkcolor="#00000000">
  <CloudShareListItemUI name="share" height="30"/>
</List>)");
    auto* row = Find<CCloudShareListItemUI>("share");
    manager.OnMouseMove({10, 10});
    const std::string frame =
        "border " + RecordingRenderEngine::Format(row->GetPos()) + " w=1 #FF00FF00";
    ASSERT_TRUE(row->IsHot());
    RecordingRenderEngine hot;
    manager.Paint(hot, row->GetPos());
    EXPECT_TRUE(hot.Contains(frame));
    row->Select(true);
    RecordingRenderEngine selected;
    manager.Paint(selected, row->GetPos());
    EXPECT_FALSE(selected.Contains(frame));
}

}  // namespace
}  // namespace calvorn::ui
