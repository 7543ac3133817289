#include "hid/hid_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_test_support.h"
#include "hid/virtual_hid_backend.h"

namespace calvorn::hid {
namespace {

using test::CompositeInterface;
using test::kBootKeyboard;
using test::kWheelMouse;

TEST(HidPathParserTest, ParsesMarkersAsHex) {
    struct Case {
        std::string path;
        std::uint16_t vid, pid, interface, collection;
    };
    const Case cases[] = {
        {R"(\\?\hid#vid_3299&pid_4e93&mi_01&col04#8&1a2b3c4d&0&0003#{4d1e55b2})", 0x3299, 0x4E93, 1,
         4},
        {"/dev/hidraw3#vid_3299&pid_4e93&mi_01&col04", 0x3299, 0x4E93, 1, 4},
        {R"(\\?\HID#VID_3329&PID_4EAB&MI_01&COL03#x)", 0x3329, 0x4EAB, 1, 3},
        {"virtual/1#Vid_00aB&Pid_Cd&Mi_0a&Col1f", 0x00AB, 0x00CD, 0x0A, 0x1F},
        {"/dev/hidraw0#vid_046d&pid_c52b", 0x046D, 0xC52B, 0, 0},  // no &mi_ and no &col
        {"no markers at all", 0, 0, 0, 0},
        {"vid_zz&pid_&mi_g1&col-", 0, 0, 0, 0},              // not hexadecimal after the marker
        {"vid_0x1234&pid_ 2a&mi_+3", 0x1234, 0x002A, 3, 0},  // as "%x" reads them
        {"vid_123456&pid_fffff", 0x3456, 0xFFFF, 0, 0},      // taken as 16 bits
        {"vid_12&col", 0x12, 0, 0, 0},                       // marker at the very end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ParseVendorId(c.path), c.vid);
        EXPECT_EQ(ParseProductId(c.path), c.pid);
        EXPECT_EQ(ParseInterfaceNumber(c.path), c.interface);
        EXPECT_EQ(ParseCollectionNumber(c.path), c.collection);
    }
}

// A handle whose transfers all fail; enough for tests that only open and decode.
class IdleHandle final : public HidBackendHandle {
public:
    HidTransferStatus ReadReport(std::vector<std::uint8_t>&, int) override {
        return HidTransferStatus::kFailed;
    }
    HidTransferStatus WriteReport(std::span<const std::uint8_t>, int) override {
        return HidTransferStatus::kFailed;
    }
    bool SetOutputReport(std::span<const std::uint8_t>) override { return false; }
    void Abort() override {}
};

// A backend with scripted paths: enumeration returns `listing`; each entry of `devices`
// opens with its attributes and descriptor.
class ScriptedBackend final : public HidBackend {
public:
    struct Device {
        HidAttributes attributes;
        std::vector<std::uint8_t> descriptor;
        std::size_t collection_index = 0;
    };

    std::optional<std::vector<std::string>> EnumeratePaths() override { return listing; }
    std::optional<HidOpenedPath> Open(std::string_view path, const HidOpenOptions&) override {
        const auto found = devices.find(std::string(path));
        if (found == devices.end()) {
            return std::nullopt;
        }
        HidOpenedPath opened;
        opened.handle = std::make_unique<IdleHandle>();
        opened.attributes = found->second.attributes;
        opened.report_descriptor = found->second.descriptor;
        opened.collection_index = found->second.collection_index;
        return opened;
    }
    bool PathExists(std::string_view path) override {
        return devices.count(std::string(path)) != 0;
    }

    std::optional<std::vector<std::string>> listing;
    std::map<std::string, Device> devices;
};

const std::string kVendorPath = "scripted/1#vid_3299&pid_4e93&mi_01&col04";

TEST(HidDeviceTest, EnumerationReturnsEveryPathWhateverTheCount) {
    ScriptedBackend backend;
    CHidDevice device(backend);
    for (std::size_t count : {0u, 1u, 4u, 5u, 8u, 9u, 16u, 17u, 100u}) {
        SCOPED_TRACE(count);
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < count; ++i) {
            paths.push_back("scripted/" + std::to_string(i));
        }
        backend.listing = paths;
        ASSERT_TRUE(device.EnumerateHidPaths());
        std::vector<std::string> seen;
        while (auto path = device.NextHidPath()) {
            seen.push_back(*path);
        }
        EXPECT_EQ(seen, paths);
        EXPECT_FALSE(device.NextHidPath());
    }
}

TEST(HidDeviceTest, FailedEnumerationLeavesNoPaths) {
    ScriptedBackend backend;
    CHidDevice device(backend);
    backend.listing = std::vector<std::string>{"a", "b", "c"};
    ASSERT_TRUE(device.EnumerateHidPaths());
    ASSERT_EQ(device.NextHidPath(), "a");

    backend.listing.reset();
    EXPECT_FALSE(device.EnumerateHidPaths());
    EXPECT_FALSE(device.NextHidPath());

    backend.listing = std::vector<std::string>{"a", "b"};
    ASSERT_TRUE(device.EnumerateHidPaths());
    device.FreeHidPaths();
    EXPECT_FALSE(device.NextHidPath());
}

TEST(HidDeviceTest, OpenReadsIdentityCapabilitiesAndPathNumbers) {
    ScriptedBackend backend;
    backend.devices[kVendorPath] = {{0x3299, 0x4E93, 0x0104}, CompositeInterface(), 3};
    CHidDevice device(backend);
    ASSERT_TRUE(device.OpenHidDevice(kVendorPath, true, true, true, false));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.Path(), kVendorPath);
    EXPECT_EQ(device.Attributes().vendor_id, 0x3299);
    EXPECT_EQ(device.Attributes().product_id, 0x4E93);
    EXPECT_EQ(device.Attributes().version_number, 0x0104);
    EXPECT_EQ(device.Capabilities().usage_page, 0xFF1C);
    EXPECT_EQ(device.Capabilities().usage, 0x92);
    EXPECT_EQ(device.Capabilities().input_report_length, 64);
    EXPECT_EQ(device.Capabilities().output_report_length, 64);
    EXPECT_EQ(device.ReportBuffer(HidReportType::kInput).size(), 64u);
    EXPECT_EQ(device.InterfaceNumber(), 1);
    EXPECT_EQ(device.CollectionNumber(), 4);
    // The 63-byte payload is one value caps with one usage: one item.
    ASSERT_EQ(device.InputItems().size(), 1u);
    EXPECT_FALSE(device.InputItems()[0].is_button);
    EXPECT_EQ(device.InputItems()[0].report_id, 4);

    device.CloseHidDevice();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.Path(), kVendorPath);  // the path stays after a close
    EXPECT_TRUE(device.InputItems().empty());
    EXPECT_EQ(device.Capabilities().input_report_length, 0);
}

TEST(HidDeviceTest, FailedOpenLeavesTheRecordClosed) {
    ScriptedBackend backend;
    backend.devices[kVendorPath] = {{0x3299, 0x4E93, 0x0104}, CompositeInterface(), 3};
    backend.devices["broken descriptor"] = {{0x3299, 0x4E93, 1}, {0xA1, 0x01}, 0};
    backend.devices["no such collection"] = {{0x3299, 0x4E93, 1}, CompositeInterface(), 4};
    for (const char* path : {"absent", "broken descriptor", "no such collection"}) {
        SCOPED_TRACE(path);
        CHidDevice device(backend);
        ASSERT_TRUE(device.OpenHidDevice(kVendorPath, true, true, true, false));
        EXPECT_FALSE(device.OpenHidDevice(path, true, false, true, false));
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.Path(), path);
        EXPECT_EQ(device.Attributes().vendor_id, 0);
        EXPECT_EQ(device.Capabilities().usage_page, 0);
        EXPECT_TRUE(device.InputItems().empty());
        EXPECT_TRUE(device.ReportBuffer(HidReportType::kInput).empty());
        std::uint8_t buffer[64] = {};
        EXPECT_FALSE(device.ReadHidReport(buffer, sizeof buffer, 0).ok);
        EXPECT_FALSE(device.WriteHidReport(buffer, sizeof buffer, 0).ok);
    }
}

class DecodeTest : public ::testing::Test {
protected:
    CHidDevice& Open(const std::vector<std::uint8_t>& descriptor, std::size_t index = 0) {
        backend_.devices["dev"] = {{1, 2, 3}, descriptor, index};
        EXPECT_TRUE(device_.OpenHidDevice("dev", true, false, true, false));
        return device_;
    }
    const HidReportItem& Item(std::size_t i) const { return device_.InputItems()[i]; }
    std::vector<std::uint16_t> Usages(std::size_t i) const { return Item(i).usages; }

    ScriptedBackend backend_;
    CHidDevice device_{backend_};
};

TEST_F(DecodeTest, ButtonItemsListOnlyTheirOwnRange) {
    CHidDevice& device = Open(kBootKeyboard);
    ASSERT_EQ(device.InputItems().size(), 2u);
    // Up to 14 usages on the keyboard page at once: 8 modifier bits and 6 array fields.
    ASSERT_EQ(Usages(0).size(), 14u);

    // Left Shift and Right Alt held, A and B pressed: the page carries all four usages, and
    // each item keeps the ones in its own range, in report order, then a 0.
    const std::uint8_t report[] = {0x00, 0x42, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(device.DecodeInputReport(report, sizeof report));
    std::vector<std::uint16_t> modifiers(14, 0);
    modifiers[0] = 0xE1;
    modifiers[1] = 0xE6;
    std::vector<std::uint16_t> keys(14, 0);
    keys[0] = 0x04;
    keys[1] = 0x05;
    EXPECT_EQ(Usages(0), modifiers);
    EXPECT_EQ(Usages(1), keys);
    EXPECT_TRUE(Item(0).is_data_set);

    // Releasing everything clears the lists.
    const std::uint8_t released[9] = {};
    ASSERT_TRUE(device.DecodeInputReport(released, sizeof released));
    EXPECT_EQ(Usages(0), std::vector<std::uint16_t>(14, 0));
    EXPECT_EQ(Usages(1), std::vector<std::uint16_t>(14, 0));
}

TEST_F(DecodeTest, FullUsageListHasNoTerminator) {
    CHidDevice& device = Open(kWheelMouse);
    ASSERT_EQ(Usages(0).size(), 3u);
    const std::uint8_t report[] = {0x00, 0x07, 0x00, 0x00, 0x00};
    ASSERT_TRUE(device.DecodeInputReport(report, sizeof report));
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{1, 2, 3}));
}

TEST_F(DecodeTest, ValueItemsHoldRawAndScaledValues) {
    CHidDevice& device = Open(kWheelMouse);
    ASSERT_EQ(device.InputItems().size(), 4u);  // buttons, X, Y, wheel
    const std::uint8_t report[] = {0x00, 0x05, 0xFB, 0x0A, 0x81};
    ASSERT_TRUE(device.DecodeInputReport(report, sizeof report));
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{1, 3, 0}));
    struct Expected {
        std::uint16_t usage;
        std::uint32_t raw;
        std::int32_t scaled;
    };
    const Expected expected[] = {{0x30, 0xFB, -5}, {0x31, 0x0A, 10}, {0x38, 0x81, -127}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const HidReportItem& item = Item(i + 1);
        EXPECT_EQ(item.usage, expected[i].usage);
        EXPECT_EQ(item.raw_value, expected[i].raw);
        EXPECT_EQ(item.scaled_value, expected[i].scaled);
        EXPECT_EQ(item.status, HidItemStatus::kSuccess);
        EXPECT_TRUE(item.is_data_set);
    }
}

TEST_F(DecodeTest, ScalingFollowsThePhysicalRange) {
    // One 8-bit value, logical 0..200, physical 0..1000, with a null state.
    const std::vector<std::uint8_t> descriptor = {
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x09, 0x32, 0x15, 0x00, 0x26, 0xC8, 0x00,
        0x35, 0x00, 0x46, 0xE8, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x42, 0xC0,
    };
    CHidDevice& device = Open(descriptor);
    struct Case {
        std::uint8_t raw;
        HidItemStatus status;
        std::int32_t scaled;
    };
    const Case cases[] = {
        {0, HidItemStatus::kSuccess, 0},
        {100, HidItemStatus::kSuccess, 500},
        {200, HidItemStatus::kSuccess, 1000},
        {201, HidItemStatus::kNull, 1000},  // out of range: the scaled value is not updated
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.raw});
        const std::uint8_t report[] = {0x00, c.raw};
        ASSERT_TRUE(device.DecodeInputReport(report, sizeof report));
        EXPECT_EQ(Item(0).raw_value, c.raw);
        EXPECT_EQ(Item(0).status, c.status);
        EXPECT_EQ(Item(0).scaled_value, c.scaled);
    }
}

TEST_F(DecodeTest, ValueReadFailureStopsTheDecode) {
    CHidDevice& device = Open(kWheelMouse);
    // The report ends after X: X decodes, Y fails and stops the decode, the wheel is untouched.
    const std::uint8_t report[] = {0x00, 0x01, 0x05};
    EXPECT_FALSE(device.DecodeInputReport(report, sizeof report));
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{1, 0, 0}));
    EXPECT_EQ(Item(1).raw_value, 5u);
    EXPECT_TRUE(Item(1).is_data_set);
    EXPECT_EQ(Item(2).status, HidItemStatus::kReportTooShort);
    EXPECT_FALSE(Item(2).is_data_set);
    EXPECT_FALSE(Item(3).is_data_set);
    EXPECT_EQ(Item(3).status, HidItemStatus::kSuccess);
}

TEST_F(DecodeTest, OnlyItemsOfTheReportsIdAreUpdated) {
    // Two reports in one collection: ID 1 carries buttons, ID 2 a value.
    const std::vector<std::uint8_t> descriptor = {
        0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,                          // Game Pad
        0x85, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x08, 0x15, 0x00,  // ID 1: 8 buttons
        0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,              //
        0x85, 0x02, 0x05, 0x01, 0x09, 0x30, 0x26, 0xFF, 0x00, 0x75,  // ID 2: X
        0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
    };
    CHidDevice& device = Open(descriptor);
    ASSERT_EQ(device.InputItems().size(), 2u);
    const std::uint8_t buttons[] = {0x01, 0x81};
    ASSERT_TRUE(device.DecodeInputReport(buttons, sizeof buttons));
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{1, 8, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(Item(1).is_data_set);

    const std::uint8_t axis[] = {0x02, 0x7F};
    ASSERT_TRUE(device.DecodeInputReport(axis, sizeof axis));
    EXPECT_EQ(Item(1).raw_value, 0x7Fu);
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{1, 8, 0, 0, 0, 0, 0, 0}));

    const std::uint8_t other[] = {0x03, 0xFF};
    ASSERT_TRUE(device.DecodeInputReport(other, sizeof other));
    EXPECT_EQ(Item(1).raw_value, 0x7Fu);
}

TEST_F(DecodeTest, ConsumerNoticesDecodeFromTheCompositeInterface) {
    CHidDevice& device = Open(CompositeInterface(), 2);
    ASSERT_EQ(device.InputItems().size(), 1u);
    const std::uint8_t notice[] = {0x03, 0x05, 0x05};  // key 5 pressed: 0x0505
    ASSERT_TRUE(device.DecodeInputReport(notice, sizeof notice));
    EXPECT_EQ(Usages(0), (std::vector<std::uint16_t>{0x0505}));
}

class HidDeviceTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard_ = test::MakeKeyboard();
        virtual_.Plug(keyboard_);
        ASSERT_TRUE(device_.EnumerateHidPaths());
        vendor_path_ = *device_.NextHidPath();
        ASSERT_TRUE(device_.OpenHidDevice(vendor_path_, true, true, true, false));
    }

    // Starts a read without time limit on another thread.
    std::future<bool> ReadInBackground() {
        return std::async(std::launch::async, [this] {
            std::uint8_t buffer[64];
            return device_.ReadHidReport(buffer, sizeof buffer, -1).ok;
        });
    }

    VirtualHidBackend virtual_;
    test::ObservedBackend backend_{virtual_};
    std::shared_ptr<test::ScriptedDevice> keyboard_;
    CHidDevice device_{backend_};
    std::string vendor_path_;
};

TEST_F(HidDeviceTransferTest, ReadCopiesOneReportAndNothingAfterFailure) {
    std::vector<std::uint8_t> report(64, 0xAB);
    report[0] = 0x04;
    keyboard_->Push(4, report);
    std::uint8_t buffer[64] = {};
    CHidDevice::Transfer got = device_.ReadHidReport(buffer, sizeof buffer, 0);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.bytes, 64u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 64), report);

    // A shorter buffer gets the report's first bytes.
    keyboard_->Push(4, report);
    std::uint8_t shorter[8] = {};
    got = device_.ReadHidReport(shorter, sizeof shorter, 0);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.bytes, 8u);
    EXPECT_EQ(shorter[7], 0xAB);

    // A timed-out read leaves the buffer alone, and a report arriving after it waits for the
    // next read instead of landing in the old buffer.
    std::uint8_t untouched[64] = {};
    got = device_.ReadHidReport(untouched, sizeof untouched, 1);
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.bytes, 0u);
    keyboard_->Push(4, report);
    EXPECT_EQ(untouched[0], 0);
    EXPECT_TRUE(device_.ReadHidReport(buffer, sizeof buffer, 0).ok);
}

TEST_F(HidDeviceTransferTest, WriteAndOutputReportReachTheDevice) {
    std::vector<std::uint8_t> report(64, 0);
    report[0] = 0x04;
    report[3] = 0x01;
    const CHidDevice::Transfer put = device_.WriteHidReport(report.data(), report.size(), 1000);
    EXPECT_TRUE(put.ok);
    EXPECT_EQ(put.bytes, 64u);
    EXPECT_TRUE(device_.SetHidOutputReport(report.data(), report.size()));
    ASSERT_EQ(keyboard_->Outputs().size(), 2u);
    EXPECT_EQ(keyboard_->Outputs()[0].first, 4);
    EXPECT_EQ(keyboard_->Outputs()[0].second, report);
}

TEST_F(HidDeviceTransferTest, CloseReleasesAReadBlockedWithoutTimeout) {
    // The read waits with no limit on a silent device; the close on this thread must make it
    // return failure (the get() below hangs if it does not).
    std::future<bool> read = ReadInBackground();
    backend_.WaitForReads(1);
    device_.CloseHidDevice();
    EXPECT_FALSE(read.get());
    EXPECT_FALSE(device_.IsOpen());
}

TEST_F(HidDeviceTransferTest, ReopenReleasesABlockedReadAndServesTheNewPath) {
    std::future<bool> read = ReadInBackground();
    backend_.WaitForReads(1);
    const std::vector<std::string> paths = virtual_.PathsOf(1);
    ASSERT_EQ(paths.size(), 2u);
    ASSERT_TRUE(device_.OpenHidDevice(paths[1], true, true, true, false));
    EXPECT_FALSE(read.get());
    EXPECT_EQ(device_.CollectionNumber(), 3);
    keyboard_->Push(3, {0x03, 0x01, 0x04});
    std::uint8_t buffer[3] = {};
    ASSERT_TRUE(device_.ReadHidReport(buffer, sizeof buffer, 0).ok);
    EXPECT_EQ(buffer[2], 0x04);
}

TEST_F(HidDeviceTransferTest, UnplugFailsABlockedRead) {
    std::future<bool> read = ReadInBackground();
    backend_.WaitForReads(1);
    virtual_.Unplug(1);
    EXPECT_FALSE(read.get());
    EXPECT_TRUE(device_.IsOpen());  // the record stays open until its owner closes it
    std::uint8_t report[64] = {0x04};
    EXPECT_FALSE(device_.WriteHidReport(report, sizeof report, 1000).ok);
}

}  // namespace
}  // namespace calvorn::hid
