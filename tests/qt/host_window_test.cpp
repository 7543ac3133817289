#include "qt/host_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "dui/builder.h"
#include "dui/container.h"
#include "dui/dui_fixture.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "platform/ui_loop.h"
#include "ui/controls/custom_controls.h"
#include "ui/controls/device_key_button.h"

namespace calvorn::qt {
namespace {

constexpr std::string_view kLayout = R"(
<Window size="300,200">
  <VerticalLayout name="root" bkcolor="#FF101010" inset="10,10,10,10" childpadding="10">
    <Button name="okbtn" height="40" text="OK" bkcolor="#FF2EC5FF" textcolor="#FF000000"/>
    <Edit name="name_edit" height="30" bkcolor="#FF202020" textcolor="#FFFFFFFF"/>
    <Combo name="combo" height="24" dropboxsize="0,90">
      <ListLabelElement name="c0" height="30" text="alpha"/>
      <ListLabelElement name="c1" height="30" text="beta"/>
      <ListLabelElement name="c2" height="30" text="gamma"/>
    </Combo>
    <Control/>
  </VerticalLayout>
</Window>)";

class HostWindowTest : public ::testing::Test {
protected:
    HostWindowTest() : context(loop, skin.Root()) {
        dui::Builder builder(manager);
        manager.SetRoot(builder.BuildFromString(kLayout));
        manager.AddNotifier(&log);
        window = std::make_unique<HostWindow>(manager, HostWindow::Kind::kTopLevel);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        manager.UpdateLayout();
    }
    ~HostWindowTest() override {
        window.reset();
        manager.RemoveNotifier(&log);
    }

    QPoint CentreOf(std::string_view name) {
        const dui::Rect rect = manager.FindControl(name)->GetPos();
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }

    platform::UiLoop loop;
    dui::testing::TempSkin skin;
    dui::UiContext context;
    dui::PaintManager manager{context};
    dui::testing::NotifyLog log;
    std::unique_ptr<HostWindow> window;
};

TEST_F(HostWindowTest, SizesItselfFromTheLayoutAndPaintsIt) {
    EXPECT_EQ(window->size(), QSize(300, 200));
    const QImage image = window->Render();
    // The button's background along its top (clear of its text), the window's in the inset.
    const dui::Rect ok = manager.FindControl("okbtn")->GetPos();
    for (const int x : {ok.left, ok.left + 60, ok.right - 1}) {
        EXPECT_EQ(image.pixelColor(x, ok.top + 2), QColor(0x2E, 0xC5, 0xFF)) << x;
    }
    EXPECT_EQ(image.pixelColor(3, 3), QColor(0x10, 0x10, 0x10));
}

TEST_F(HostWindowTest, ClickAtAButtonsScreenPositionSendsClick) {
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, CentreOf("okbtn"));
    EXPECT_EQ(log.Count("click", "okbtn"), 1);
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    EXPECT_EQ(log.Count("click"), 1);
}

TEST_F(HostWindowTest, TypingIntoAnEditSendsTextChanged) {
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, CentreOf("name_edit"));
    auto* editor = window->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClicks(editor, "abc");
    EXPECT_EQ(log.Count("textchanged", "name_edit"), 3);
    EXPECT_EQ(manager.FindControl("name_edit")->GetText(), "abc");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(log.Count("return", "name_edit"), 1);
}

TEST_F(HostWindowTest, ComboOpensANativePopupAndARowClickClosesIt) {
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, CentreOf("combo"));
    ASSERT_EQ(log.Count("dropdown", "combo"), 1);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->height(), 90);

    // The second row of the list; the press selects it and closes the pop-up.
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, QPoint(20, 45));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(log.Count("itemselect", "combo"), 1);
    EXPECT_EQ(manager.FindControl("combo")->GetText(), "beta");
}

// A key picture painted as a layer must look as if painted directly: the kept picture with
// its holes over the live caps gives the same pixels, also after the caps change colour.
TEST(LayeredPaintTest, AKeyPictureLooksTheSameAsALayerAndPaintedDirectly) {
    platform::UiLoop loop;
    dui::testing::TempSkin skin;
    dui::UiContext context(loop, skin.Root());
    ui::RegisterCustomControls(context.Factory());
    dui::PaintManager manager{context};
    manager.SetRoot(dui::Builder(manager).BuildFromString(R"(
<Window size="200,80">
  <VerticalLayout bkcolor="#FF303030" inset="10,10,10,10">
    <SelectPanel name="keys" layered="true" bkcolor="#FF111318">
      <DeviceKeyButton name="key_0" float="true" pos="5,5,35,35" text="Esc" bkcolor="#FF232832"
                       borderround="4,4" textcolor="#FF15181E"/>
      <DeviceKeyButton name="key_1" float="true" pos="40,5,100,35" text="Back" bkcolor="#FF232832"
                       borderround="4,4" textcolor="#FF15181E"/>
    </SelectPanel>
  </VerticalLayout>
</Window>)"));
    HostWindow window(manager, HostWindow::Kind::kTopLevel);
    manager.UpdateLayout();
    auto* panel = dynamic_cast<dui::Container*>(manager.FindControl("keys"));
    auto* key_0 = dynamic_cast<ui::CDeviceKeyButtonUI*>(manager.FindControl("key_0"));
    auto* key_1 = dynamic_cast<ui::CDeviceKeyButtonUI*>(manager.FindControl("key_1"));
    ASSERT_TRUE(panel != nullptr && key_0 != nullptr && key_1 != nullptr);

    auto largest_difference = [&] {
        panel->SetLayered(true);
        window.Render();  // paints the picture, which the next render keeps
        const QImage layered = window.Render();
        panel->SetLayered(false);
        const QImage direct = window.Render();
        int largest = 0;
        for (int y = 0; y < direct.height(); ++y) {
            for (int x = 0; x < direct.width(); ++x) {
                const QRgb a = layered.pixel(x, y);
                const QRgb b = direct.pixel(x, y);
                largest =
                    std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
            }
        }
        return largest;
    };
    key_0->SetLightColor(0x0000FF, 255, true);
    key_1->SetLightColor(0xFF00FF, 200, true);
    // Rounding of the anti-aliased corners and the text may differ by a step or two.
    EXPECT_LE(largest_difference(), 2);
    key_0->SetLightColor(0xFF0000, 90, true);
    EXPECT_LE(largest_difference(), 2);

    // The cap shows through: its middle has the light colour (blue 0xFF at full brightness).
    panel->SetLayered(true);
    key_0->SetLightColor(0x00FF00, 255, true);
    window.Render();
    const dui::Rect cap = key_0->GetPos();
    EXPECT_EQ(window.Render().pixelColor(cap.left + 3, cap.top + 3), QColor(0, 0, 0xFF));
}

}  // namespace
}  // namespace calvorn::qt
