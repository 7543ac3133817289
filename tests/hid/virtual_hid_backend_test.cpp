#include "hid/virtual_hid_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "hid/hid_test_support.h"

namespace calvorn::hid {
namespace {

using test::MakeKeyboard;
using test::ScriptedDevice;
using Bytes = std::vector<std::uint8_t>;

constexpr HidOpenOptions kReadWrite{true, true, true, false};

class VirtualHidBackendTest : public ::testing::Test {
protected:
    std::unique_ptr<HidBackendHandle> OpenPath(const std::string& path,
                                               HidOpenOptions options = kReadWrite) {
        std::optional<HidOpenedPath> opened = backend_.Open(path, options);
        return opened ? std::move(opened->handle) : nullptr;
    }

    VirtualHidBackend backend_;
};

TEST_F(VirtualHidBackendTest, EveryCollectionIsOnePath) {
    const auto keyboard = MakeKeyboard(0x4EAB);
    const auto single = std::make_shared<ScriptedDevice>(
        0x046D, 0xC077, 0x7200, std::vector<VirtualCollection>{{0, 0, test::kWheelMouse}});
    const std::uint32_t first = backend_.Plug(keyboard);
    const std::uint32_t second = backend_.Plug(single);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    EXPECT_TRUE(keyboard->Connected());

    const std::vector<std::string> expected = {
        "virtual/1#vid_3299&pid_4eab&mi_01&col04",
        "virtual/1#vid_3299&pid_4eab&mi_01&col03",
        "virtual/2#vid_046d&pid_c077&mi_00",
    };
    EXPECT_EQ(backend_.EnumeratePaths(), expected);
    for (const std::string& path : expected) {
        EXPECT_TRUE(backend_.PathExists(path)) << path;
    }
    EXPECT_FALSE(backend_.PathExists("virtual/3#vid_3299&pid_4eab&mi_01&col04"));

    std::optional<HidOpenedPath> opened = backend_.Open(expected[1], kReadWrite);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->attributes.vendor_id, 0x3299);
    EXPECT_EQ(opened->attributes.product_id, 0x4EAB);
    EXPECT_EQ(opened->attributes.version_number, 0x0104);
    EXPECT_EQ(opened->report_descriptor, test::kConsumerControl);
    EXPECT_EQ(opened->collection_index, 0u);

    backend_.Unplug(first);
    EXPECT_FALSE(keyboard->Connected());
    EXPECT_FALSE(backend_.IsPlugged(first));
    EXPECT_EQ(backend_.EnumeratePaths(), std::vector<std::string>{expected[2]});
    EXPECT_FALSE(backend_.PathExists(expected[0]));
    EXPECT_FALSE(backend_.Open(expected[0], kReadWrite));
    EXPECT_EQ(backend_.Plug(keyboard), 3u);  // plug IDs are never reused
}

TEST_F(VirtualHidBackendTest, ReadsDeliverTheCollectionsReportsInOrderToEveryHandle) {
    const auto keyboard = MakeKeyboard();
    const std::uint32_t id = backend_.Plug(keyboard);
    keyboard->Push(4, {0x04, 0x00});  // nobody has the collection open: dropped

    const std::vector<std::string> paths = backend_.PathsOf(id);
    auto vendor_a = OpenPath(paths[0]);
    auto vendor_b = OpenPath(paths[0]);
    auto consumer = OpenPath(paths[1]);
    ASSERT_TRUE(vendor_a && vendor_b && consumer);

    keyboard->Push(4, {0x04, 0x01});
    keyboard->Push(3, {0x03, 0x01, 0x04});
    keyboard->Push(4, {0x04, 0x02});

    Bytes report;
    for (HidBackendHandle* handle : {vendor_a.get(), vendor_b.get()}) {
        ASSERT_EQ(handle->ReadReport(report, 0), HidTransferStatus::kOk);
        EXPECT_EQ(report, (Bytes{0x04, 0x01}));
        ASSERT_EQ(handle->ReadReport(report, 0), HidTransferStatus::kOk);
        EXPECT_EQ(report, (Bytes{0x04, 0x02}));
        EXPECT_EQ(handle->ReadReport(report, 0), HidTransferStatus::kTimedOut);
    }
    ASSERT_EQ(consumer->ReadReport(report, 0), HidTransferStatus::kOk);
    EXPECT_EQ(report, (Bytes{0x03, 0x01, 0x04}));
    EXPECT_EQ(consumer->ReadReport(report, 5), HidTransferStatus::kTimedOut);
}

TEST_F(VirtualHidBackendTest, AFullQueueDropsLaterReports) {
    const auto keyboard = MakeKeyboard();
    const std::uint32_t id = backend_.Plug(keyboard);
    auto handle = OpenPath(backend_.PathsOf(id)[1]);
    for (int i = 0; i < 70; ++i) {
        keyboard->Push(3, {0x03, static_cast<std::uint8_t>(i)});
    }
    Bytes report;
    for (std::size_t i = 0; i < VirtualHidBackend::kQueueCapacity; ++i) {
        ASSERT_EQ(handle->ReadReport(report, 0), HidTransferStatus::kOk);
        EXPECT_EQ(report[1], i);
    }
    EXPECT_EQ(handle->ReadReport(report, 0), HidTransferStatus::kTimedOut);
}

TEST_F(VirtualHidBackendTest, WritesReachTheDeviceWhichMayReplyFromInsideTheCall) {
    const auto keyboard = MakeKeyboard();
    keyboard->SetOutputHandler(
        [&keyboard](std::uint8_t collection, std::span<const std::uint8_t> r) {
            if (r[1] == 0xEE) {
                return false;  // the device refuses this one
            }
            keyboard->Push(collection, {r[0], static_cast<std::uint8_t>(r[1] + 1)});
            return true;
        });
    const std::uint32_t id = backend_.Plug(keyboard);
    auto vendor = OpenPath(backend_.PathsOf(id)[0]);

    const Bytes request = {0x04, 0x10};
    EXPECT_EQ(vendor->WriteReport(request, 1000), HidTransferStatus::kOk);
    Bytes reply;
    ASSERT_EQ(vendor->ReadReport(reply, 0), HidTransferStatus::kOk);
    EXPECT_EQ(reply, (Bytes{0x04, 0x11}));
    ASSERT_EQ(keyboard->Outputs().size(), 1u);
    EXPECT_EQ(keyboard->Outputs()[0].first, 4);
    EXPECT_EQ(keyboard->Outputs()[0].second, request);

    EXPECT_EQ(vendor->WriteReport(Bytes{0x04, 0xEE}, 1000), HidTransferStatus::kFailed);
    EXPECT_TRUE(vendor->SetOutputReport(request));

    // Access follows the open options.
    auto read_only = OpenPath(backend_.PathsOf(id)[0], {true, false, true, false});
    EXPECT_EQ(read_only->WriteReport(request, 1000), HidTransferStatus::kFailed);
    auto write_only = OpenPath(backend_.PathsOf(id)[0], {false, true, true, false});
    EXPECT_EQ(write_only->ReadReport(reply, 0), HidTransferStatus::kFailed);
}

TEST_F(VirtualHidBackendTest, UnplugFailsTransfersAndReleasesBlockedReads) {
    const auto keyboard = MakeKeyboard();
    const std::uint32_t id = backend_.Plug(keyboard);
    auto vendor = OpenPath(backend_.PathsOf(id)[0]);
    auto consumer = OpenPath(backend_.PathsOf(id)[1]);
    keyboard->Push(3, {0x03, 0x01, 0x04});

    std::future<HidTransferStatus> blocked = std::async(std::launch::async, [&vendor] {
        Bytes report;
        return vendor->ReadReport(report, -1);
    });
    backend_.Unplug(id);
    EXPECT_EQ(blocked.get(), HidTransferStatus::kFailed);

    Bytes report;
    EXPECT_EQ(consumer->ReadReport(report, 0), HidTransferStatus::kFailed);  // queue dropped
    EXPECT_EQ(vendor->WriteReport(Bytes{0x04, 0x01}, 1000), HidTransferStatus::kFailed);
    EXPECT_EQ(keyboard->Connects(), 2);     // connected, then disconnected
    keyboard->Push(3, {0x03, 0x01, 0x04});  // a late push from the device goes nowhere
}

TEST_F(VirtualHidBackendTest, AbortReleasesABlockedReadAndFailsLaterOnes) {
    const auto keyboard = MakeKeyboard();
    auto vendor = OpenPath(backend_.PathsOf(backend_.Plug(keyboard))[0]);
    std::future<HidTransferStatus> blocked = std::async(std::launch::async, [&vendor] {
        Bytes report;
        return vendor->ReadReport(report, -1);
    });
    vendor->Abort();
    EXPECT_EQ(blocked.get(), HidTransferStatus::kAborted);
    Bytes report;
    EXPECT_EQ(vendor->ReadReport(report, 0), HidTransferStatus::kAborted);
    EXPECT_EQ(vendor->WriteReport(Bytes{0x04}, 0), HidTransferStatus::kFailed);
}

TEST_F(VirtualHidBackendTest, DeviceMayUnplugItselfInTheMiddleOfAWrite) {
    const auto keyboard = MakeKeyboard();
    std::atomic<std::uint32_t> id{0};
    keyboard->SetOutputHandler([this, &id](std::uint8_t, std::span<const std::uint8_t>) {
        backend_.Unplug(id.load());
        return true;
    });
    id = backend_.Plug(keyboard);
    auto vendor = OpenPath(backend_.PathsOf(id)[0]);
    EXPECT_EQ(vendor->WriteReport(Bytes{0x04, 0x01}, 1000), HidTransferStatus::kFailed);
    EXPECT_FALSE(keyboard->Connected());
}

TEST_F(VirtualHidBackendTest, ConcurrentPushWriteReadAndUnplug) {
    const auto keyboard = MakeKeyboard();
    keyboard->SetOutputHandler(
        [&keyboard](std::uint8_t collection, std::span<const std::uint8_t> r) {
            keyboard->Push(collection, Bytes(r.begin(), r.end()));
            return true;
        });
    const std::uint32_t id = backend_.Plug(keyboard);
    auto vendor = OpenPath(backend_.PathsOf(id)[0]);
    auto consumer = OpenPath(backend_.PathsOf(id)[1]);

    // A notice stream on the consumer collection and request/reply exchanges on the vendor
    // collection, on their own threads, until the device is unplugged under them.
    std::atomic<bool> stop{false};
    std::atomic<int> exchanges{0};
    std::thread pusher([&] {
        for (std::uint8_t i = 0; !stop; ++i) {
            keyboard->Push(3, {0x03, i, 0x05});
        }
    });
    std::thread exchanger([&] {
        Bytes reply;
        for (std::uint8_t i = 0;; ++i) {
            if (vendor->WriteReport(Bytes{0x04, i}, 1000) != HidTransferStatus::kOk ||
                vendor->ReadReport(reply, -1) != HidTransferStatus::kOk) {
                break;
            }
            EXPECT_EQ(reply[1], i);
            ++exchanges;
        }
    });
    std::thread reader([&] {
        Bytes report;
        while (consumer->ReadReport(report, -1) == HidTransferStatus::kOk) {
        }
    });
    while (exchanges < 100) {
        std::this_thread::yield();
    }
    backend_.Unplug(id);
    reader.join();  // both released by the unplug
    exchanger.join();
    stop = true;
    pusher.join();
    EXPECT_FALSE(keyboard->Connected());
}

}  // namespace
}  // namespace calvorn::hid
