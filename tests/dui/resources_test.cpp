#include <gtest/gtest.h>

#include "dui/image_string.h"
#include "dui/label.h"
#include "dui/language_table.h"
#include "dui/resource_index.h"
#include "dui_fixture.h"
#include "platform/trace.h"

namespace calvorn::dui::testing {
namespace {

TEST(ImageStringTest, ParsesPlainNamesAndKeyValueLists) {
    const auto plain = ParseImageString("  common/background.png ");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->file, "common/background.png");
    EXPECT_FALSE(plain->source.has_value());

    const auto full = ParseImageString(
        "file='power/powered.png' source='1,2,3,4' dest=\"5,6,7,8\" corner='2,2,2,2' "
        "mask='#FFFF00FF' fade='300' hole='true' xtiled='1' ytiled='false' hsl='true' "
        "restype='png' unknown='x'");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->file, "power/powered.png");
    EXPECT_EQ(full->source, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(full->dest, (Rect{5, 6, 7, 8}));
    EXPECT_EQ(full->corner, (Rect{2, 2, 2, 2}));
    EXPECT_EQ(full->mask, 0xFFFF00FFu);
    EXPECT_EQ(full->fade, 255) << "clamped";
    EXPECT_TRUE(full->hole);
    EXPECT_TRUE(full->xtiled);
    EXPECT_FALSE(full->ytiled);
    EXPECT_EQ(ParseImageString("res='icons/a.png'")->file, "icons/a.png");
}

TEST(ImageStringTest, RejectsBrokenStrings) {
    for (const char* text : {"", "   ", "file='unterminated", "file=noquotes", "source='1,2,3,4'",
                             "file='a.png' =", "='x'"}) {
        EXPECT_FALSE(ParseImageString(text).has_value()) << text;
    }
}

TEST(ResourceIndexTest, ResolvesThroughTheIndexThenTheFolder) {
    TempSkin skin;
    skin.Write("res.xml", R"(<Res><Image><Item name="BG" value="common\bg.png"/></Image>
                               <Xml><Item name="XML_MAIN" value="main.xml"/></Xml></Res>)");
    ResourceIndex index(skin.Root());
    ASSERT_TRUE(index.LoadIndex());
    EXPECT_EQ(index.ResolveFile("xml_main"), skin.Root() / "main.xml") << "names ignore case";
    EXPECT_EQ(index.ResolveFile("XML\\CustomControlXML\\DeviceOption.xml"),
              skin.Root() / "XML/CustomControlXML/DeviceOption.xml");
    EXPECT_EQ(index.ResolveFile("a/../b.xml"), skin.Root() / "b.xml");
    EXPECT_FALSE(index.ResolveFile("a/../../b.xml").has_value());
    EXPECT_FALSE(index.ResolveFile("").has_value());
    EXPECT_EQ(index.ResolveImage("BG"), (skin.Root() / "common/bg.png").string());
    EXPECT_EQ(index.ResolveImage("/home/user/pictures/wall.png"), "/home/user/pictures/wall.png")
        << "a picture the user chose is used as it stands";
}

TEST(ResourceIndexTest, BrokenIndexIsTracedAndLookupsGoToTheFolder) {
    TempSkin skin;
    skin.Write("res.xml", "<Res><Item name=");
    ResourceIndex index(skin.Root());
    platform::TraceCapture trace;
    EXPECT_FALSE(index.LoadIndex());
    EXPECT_EQ(trace.Lines().size(), 1u);
    EXPECT_EQ(index.ResolveFile("main.xml"), skin.Root() / "main.xml");
}

class LanguageTest : public DuiTest {};

TEST_F(LanguageTest, TextsResolveAtDisplayTimeAndHiddenLabelsLookThemUp) {
    skin.Write("lan_cn.xml", R"(<Language name="cn">
        <Text id="message_text_16" value="%d bytes too many"/>
        <Text id="software_rev_text">Version </Text>
      </Language>)");
    skin.Write("lan_en.xml",
               R"(<Language name="en"><Text id="software_rev_text" value="Rev "/></Language>)");
    skin.Write("broken.xml", "<Language><Text id=");
    Load(R"(
<HorizontalLayout>
  <Label name="str_test" visible="false"/>
  <Label name="about" text="software_rev_text"/>
  <Label name="literal" text="software_rev_text" resourcetext="false"/>
</HorizontalLayout>)");
    EXPECT_EQ(Find("about")->GetText(), "software_rev_text") << "no language loaded yet";

    ASSERT_TRUE(context.LoadLanguage("lan_cn.xml"));
    EXPECT_FALSE(host.invalidated.empty()) << "windows repaint in the new language";
    Label* hidden = Find<Label>("str_test");
    hidden->SetText("message_text_16");
    EXPECT_EQ(hidden->GetText(), "%d bytes too many");
    EXPECT_EQ(Find("about")->GetText(), "Version ");
    EXPECT_EQ(Find("literal")->GetText(), "software_rev_text");
    hidden->SetText("no_such_key");
    EXPECT_EQ(hidden->GetText(), "no_such_key");

    ASSERT_TRUE(context.LoadLanguage("lan_en.xml"));
    EXPECT_EQ(Find("about")->GetText(), "Rev ");
    EXPECT_EQ(context.Language().Name(), "en");

    platform::TraceCapture trace;
    EXPECT_FALSE(context.LoadLanguage("broken.xml"));
    EXPECT_FALSE(context.LoadLanguage("missing.xml"));
    EXPECT_EQ(trace.Lines().size(), 2u);
    EXPECT_EQ(Find("about")->GetText(), "Rev ") << "a failed load keeps the previous texts";
}

}  // namespace
}  // namespace calvorn::dui::testing
