#include "app/gui_app.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/qt_modal_runner.h"
#include "app/qt_window_frame.h"
#include "app/sleep_watch.h"
#include "dui/ui_context.h"
#include "hid/hidraw_backend.h"
#include "hid/virtual_hid_backend.h"
#include "platform/folders.h"
#include "platform/instance_lock.h"
#include "platform/ipc_endpoint.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"
#include "qt/host_window.h"
#include "qt/private_fonts.h"
#include "qt/qt_loop_driver.h"
#include "qt/tray_icon.h"
#include "shell/main_wnd.h"
#include "shell/msg_wnd.h"
#include "shell/registered_messages.h"
#include "sim/simulated_keyboards.h"
#include "ui/controls/custom_controls.h"
#include "ui/device_option_ui.h"

namespace calvorn::app {
namespace {

constexpr std::array<std::string_view, 4> kPrivateFontFiles = {
    "Font/Simplified_Chinese.ttf", "Font/Varnhelm-Regular.otf", "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf"};

// Time the window gets to lay itself out and paint before a screenshot is taken; with
// simulated keyboards, also the time their pages need to read the keyboard (500 ms after
// attach) and show a few light frames.
constexpr int kScreenshotDelayMs = 400;
constexpr int kSimulatedScreenshotDelayMs = 1500;

bool UseVirtualDevices(const shell::CommandLineOptions& options) {
    const char* hid = std::getenv("CALVORN_HID");
    return options.simulate || (hid != nullptr && std::string_view(hid) == "virtual");
}

bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

// Passes the window's activation and the mouse entering and leaving it on to the main window.
class WindowStateRelay final : public QObject {
public:
    WindowStateRelay(platform::UiLoop& loop, platform::WindowHandle window)
        : loop_(loop), window_(window) {}

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::WindowActivate:
                loop_.PostMessage(window_, shell::kMsgActivate, 1, 0);
                break;
            case QEvent::WindowDeactivate:
                loop_.PostMessage(window_, shell::kMsgActivate, 0, 0);
                break;
            case QEvent::Enter:
                loop_.PostMessage(window_, shell::kMsgMouseHover, 0, 0);
                break;
            case QEvent::Leave:
                loop_.PostMessage(window_, shell::kMsgMouseLeave, 0, 0);
                break;
            default:
                break;
        }
        return false;
    }

private:
    platform::UiLoop& loop_;
    platform::WindowHandle window_;
};

}  // namespace

int RunGui(const shell::CommandLineOptions& options, int argc, char** argv) {
    if (!HasDisplay()) {
        if (!options.screenshot) {
            std::fprintf(stderr,
                         "calvorn: no display found. Start it from a desktop session, or set "
                         "QT_QPA_PLATFORM=offscreen (with --screenshot FILE to see the window).\n");
            return 1;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(
        QString::fromUtf8(shell::kProductName.data(), shell::kProductName.size()));
    QApplication::setQuitOnLastWindowClosed(false);  // the program lives on in the tray

    const std::filesystem::path program_folder = platform::ProgramFolder();
    qt::PrivateFonts fonts;
    fonts.Load(program_folder, kPrivateFontFiles);

    shell::RegisteredMessages messages;
    messages.instance_activate = shell::RegisterInstanceActivate();
    platform::TraceFormat("软件标示：%u", messages.instance_activate);

    platform::InstanceLock instance(shell::kProductName);
    if (!instance.TryAcquire()) {
        // Another Calvorn runs: ask it to come to the front and leave without a window.
        platform::IpcSend(shell::kDefaultEndpoint, shell::kProductName, 0, 1);
        return 0;
    }

    // Real keyboards through hidraw, or simulated ones plugged into the virtual backend.
    hid::HidrawBackend hidraw;
    hid::VirtualHidBackend virtual_backend;
    sim::SimulatedKeyboards simulated(virtual_backend);
    const bool use_virtual = UseVirtualDevices(options);
    if (use_virtual) {
        simulated.PlugAll(options.simulated);
    }
    hid::HidBackend& backend = use_virtual ? static_cast<hid::HidBackend&>(virtual_backend)
                                           : static_cast<hid::HidBackend&>(hidraw);

    platform::UiLoop loop;
    qt::QtLoopDriver driver(loop);
    dui::UiContext context(loop, program_folder / "skin");
    context.Resources().LoadIndex("res.xml");
    ui::RegisterCustomControls(context.Factory());
    ui::RegisterDeviceEntryControls(context.Factory());
    shell::RegisterCooperationMessages(messages);

    QtModalRunner modal_runner;
    shell::CMsgWnd message_window(context, modal_runner);
    shell::MainWndOptions window_options;
    if (options.updater) {
        window_options.updater_program = *options.updater;
    }
    shell::CMainWnd main_window(context, messages, backend, message_window,
                                std::move(window_options));
    if (!main_window.Create()) {
        std::fprintf(stderr, "calvorn: cannot build the main window from %s\n",
                     (program_folder / "skin").c_str());
        return 1;
    }
    qt::HostWindow host(main_window.Manager(), qt::HostWindow::Kind::kTopLevel);
    host.setWindowTitle(QStringLiteral("Calvorn"));
    host.setWindowIcon(qt::MakeAppIcon());
    host.SetCaptionHeight(main_window.Manager().Scale(52));
    WindowStateRelay state_relay(loop, main_window.Handle());
    host.installEventFilter(&state_relay);
    QtWindowFrame frame(host, [&loop] { loop.Quit(0); });
    main_window.AttachFrame(&frame);
    host.SetCloseHandler([&frame] { frame.Hide(); });

    platform::IpcEndpoint endpoint(loop, main_window.Handle());
    for (const std::string_view name : shell::AdmittedMessageNames()) {
        endpoint.Admit(name);
    }
    endpoint.Listen(shell::kDefaultEndpoint);

    // Suspend and resume, and screens that change size or come and go, reach the main window
    // as the power and display messages it answers.
    SleepWatch sleep_watch([&loop, &main_window](bool suspending) {
        loop.PostMessage(main_window.Handle(), shell::kMsgPowerBroadcast,
                         suspending ? shell::kPowerSuspend : shell::kPowerResumeAutomatic, 0);
    });
    const auto display_changed = [&loop, &main_window] {
        loop.PostMessage(main_window.Handle(), shell::kMsgDisplayChange, 0, 0);
    };
    const auto watch_screen = [&host, display_changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &host, display_changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch_screen(screen);
    }
    QObject::connect(qApp, &QGuiApplication::screenAdded, &host,
                     [watch_screen, display_changed](QScreen* screen) {
                         watch_screen(screen);
                         display_changed();
                     });
    QObject::connect(qApp, &QGuiApplication::screenRemoved, &host, display_changed);

    qt::TrayIcon tray(
        qt::MakeAppIcon(), QStringLiteral("Calvorn"), [&loop, &main_window](long mouse_message) {
            loop.PostMessage(main_window.Handle(), shell::kMsgTrayIcon, 0, mouse_message);
        });

    // The window lays itself out once before it is first shown, so that "windowinit" runs
    // (device discovery starts and the window goes to the tray) even while nothing is on screen.
    host.CenterOnScreen();
    main_window.Manager().SetWindowSize({host.width(), host.height()});
    main_window.Manager().UpdateLayout();
    if (options.show || options.screenshot) {
        main_window.BringToFront();
    }

    int exit_code = 0;
    if (options.screenshot) {
        const QString file = QString::fromStdString(*options.screenshot);
        // With --exit-after the picture is taken when that time is up.
        const int delay_ms = options.exit_after ? static_cast<int>(options.exit_after->count())
                             : options.simulate ? kSimulatedScreenshotDelayMs
                                                : kScreenshotDelayMs;
        QTimer::singleShot(delay_ms, &host, [&, file] {
            loop.RunUntilIdle();
            if (!host.Render().save(file, "PNG")) {
                std::fprintf(stderr, "calvorn: cannot write the screenshot %s\n",
                             options.screenshot->c_str());
                exit_code = 1;
            }
            loop.Quit(exit_code);
        });
    }
    if (options.exit_after && !options.screenshot) {
        QTimer::singleShot(static_cast<int>(options.exit_after->count()), &host,
                           [&loop] { loop.Quit(0); });
    }

    const int loop_result = QApplication::exec();
    endpoint.Close();
    main_window.Shutdown();
    main_window.AttachFrame(nullptr);  // the frame goes before the window
    if (options.sim_dump) {
        std::string error;
        if (!simulated.WriteSimDump(*options.sim_dump, &error)) {
            std::fprintf(stderr, "calvorn: cannot write %s: %s\n", options.sim_dump->c_str(),
                         error.c_str());
            exit_code = 1;
        }
    }
    return exit_code != 0 ? exit_code : loop_result;
}

}  // namespace calvorn::app
