#include "discovery/device_attach.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "discovery/scanner_thread.h"
#include "dui/builder.h"
#include "dui/fake_window_host.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/recording_render_engine.h"
#include "dui/tab_layout.h"
#include "dui/ui_context.h"
#include "hid/virtual_hid_backend.h"
#include "platform/clock.h"
#include "platform/test_support.h"
#include "platform/thread_slot.h"
#include "platform/ui_loop.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"
#include "ui/controls/custom_controls.h"
#include "ui/device_option_ui.h"

namespace calvorn::discovery {
namespace {

using platform::Millis;

class RecordingPanel : public device::ILightingPanel {
public:
    void SetMultiDevice(bool more_than_one) override { calls.push_back(more_than_one); }
    std::vector<bool> calls;
};

// A keyboard page that counts the reads the selector entry's timers ask for.
class TestKeyboard : public device::CTalvexUSBDevice {
public:
    explicit TestKeyboard(hid::HidBackend& backend) : CTalvexUSBDevice(backend) {
        SetLightingPanel(&panel);
    }
    void SyncFromDevice() override { ++syncs; }
    void ReadParameters() override { ++parameter_reads; }

    int syncs = 0;
    int parameter_reads = 0;
    RecordingPanel panel;
};

// The main window: routes the device messages, counts the rest.
class MainWindow : public platform::MessageHandler {
public:
    platform::LResult HandleMessage(platform::WindowHandle, platform::MessageId message,
                                    platform::WParam wparam, platform::LParam) override {
        if (attach != nullptr && attach->HandleMessage(message, wparam)) {
            ++device_messages;
        } else {
            ++other_messages[message];
        }
        return 0;
    }
    DeviceAttach* attach = nullptr;
    int device_messages = 0;
    std::map<platform::MessageId, int> other_messages;
};

sim::SimKeyboardConfig Product(std::uint16_t product_id) {
    sim::SimKeyboardConfig config;
    config.product_id = product_id;
    return config;
}

class DeviceAttachTest : public ::testing::Test {
protected:
    DeviceAttachTest()
        : loop(clock),
          context(loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"),
          manager(context),
          keyboards(backend),
          devices(std::make_shared<DeviceList>()),
          window(loop.CreateWindow(&main_window)),
          activate(platform::RegisterWindowMessage("Calvorn")),
          scanner(backend, devices, loop, window, activate) {
        context.Resources().LoadIndex("res.xml");
        ui::RegisterCustomControls(context.Factory());
        ui::RegisterDeviceEntryControls(context.Factory());
        manager.SetHost(&host);
        manager.SetRoot(dui::Builder(manager).Build("XML_MAIN"));
        manager.SetWindowSize({800, 572});
        attach = std::make_unique<DeviceAttach>(
            manager, devices, window,
            [this](std::string_view class_name) -> std::unique_ptr<dui::Control> {
                if (class_name != "TalvexKeyboardDevice") {
                    return nullptr;
                }
                return std::make_unique<TestKeyboard>(backend);
            },
            DeviceAttach::Hooks{[this] { ++selected_hidden; }, [this] { ++brought_to_front; }});
        main_window.attach = attach.get();
    }

    ~DeviceAttachTest() override {
        main_window.attach = nullptr;
        manager.SetRoot(nullptr);
    }

    // One scanner pass on the UI thread, then what it posted.
    void Scan() {
        scanner.Cycle();
        loop.RunUntilIdle();
    }

    template <typename T>
    T* Find(std::string_view name) {
        return dynamic_cast<T*>(manager.FindControl(name));
    }
    dui::Container* Selector() { return Find<dui::Container>(kSelectorLayoutName); }
    dui::TabLayout* Pages() { return Find<dui::TabLayout>(kPageSwitchName); }
    dui::TabLayout* PowerEntries() { return Find<dui::TabLayout>(kPowerSwitchName); }
    bool NoticeShown() { return manager.FindControl(kNoDeviceNoticeName)->IsVisible(); }

    ui::CDeviceOptionUI* EntryOf(const device::CTalvexUSBDevice* device) {
        for (int i = 0; i < Selector()->GetCount(); ++i) {
            auto* entry = dynamic_cast<ui::CDeviceOptionUI*>(Selector()->GetItemAt(i));
            if (entry != nullptr && entry->Device() == device) {
                return entry;
            }
        }
        return nullptr;
    }
    TestKeyboard* Keyboard(std::size_t index) {
        return static_cast<TestKeyboard*>(attach->Keyboards().at(index));
    }
    bool Shown(const device::CTalvexUSBDevice* device) {
        ui::CDeviceOptionUI* entry = EntryOf(device);
        return entry != nullptr && entry->IsVisible();
    }
    bool Selected(const device::CTalvexUSBDevice* device) {
        ui::CDeviceOptionUI* entry = EntryOf(device);
        return entry != nullptr && entry->IsSelected();
    }

    platform::FakeClock clock;
    platform::UiLoop loop;
    dui::UiContext context;
    dui::PaintManager manager;
    dui::testing::FakeWindowHost host;
    hid::VirtualHidBackend backend;
    sim::SimulatedKeyboards keyboards;
    std::shared_ptr<DeviceList> devices;
    MainWindow main_window;
    platform::WindowHandle window;
    platform::MessageId activate;
    ScannerThread scanner;
    std::unique_ptr<DeviceAttach> attach;
    int selected_hidden = 0;
    int brought_to_front = 0;
};

TEST(DeviceTablesTest, EveryPageSetIsBuiltFromTheKeyboardRows) {
    EXPECT_EQ(kDeviceOptions[1].label, "keyboard");
    EXPECT_EQ(kDeviceOptions[1].view_value, 0);
    EXPECT_EQ(kDevicePages[1].key_count, 126);
    EXPECT_EQ(kDevicePages[1].led_count, 126);
    EXPECT_EQ(kDevicePages[1].page_layout, "XML\\DeviceXml\\keyboarddevice.xml");
    // Every supported product may get a page; 0x4EA8 has an option row but no table row.
    for (std::size_t row = 0; row < kSupportedDevices.size(); row += 2) {
        const SupportedDeviceRecord& product = kSupportedDevices[row];
        EXPECT_TRUE(std::any_of(kDeviceOptions.begin(), kDeviceOptions.end(),
                                [&](auto& option) {
                                    return option.vendor_id == product.vendor_id &&
                                           option.product_id == product.product_id &&
                                           option.kind == product.kind;
                                }))
            << std::hex << product.product_id;
    }
    EXPECT_EQ(FindPrimaryRow(kSupportedDevices, kDeviceOptions[9].vendor_id,
                             kDeviceOptions[9].product_id, kDeviceOptions[9].kind),
              -1);
}

TEST_F(DeviceAttachTest, PluggedKeyboardGetsOnePageSetAndIsSelected) {
    ASSERT_TRUE(NoticeShown());
    sim::SimKeyboard& keyboard = keyboards.Keyboard(keyboards.Plug(Product(0x4E93)));
    Scan();

    EXPECT_EQ(main_window.device_messages, 2);
    EXPECT_EQ(brought_to_front, 2);
    ASSERT_EQ(attach->Keyboards().size(), 1u);
    EXPECT_EQ(Selector()->GetCount(), 1);
    EXPECT_EQ(Pages()->GetCount(), 1);
    EXPECT_EQ(PowerEntries()->GetCount(), 1);
    TestKeyboard* device = Keyboard(0);
    EXPECT_TRUE(Shown(device));
    EXPECT_TRUE(Selected(device));
    EXPECT_FALSE(NoticeShown());
    EXPECT_EQ(Pages()->GetCurSel(), 0);
    EXPECT_TRUE(device->IsVisible());
    EXPECT_TRUE(device->PrimaryChannel().IsOpen());
    EXPECT_TRUE(device->SecondaryChannel().IsOpen());
    EXPECT_TRUE(device->IsSyncThreadRunning());
    EXPECT_EQ(device->Identity().product_id, 0x4E93);
    EXPECT_EQ(device->Identity().path, devices->Entry(2)->path);
    EXPECT_EQ(device->KeyCount(), 126);
    EXPECT_EQ(device->LedCount(), 126);
    EXPECT_EQ(device->Label(), "keyboard");
    EXPECT_EQ(device->LightName(), "orvum_light");
    EXPECT_NE(device->KeySelectionPanel(), nullptr);
    EXPECT_EQ(EntryOf(device)->KeySelectionPanel(), device->KeySelectionPanel());
    EXPECT_EQ(EntryOf(device)->PageIndex(), 0);
    EXPECT_EQ(EntryOf(device)->PowerIndex(), 0);
    EXPECT_EQ(device->SelectorEntry(), EntryOf(device));
    EXPECT_FALSE(manager.FindControl("synchro_device_select")->GetVisibleFlag());

    // 500 ms after the primary channel attached the device reads everything.
    loop.AdvanceBy(Millis(499));
    EXPECT_EQ(device->syncs, 0);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(device->syncs, 1);
    // From then on light frames go out every 50 ms.
    loop.AdvanceBy(Millis(1'000));
    EXPECT_EQ(device->syncs, 1);
    EXPECT_GE(keyboard.Memory().frames_received, 19u);

    // A parameter-read notice from the keyboard leads to ReadParameters 500 ms later.
    ASSERT_TRUE(keyboard.SendSyncRequest());
    ASSERT_TRUE(platform::testing::PumpUntil(loop, [&] {
        return loop.HasTimer(static_cast<dui::Control*>(EntryOf(device)), ui::kTimerReadParameters);
    }));
    loop.AdvanceBy(Millis(499));
    EXPECT_EQ(device->parameter_reads, 0);
    loop.AdvanceBy(Millis(1));
    EXPECT_EQ(device->parameter_reads, 1);

    Scan();
    EXPECT_EQ(main_window.other_messages[activate], 1);
    EXPECT_EQ(attach->Keyboards().size(), 1u);

    // The entry and the page paint through the real layouts.
    dui::RecordingRenderEngine engine;
    manager.Paint(engine, {0, 0, 800, 572});
    EXPECT_FALSE(engine.CallsStartingWith("text").empty());
    bool name_painted = false;
    for (const std::string& call : engine.CallsStartingWith("text")) {
        name_painted = name_painted || call.find("\"keyboard\"") != std::string::npos;
    }
    EXPECT_TRUE(name_painted);
}

TEST_F(DeviceAttachTest, SelectionFollowsPlugAndUnplugOfTwoKeyboards) {
    const std::size_t first = keyboards.Plug(Product(0x4E93));
    Scan();
    const std::size_t second = keyboards.Plug(Product(0x4E96));
    Scan();
    ASSERT_EQ(attach->Keyboards().size(), 2u);
    TestKeyboard* a = Keyboard(0);
    TestKeyboard* b = Keyboard(1);

    // The second keyboard shows up but the selection stays.
    EXPECT_TRUE(Shown(b));
    EXPECT_TRUE(Selected(a));
    EXPECT_FALSE(Selected(b));
    EXPECT_EQ(Pages()->GetCurSel(), 0);
    EXPECT_EQ(a->panel.calls.back(), true);
    EXPECT_EQ(b->panel.calls.back(), true);

    loop.AdvanceBy(Millis(600));
    EXPECT_EQ(a->syncs, 1);
    EXPECT_EQ(b->syncs, 1);
    EXPECT_TRUE(loop.HasTimer(static_cast<dui::Control*>(EntryOf(b)), ui::kTimerLightFrame));

    // Only one entry synchronised: the next selection change turns the check off.
    EntryOf(a)->SetSynchronised(true);

    keyboards.Unplug(first);
    Scan();
    EXPECT_EQ(selected_hidden, 1);
    EXPECT_FALSE(Shown(a));
    EXPECT_TRUE(Selected(b));
    EXPECT_EQ(Pages()->GetCurSel(), 1);
    EXPECT_FALSE(a->PrimaryChannel().IsOpen());
    EXPECT_FALSE(a->SecondaryChannel().IsOpen());
    EXPECT_FALSE(a->IsSyncThreadRunning());
    EXPECT_FALSE(NoticeShown());
    EXPECT_FALSE(EntryOf(a)->IsSynchronised());
    EXPECT_EQ(b->panel.calls.back(), false);

    keyboards.Unplug(second);
    Scan();
    // The light frames end with the primary channel.
    loop.AdvanceBy(Millis(100));
    EXPECT_FALSE(loop.HasTimer(static_cast<dui::Control*>(EntryOf(b)), ui::kTimerLightFrame));
    EXPECT_EQ(selected_hidden, 2);
    EXPECT_FALSE(Shown(b));
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(Pages()->GetCurSel(), 0);
    EXPECT_EQ(PowerEntries()->GetCurSel(), 0);

    // Plugged in again, the first keyboard finds its own device object.
    keyboards.Replug(first);
    Scan();
    ASSERT_EQ(attach->Keyboards().size(), 2u);
    EXPECT_EQ(Keyboard(0), a);
    EXPECT_EQ(Selector()->GetCount(), 2);
    EXPECT_EQ(Pages()->GetCount(), 2);
    EXPECT_TRUE(a->PrimaryChannel().IsOpen());
    EXPECT_TRUE(a->SecondaryChannel().IsOpen());
    EXPECT_TRUE(Shown(a));
    EXPECT_TRUE(Selected(a));
    EXPECT_EQ(Pages()->GetCurSel(), 0);
    EXPECT_FALSE(NoticeShown());
}

TEST_F(DeviceAttachTest, UnsupportedProductAttachesNothing) {
    keyboards.Plug(Product(0x4EA8));
    Scan();
    EXPECT_EQ(main_window.device_messages, 0);
    EXPECT_TRUE(attach->Keyboards().empty());
    EXPECT_EQ(Selector()->GetCount(), 0);
    EXPECT_TRUE(NoticeShown());

    // An arrival for an entry outside the list, or of a product without an option row, is
    // ignored as well.
    attach->OnDeviceArrived(devices->Size());
    attach->BuildKeyboardPage(-1);
    EXPECT_EQ(Pages()->GetCount(), 0);
}

TEST_F(DeviceAttachTest, ShutdownRemovesThePageSetsOfTheLaterOptionRows) {
    keyboards.Plug(Product(0x4E99));  // option row 10
    Scan();
    keyboards.Plug(Product(0x4E93));  // option row 4
    Scan();
    ASSERT_EQ(attach->Keyboards().size(), 2u);
    TestKeyboard* kept = Keyboard(1);
    ASSERT_EQ(EntryOf(kept)->PageIndex(), 1);
    ASSERT_EQ(EntryOf(kept)->PowerIndex(), 1);

    attach->Shutdown();
    ASSERT_EQ(attach->Keyboards().size(), 1u);
    EXPECT_EQ(Keyboard(0), kept);
    EXPECT_EQ(Selector()->GetCount(), 1);
    EXPECT_EQ(Pages()->GetCount(), 1);
    EXPECT_EQ(PowerEntries()->GetCount(), 1);
    EXPECT_EQ(EntryOf(kept)->PageIndex(), 0);
    EXPECT_EQ(EntryOf(kept)->PowerIndex(), 0);
    EXPECT_TRUE(kept->PrimaryChannel().IsOpen());
}

TEST_F(DeviceAttachTest, ScannerThreadDrivesTheUiThread) {
    platform::ThreadSlot slot(platform::StopTexts::kSilent, &loop);
    ASSERT_TRUE(slot.Start([this](platform::ManualResetEvent& stop) { scanner.Run(stop); }));

    const std::size_t index = keyboards.Plug(Product(0x4E9C));
    ASSERT_TRUE(platform::testing::PumpUntil(loop, [&] {
        return attach->Keyboards().size() == 1 && Keyboard(0)->IsSyncThreadRunning() &&
               Keyboard(0)->PrimaryChannel().IsOpen();
    }));
    TestKeyboard* device = Keyboard(0);
    EXPECT_TRUE(Selected(device));
    ASSERT_TRUE(keyboards.Keyboard(index).SendSyncRequest());
    ASSERT_TRUE(platform::testing::PumpUntil(loop, [&] {
        return loop.HasTimer(static_cast<dui::Control*>(EntryOf(device)), ui::kTimerReadParameters);
    }));

    keyboards.Unplug(index);
    ASSERT_TRUE(platform::testing::PumpUntil(loop, [&] { return NoticeShown(); }));
    EXPECT_FALSE(device->PrimaryChannel().IsOpen());
    ASSERT_TRUE(platform::testing::PumpUntil(loop, [&] { return !device->IsSyncThreadRunning(); }));

    EXPECT_EQ(slot.Stop(), platform::StopOutcome::kEnded);
    loop.RunUntilIdle();
    EXPECT_EQ(main_window.other_messages[activate], 1);
}

}  // namespace
}  // namespace calvorn::discovery
