#include "ui/device_option_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/usb_device.h"
#include "dui/builder.h"
#include "dui/dui_fixture.h"
#include "dui/fake_window_host.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/recording_render_engine.h"
#include "dui/ui_context.h"
#include "dui/vertical_layout.h"
#include "hid/hid_device.h"
#include "hid/virtual_hid_backend.h"
#include "platform/clock.h"
#include "platform/test_support.h"
#include "platform/ui_loop.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"
#include "ui/device_power_ui.h"

namespace calvorn::ui {
namespace {

using platform::Millis;

// A device page that counts the full reads and parameter reads its entry asks for; light
// frames and power polls are the base's and reach the simulated keyboard.
class RecordingDevice : public device::CTalvexUSBDevice {
public:
    using CTalvexUSBDevice::CTalvexUSBDevice;
    void SyncFromDevice() override { ++syncs; }
    void ReadParameters() override { ++parameter_reads; }

    int syncs = 0;
    int parameter_reads = 0;
};

// The main window's layout: the entry built from its skin layout, then a stand-in for the
// device page's key-selection panel.
class DeviceOptionTest : public ::testing::Test {
protected:
    DeviceOptionTest()
        : context(loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"),
          manager(context),
          keyboards(backend),
          main_window(loop.CreateWindow(&main_messages)),
          device(std::make_unique<RecordingDevice>(backend)) {
        context.Resources().LoadIndex("res.xml");
        RegisterDeviceEntryControls(context.Factory());
        manager.SetHost(&host);
        manager.AddNotifier(&log);
        auto root = std::make_unique<dui::VerticalLayout>();
        entry = dynamic_cast<CDeviceOptionUI*>(
            root->Add(dui::Builder(manager).Build("XML\\CustomControlXML\\DeviceOption.xml")));
        auto power_control =
            dui::Builder(manager).Build("XML\\CustomControlXML\\MpDevicePower.xml");
        power = dynamic_cast<CMpDevicePowerUI*>(root->Add(std::move(power_control)));
        auto panel_control = std::make_unique<dui::Control>();
        panel_control->SetFixedHeight(100);
        panel = root->Add(std::move(panel_control));
        manager.SetRoot(std::move(root));
        manager.SetWindowSize({300, 400});
        manager.UpdateLayout();
        device->SetMainWindow(&loop, main_window);
        device->SetLedCount(126);
    }

    ~DeviceOptionTest() override { manager.SetRoot(nullptr); }

    // Plugs a keyboard and opens the device's primary channel on its vendor collection.
    void PlugAndOpen(sim::SimKeyboardConfig config = {}) {
        keyboards.Plug(config);
        for (const std::string& path :
             backend.EnumeratePaths().value_or(std::vector<std::string>{})) {
            if (hid::ParseCollectionNumber(path) == sim::kVendorCollection) {
                vendor_path = path;
            }
        }
        ASSERT_TRUE(device->PrimaryChannel().Open(vendor_path));
    }

    std::uint32_t Frames() const { return keyboards.Keyboard(0).Memory().frames_received; }
    int PowerMessages() const {
        int count = 0;
        for (const auto& message : main_messages.entries) {
            count += message.message == device::kMsgDevicePowerStatus ? 1 : 0;
        }
        return count;
    }
    dui::Option* SelectOption() {
        return dynamic_cast<dui::Option*>(entry->FindSubControl("device_select"));
    }
    std::string Resolved(std::string_view image) const {
        return context.Resources().ResolveImage(image);
    }
    // The images the entry's "device_select" option paints.
    std::vector<std::string> PaintedImages() {
        dui::RecordingRenderEngine engine;
        manager.Paint(engine, entry->GetPos());
        std::vector<std::string> paths;
        for (const dui::ImageDraw& image : engine.Images()) {
            paths.push_back(image.path);
        }
        return paths;
    }

    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context;
    dui::PaintManager manager;
    dui::testing::FakeWindowHost host;
    dui::testing::NotifyLog log;
    hid::VirtualHidBackend backend;
    sim::SimulatedKeyboards keyboards;
    platform::testing::MessageRecorder main_messages;
    platform::WindowHandle main_window;
    std::unique_ptr<RecordingDevice> device;
    std::string vendor_path;
    CDeviceOptionUI* entry = nullptr;
    CMpDevicePowerUI* power = nullptr;
    dui::Control* panel = nullptr;
};

TEST_F(DeviceOptionTest, StartSyncsOnceAfter500MsThenStreamsFramesUntilTheChannelCloses) {
    PlugAndOpen();
    ASSERT_NE(entry, nullptr);
    entry->LinkDevice(device.get());
    EXPECT_EQ(device->SelectorEntry(), entry);

    entry->Start();
    loop.AdvanceBy(Millis(499));
    EXPECT_EQ(device->syncs, 0);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(device->syncs, 1);
    EXPECT_EQ(Frames(), 0u);

    // The first frame 5 ms after the full read, then one every 50 ms.
    loop.AdvanceBy(Millis(4));
    EXPECT_EQ(Frames(), 0u);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(Frames(), 1u);
    loop.AdvanceBy(Millis(49));
    EXPECT_EQ(Frames(), 1u);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(Frames(), 2u);
    loop.AdvanceBy(Millis(1'000));
    EXPECT_EQ(Frames(), 22u);
    EXPECT_EQ(device->syncs, 1);

    // A closed channel ends the cycle: no frame, and no timer left to fire.
    device->PrimaryChannel().Close();
    loop.AdvanceBy(Millis(1'000));
    EXPECT_EQ(Frames(), 22u);
    EXPECT_FALSE(loop.NextTimerDue().has_value());

    // The device comes back: a new start reads again and the frames resume.
    ASSERT_TRUE(device->PrimaryChannel().Open(vendor_path));
    entry->Start();
    loop.AdvanceBy(Millis(505));
    EXPECT_EQ(device->syncs, 2);
    EXPECT_EQ(Frames(), 23u);
}

TEST_F(DeviceOptionTest, QuickReplugKeepsASingleFrameCycle) {
    PlugAndOpen();
    entry->LinkDevice(device.get());
    entry->Start();
    loop.AdvanceBy(Millis(600));
    ASSERT_EQ(Frames(), 2u);

    // Unplugged and back before the next frame: the running cycle goes on, and the new start
    // takes it over instead of adding a second one.
    device->PrimaryChannel().Close();
    ASSERT_TRUE(device->PrimaryChannel().Open(vendor_path));
    entry->Start();
    loop.AdvanceBy(Millis(1'000));
    EXPECT_EQ(device->syncs, 2);
    EXPECT_EQ(Frames(), 22u);
}

TEST_F(DeviceOptionTest, StartWithoutALinkedDeviceArmsNothingFurther) {
    entry->Start();
    loop.AdvanceBy(Millis(600));
    EXPECT_FALSE(loop.NextTimerDue().has_value());
}

TEST_F(DeviceOptionTest, LightFramesRepaintTheKeyPanelOnlyWhileSelectedAndAsked) {
    struct Case {
        bool selected;
        bool repaint_flag;
        bool repainted;
    };
    const Case cases[] = {
        {true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    PlugAndOpen();
    entry->LinkDevice(device.get());
    entry->SetKeySelectionPanel(panel);
    entry->Start();
    loop.AdvanceBy(Millis(500));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "selected " << c.selected << ", flag " << c.repaint_flag);
        entry->Select(c.selected);
        device->SetRepaintKeyPanel(c.repaint_flag);
        host.invalidated.clear();
        loop.AdvanceBy(Millis(50));
        int panel_repaints = 0;
        for (const dui::Rect& rect : host.invalidated) {
            panel_repaints += rect == panel->GetPos() ? 1 : 0;
        }
        EXPECT_EQ(panel_repaints, c.repainted ? 1 : 0);
    }
}

TEST_F(DeviceOptionTest, PowerIsPolledEvery5000MsOnlyForDevicesWithAPowerValue) {
    sim::SimKeyboardConfig config;
    config.power_status = {45, 1, 0, 0, 0, 0};
    PlugAndOpen(config);
    power->Initialise(discovery::DEVICE_MOUSE, 0);
    device->LinkPowerEntry(power);
    entry->LinkDevice(device.get());
    for (int power_value : {0, 1}) {
        SCOPED_TRACE(power_value);
        main_messages.entries.clear();
        device->SetPowerValue(power_value);
        ASSERT_TRUE(device->PrimaryChannel().IsOpen() ||
                    device->PrimaryChannel().Open(vendor_path));

        entry->Start();
        loop.AdvanceBy(Millis(5'499));
        EXPECT_EQ(PowerMessages(), 0);
        loop.AdvanceBy(Millis(1));
        EXPECT_EQ(PowerMessages(), power_value != 0 ? 1 : 0);
        loop.AdvanceBy(Millis(5'000));
        EXPECT_EQ(PowerMessages(), power_value != 0 ? 2 : 0);

        // A closed channel ends the polls with the light frames.
        device->PrimaryChannel().Close();
        loop.AdvanceBy(Millis(10'000));
        EXPECT_EQ(PowerMessages(), power_value != 0 ? 2 : 0);
        EXPECT_FALSE(loop.NextTimerDue().has_value());
    }
    // The polls reached the power entry.
    EXPECT_EQ(power->FindSubControl("device_power_value")->GetText(), "45%");
}

TEST_F(DeviceOptionTest, ParameterReadRunsOnce500MsAfterTheRequest) {
    entry->LinkDevice(device.get());
    entry->StartParameterRead();
    entry->StartParameterRead();  // a second request before the first ran: still one read
    loop.AdvanceBy(Millis(499));
    EXPECT_EQ(device->parameter_reads, 0);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(device->parameter_reads, 1);
    loop.AdvanceBy(Millis(5'000));
    EXPECT_EQ(device->parameter_reads, 1);
    EXPECT_EQ(device->syncs, 0);
}

TEST_F(DeviceOptionTest, HookTimersFireOnce) {
    entry->LinkDevice(device.get());
    for (std::uint32_t id : {kTimerFirstHook, kTimerSecondHook}) {
        ASSERT_TRUE(entry->SetTimer(id, 10));
    }
    loop.AdvanceBy(Millis(10));
    EXPECT_FALSE(loop.NextTimerDue().has_value());
    EXPECT_EQ(device->syncs + device->parameter_reads, 0);
}

TEST_F(DeviceOptionTest, KindChoosesTheIconsAndTooltip) {
    struct Case {
        int kind;
        int role;
        const char* stem;  // null: the previous icons stay
        const char* tooltip;
    };
    const Case cases[] = {
        {1, 0, "kb", "kb_device_name_text"},
        {2, 0xFF, "ms", "ms_device_name_text"},
        {3, 0, "hard_mp", "hard_mp_device_name_text"},
        {3, 1, "soft_mp", "soft_mp_device_name_text"},
        {4, 0, "hd", "hd_device_name_text"},
        {7, 0, "hd", "hd_device_name_text"},
        {5, 0, "hub", "hub_device_name_text"},
        {6, 0, "unknow", "unknow_device_name_text"},
        {0, 0, "unknow", "unknow_device_name_text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << ", role " << c.role);
        entry->SetKind(c.kind, c.role);
        const std::string folder = std::string("common/device_ico/") + c.stem;
        EXPECT_EQ(entry->Kind(), c.kind);
        EXPECT_EQ(entry->ChannelRole(), c.role);
        EXPECT_EQ(entry->Images().normal, folder + "_device_normal.png");
        EXPECT_EQ(entry->Images().selected, folder + "_device_selected.png");
        EXPECT_EQ(entry->Images().synchro_normal, folder + "_device_synchro_normal.png");
        EXPECT_EQ(entry->Images().synchro_selected, folder + "_device_synchro_selected.png");
        EXPECT_EQ(SelectOption()->GetNormalImage(), folder + "_device_normal.png");
        EXPECT_EQ(SelectOption()->GetToolTip(), c.tooltip);
    }
}

TEST_F(DeviceOptionTest, MousepadOfAnotherRoleKeepsThePreviousIcons) {
    entry->SetKind(3, 2);
    EXPECT_EQ(entry->Kind(), 3);
    EXPECT_EQ(entry->ChannelRole(), 2);
    EXPECT_EQ(entry->Images().normal, "common/device_ico/unknow_device_normal.png");
    EXPECT_EQ(SelectOption()->GetToolTip(), "");

    entry->SetKind(1, 0);
    entry->SetKind(3, 0xFF);
    EXPECT_EQ(entry->Images().normal, "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(SelectOption()->GetNormalImage(), "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(SelectOption()->GetToolTip(), "kb_device_name_text");
}

TEST_F(DeviceOptionTest, SynchroniseCheckSwitchesToTheSynchronisedIcons) {
    entry->SetKind(1, 0);
    entry->Select(true);
    const std::string icons = "common/device_ico/kb_device_";

    entry->SetSynchronised(true);
    EXPECT_TRUE(entry->IsSynchronised());
    EXPECT_EQ(SelectOption()->GetNormalImage(), icons + "synchro_normal.png");
    EXPECT_EQ(PaintedImages(), std::vector<std::string>{Resolved(icons + "synchro_selected.png")});

    entry->SetSynchronised(false);
    EXPECT_FALSE(entry->IsSynchronised());
    EXPECT_EQ(SelectOption()->GetNormalImage(), icons + "normal.png");
    EXPECT_EQ(PaintedImages(), std::vector<std::string>{Resolved(icons + "selected.png")});

    // Showing or hiding the check takes the icons from the check's state.
    entry->SetSynchronised(true);
    entry->ShowSynchroCheck(false);
    EXPECT_FALSE(entry->FindSubControl("synchro_device_select")->GetVisibleFlag());
    EXPECT_EQ(SelectOption()->GetNormalImage(), icons + "synchro_normal.png");
    dynamic_cast<dui::Option*>(entry->FindSubControl("synchro_device_select"))->Selected(false);
    entry->ShowSynchroCheck(true);
    EXPECT_TRUE(entry->FindSubControl("synchro_device_select")->GetVisibleFlag());
    EXPECT_EQ(SelectOption()->GetNormalImage(), icons + "normal.png");

    entry->Select(false);
    EXPECT_EQ(PaintedImages(), std::vector<std::string>{Resolved(icons + "normal.png")});
}

TEST_F(DeviceOptionTest, SelectionPageAndPowerLinks) {
    entry->BindPage("device_switch", 2);
    EXPECT_EQ(entry->PageContainerName(), "device_switch");
    EXPECT_EQ(entry->PageIndex(), 2);

    EXPECT_EQ(entry->PowerIndex(), -1);
    entry->SetPowerLink("device_power_switch", -1);
    EXPECT_EQ(entry->PowerContainerName(), "device_power_switch");
    EXPECT_EQ(entry->PowerIndex(), -1);
    entry->SetPowerLink("device_power_switch", 3);
    EXPECT_EQ(entry->PowerIndex(), 3);
    entry->SetPowerLink("", 5);  // no name: nothing changes
    EXPECT_EQ(entry->PowerContainerName(), "device_power_switch");
    EXPECT_EQ(entry->PowerIndex(), 3);

    entry->SetDeviceName("keyboard");
    EXPECT_EQ(entry->FindSubControl("device_select_name")->GetText(), "keyboard");

    log.Clear();
    entry->Select(true);
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_EQ(log.Count("selectchanged", "device_select"), 1);
}

TEST_F(DeviceOptionTest, ActivationNotifiesSelectChangedForVisibleEntries) {
    for (dui::Control* control :
         {static_cast<dui::Control*>(entry), static_cast<dui::Control*>(power)}) {
        control->SetName("entry");
        log.Clear();
        EXPECT_TRUE(control->Activate());
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"selectchanged:entry"});

        control->SetVisible(false);
        log.Clear();
        EXPECT_FALSE(control->Activate());
        EXPECT_TRUE(log.Lines().empty());
    }
}

TEST(DeviceOptionStandaloneTest, MissingChildrenGiveTheDefaults) {
    CDeviceOptionUI entry;
    entry.SetKind(1, 0);
    entry.ShowSynchroCheck(true);
    entry.SetSynchronised(true);
    entry.Select(true);
    entry.BindPage("device_switch", 1);
    entry.SetDeviceName("keyboard");
    EXPECT_FALSE(entry.IsSynchronised());
    EXPECT_FALSE(entry.IsSelected());
    EXPECT_EQ(entry.PageIndex(), -1);
    EXPECT_EQ(entry.PageContainerName(), "");
    EXPECT_EQ(entry.Kind(), 1);
    EXPECT_EQ(entry.Images().normal, "common/device_ico/unknow_device_normal.png");
}

}  // namespace
}  // namespace calvorn::ui
