#include <gtest/gtest.h>

#include "dui/button.h"
#include "dui/container.h"
#include "dui/label.h"
#include "dui/option.h"
#include "dui_fixture.h"
#include "platform/trace.h"

namespace calvorn::dui::testing {
namespace {

class BuilderTest : public DuiTest {};

class CustomPanel : public Container {
public:
    std::string_view GetClass() const override { return "CustomPanel"; }
};

TEST_F(BuilderTest, FindsControlsAndIndexedNamesWindowWideAndInSubtrees) {
    Load(R"(
<Window>
  <VerticalLayout name="root">
    <HorizontalLayout name="left">
      <Button name="key_16"/><Button name="key_17"/><Label name="text_test"/>
    </HorizontalLayout>
    <HorizontalLayout name="right">
      <Label name="text_test" text="second"/><Button name="key_170"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)");
    Control* key = manager.FindControl("key_17");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->GetClass(), "Button");
    EXPECT_NE(manager.FindControl("key_170"), key);
    EXPECT_EQ(manager.FindControl("key_1"), nullptr);
    EXPECT_EQ(manager.FindControl(""), nullptr);

    // Window-wide lookup takes the first in tree order; a subtree lookup stays inside.
    EXPECT_EQ(manager.FindControl("text_test")->GetText(), "");
    Control* right = manager.FindControl("right");
    EXPECT_EQ(PaintManager::FindSubControlByName(right, "text_test")->GetText(), "second");
    EXPECT_EQ(PaintManager::FindSubControlByName(right, "key_17"), nullptr);
    EXPECT_EQ(PaintManager::FindSubControlsByClass(manager.GetRoot(), "button").size(), 3u);
}

TEST_F(BuilderTest, IncludesResolveThroughTheResourceIndexWithBackslashes) {
    skin.Write("res.xml",
               R"(<Res><Xml><Item name="XML_PANEL" value="XML\Panels\panel.xml"/></Xml></Res>)");
    skin.Write("XML/Panels/panel.xml",
               R"(<Window size="50,50"><Label name="included" height="10"/></Window>)");
    skin.Write("XML/row.xml", R"(<Button name="row" height="5"/>)");
    ASSERT_TRUE(context.Resources().LoadIndex());
    Load(R"(
<Window size="300,200">
  <VerticalLayout name="root">
    <Include source="XML_PANEL"/>
    <Include source="XML\row.xml" count="3"/>
  </VerticalLayout>
</Window>)");
    ASSERT_NE(Find<Label>("included"), nullptr);
    EXPECT_EQ(manager.GetInitSize(), (Size{300, 200})) << "an include keeps the window size";
    EXPECT_EQ(PaintManager::FindSubControlsByClass(manager.GetRoot(), "Button").size(), 3u);
    EXPECT_EQ(Find("included")->GetPos(), (Rect{0, 0, 400, 10}));
}

TEST_F(BuilderTest, DefaultsAndStylesApplyInOrder) {
    Load(R"(
<Window>
  <Default name="Button" value="height=&quot;30&quot; textcolor=&quot;#FF112233&quot;"/>
  <Style name="red" value="textcolor=&quot;#FFFF0000&quot; width=&quot;77&quot;"/>
  <HorizontalLayout>
    <Button name="plain"/>
    <Button name="styled" style="red"/>
    <Button name="overridden" style="red" textcolor="#FF00FF00"/>
  </HorizontalLayout>
</Window>)");
    EXPECT_EQ(Find("plain")->GetFixedHeight(), 30);
    EXPECT_EQ(Find("plain")->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(Find("styled")->GetTextColor(), 0xFFFF0000u);
    EXPECT_EQ(Find("styled")->GetFixedWidth(), 77);
    EXPECT_EQ(Find("overridden")->GetTextColor(), 0xFF00FF00u);
    Find("plain")->SetAttribute("style", "red");
    EXPECT_EQ(Find("plain")->GetTextColor(), 0xFFFF0000u) << "a style set at run time applies";
}

TEST_F(BuilderTest, CustomClassesComeFromCallbackThenFactory) {
    context.Factory().Register("CCustomPanelUI", [] { return std::make_unique<CustomPanel>(); });
    int callback_calls = 0;
    CreateCallback callback = [&](std::string_view class_name) -> std::unique_ptr<Control> {
        ++callback_calls;
        if (class_name == "Special") {
            auto label = std::make_unique<Label>();
            label->SetUserData("from callback");
            return label;
        }
        return nullptr;
    };
    Load(R"(
<VerticalLayout>
  <CustomPanel name="panel"><Button name="inside"/></CustomPanel>
  <Special name="special"/>
  <Button name="builtin"/>
</VerticalLayout>)",
         {100, 100}, callback);
    ASSERT_NE(Find<CustomPanel>("panel"), nullptr) << "\"CustomPanel\" finds \"CCustomPanelUI\"";
    EXPECT_NE(Find("inside"), nullptr);
    EXPECT_EQ(Find("special")->GetUserData(), "from callback");
    EXPECT_EQ(callback_calls, 2) << "built-in classes never reach the callback";
}

TEST_F(BuilderTest, BrokenOrMissingLayoutsBuildNothingAndTrace) {
    skin.Write("broken.xml", "<Window><VerticalLayout name=\"root\"><Button></Window>");
    skin.Write("empty.xml", "<Window size=\"10,10\"><Font id=\"1\" name=\"x\"/></Window>");
    struct Case {
        const char* name;
        const char* trace_start;
    };
    const Case cases[] = {
        {"broken.xml", "dui: cannot build layout \"broken.xml\": "},
        {"missing.xml", "dui: cannot build layout \"missing.xml\": cannot read "},
        {"empty.xml", "dui: cannot build layout \"empty.xml\": no control"},
        {"../outside.xml", "dui: cannot build layout \"../outside.xml\": not a skin resource"},
        {"/etc/passwd", "dui: cannot build layout \"/etc/passwd\": not a skin resource"},
    };
    for (const Case& c : cases) {
        platform::TraceCapture trace;
        EXPECT_EQ(Builder(manager).Build(c.name), nullptr) << c.name;
        const std::vector<std::string> lines = trace.Lines();
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_TRUE(lines[0].starts_with(c.trace_start)) << lines[0];
    }
}

TEST_F(BuilderTest, UnknownClassesAreSkippedWithTheirChildren) {
    platform::TraceCapture trace;
    Load(R"(
<VerticalLayout name="root">
  <Mystery name="m"><Button name="lost"/></Mystery>
  <Button name="kept"/>
</VerticalLayout>)");
    EXPECT_EQ(Find("m"), nullptr);
    EXPECT_EQ(Find("lost"), nullptr);
    EXPECT_NE(Find("kept"), nullptr);
    EXPECT_TRUE(trace.Contains("dui: unknown control class \"Mystery\""));
}

TEST_F(BuilderTest, IncludeCyclesStopAtTheDepthLimit) {
    skin.Write("loop.xml",
               R"(<VerticalLayout name="loop"><Include source="loop.xml"/></VerticalLayout>)");
    platform::TraceCapture trace;
    std::unique_ptr<Control> root = Builder(manager).Build("loop.xml");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(trace.Count("dui: cannot build layout \"loop.xml\": includes nested too deeply"), 1u);
}

TEST_F(BuilderTest, IncludeBombsStopAtTheControlLimit) {
    skin.Write("a.xml",
               R"(<VerticalLayout><Include source="b.xml" count="100"/></VerticalLayout>)");
    skin.Write("b.xml",
               R"(<VerticalLayout><Include source="c.xml" count="100"/></VerticalLayout>)");
    std::string ten_controls = "<VerticalLayout>";
    for (int i = 0; i < 10; ++i) {
        ten_controls += "<Control/>";
    }
    skin.Write("c.xml", ten_controls + "</VerticalLayout>");  // 100 x 100 x 11 controls in all
    platform::TraceCapture trace;
    std::unique_ptr<Control> root = Builder(manager).Build("a.xml");
    ASSERT_NE(root, nullptr);
    int controls = 0;
    root->Visit([&](Control&) { ++controls; });
    EXPECT_LE(controls, 100'000);
    EXPECT_EQ(trace.Count("dui: layout has too many controls"), 1u);
}

TEST_F(BuilderTest, WindowFontsAreScaledPerWindow) {
    Load(R"(
<Window>
  <Font id="0" name="Verdana Unicode MS" size="14" default="true"/>
  <Font id="50" name="Verdana Unicode MS" size="18" bold="true" shared="true"/>
  <Label name="l"/>
</Window>)");
    EXPECT_EQ(manager.GetFont(50), (FontSpec{"Verdana Unicode MS", 18, true, false, false}));
    EXPECT_EQ(manager.GetFont(7).size, 14) << "an unknown id falls back to the default font";
    PaintManager other(context);
    EXPECT_EQ(other.GetFont(50).size, 18) << "shared fonts serve every window";
    EXPECT_EQ(other.GetFont(0).size, 12) << "private fonts do not";
    manager.SetDpi(144);
    EXPECT_EQ(manager.GetFont(50).size, 27);
    manager.RemoveAllFonts();
    EXPECT_EQ(other.GetFont(50).size, 12);
}

}  // namespace
}  // namespace calvorn::dui::testing
