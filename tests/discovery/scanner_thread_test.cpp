#include "discovery/scanner_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "discovery/discovery_test_support.h"
#include "hid/hid_test_support.h"
#include "hid/virtual_hid_backend.h"
#include "platform/test_support.h"
#include "platform/thread_slot.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"

namespace calvorn::discovery {
namespace {

using platform::LParam;
using platform::LResult;
using platform::MessageId;
using platform::WindowHandle;
using platform::WParam;

// The main window's side as the scanner sees it: records every message and, for the two
// device messages, the entry as it stood while the message was handled.
struct MainWindowRecorder : platform::MessageHandler {
    explicit MainWindowRecorder(const DeviceList& list) : devices(list) {}

    struct Received {
        MessageId message;
        WParam index;
        SupportedDeviceRecord entry;
    };

    LResult HandleMessage(WindowHandle, MessageId message, WParam wparam, LParam) override {
        Received received{message, wparam, {}};
        if (message == WM_DEVICE_ARRIVED || message == WM_DEVICE_REMOVED) {
            received.entry = devices.Entry(wparam).value_or(SupportedDeviceRecord{});
        }
        messages.push_back(received);
        return 0;
    }

    std::vector<Received> Of(MessageId message) const {
        std::vector<Received> found;
        for (const Received& received : messages) {
            if (received.message == message) {
                found.push_back(received);
            }
        }
        return found;
    }
    std::vector<WParam> IndexesOf(MessageId message) const {
        std::vector<WParam> indexes;
        for (const Received& received : Of(message)) {
            indexes.push_back(received.index);
        }
        return indexes;
    }

    const DeviceList& devices;
    std::vector<Received> messages;  // UI thread only
};

sim::SimKeyboardConfig Keyboard(std::uint16_t vendor_id, std::uint16_t product_id) {
    sim::SimKeyboardConfig config;
    config.vendor_id = vendor_id;
    config.product_id = product_id;
    return config;
}

class ScannerTest : public ::testing::Test {
protected:
    ScannerTest()
        : counting(backend),
          devices(std::make_shared<DeviceList>()),
          recorder(*devices),
          window(loop.CreateWindow(&recorder)),
          activate(platform::RegisterWindowMessage("Calvorn")),
          keyboards(backend),
          scanner(counting, devices, loop, window, activate) {}

    // One scanner cycle on the UI thread, then whatever it posted.
    void Cycle() {
        scanner.Cycle();
        loop.RunUntilIdle();
    }

    hid::VirtualHidBackend backend;
    testing::CountingBackend counting;
    platform::UiLoop loop;
    std::shared_ptr<DeviceList> devices;
    MainWindowRecorder recorder;
    WindowHandle window;
    MessageId activate;
    sim::SimulatedKeyboards keyboards;
    ScannerThread scanner;
};

TEST(SupportedDevicesTest, TableRowsPairEachProductsTwoCollections) {
    ASSERT_EQ(kSupportedDevices.size(), 14u);
    for (std::size_t row = 0; row < kSupportedDevices.size(); row += 2) {
        const SupportedDeviceRecord& primary = kSupportedDevices[row];
        const SupportedDeviceRecord& secondary = kSupportedDevices[row + 1];
        EXPECT_EQ(primary.vendor_id, secondary.vendor_id);
        EXPECT_EQ(primary.product_id, secondary.product_id);
        EXPECT_EQ(primary.collection_number, 4);
        EXPECT_EQ(primary.channel_role, CHANNEL_PRIMARY);
        EXPECT_EQ(primary.usage_page, 0xFF1C);
        EXPECT_EQ(primary.usage, 0x0092);
        EXPECT_EQ(secondary.collection_number, 3);
        EXPECT_EQ(secondary.channel_role, CHANNEL_SECONDARY);
        EXPECT_EQ(secondary.usage_page, 0x000C);
        EXPECT_EQ(secondary.usage, 0x0001);
        for (const SupportedDeviceRecord* record : {&primary, &secondary}) {
            EXPECT_EQ(record->interface_number, 1);
            EXPECT_EQ(record->kind, DEVICE_KEYBOARD);
            EXPECT_EQ(record->attached, 0);
            EXPECT_TRUE(record->path.empty());
        }
        EXPECT_EQ(FindPrimaryRow(kSupportedDevices, primary.vendor_id, primary.product_id,
                                 DEVICE_KEYBOARD),
                  static_cast<int>(row));
    }
    EXPECT_EQ(kSupportedDevices[0].vendor_id, 0x3329);
    EXPECT_EQ(kSupportedDevices[0].product_id, 0x4EAB);
    EXPECT_EQ(FindPrimaryRow(kSupportedDevices, 0x3299, 0x4EA8, DEVICE_KEYBOARD), -1);
}

TEST_F(ScannerTest, PluggedKeyboardArrivesWithBothEntriesInOnePass) {
    keyboards.Plug(Keyboard(0x3299, 0x4E93));
    Cycle();

    const auto arrivals = recorder.Of(WM_DEVICE_ARRIVED);
    ASSERT_EQ(arrivals.size(), 2u);
    // In the order the backend lists the interfaces: the consumer collection comes first.
    EXPECT_EQ(arrivals[0].index, 3u);
    EXPECT_EQ(arrivals[1].index, 2u);
    for (const auto& arrival : arrivals) {
        // The entry is already attached, with its path, when the message is handled.
        EXPECT_EQ(arrival.entry.attached, 1);
        EXPECT_EQ(arrival.entry.path, devices->Entry(arrival.index)->path);
        EXPECT_EQ(hid::ParseCollectionNumber(arrival.entry.path), arrival.entry.collection_number);
    }
    EXPECT_EQ(counting.opens.load(), 2);  // one probe per interface

    Cycle();
    EXPECT_EQ(recorder.Of(WM_DEVICE_ARRIVED).size(), 2u);
}

TEST_F(ScannerTest, UnpluggedKeyboardIsRemovedWithinOneCycleInListOrder) {
    const std::size_t index = keyboards.Plug(Keyboard(0x3299, 0x4E96));
    Cycle();
    ASSERT_EQ(recorder.Of(WM_DEVICE_ARRIVED).size(), 2u);

    keyboards.Unplug(index);
    Cycle();
    const auto removals = recorder.Of(WM_DEVICE_REMOVED);
    ASSERT_EQ(removals.size(), 2u);
    EXPECT_EQ(removals[0].index, 4u);
    EXPECT_EQ(removals[1].index, 5u);
    for (const auto& removal : removals) {
        EXPECT_EQ(removal.entry.attached, 0);  // freed before the message
        EXPECT_TRUE(removal.entry.path.empty());
    }

    keyboards.Replug(index);
    Cycle();
    EXPECT_EQ(recorder.Of(WM_DEVICE_ARRIVED).size(), 4u);
}

TEST_F(ScannerTest, InterfacesOutsideTheTableAttachNothing) {
    struct Case {
        const char* what;
        std::shared_ptr<hid::VirtualHidDevice> device;
        int probes;
    };
    const std::vector<Case> cases = {
        {"a product in no table row", std::make_shared<sim::SimKeyboard>(Keyboard(0x3299, 0x4EA8)),
         0},
        {"a supported product under another vendor ID",
         std::make_shared<sim::SimKeyboard>(Keyboard(0x3329, 0x4E93)), 0},
        {"a supported product's collection with another usage",
         std::make_shared<hid::test::ScriptedDevice>(
             0x3299, 0x4E93, 0x0104,
             std::vector<hid::VirtualCollection>{{1, 4, hid::test::kBootKeyboard}}),
         1},
        {"a supported product on interface 0",
         std::make_shared<hid::test::ScriptedDevice>(
             0x3299, 0x4E93, 0x0104,
             std::vector<hid::VirtualCollection>{{0, 4, hid::test::kVendorCollection}}),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int opens_before = counting.opens.load();
        const std::uint32_t id = backend.Plug(c.device);
        Cycle();
        EXPECT_TRUE(recorder.Of(WM_DEVICE_ARRIVED).empty());
        EXPECT_EQ(counting.opens.load() - opens_before, c.probes);
        for (std::size_t i = 0; i < devices->Size(); ++i) {
            EXPECT_TRUE(devices->IsFree(i));
        }
        backend.Unplug(id);
    }
}

TEST_F(ScannerTest, InstanceActivationIsPostedOnceAfterTheFirstPass) {
    Cycle();
    EXPECT_EQ(recorder.Of(activate).size(), 1u);

    keyboards.Plug(Keyboard(0x3299, 0x4E99));
    Cycle();
    Cycle();
    ASSERT_EQ(recorder.Of(activate).size(), 1u);
    EXPECT_EQ(recorder.Of(WM_DEVICE_ARRIVED).size(), 2u);
}

TEST_F(ScannerTest, WhileEveryEntryIsAttachedOnlyPresenceIsTested) {
    std::vector<std::size_t> plugged;
    for (std::size_t row = 0; row < kSupportedDevices.size(); row += 2) {
        plugged.push_back(keyboards.Plug(
            Keyboard(kSupportedDevices[row].vendor_id, kSupportedDevices[row].product_id)));
    }
    Cycle();
    ASSERT_EQ(recorder.Of(WM_DEVICE_ARRIVED).size(), 14u);
    ASSERT_FALSE(devices->AnyFree());
    const int listings = counting.enumerations.load();
    const int opens = counting.opens.load();

    Cycle();
    EXPECT_EQ(counting.enumerations.load(), listings);
    EXPECT_EQ(counting.opens.load(), opens);

    keyboards.Unplug(plugged[3]);  // 0x4E99: entries 6 and 7
    Cycle();
    EXPECT_EQ(counting.enumerations.load(), listings);
    EXPECT_EQ(recorder.IndexesOf(WM_DEVICE_REMOVED), (std::vector<WParam>{6, 7}));
}

TEST_F(ScannerTest, AFailedListingIsRetriedOnTheNextCycle) {
    keyboards.Plug(Keyboard(0x3299, 0x4EA2));
    counting.failing_listings = 1;
    Cycle();
    EXPECT_TRUE(recorder.Of(WM_DEVICE_ARRIVED).empty());
    EXPECT_EQ(recorder.Of(activate).size(), 1u);

    Cycle();
    EXPECT_EQ(recorder.IndexesOf(WM_DEVICE_ARRIVED).size(), 2u);
    EXPECT_EQ(recorder.Of(activate).size(), 1u);
}

TEST_F(ScannerTest, ThreadSendsToTheUiThreadAndStopsOnItsEvent) {
    platform::TraceCapture trace;
    platform::ThreadSlot slot(platform::StopTexts::kSilent, &loop);
    ASSERT_TRUE(slot.Start([&](platform::ManualResetEvent& stop) { scanner.Run(stop); }));

    const std::size_t index = keyboards.Plug(Keyboard(0x3299, 0x4E9C));
    ASSERT_TRUE(platform::testing::PumpUntil(
        loop, [&] { return recorder.Of(WM_DEVICE_ARRIVED).size() == 2; }));
    keyboards.Unplug(index);
    ASSERT_TRUE(platform::testing::PumpUntil(
        loop, [&] { return recorder.Of(WM_DEVICE_REMOVED).size() == 2; }));

    EXPECT_EQ(slot.Stop(), platform::StopOutcome::kEnded);
    EXPECT_EQ(trace.Count("抓取设备线程设定退出"), 1u);
    loop.RunUntilIdle();
    EXPECT_EQ(recorder.Of(activate).size(), 1u);
    EXPECT_EQ(recorder.IndexesOf(WM_DEVICE_REMOVED), (std::vector<WParam>{8, 9}));
}

}  // namespace
}  // namespace calvorn::discovery
