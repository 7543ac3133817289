#include "shell/msg_wnd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dui/paint_manager.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"

namespace calvorn::shell {
namespace {

// Plays the user: looks at the window it is given and clicks one of its buttons.
class ClickingRunner final : public IModalRunner {
public:
    void RunModal(dui::PaintManager& window, std::string_view window_title) override {
        title = window_title;
        auto text = [&](std::string_view name) {
            dui::Control* control = window.FindControl(name);
            return control != nullptr ? control->GetText() : std::string("(missing)");
        };
        shown_title = text("MessageTitle");
        shown_text = text("MessageText");
        dui::Control* cancel = window.FindControl("cancel_btn");
        cancel_shown = cancel != nullptr && cancel->GetVisibleFlag();
        dpi = window.GetDpi();
        if (dui::Control* button = window.FindControl(click)) {
            window.SendNotify(button, "click");
        }
        ended = ended_by_answer;
    }
    void EndModal(dui::PaintManager&) override { ended_by_answer = true; }

    std::string click;
    std::string title;
    std::string shown_title;
    std::string shown_text;
    bool cancel_shown = false;
    int dpi = 0;
    bool ended = false;

private:
    bool ended_by_answer = false;
};

class MsgWndTest : public ::testing::Test {
protected:
    MsgWndTest() {
        context.Resources().LoadIndex("res.xml");
        context.Language().LoadFromString(
            R"(<Language><Text id="KB_Update_Text" value="Update the keyboard"/></Language>)");
    }
    platform::UiLoop loop;
    dui::UiContext context{loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"};
    ClickingRunner runner;
    CMsgWnd message{context, runner};
};

TEST_F(MsgWndTest, AnswersByButton) {
    struct Case {
        std::string click;
        int buttons;
        int answer;
    };
    const Case cases[] = {
        {"confirm_btn", 0, 1},
        {"confirm_btn", 1, 1},
        {"cancel_btn", 1, 0},
        {"closebtn", 0, 0},
    };
    for (const Case& c : cases) {
        runner = ClickingRunner();
        runner.click = c.click;
        MessageRequest request;
        request.text = "KB_Update_Text";
        request.buttons = c.buttons;
        EXPECT_EQ(message.ShowMessage(request), c.answer) << c.click;
        EXPECT_TRUE(runner.ended) << c.click;
        EXPECT_EQ(runner.title, "msgwnd");
        EXPECT_EQ(runner.cancel_shown, c.buttons == 1) << c.click;
        EXPECT_EQ(runner.shown_text, "Update the keyboard");
    }
}

TEST_F(MsgWndTest, TextTitleAndDpi) {
    runner.click = "confirm_btn";
    MessageRequest request;
    request.title = "Calvorn update";
    request.text = "KB_Update_Text";
    request.text_is_key = false;
    request.dpi = 144;
    message.ShowMessage(request);
    EXPECT_EQ(runner.shown_title, "Calvorn update");
    EXPECT_EQ(runner.shown_text, "KB_Update_Text") << "literal text is not looked up";
    EXPECT_EQ(runner.dpi, 144);

    platform::TraceCapture trace;
    request = MessageRequest();
    request.dpi = 100;
    message.ShowMessage(request);
    EXPECT_TRUE(trace.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(runner.dpi, 96);
    EXPECT_FALSE(runner.shown_title.empty()) << "an empty title leaves the layout's";
}

}  // namespace
}  // namespace calvorn::shell
