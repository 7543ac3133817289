#include <gtest/gtest.h>

#include "dui/progress.h"
#include "dui/recording_render_engine.h"
#include "dui_fixture.h"

namespace calvorn::dui::testing {
namespace {

class PaintTest : public DuiTest {
protected:
    std::vector<std::string> PaintAll() {
        RecordingRenderEngine engine;
        manager.Paint(engine, {0, 0, 10000, 10000});
        EXPECT_EQ(engine.ClipDepth(), 0) << "every clip is popped";
        return engine.Calls();
    }
    std::string Path(std::string_view image) const {
        return context.Resources().ResolveImage(image);
    }
};

TEST_F(PaintTest, ControlsPaintBackgroundImageTextAndBorderInOrder) {
    Load(R"(
<Window>
  <Font id="2" name="Verdana" size="18"/>
  <VerticalLayout bkcolor="#FF101010">
    <Label name="title" height="30" text="Hello" font="2" textcolor="#FFFFFFFF" align="center"
           bkimage="file='bg.png' dest='0,0,10,10'" bordersize="1" bordercolor="#FF00FF00"/>
    <Button name="hidden" height="20" visible="false" bkcolor="#FFFF0000"/>
    <Control name="round" height="20" bkcolor="#FF0000FF" borderround="4,4"/>
  </VerticalLayout>
</Window>)",
         {200, 100});
    const std::vector<std::string> expected{
        "fill 0,0,200,100 #FF101010",
        "image " + Path("bg.png") + " dest=0,0,10,10 fade=255",
        "text 0,0,200,30 \"Hello\" font=Verdana/18 #FFFFFFFF fmt=0x25",
        "border 0,0,200,30 w=1 #FF00FF00",
        "fillround 0,30,200,50 r=4,4 #FF0000FF",
    };
    EXPECT_EQ(PaintAll(), expected);
}

TEST_F(PaintTest, ImagesAndTextScaleWithTheDpi) {
    Load(R"(
<Window>
  <Font id="0" name="Verdana" size="14" default="true"/>
  <HorizontalLayout>
    <Button name="b" width="40" text="OK" normalimage="file='btn.png' dest='2,2,22,22'"/>
  </HorizontalLayout>
</Window>)",
         {200, 100});
    manager.SetDpi(144);
    const std::vector<std::string> calls = PaintAll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "image " + Path("btn.png") + " dest=3,3,33,33 fade=255");
    EXPECT_EQ(calls[1], "text 0,0,60,150 \"OK\" font=Verdana/21 #FF000000 fmt=0x25");
}

TEST_F(PaintTest, ProgressFillsItsDonePart) {
    Load(R"(<HorizontalLayout><Progress name="p" width="100" value="40" forecolor="#FF00FF00"/>
            <Progress name="v" width="10" hor="false" value="50" forecolor="#FF0000FF"/></HorizontalLayout>)",
         {200, 100});
    const std::vector<std::string> calls = PaintAll();
    EXPECT_EQ(calls, (std::vector<std::string>{"fill 0,0,40,100 #FF00FF00",
                                               "fill 100,50,110,100 #FF0000FF"}));
}

}  // namespace
}  // namespace calvorn::dui::testing
