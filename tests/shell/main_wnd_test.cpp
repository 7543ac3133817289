// The main window over the simulated keyboards, with a fake clock, a fake frame and a
// scripted responder for the message window: start in the tray, tray clicks, arrivals, the
// fit to the screen, the firmware gate, applying the profile, the messages of other programs
// and the notification routing.

#include "shell/main_wnd.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "dui/combo.h"
#include "dui/edit.h"
#include "dui/fake_window_host.h"
#include "dui/option.h"
#include "dui/slider.h"
#include "hid/virtual_hid_backend.h"
#include "platform/file_io.h"
#include "platform/test_support.h"
#include "platform/trace.h"
#include "shell/device_table_record.h"
#include "sim/simulated_keyboards.h"
#include "storage/json_file.h"
#include "transport/report_protocol.h"
#include "ui/controls/custom_controls.h"
#include "ui/device_option_ui.h"

namespace calvorn::shell {
namespace {

using platform::Millis;
using platform::testing::MessageRecorder;
using platform::testing::PumpUntil;
using platform::testing::ScopedEnv;
using platform::testing::TempFolder;
using platform::testing::WaitUntil;

class FakeFrame final : public IWindowFrame {
public:
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() const override { return visible; }
    bool IsMinimized() const override { return minimized; }
    void Minimize() override { minimized = true; }
    void Maximize() override { maximized = true; }
    void Restore() override {
        visible = true;
        minimized = maximized = false;
    }
    void SetTopmost(bool on) override { topmost.push_back(on); }
    void CenterOnScreen() override { ++centred; }
    dui::Rect MonitorGeometry() const override { return monitor; }
    dui::Rect AvailableGeometry() const override { return available; }
    void Close() override { closed = true; }

    bool visible = true;  // a window is created visible and hides itself
    bool minimized = false;
    bool maximized = false;
    std::vector<bool> topmost;
    int centred = 0;
    bool closed = false;
    dui::Rect monitor{0, 0, 1366, 768};
    dui::Rect available{0, 0, 1366, 740};
};

// Answers the message window from a script and keeps every request.
class ScriptedPrompt final : public IMessagePrompt {
public:
    int ShowMessage(const MessageRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message " << request.text;
            return 0;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<MessageRequest> requests;
};

// A keyboard page that records the operations the main window calls.
class RecordingKeyboard final : public device::CTalvexUSBDevice {
public:
    RecordingKeyboard(hid::HidBackend& backend, std::vector<std::string>& calls)
        : CTalvexUSBDevice(backend), calls_(calls) {}

    int LoadCurrentProfile() override { return Record("LoadCurrentProfile"); }
    int WriteParameters(int slot, int profile, int flag, int width, int height) override {
        Record("WriteParameters " + std::to_string(slot) + " " + std::to_string(profile) + " " +
               std::to_string(flag) + " " + std::to_string(width) + "x" + std::to_string(height));
        return 1;
    }
    int WriteMacros() override {
        Record("WriteMacros");
        return macro_result;
    }
    int WriteKeyList(int slot) override { return Record("WriteKeyList " + std::to_string(slot)); }
    void RestoreDefaults() override { Record("RestoreDefaults"); }
    void SaveProfile() override { Record("SaveProfile"); }
    int RefreshPage() override { return Record("RefreshPage"); }
    // What a keyboard does once its channel is up: check the firmware.
    void SyncFromDevice() override {
        if (firmware_version >= 0) {
            SendToMainWindow(device::kMsgDeviceFirmwareTooOld, Identity().product_id,
                             firmware_version);
        }
    }

    int macro_result = 0;
    int firmware_version = -1;

private:
    int Record(std::string call) {
        calls_.push_back(std::move(call));
        return 0;
    }
    std::vector<std::string>& calls_;
};

sim::SimKeyboardConfig Keyboard(std::uint16_t product_id) {
    sim::SimKeyboardConfig config;
    config.product_id = product_id;
    return config;
}

class MainWndTest : public ::testing::Test {
protected:
    MainWndTest() {
        context.Resources().LoadIndex("res.xml");
        ui::RegisterCustomControls(context.Factory());
        ui::RegisterDeviceEntryControls(context.Factory());
        messages.instance_activate = RegisterInstanceActivate();
        RegisterCooperationMessages(messages);
    }
    ~MainWndTest() override { window.reset(); }

    // Creates the window and lays it out once, which runs "windowinit".
    void Start(MainWndOptions options = {}) {
        options.scanner_thread = false;
        options.updater_program = folder / "Update" / "updater";
        if (real_pages) {
            return StartWindow(std::move(options));
        }
        options.create_page = [this](std::string_view class_name) {
            std::unique_ptr<dui::Control> page;
            if (class_name == "TalvexKeyboardDevice") {
                auto keyboard = std::make_unique<RecordingKeyboard>(backend, calls);
                keyboard->firmware_version = firmware_version;
                last_page = keyboard.get();
                page = std::move(keyboard);
            }
            return page;
        };
        StartWindow(std::move(options));
    }
    void StartWindow(MainWndOptions options) {
        window = std::make_unique<CMainWnd>(context, messages, backend, prompt, std::move(options));
        ASSERT_TRUE(window->Create());
        window->AttachFrame(&frame);
        window->Manager().SetHost(&host);
        window->Manager().SetWindowSize({800, 572});
        window->Manager().UpdateLayout();
        ASSERT_TRUE(window->IsInitialised());
    }

    // One scanner pass on the UI thread, then what it posted.
    void Scan() {
        window->Scanner()->Cycle();
        loop.RunUntilIdle();
    }
    void Post(platform::MessageId message, platform::WParam wparam, platform::LParam lparam) {
        loop.PostMessage(window->Handle(), message, wparam, lparam);
        loop.RunUntilIdle();
    }
    void Notify(std::string_view control, std::string_view type) {
        dui::Control* sender = window->Manager().FindControl(control);
        ASSERT_NE(sender, nullptr) << control;
        window->Manager().SendNotify(sender, type);
    }
    bool NoticeShown() {
        dui::Control* notice = window->Manager().FindControl("No_device_Link");
        return notice != nullptr && notice->GetVisibleFlag();
    }
    // Plugs a keyboard, lets the scanner attach it and its page read the device.
    void PlugKeyboard(std::uint16_t product_id) {
        sim::SimKeyboardConfig config = Keyboard(product_id);
        config.record_frames = true;
        keyboards.Plug(config);
        Scan();
        ASSERT_NE(window->CurrentPage(), nullptr);
        loop.AdvanceBy(Millis(500));
    }

    TempFolder folder;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", folder.path().string()};
    ScopedEnv data{"CALVORN_DATA_HOME", (folder / "data").string()};
    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context{loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"};
    dui::testing::FakeWindowHost host;
    hid::VirtualHidBackend backend;
    sim::SimulatedKeyboards keyboards{backend};
    RegisteredMessages messages;
    FakeFrame frame;
    ScriptedPrompt prompt;
    std::vector<std::string> calls;
    int firmware_version = -1;
    // Start with the program's own page classes instead of the recording page.
    bool real_pages = false;
    RecordingKeyboard* last_page = nullptr;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(MainWndTest, WithoutADeviceItStartsInTheTrayAndTheTrayIconToggles) {
    Start();
    Scan();  // the first pass finds nothing and posts the activation
    loop.AdvanceBy(Millis(100));
    EXPECT_FALSE(frame.visible);
    EXPECT_TRUE(NoticeShown());

    Post(kMsgTrayIcon, 0, kTrayLeftButtonUp);
    EXPECT_TRUE(frame.visible);
    EXPECT_TRUE(NoticeShown());
    Post(kMsgTrayIcon, 0, kTrayLeftButtonUp);
    EXPECT_FALSE(frame.visible);

    // A minimised window comes back at its normal size.
    Post(kMsgTrayIcon, 0, kTrayLeftButtonUp);
    Notify("minbtn", "click");
    ASSERT_TRUE(frame.minimized);
    Post(kMsgTrayIcon, 0, kTrayLeftButtonUp);
    EXPECT_TRUE(frame.visible);
    EXPECT_FALSE(frame.minimized);
    Notify("closebtn", "click");

    // A second start of the program (lParam 1) always shows the window.
    Post(messages.instance_activate, 0, 1);
    EXPECT_TRUE(frame.visible);
}

TEST_F(MainWndTest, AnArrivalBringsTheHiddenWindowToTheFront) {
    Start();
    Scan();
    loop.AdvanceBy(Millis(100));
    ASSERT_FALSE(frame.visible);
    frame.topmost.clear();

    keyboards.Plug(Keyboard(0x4E93));
    Scan();
    EXPECT_TRUE(frame.visible);
    EXPECT_FALSE(NoticeShown());
    ASSERT_FALSE(frame.topmost.empty());
    EXPECT_TRUE(frame.topmost.back());
    loop.AdvanceBy(Millis(10));
    EXPECT_FALSE(frame.topmost.back()) << "lifted only for a moment";
}

TEST_F(MainWndTest, FitsItselfToTheMonitor) {
    struct Case {
        dui::Rect monitor;
        int dpi;
        dui::Size size;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, 144, {1500, 960}},
        {{0, 0, 1366, 768}, 96, {1000, 640}},
        {{0, 0, 1500, 1080}, 96, {1000, 640}},  // not wider than 1500
        {{1920, 0, 4480, 1440}, 144, {1500, 960}},
    };
    for (const Case& c : cases) {
        frame = FakeFrame();
        frame.monitor = c.monitor;
        host.resized_to.reset();
        Start();
        loop.AdvanceBy(Millis(100));  // the first fit
        EXPECT_EQ(window->Manager().GetDpi(), c.dpi) << c.monitor.Width();
        EXPECT_EQ(window->Manager().GetWindowSize(), c.size) << c.monitor.Width();
        EXPECT_EQ(host.resized_to, c.size) << c.monitor.Width();
        EXPECT_GE(frame.centred, 1);
        EXPECT_FALSE(frame.visible) << "fitting keeps a hidden window hidden";
        EXPECT_EQ(window->ScreenSize(), (dui::Size{c.monitor.Width(), c.monitor.Height()}));
        window.reset();
    }
}

TEST_F(MainWndTest, ExitEndsTheProgramAndCloseOnlyHides) {
    Start();
    Post(messages.instance_activate, 0, 1);
    Notify("closebtn", "click");
    EXPECT_FALSE(frame.visible);
    EXPECT_FALSE(frame.closed);

    host.cursor = {1300, 730};  // a panel at the bottom right
    Post(kMsgTrayIcon, 0, kTrayRightButtonUp);
    ASSERT_TRUE(host.popups.empty()) << "the menu opens from a timer";
    loop.AdvanceBy(Millis(10));
    ASSERT_EQ(host.popups.size(), 1u);
    const dui::Rect menu = host.popups[0].rect;
    EXPECT_EQ(menu.right, 1300);
    EXPECT_EQ(menu.bottom, 730);
    dui::PaintManager& popup = *host.popups[0].manager;
    popup.UpdateLayout();
    dui::Control* exit = popup.FindControl("exit");
    ASSERT_NE(exit, nullptr);
    const dui::Rect& r = exit->GetPos();
    const dui::Point centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    popup.OnMouseMove(centre);
    popup.OnButtonDown(centre);
    popup.OnButtonUp(centre);
    EXPECT_TRUE(frame.closed);
}

TEST_F(MainWndTest, FirmwareGate) {
    enum Outcome { kAccepted, kExits, kKeepsRunning, kUpdater, kIgnored };
    struct Case {
        std::uint16_t product;
        int version;
        int answer;  // -1: no question
        Outcome outcome;
    };
    const Case cases[] = {
        {0x4E93, 259, -1, kAccepted}, {0x4E93, 258, 1, kExits},     {0x4E93, 258, 0, kKeepsRunning},
        {0x4E9C, 256, 0, kExits},     {0x4E99, 260, -1, kAccepted}, {0x4E99, 259, 0, kExits},
        {0x4EA8, 256, 1, kExits},     {0x4EAB, 1, -1, kIgnored},
    };
    for (const Case& c : cases) {
        frame = FakeFrame();
        prompt = ScriptedPrompt();
        if (c.answer >= 0) {
            prompt.answers.push_back(c.answer);
        }
        Start();
        loop.SendMessage(window->Handle(), device::kMsgDeviceFirmwareTooOld, c.product, c.version);
        const std::string what = std::to_string(c.product) + "@" + std::to_string(c.version);
        EXPECT_EQ(window->FirmwareAccepted(), c.outcome == kAccepted) << what;
        EXPECT_EQ(frame.closed, c.outcome == kExits) << what;
        if (c.answer >= 0) {
            ASSERT_EQ(prompt.requests.size(), 1u) << what;
            EXPECT_EQ(prompt.requests[0].text, "KB_Update_Text");
            EXPECT_TRUE(prompt.requests[0].text_is_key);
            EXPECT_EQ(prompt.requests[0].buttons, 0) << "one button";
            EXPECT_TRUE(NoticeShown());
        } else {
            EXPECT_TRUE(prompt.requests.empty()) << what;
        }
        window.reset();
    }
}

TEST_F(MainWndTest, AnOldKeyboardConfirmingTheUpdateStartsTheUpdater) {
    const std::filesystem::path updater = folder / "Update" / "updater";
    std::filesystem::create_directories(updater.parent_path());
    ASSERT_TRUE(platform::WriteFileAtomically(
        updater, "#!/bin/sh\necho \"$(pwd) $*\" > \"$(pwd)/ran.tmp\"\nmv ran.tmp ran\n"));
    std::filesystem::permissions(updater, std::filesystem::perms::owner_all);

    firmware_version = 259;
    prompt.answers = {1};
    Start();
    PlugKeyboard(0x4E99);
    ASSERT_EQ(prompt.requests.size(), 1u);
    EXPECT_EQ(prompt.requests[0].text, "KB_Update_Text");
    EXPECT_FALSE(frame.closed) << "the program keeps running";
    const std::filesystem::path ran = updater.parent_path() / "ran";
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(ran); }));
    EXPECT_EQ(platform::ReadWholeFile(ran).value_or(""),
              updater.parent_path().string() + " On the upgrade\n");
}

TEST_F(MainWndTest, ApplyingTheProfileCallsThePageInOrderAndReportsTheUpload) {
    struct Case {
        int macro_result;
        std::optional<MessageRequest> message;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {-1, MessageRequest{"", "message_text_7", true, 0, 96}},
        {3, MessageRequest{"", "3 over, 100% full %s", false, 0, 96}},
    };
    Start();
    // After start-up, which loads the built-in language.
    ASSERT_TRUE(context.Language().LoadFromString(
        R"(<Language><Text id="message_text_16" value="%d over, 100% full %s"/></Language>)"));
    PlugKeyboard(0x4E93);
    ASSERT_NE(last_page, nullptr);
    for (const Case& c : cases) {
        calls.clear();
        prompt = ScriptedPrompt();
        if (c.message) {
            prompt.answers.push_back(1);
        }
        last_page->macro_result = c.macro_result;
        loop.SendMessage(window->Handle(), device::kMsgDeviceParametersRead, 0, 0);
        const std::vector<std::string> expected = {"LoadCurrentProfile",
                                                   "WriteParameters 0 0 1 1366x768", "WriteMacros",
                                                   "WriteKeyList 0"};
        EXPECT_EQ(calls, expected) << c.macro_result;
        if (c.message) {
            ASSERT_EQ(prompt.requests.size(), 1u);
            EXPECT_EQ(prompt.requests[0], *c.message);
        } else {
            EXPECT_TRUE(prompt.requests.empty());
        }
    }
}

TEST_F(MainWndTest, WithoutAPageDeviceOperationsDoNothing) {
    Start();
    Scan();
    loop.SendMessage(window->Handle(), device::kMsgDeviceParametersRead, 0, 0);
    Post(platform::RegisterWindowMessage("Game_Start"), 0, 3);
    for (const char* name : {"default_btn", "key_Op_tab", "key_5"}) {
        dui::Control button;
        button.SetName(name);
        window->Manager().SendNotify(&button, "click");
        window->Manager().SendNotify(&button, "selectchanged");
    }
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(prompt.requests.empty());
}

TEST_F(MainWndTest, OtherProgramsSwitchTheLightingControlAndSuspendPausesIt) {
    Start();
    PlugKeyboard(0x4E93);
    device::CTalvexUSBDevice* page = window->CurrentPage();
    dui::Control* status = window->Manager().FindControl("control_light_status");

    Post(messages.light_control_request, 1, 0);
    EXPECT_FALSE(window->LightControlOn());
    EXPECT_FALSE(page->HostLightControl());
    EXPECT_EQ(status->GetText(), "不控制灯光");
    Post(messages.light_control_request, 0, 1);  // wParam must be 1
    EXPECT_FALSE(window->LightControlOn());
    Post(messages.light_control_request, 1, 1);
    EXPECT_TRUE(page->HostLightControl());
    EXPECT_EQ(status->GetText(), "控制灯光");

    Post(kMsgPowerBroadcast, kPowerSuspend, 0);
    EXPECT_FALSE(window->SystemAwake());
    EXPECT_FALSE(page->HostLightControl());
    const bool visible = frame.visible;
    Post(kMsgTrayIcon, 0, kTrayLeftButtonUp);
    EXPECT_EQ(frame.visible, visible) << "asleep: the tray is not served";
    Post(kMsgPowerBroadcast, kPowerResumeAutomatic, 0);
    EXPECT_TRUE(window->SystemAwake());
    EXPECT_TRUE(page->HostLightControl());

    Notify("control_light_status", "click");
    EXPECT_FALSE(window->LightControlOn());
    EXPECT_FALSE(page->HostLightControl());
}

TEST_F(MainWndTest, GameEventsSetTheLightModeAndWriteIt) {
    Start();
    PlugKeyboard(0x4E93);
    device::CTalvexUSBDevice* page = window->CurrentPage();
    const platform::MessageId game_kill = platform::RegisterWindowMessage("Game_Kill");

    calls.clear();
    Post(game_kill, 3, 5);
    EXPECT_TRUE(calls.empty()) << "wParam 3 does nothing";
    Post(game_kill, 2, 300);
    EXPECT_TRUE(calls.empty()) << "no such mode";
    Post(game_kill, 2, 5);
    EXPECT_EQ(page->LightParams().mode, 5);
    EXPECT_EQ(calls, (std::vector<std::string>{"SaveProfile", "RefreshPage",
                                               "WriteParameters 0 0 1 1366x768"}));
}

TEST_F(MainWndTest, ActivationAndHoverSetTheRepaintFlag) {
    Start();
    PlugKeyboard(0x4E93);
    device::CTalvexUSBDevice* page = window->CurrentPage();
    Post(kMsgActivate, 0, 0);
    EXPECT_FALSE(page->RepaintKeyPanel());
    Post(kMsgMouseHover, 0, 0);
    EXPECT_TRUE(page->RepaintKeyPanel());
    Post(kMsgActivate, 1, 0);
    Post(kMsgMouseLeave, 0, 0);
    EXPECT_TRUE(page->RepaintKeyPanel()) << "an active window stays hovered";
}

TEST_F(MainWndTest, RoutedClicksReachTheCurrentPage) {
    Start();
    PlugKeyboard(0x4E93);
    device::CTalvexUSBDevice* page = window->CurrentPage();
    page->SetKeyCount(126);

    // Keys are picked on the key tab only.
    auto key = std::make_unique<dui::Control>();
    key->SetName("KEY_17");
    dui::Control* key_button = page->AddChild(std::move(key));
    window->Manager().SendNotify(key_button, "click");
    EXPECT_EQ(page->SelectedKey(), -1);
    auto tab = std::make_unique<dui::Control>();
    tab->SetName("key_Op_tab");
    dui::Control* key_tab = page->AddChild(std::move(tab));
    window->Manager().SendNotify(key_tab, "selectchanged");
    EXPECT_EQ(page->GetFunctionTab(), 2);
    window->Manager().SendNotify(key_button, "click");
    EXPECT_EQ(page->SelectedKey(), 17);

    auto defaults = std::make_unique<dui::Control>();
    defaults->SetName("default_btn");
    dui::Control* default_button = page->AddChild(std::move(defaults));
    calls.clear();
    prompt.answers = {0, 1};
    window->Manager().SendNotify(default_button, "click");
    EXPECT_TRUE(calls.empty()) << "declined";
    window->Manager().SendNotify(default_button, "click");
    EXPECT_EQ(calls, (std::vector<std::string>{"RestoreDefaults", "WriteKeyList 0",
                                               "WriteParameters 0 0 1 1366x768"}));
    ASSERT_EQ(prompt.requests.size(), 2u);
    EXPECT_EQ(prompt.requests[1].text, "message_text_22");
    EXPECT_EQ(prompt.requests[1].buttons, 1);
}

TEST_F(MainWndTest, OrvumDpiEditIsClampedAndMovesItsSlider) {
    Start();
    auto* bar = dynamic_cast<dui::Container*>(window->Manager().FindControl("status_bar"));
    ASSERT_NE(bar, nullptr);
    auto* edit = static_cast<dui::Edit*>(bar->Add(std::make_unique<dui::Edit>()));
    edit->SetName("orvum_DPI_edit_2");
    auto* slider = static_cast<dui::Slider*>(bar->Add(std::make_unique<dui::Slider>()));
    slider->SetName("orvum_DPI_slider_2");
    slider->SetMaxValue(10000);

    const std::pair<std::string, int> cases[] = {
        {"3200", 3200},
        {"50", 200},
        {"7000", 6500},
        {"", 200},
        {"dpi", 200},
        {"-40", 200},
        {"99999999999999999999999", 6500},
    };
    for (const auto& [typed, value] : cases) {
        edit->SetText(typed);
        window->Manager().SendNotify(edit, "killfocus");
        EXPECT_EQ(edit->GetText(), std::to_string(value)) << typed;
        EXPECT_EQ(slider->GetValue(), value) << typed;
    }
    slider->SetValue(1600);
    window->Manager().SendNotify(slider, "movevaluechanged");
    EXPECT_EQ(edit->GetText(), "1600");
}

TEST_F(MainWndTest, TheDeviceTableQueryIsAnsweredToTheCompanion) {
    Start();
    MessageRecorder companion;
    const platform::WindowHandle companion_window = loop.CreateWindow(&companion);
    platform::IpcEndpoint endpoint(loop, companion_window);
    endpoint.Admit(kDeviceTableQueryName);
    ASSERT_TRUE(endpoint.Listen(kCompanionEndpoint));

    Post(messages.device_table_query, 0, 0);
    ASSERT_TRUE(PumpUntil(loop, [&] { return !companion.entries.empty(); }));
    const auto& entry = companion.entries[0];
    ASSERT_TRUE(entry.copy.has_value());
    EXPECT_EQ(entry.copy->wparam, window->Handle());
    EXPECT_EQ(entry.copy->lparam, kDeviceTableRecordTag);
    const auto expected = MakeDeviceTableRecord(discovery::kSupportedDevices);
    EXPECT_EQ(entry.copy->payload, std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST(DeviceTableRecordTest, LayoutOfTheRecord) {
    const auto record = MakeDeviceTableRecord(discovery::kSupportedDevices);
    auto word = [&](std::size_t i) {
        return record[i * 4] | record[i * 4 + 1] << 8 | record[i * 4 + 2] << 16 |
               record[i * 4 + 3] << 24;
    };
    EXPECT_EQ(word(0), 2);
    EXPECT_EQ(word(1), 3);
    EXPECT_EQ(word(2), 0);
    EXPECT_EQ(word(3), 2);
    ASSERT_EQ(word(4), static_cast<int>(discovery::kSupportedDevices.size()));
    for (std::size_t i = 0; i < discovery::kSupportedDevices.size(); ++i) {
        EXPECT_EQ(word(5 + i * 3), discovery::kSupportedDevices[i].vendor_id);
        EXPECT_EQ(word(6 + i * 3), discovery::kSupportedDevices[i].product_id);
        EXPECT_EQ(word(7 + i * 3), discovery::kSupportedDevices[i].interface_number);
    }
    for (std::size_t i = (5 + discovery::kSupportedDevices.size() * 3) * 4; i < record.size();
         ++i) {
        ASSERT_EQ(record[i], 0) << i;
    }
}

TEST_F(MainWndTest, ShutdownStopsTheScannerAndTheLightingThread) {
    std::atomic<bool> light_sync_ran{false};
    MainWndOptions options;
    options.light_sync = [&light_sync_ran](platform::ManualResetEvent& stop) {
        light_sync_ran = true;
        while (!stop.Wait(1000)) {
        }
    };
    // Start() turns the scanner thread off; this test wants the real one.
    StartWindow(std::move(options));

    keyboards.Plug(Keyboard(0x4E93));
    ASSERT_TRUE(PumpUntil(loop, [&] { return frame.visible && window->CurrentPage(); }));
    ASSERT_TRUE(WaitUntil([&] { return light_sync_ran.load(); }));

    platform::TraceCapture trace;
    window->Shutdown();
    EXPECT_EQ(trace.Count("所有对象处于激发状态"), 2u) << "the scanner and the lighting thread";
    EXPECT_TRUE(trace.Contains("退出测试"));
    EXPECT_FALSE(frame.visible);
}

// The keyboard page the program really builds, end to end over a simulated keyboard: the
// page reads the keyboard and the window applies the profile before each test.
class KeyboardPageTest : public MainWndTest {
protected:
    void SetUp() override {
        real_pages = true;
        Start();
        PlugKeyboard(0x4E93);
        loop.RunUntilIdle();
    }

    sim::SimKeyboard& Keyboard() { return keyboards.Keyboard(0); }
    int CommandsSeen(std::uint8_t command) {
        int count = 0;
        for (const transport::Frame& request : Keyboard().RequestLog()) {
            count += request[transport::kCommandByte] == command ? 1 : 0;
        }
        return count;
    }
    std::vector<std::uint8_t> SettingsPage() {
        const sim::SimMemory memory = Keyboard().Memory();
        return std::vector<std::uint8_t>(memory.params.begin(), memory.params.begin() + 26);
    }
    // The device record of the one profile the page created.
    Json::Value SavedDevice() {
        Json::Value device;
        const std::filesystem::path profiles = folder / "data" / "Calvorn" / "keyboard";
        for (const auto& entry : std::filesystem::directory_iterator(profiles)) {
            if (entry.path().extension() == ".Json") {
                EXPECT_TRUE(device.isNull()) << "more than one profile";
                device = storage::ReadJsonFile(entry.path())["Device"][0];
            }
        }
        return device;
    }

    ScopedEnv program_dir{"CALVORN_PROGRAM_DIR", CALVORN_SOURCE_DIR};
};

// A lighting edit in the panel is saved and then written to the keyboard once.
TEST_F(KeyboardPageTest, AppliesItsProfileAndWritesALightingEditOnce) {
    ASSERT_GT(CommandsSeen(transport::CMD_WRITE_KEY_TABLE), 0);
    const int page_writes = CommandsSeen(transport::CMD_WRITE_PARAMS);
    ASSERT_GT(page_writes, 0);
    const std::vector<std::uint8_t> page_before = SettingsPage();

    auto* modes =
        dynamic_cast<dui::Combo*>(window->Manager().FindControl("light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    ASSERT_GT(modes->GetCount(), 1);
    ASSERT_TRUE(modes->SelectItem(1));
    loop.RunUntilIdle();

    EXPECT_EQ(CommandsSeen(transport::CMD_WRITE_PARAMS), page_writes + 1);
    std::vector<std::uint8_t> page_after = SettingsPage();
    EXPECT_EQ(page_after[1], 1);  // the effect byte
    page_after[1] = page_before[1];
    EXPECT_EQ(page_after, page_before);
    EXPECT_EQ(SavedDevice()["LightInfo"]["SelectItem"].asInt(), 1);
}

// The keyboard's option controls reach its page: the Windows-key lock is saved and written,
// the repeat delay only saved.
TEST_F(KeyboardPageTest, OptionControlsAreSavedAndTheKeyboardOnesWritten) {
    const int page_writes = CommandsSeen(transport::CMD_WRITE_PARAMS);
    auto* lock = dynamic_cast<dui::Option*>(window->Manager().FindControl("winlockflag_option"));
    auto* delay = dynamic_cast<dui::Option*>(window->Manager().FindControl("repeat_delay_check_2"));
    ASSERT_NE(lock, nullptr);
    ASSERT_NE(delay, nullptr);

    lock->Selected(true);
    loop.RunUntilIdle();
    EXPECT_EQ(CommandsSeen(transport::CMD_WRITE_PARAMS), page_writes + 1);
    EXPECT_EQ(SavedDevice()["SystemStages"]["WinFlag"].asInt(), 1);

    delay->Selected(true);
    loop.RunUntilIdle();
    EXPECT_EQ(CommandsSeen(transport::CMD_WRITE_PARAMS), page_writes + 1);
    EXPECT_EQ(SavedDevice()["SystemStages"]["RepeatDelay"].asInt(), 2);
}

}  // namespace
}  // namespace calvorn::shell
