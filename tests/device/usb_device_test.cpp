#include "device/usb_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dui/button.h"
#include "dui/paint_manager.h"
#include "dui/tab_layout.h"
#include "dui/ui_context.h"
#include "dui/vertical_layout.h"
#include "hid/hid_test_support.h"
#include "hid/virtual_hid_backend.h"
#include "platform/test_support.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"
#include "transport/report_protocol.h"

namespace calvorn::device {
namespace {

using platform::testing::PumpUntil;

class TestKeyButton : public dui::Button, public ILedButton {
public:
    std::string_view GetClass() const override { return "DeviceKeyButton"; }
    void SetLightColor(std::uint32_t colour, int brightness, bool shown) override {
        light = Light{colour, brightness, shown};
    }
    struct Light {
        std::uint32_t colour;
        int brightness;
        bool shown;
    };
    std::optional<Light> light;
};

class TestSelectPanel : public dui::VerticalLayout {
public:
    std::string_view GetClass() const override { return "SelectPanel"; }
};

// Records what the device hands its selector entry; the rest does nothing.
class StubSelectorEntry : public IDeviceSelectorEntry {
public:
    void SetKind(int, int) override {}
    int Kind() const override { return 0; }
    int ChannelRole() const override { return 0; }
    void ShowSynchroCheck(bool) override {}
    void SetSynchronised(bool) override {}
    bool IsSynchronised() const override { return false; }
    void Select(bool) override {}
    bool IsSelected() const override { return false; }
    void BindPage(std::string_view, int) override {}
    int PageIndex() const override { return -1; }
    std::string PageContainerName() const override { return {}; }
    void SetPowerLink(std::string_view, int) override {}
    int PowerIndex() const override { return -1; }
    std::string PowerContainerName() const override { return {}; }
    void SetGroup(std::string_view) override {}
    void SetDeviceName(std::string_view) override {}
    void LinkDevice(CTalvexUSBDevice*) override {}
    CTalvexUSBDevice* Device() const override { return nullptr; }
    void SetKeySelectionPanel(dui::Control*) override {}
    void Start() override {}
    void StartParameterRead() override { ++parameter_reads; }

    int parameter_reads = 0;
};

class StubPowerEntry : public IDevicePowerEntry {
public:
    void Initialise(int, int) override {}
    void ShowPowerLayout(bool shown) override { layout_shown.push_back(shown); }
    void ShowStatus(std::span<const std::uint8_t> bytes) override {
        status.assign(bytes.begin(), bytes.end());
    }
    std::vector<bool> layout_shown;
    std::vector<std::uint8_t> status;
};

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() : keyboards(backend), device(std::make_unique<CTalvexUSBDevice>(backend)) {
        main_window = loop.CreateWindow(&main_messages);
        device->SetMainWindow(&loop, main_window);
    }

    // Plugs a keyboard; returns its vendor and consumer collection paths.
    std::pair<std::string, std::string> Plug(sim::SimKeyboardConfig config = {}) {
        keyboards.Plug(config);  // the only device on the backend
        std::string vendor;
        std::string consumer;
        for (const std::string& path :
             backend.EnumeratePaths().value_or(std::vector<std::string>{})) {
            (hid::ParseCollectionNumber(path) == sim::kVendorCollection ? vendor : consumer) = path;
        }
        return {vendor, consumer};
    }

    int FramesWithCommand(std::uint8_t command) const {
        int count = 0;
        for (const transport::Frame& frame : keyboards.Keyboard(0).RequestLog()) {
            count += frame[transport::kCommandByte] == command ? 1 : 0;
        }
        return count;
    }

    hid::VirtualHidBackend backend;
    sim::SimulatedKeyboards keyboards;
    platform::UiLoop loop;
    platform::testing::MessageRecorder main_messages;
    platform::WindowHandle main_window = 0;
    std::unique_ptr<CTalvexUSBDevice> device;
};

TEST_F(DeviceTest, BindPageBindsKeyAndLedButtonsOfTheSelectPanel) {
    struct Case {
        const char* name;
        const char* user_data;
        int key;  // -1: bound as no key
        int led;  // -1: bound as no LED
    };
    const std::vector<Case> cases = {
        {"key_5", "light_3", 5, 3},       {"KEY_7", "Light_9", 7, 9},
        {"key_200", "light_126", -1, -1},  // beyond 126 keys and LEDs
        {"key_-1", "light_-4", -1, -1},   {"button_1", "colour_2", -1, -1},
        {"key5", "light3", -1, -1},
    };
    device->SetPageLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
    device->SetKeyCount(126);
    device->SetLedCount(126);
    auto* panel = static_cast<TestSelectPanel*>(device->Add(std::make_unique<TestSelectPanel>()));
    std::vector<TestKeyButton*> buttons;
    for (const Case& c : cases) {
        auto button = std::make_unique<TestKeyButton>();
        button->SetName(c.name);
        button->SetUserData(c.user_data);
        buttons.push_back(static_cast<TestKeyButton*>(panel->Add(std::move(button))));
    }
    auto stray = std::make_unique<TestKeyButton>();  // on the page, outside the panel
    stray->SetName("key_1");
    device->Add(std::move(stray));

    device->BindPage();

    EXPECT_EQ(device->KeySelectionPanel(), panel);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        if (cases[i].key >= 0) {
            EXPECT_EQ(device->KeyButton(cases[i].key), buttons[i]);
        }
        if (cases[i].led >= 0) {
            EXPECT_EQ(device->LedButton(cases[i].led), buttons[i]);
            ASSERT_TRUE(buttons[i]->light.has_value());
            EXPECT_EQ(buttons[i]->light->colour, 0xFFFFFFu);
            EXPECT_EQ(buttons[i]->light->brightness, 255);
            EXPECT_TRUE(buttons[i]->light->shown);
        } else {
            EXPECT_FALSE(buttons[i]->light.has_value());
        }
    }
    int bound_keys = 0;
    for (int key = 0; key < 126; ++key) {
        bound_keys += device->KeyButton(key) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(bound_keys, 2);

    device->SetPageLayoutPath("");
    device->BindPage();
    EXPECT_EQ(device->KeyCount(), 0);
    EXPECT_EQ(device->LedCount(), 0);
    EXPECT_EQ(device->KeyButton(5), nullptr);
}

TEST_F(DeviceTest, LedColoursExistOnlyWithinTheLedCount) {
    device->SetLedCount(6);
    const LedColor red{255, 0, 0, 200};
    for (int index : {-1, 6, 126}) {
        device->SetLedColour(index, red);
        EXPECT_EQ(device->GetLedColour(index), LedColor{}) << index;
    }
    device->SetLedColour(5, red);
    EXPECT_EQ(device->GetLedColour(5), red);

    device->SetLedCount(6);  // the same count still clears the records
    EXPECT_EQ(device->GetLedColour(5), LedColor{});
    device->SetLedColour(0, red);
    device->SetLedCount(3);
    EXPECT_EQ(device->GetLedColour(0), LedColor{});
    EXPECT_EQ(device->GetLedColour(4), LedColor{});
}

TEST_F(DeviceTest, StaticLightReachesTheButtonsAndTheKeyboard) {
    const auto paths = Plug();
    device->SetPageLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
    device->SetKeyCount(6);
    device->SetLedCount(6);
    auto* panel = static_cast<TestSelectPanel*>(device->Add(std::make_unique<TestSelectPanel>()));
    auto button = std::make_unique<TestKeyButton>();
    button->SetUserData("light_2");
    auto* lit = static_cast<TestKeyButton*>(panel->Add(std::move(button)));
    device->BindPage();
    ASSERT_TRUE(device->PrimaryChannel().Open(paths.first));

    // Mode 3, brightness level 5, static colour (10, 20, 30).
    device->SetLightParameters(0x00000503, 0x1E140A00, 0, 0);
    EXPECT_EQ(device->LightParams().brightness, 5);
    EXPECT_EQ(device->LightParams().blue, 30);
    device->RenderStatic();
    EXPECT_EQ(device->GetLedColour(4), (LedColor{10, 20, 30, 255}));

    device->SendLightFrame();
    const sim::SimMemory memory = keyboards.Keyboard(0).Memory();
    EXPECT_EQ(memory.frames_received, 1u);
    for (std::size_t led = 0; led < 6; ++led) {
        EXPECT_EQ(memory.light_frame[3 * led], 9) << led;
        EXPECT_EQ(memory.light_frame[3 * led + 1], 19) << led;
        EXPECT_EQ(memory.light_frame[3 * led + 2], 29) << led;
    }
    ASSERT_TRUE(lit->light.has_value());
    EXPECT_EQ(lit->light->colour, 10u | (30u << 8) | (20u << 16));
    EXPECT_EQ(lit->light->brightness, 255);

    // Over a wireless link the buttons follow, nothing is streamed.
    device->PrimaryChannel().SetLongTimeout(true);
    device->RenderOff();
    device->SendLightFrame();
    EXPECT_EQ(lit->light->brightness, 0);
    EXPECT_EQ(keyboards.Keyboard(0).Memory().frames_received, 1u);

    // Without host light control nothing happens at all.
    device->PrimaryChannel().SetLongTimeout(false);
    device->SetHostLightControl(false);
    device->RenderStatic();
    device->SendLightFrame();
    EXPECT_EQ(lit->light->brightness, 0);
    EXPECT_EQ(keyboards.Keyboard(0).Memory().frames_received, 1u);
}

TEST_F(DeviceTest, HostLightControlIsSentToKeyboardsOnly) {
    sim::SimKeyboardConfig config;
    config.record_frames = true;
    const auto paths = Plug(config);
    ASSERT_TRUE(device->PrimaryChannel().Open(paths.first));

    discovery::SupportedDeviceRecord mouse = discovery::kSupportedDevices[2];
    mouse.kind = discovery::DEVICE_MOUSE;
    device->AttachIdentity(mouse);
    device->SetHostLightControl(true);
    EXPECT_EQ(FramesWithCommand(transport::CMD_LIGHT_CONTROL), 0);
    EXPECT_TRUE(device->HostLightControl());

    device->AttachIdentity(discovery::kSupportedDevices[2]);
    device->SetHostLightControl(false);
    EXPECT_FALSE(device->HostLightControl());
    EXPECT_EQ(FramesWithCommand(transport::CMD_LIGHT_CONTROL), 0);
    device->SetHostLightControl(true);
    EXPECT_EQ(FramesWithCommand(transport::CMD_LIGHT_CONTROL), 1);
    EXPECT_EQ(keyboards.Keyboard(0).Memory().light_control, 1);
}

TEST_F(DeviceTest, PowerStatusGoesToThePowerEntryAndTheMainWindow) {
    sim::SimKeyboardConfig config;
    config.power_status = {57, 1, 0, 9, 4, 0};
    const auto paths = Plug(config);
    StubPowerEntry power;
    device->SetPowerValue(3);
    device->LinkPowerEntry(&power);
    EXPECT_EQ(power.layout_shown, (std::vector<bool>{true}));

    device->PollPowerStatus();  // closed channel: nothing
    EXPECT_TRUE(power.status.empty());
    EXPECT_TRUE(main_messages.entries.empty());

    ASSERT_TRUE(device->PrimaryChannel().Open(paths.first));
    device->PollPowerStatus();
    EXPECT_EQ(power.status, (std::vector<std::uint8_t>{57, 1, 0, 0, 4, 0}));
    ASSERT_EQ(main_messages.entries.size(), 1u);
    EXPECT_EQ(main_messages.entries[0].message, kMsgDevicePowerStatus);
    EXPECT_EQ(main_messages.entries[0].wparam, 4u);

    device->PrimaryChannel().SetLongTimeout(true);
    device->PollPowerStatus();
    EXPECT_EQ(power.status[3], 1);

    device->SetPowerValue(0);
    EXPECT_EQ(power.layout_shown, (std::vector<bool>{true, false}));
}

TEST_F(DeviceTest, ParameterReadNoticeReachesTheSelectorEntry) {
    platform::TraceCapture trace;
    const auto paths = Plug();
    StubSelectorEntry entry;
    device->LinkSelectorEntry(&entry);
    device->OpenSecondary(paths.second);
    ASSERT_TRUE(device->SecondaryChannel().IsOpen());
    ASSERT_TRUE(device->IsSyncThreadRunning());

    sim::SimKeyboard& keyboard = keyboards.Keyboard(0);
    ASSERT_TRUE(keyboard.PressKey(17));
    ASSERT_TRUE(keyboard.SendSyncRequest());
    ASSERT_TRUE(PumpUntil(loop, [&] { return entry.parameter_reads == 1; }));
    EXPECT_EQ(trace.Count("接收到自动添加设备的同步信息要求  TEST"), 2u);
    EXPECT_EQ(trace.Count("接收到自动添加设备的同步信息要求"), 1u);

    // The thread is blocked in its read without limit; closing releases it at once.
    device->CloseSecondary();
    EXPECT_FALSE(device->SecondaryChannel().IsOpen());
    EXPECT_FALSE(device->IsSyncThreadRunning());
    EXPECT_TRUE(trace.Contains("MS设备同步线程设定退出"));
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态"));
    EXPECT_FALSE(trace.Contains("线程退出：：对象处于非激发状态，超时"));

    // Reopening gives a working channel and thread again.
    device->OpenSecondary(paths.second);
    ASSERT_TRUE(keyboard.SendSyncRequest());
    ASSERT_TRUE(PumpUntil(loop, [&] { return entry.parameter_reads == 2; }));
}

TEST_F(DeviceTest, FailedSecondaryOpenStillRunsAnIdleSyncThread) {
    platform::TraceCapture trace;
    device->OpenSecondary("virtual/99#vid_3299&pid_4e93&mi_01&col03");
    EXPECT_FALSE(device->SecondaryChannel().IsOpen());
    EXPECT_TRUE(device->IsSyncThreadRunning());

    const auto paths = Plug();
    StubSelectorEntry entry;
    device->LinkSelectorEntry(&entry);
    device->OpenSecondary(paths.second);  // the idle thread is replaced, the open survives
    ASSERT_TRUE(device->SecondaryChannel().IsOpen());
    ASSERT_TRUE(keyboards.Keyboard(0).SendSyncRequest());
    ASSERT_TRUE(PumpUntil(loop, [&] { return entry.parameter_reads == 1; }));

    device.reset();
    EXPECT_EQ(trace.Count("MS设备同步线程设定退出"), 2u);
    EXPECT_FALSE(trace.Contains("线程退出：：对象处于非激发状态，超时"));
}

TEST_F(DeviceTest, UnplugWhileTheSyncThreadReadsEndsCleanly) {
    const auto paths = Plug();
    device->OpenSecondary(paths.second);
    keyboards.Unplug(0);
    platform::TraceCapture trace;
    device->CloseSecondary();
    EXPECT_FALSE(device->IsSyncThreadRunning());
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态"));
}

TEST_F(DeviceTest, SelectFunctionTabSwitchesThePageTabs) {
    struct Case {
        int tab;
        int kind;
        int function;
        int key_function;
        dui::Color colour;  // the function switch's background after the style, 0: unchanged
    };
    const std::vector<Case> cases = {
        {1, 1, 0, 0, 0xFF000001}, {2, 1, 0, 1, 0xFF000002}, {3, 1, 1, 1, 0xFF000003},
        {4, 1, 3, 1, 0xFF000004}, {4, 2, 3, 1, 0xFF000004}, {4, 3, 0, 2, 0},
        {7, 1, 0, 2, 0},          {5, 1, 2, 2, 0},          {6, 1, 0, 1, 0},
        {8, 1, 1, 1, 0},          {9, 1, 0, 0, 0},
    };
    platform::testing::TempFolder skin;
    dui::UiContext context(loop, skin.path());
    dui::PaintManager manager(context);
    manager.AddStyle("light_bk_style", "bkcolor=\"#FF000001\"");
    manager.AddStyle("key_bk_style", "bkcolor=\"#FF000002\"");
    manager.AddStyle("macro_bk_style", "bkcolor=\"#FF000003\"");
    manager.AddStyle("function_bk_style", "bkcolor=\"#FF000004\"");

    device->SelectFunctionTab(2);  // no switches on the page yet: only stored
    EXPECT_EQ(device->GetFunctionTab(), 2);

    auto make_tabs = [](const char* name, int pages) {
        auto tabs = std::make_unique<dui::TabLayout>();
        tabs->SetName(name);
        for (int i = 0; i < pages; ++i) {
            tabs->Add(std::make_unique<dui::Control>());
        }
        return tabs;
    };
    auto* function =
        static_cast<dui::TabLayout*>(device->Add(make_tabs("device_function_switch", 4)));
    auto* key_function =
        static_cast<dui::TabLayout*>(device->Add(make_tabs("device_key_function_switch", 3)));
    CTalvexUSBDevice* page = device.get();
    manager.SetRoot(std::move(device));

    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "tab " << c.tab << " kind " << c.kind);
        function->SetBkColor(0);
        discovery::SupportedDeviceRecord identity;
        identity.kind = static_cast<std::uint16_t>(c.kind);
        page->AttachIdentity(identity);
        page->SelectFunctionTab(c.tab);
        EXPECT_EQ(page->GetFunctionTab(), c.tab);
        EXPECT_EQ(function->GetCurSel(), c.function);
        EXPECT_EQ(key_function->GetCurSel(), c.key_function);
        EXPECT_EQ(function->GetBkColor(), c.colour);
    }
}

TEST_F(DeviceTest, DataPathsFollowTheLabel) {
    platform::testing::TempFolder data;
    platform::testing::TempFolder program;
    platform::testing::ScopedEnv data_home("CALVORN_DATA_HOME", data.path().string());
    platform::testing::ScopedEnv program_dir("CALVORN_PROGRAM_DIR", program.path().string());
    device->SetLabel("keyboard");

    EXPECT_EQ(device->DefaultDataPath(), program / "DefaultData" / "keyboard.Json");
    const std::filesystem::path folder = device->UserDataFolder();
    EXPECT_EQ(folder, data / "Calvorn" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace calvorn::device
