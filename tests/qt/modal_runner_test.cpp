// The message window shown for real: a native window with its own event loop that ends when
// the user answers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/qt_modal_runner.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "platform/ui_loop.h"
#include "shell/msg_wnd.h"

namespace calvorn::app {
namespace {

// The shown message window, or null.
qt::HostWindow* MessageWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* host = dynamic_cast<qt::HostWindow*>(widget);
        if (host != nullptr && host->isVisible() && host->windowTitle() == "msgwnd") {
            return host;
        }
    }
    return nullptr;
}

class ModalRunnerTest : public ::testing::Test {
protected:
    ModalRunnerTest() { context.Resources().LoadIndex("res.xml"); }

    // Runs `user` on the message window once it is on screen.
    void WhenShown(std::function<void(qt::HostWindow&)> user) {
        QTimer::singleShot(0, [user = std::move(user)] {
            qt::HostWindow* window = nullptr;
            for (int i = 0; i < 200 && window == nullptr; ++i) {
                QTest::qWait(10);
                window = MessageWindow();
            }
            ASSERT_NE(window, nullptr) << "no message window";
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
            user(*window);
        });
    }

    platform::UiLoop loop;
    dui::UiContext context{loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"};
    QtModalRunner runner;
    shell::CMsgWnd message{context, runner};
};

TEST_F(ModalRunnerTest, ClickingConfirmAnswersOneAndClosesTheWindow) {
    WhenShown([](qt::HostWindow& window) {
        window.Manager().UpdateLayout();
        const dui::Rect rect = window.Manager().FindControl("confirm_btn")->GetPos();
        const QPoint centre((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        QTest::mouseMove(&window, centre);
        QTest::mouseClick(&window, Qt::LeftButton, {}, centre);
    });
    shell::MessageRequest request;
    request.text = "KB_Update_Text";
    EXPECT_EQ(message.ShowMessage(request), 1);
    EXPECT_EQ(MessageWindow(), nullptr);
}

TEST_F(ModalRunnerTest, ClosingTheWindowAnswersZero) {
    WhenShown([](qt::HostWindow& window) { window.close(); });
    shell::MessageRequest request;
    request.text = "KB_Update_Text";
    request.buttons = 1;
    EXPECT_EQ(message.ShowMessage(request), 0);
    EXPECT_EQ(MessageWindow(), nullptr);
}

}  // namespace
}  // namespace calvorn::app
