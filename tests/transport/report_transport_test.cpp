#include "transport/report_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "hid/virtual_hid_backend.h"
#include "platform/trace.h"
#include "sim/sim_keyboard.h"
#include "transport/scripted_device.h"

namespace calvorn::transport {
namespace {

using sim::SimFault;
using sim::SimFaultKind;
using sim::SimKeyboard;
using sim::SimKeyboardConfig;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

Frame Literal(std::initializer_list<std::uint8_t> head) {
    Frame frame{};
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

std::vector<std::uint8_t> Bytes(const Frame& frame) {
    return {frame.begin(), frame.end()};
}

// Bytes 3..7 of a request: command, chunk length, offset low and high, 0.
std::vector<std::uint8_t> Header(const Frame& frame) {
    return {frame.begin() + 3, frame.begin() + 8};
}

std::string VendorPath(hid::VirtualHidBackend& backend, std::uint32_t id) {
    for (const std::string& path : backend.PathsOf(id)) {
        if (path.ends_with("&col04")) {
            return path;
        }
    }
    return {};
}

// A channel to the default simulated keyboard; a test changes one config field first.
class SimTransportTest : public ::testing::Test {
protected:
    SimTransportTest() { config.record_frames = true; }

    SimKeyboardConfig config;
    hid::VirtualHidBackend backend;
    std::shared_ptr<SimKeyboard> keyboard;
    std::uint32_t plug_id = 0;
    CReportTransport transport{backend};

    // Plugs the keyboard and opens the channel on its vendor collection.
    SimKeyboard& Open() {
        keyboard = std::make_shared<SimKeyboard>(config);
        plug_id = backend.Plug(keyboard);
        keyboard->SetRemovalHandler([this] { backend.Unplug(plug_id); });
        EXPECT_TRUE(transport.Open(VendorPath(backend, plug_id)));
        return *keyboard;
    }

    std::vector<Frame> Sent() const { return keyboard->RequestLog(); }
};

TEST_F(SimTransportTest, KeyTableWriteGoesOutInChunksWithTheirOffsets) {
    Open();
    ASSERT_TRUE(transport.SetBlockSize(126 * 3));
    std::vector<std::uint8_t> table(512);
    std::iota(table.begin(), table.end(), 0);
    EXPECT_EQ(transport.WriteKeyTable(table, 0), RESULT_OK);

    const auto frames = Sent();
    ASSERT_EQ(frames.size(), 7u);
    const std::vector<std::vector<std::uint8_t>> headers = {
        {0x09, 0x38, 0x00, 0x00, 0}, {0x09, 0x38, 0x38, 0x00, 0}, {0x09, 0x38, 0x70, 0x00, 0},
        {0x09, 0x38, 0xA8, 0x00, 0}, {0x09, 0x38, 0xE0, 0x00, 0}, {0x09, 0x38, 0x18, 0x01, 0},
        {0x09, 0x2A, 0x50, 0x01, 0},
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(Header(frames[i]), headers[i]) << "frame " << i;
    }
    const auto memory = keyboard->Memory();
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 378, memory.key_table.begin()));
    EXPECT_EQ(memory.key_table[378], 0);  // nothing past the block
}

TEST_F(SimTransportTest, ReadAllOfAKeyboard) {
    Open();
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    ASSERT_EQ(transport.BeginSession(), RESULT_OK);
    ASSERT_EQ(transport.ReadDeviceInfo(info), RESULT_OK);
    EXPECT_EQ(info[5], 126);
    EXPECT_EQ(info[6], 32);
    ASSERT_TRUE(transport.SetBlockSize(info[5] * 3u));
    std::vector<std::uint8_t> keys(512), leds(512);
    EXPECT_EQ(transport.ReadKeyTable(keys), RESULT_OK);
    EXPECT_EQ(transport.ReadKeyBytes(leds), RESULT_OK);
    EXPECT_EQ(transport.EndSession(0), RESULT_OK);

    const auto memory = keyboard->Memory();
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 378, memory.key_table.begin()));
    EXPECT_TRUE(std::equal(leds.begin(), leds.begin() + 126, memory.led_table.begin()));
    EXPECT_EQ(memory.sessions, 1u);

    // 1 + 1 + 7 + 3 + 1 exchanges; the LED table read ends with a 14-byte chunk at 112.
    const auto frames = Sent();
    ASSERT_EQ(frames.size(), 13u);
    EXPECT_EQ(Header(frames[1]), (std::vector<std::uint8_t>{0x03, 0x22, 0x00, 0x00, 0}));
    EXPECT_EQ(Header(frames[11]), (std::vector<std::uint8_t>{0x1B, 0x0E, 0x70, 0x00, 0}));
}

TEST_F(SimTransportTest, BlockSizeZeroReadsNothingAndOversizeIsRefused) {
    Open();
    ASSERT_TRUE(transport.SetBlockSize(378));
    EXPECT_FALSE(transport.SetBlockSize(513));
    EXPECT_EQ(transport.BlockSize(), 378);
    EXPECT_TRUE(transport.SetBlockSize(512));

    ASSERT_TRUE(transport.SetBlockSize(0));
    std::vector<std::uint8_t> buffer(512, 0xEE);
    EXPECT_EQ(transport.ReadKeyTable(buffer), RESULT_OK);
    EXPECT_EQ(transport.ReadKeyBytes(buffer), RESULT_OK);
    EXPECT_EQ(transport.WriteKeyTable(buffer, 0), RESULT_OK);
    EXPECT_EQ(keyboard->RequestCount(), 0u);
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(SimTransportTest, KeyTableBlockOtherThanZeroIsRefusedUnsent) {
    Open();
    std::vector<std::uint8_t> table(512, 0x20);
    EXPECT_EQ(transport.WriteKeyTable(table, 1), RESULT_BAD_BLOCK);
    EXPECT_EQ(transport.WriteKeyTable(table, -1), RESULT_BAD_BLOCK);
    EXPECT_EQ(keyboard->RequestCount(), 0u);
}

TEST_F(SimTransportTest, ErrorStatusStopsAMultiChunkWriteAfterThatChunk) {
    const struct {
        std::uint8_t status;
        int result;
    } cases[] = {{0xFE, RESULT_STATUS_FE}, {0xFF, RESULT_STATUS_FF}};
    Open();
    for (const auto& c : cases) {
        keyboard->EditMemory(
            [](sim::SimMemory& m) { std::fill(m.macro.begin(), m.macro.end(), 0); });
        const std::uint64_t before = keyboard->RequestCount();
        keyboard->InjectFault(
            {.kind = SimFaultKind::kStatus, .after_frames = 1, .status = c.status});
        const std::vector<std::uint8_t> image(150, 0x5A);
        EXPECT_EQ(transport.WriteMacroData(image), c.result);
        EXPECT_EQ(keyboard->RequestCount() - before, 2u) << "the third chunk is not sent";
        const auto memory = keyboard->Memory();
        EXPECT_EQ(memory.macro[55], 0x5A) << "the first chunk stays written";
        EXPECT_EQ(memory.macro[56], 0x00);
    }
}

TEST_F(SimTransportTest, LongTimeoutStreamsNoLightAndStillSucceeds) {
    Open();
    transport.SetLongTimeout(true);
    platform::TraceCapture trace;
    const std::vector<std::uint8_t> frame(378, 0x40);
    EXPECT_EQ(transport.StreamLightFrame(frame), RESULT_OK);
    EXPECT_EQ(keyboard->RequestCount(), 0u);
    EXPECT_THAT(trace.Lines(), IsEmpty());

    transport.SetLongTimeout(false);
    EXPECT_EQ(transport.StreamLightFrame(frame), RESULT_OK);
    EXPECT_EQ(keyboard->RequestCount(), 7u);
    EXPECT_EQ(keyboard->Memory().frames_received, 1u);
    EXPECT_THAT(trace.Lines(), IsEmpty()) << "light frames are not traced";
}

TEST_F(SimTransportTest, LightChunksAreDroppedWhileAConfigurationExchangeIsBusy) {
    SimKeyboard& kb = Open();
    kb.InjectFault({.kind = SimFaultKind::kLateReply});  // the begin's reply waits for us
    std::atomic<int> begin_result{99};
    std::thread configuration([&] { begin_result = transport.BeginSession(); });
    while (kb.RequestCount() == 0) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(transport.IsBusy());

    platform::TraceCapture trace;
    const std::vector<std::uint8_t> frame(120, 0x40);
    EXPECT_EQ(transport.StreamLightFrame(frame), RESULT_OK);
    EXPECT_EQ(trace.Count("放弃灯光数据"), 3u);  // one per chunk
    EXPECT_EQ(kb.RequestCount(), 1u);

    kb.ReleaseHeldReplies();
    configuration.join();
    EXPECT_EQ(begin_result, RESULT_OK);
    EXPECT_FALSE(transport.IsBusy());
}

TEST_F(SimTransportTest, ClosedChannelSendsNothing) {
    Open();
    transport.Close();
    std::vector<std::uint8_t> buffer(512, 1);
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    const std::vector<std::pair<const char*, std::function<int()>>> operations = {
        {"BeginSession", [&] { return transport.BeginSession(); }},
        {"EndSession", [&] { return transport.EndSession(0); }},
        {"ReadDeviceInfo", [&] { return transport.ReadDeviceInfo(info); }},
        {"ReadParams", [&] { return transport.ReadParams(std::span(buffer).first(26), 0); }},
        {"WriteParams", [&] { return transport.WriteParams(std::span(buffer).first(26), 0); }},
        {"ReadKeyTable", [&] { return transport.ReadKeyTable(buffer); }},
        {"WriteKeyTable", [&] { return transport.WriteKeyTable(buffer, 0); }},
        {"WriteCustomLight",
         [&] { return transport.WriteCustomLight(std::span(buffer).first(378), 1, 512); }},
        {"StreamLightFrame", [&] { return transport.StreamLightFrame(buffer); }},
        {"WriteMacroData", [&] { return transport.WriteMacroData(buffer); }},
        {"WriteRecoilData", [&] { return transport.WriteRecoilData(buffer); }},
        {"ReadParamWindow",
         [&] { return transport.ReadParamWindow(std::span(buffer).first(6), 0); }},
        {"ReadKeyBytes", [&] { return transport.ReadKeyBytes(buffer); }},
        {"SendLightControl", [&] { return transport.SendLightControl(); }},
    };
    for (const auto& [name, operation] : operations) {
        EXPECT_EQ(operation(), RESULT_NOT_SENT) << name;
    }
    EXPECT_FALSE(transport.QueryLink());
    EXPECT_EQ(keyboard->RequestCount(), 0u);
    EXPECT_EQ(info, (std::array<std::uint8_t, kDeviceInfoSize>{}));
}

TEST_F(SimTransportTest, OneInterleavedReplyIsReadPast) {
    Open();
    keyboard->InjectFault({.kind = SimFaultKind::kStrayReplyFirst, .command = 0x12});
    std::vector<std::uint8_t> page(26);
    EXPECT_EQ(transport.ReadParams(page, 0), RESULT_OK);
    EXPECT_EQ(page[1], 4);  // the settings page, not the stray light reply
    EXPECT_EQ(page[20], 1);
}

TEST_F(SimTransportTest, AReplyThatNeverCameIsReadPastByTheNextExchange) {
    Open();
    keyboard->InjectFault({.kind = SimFaultKind::kLateReply});
    EXPECT_EQ(transport.BeginSession(), RESULT_NOT_SENT);  // waits out its 1000 ms
    keyboard->ReleaseHeldReplies();                        // the begin's reply turns up late
    std::vector<std::uint8_t> window(6);
    EXPECT_EQ(transport.ReadParamWindow(window, 0), RESULT_OK);
    EXPECT_THAT(window, ElementsAre(100, 0, 0, 0, 0, 0));
}

TEST_F(SimTransportTest, RemovalDuringATransferFailsTheWrite) {
    Open();
    keyboard->InjectFault({.kind = SimFaultKind::kRemoval, .after_frames = 1});
    const std::vector<std::uint8_t> image(150, 0x33);
    EXPECT_EQ(transport.WriteMacroData(image), RESULT_WRITE_FAILED);
    EXPECT_FALSE(backend.IsPlugged(plug_id));
    EXPECT_EQ(keyboard->Memory().macro[56], 0x00);
    EXPECT_EQ(transport.BeginSession(), RESULT_WRITE_FAILED);
}

TEST_F(SimTransportTest, CloseReleasesAReadBlockedInAnExchange) {
    SimKeyboard& kb = Open();
    transport.SetLongTimeout(true);
    kb.InjectFault({.kind = SimFaultKind::kLateReply});
    std::atomic<int> result{99};
    std::thread exchange([&] { result = transport.BeginSession(); });
    while (kb.RequestCount() == 0) {
        std::this_thread::yield();
    }
    transport.Close();
    // Had the close not released the read, the read would now receive this reply and the
    // exchange would report success.
    kb.ReleaseHeldReplies();
    exchange.join();
    EXPECT_EQ(result, RESULT_NOT_SENT);
}

TEST_F(SimTransportTest, WritesLandAtTheirOffsets) {
    Open();
    const std::vector<std::uint8_t> colours(378, 0x7F);
    EXPECT_EQ(transport.WriteCustomLight(colours, 2, 512), RESULT_OK);
    EXPECT_EQ(Header(Sent().front()), (std::vector<std::uint8_t>{0x0B, 0x38, 0x00, 0x04, 0}));
    const std::vector<std::uint8_t> page = {1, 2, 3};
    EXPECT_EQ(transport.WriteParams(page, 25 + 1), RESULT_OK);
    const std::vector<std::uint8_t> recoil(40, 0x11);
    EXPECT_EQ(transport.WriteRecoilData(recoil), RESULT_OK);
    EXPECT_EQ(transport.SendLightControl(), RESULT_OK);

    const auto memory = keyboard->Memory();
    EXPECT_EQ(memory.custom_light[1023], 0x00);
    EXPECT_EQ(memory.custom_light[1024], 0x7F);
    EXPECT_EQ(memory.custom_light[1024 + 377], 0x7F);
    EXPECT_EQ(memory.custom_light[1024 + 378], 0x00);
    EXPECT_THAT(std::vector(memory.params.begin() + 26, memory.params.begin() + 29),
                ElementsAre(1, 2, 3));
    EXPECT_EQ(memory.recoil[39], 0x11);
    EXPECT_EQ(memory.light_control, 1);
}

TEST_F(SimTransportTest, TransfersThatWouldWrapTheOffsetAreRefused) {
    Open();
    const std::vector<std::uint8_t> colours(378, 0x7F);
    EXPECT_EQ(transport.WriteCustomLight(colours, 128, 512), RESULT_NOT_SENT);
    std::vector<std::uint8_t> window(57);
    EXPECT_EQ(transport.ReadParamWindow(window, 0), RESULT_NOT_SENT);
    std::vector<std::uint8_t> small(100);
    EXPECT_EQ(transport.ReadKeyTable(small), RESULT_NOT_SENT);  // block size 512
    EXPECT_EQ(keyboard->RequestCount(), 0u);
}

TEST_F(SimTransportTest, QueryLinkNeedsTheLinkByteAndAGoodStatus) {
    EXPECT_FALSE(transport.QueryLink()) << "not open";
    Open();
    EXPECT_TRUE(transport.QueryLink());
    keyboard->InjectFault({.kind = SimFaultKind::kStatus});
    EXPECT_FALSE(transport.QueryLink());
}

TEST_F(SimTransportTest, QueryLinkIsFalseWhileTheLinkIsDown) {
    config.link_up = false;
    Open();
    EXPECT_FALSE(transport.QueryLink());
}

TEST_F(SimTransportTest, DeviceInfoBlockChangesOnlyOnSuccess) {
    Open();
    std::array<std::uint8_t, kDeviceInfoSize> info;
    info.fill(0xAB);
    keyboard->InjectFault({.kind = SimFaultKind::kStatus});
    EXPECT_EQ(transport.ReadDeviceInfo(info), RESULT_STATUS_FE);
    EXPECT_EQ(info[5], 0xAB);
    EXPECT_EQ(transport.ReadDeviceInfo(info), RESULT_OK);
    EXPECT_EQ(info[5], 126);
}

TEST_F(SimTransportTest, CommandsFromTwoThreadsKeepTheirReplies) {
    Open();
    std::atomic<int> failures{0};
    auto writer = [&](std::uint8_t value, std::size_t offset) {
        std::vector<std::uint8_t> bytes(20, value), back(20);
        for (int i = 0; i < 50; ++i) {
            if (transport.WriteParams(bytes, offset) != RESULT_OK ||
                transport.ReadParams(back, offset) != RESULT_OK || back != bytes) {
                ++failures;
            }
        }
    };
    std::thread a(writer, 0x11, 0);
    std::thread b(writer, 0x22, 64);
    a.join();
    b.join();
    EXPECT_EQ(failures, 0);
}

// Exact frames where the order and every byte matter.
class ScriptedTransportTest : public ::testing::Test {
protected:
    ScriptedTransportTest() {
        const std::uint32_t id = backend.Plug(device);
        EXPECT_TRUE(transport.Open(VendorPath(backend, id)));
    }
    ~ScriptedTransportTest() override {
        EXPECT_THAT(device->Failures(), IsEmpty());
        EXPECT_EQ(device->Remaining(), 0u) << "script steps left over";
    }

    // The reply a keyboard gives to `request` with the given status and payload.
    static ScriptedDevice::Report Reply(std::initializer_list<std::uint8_t> head) {
        return Bytes(Literal(head));
    }

    hid::VirtualHidBackend backend;
    std::shared_ptr<ScriptedDevice> device = std::make_shared<ScriptedDevice>();
    CReportTransport transport{backend};
};

TEST_F(ScriptedTransportTest, SettingsWriteIsBeginWriteEnd) {
    const std::vector<std::uint8_t> page = {0, 1, 4, 3, 0, 0, 255, 0, 0, 0, 0, 0, 0,
                                            0, 0, 0, 0, 0, 0, 0,   1, 0, 0, 0, 0, 0};
    Frame write = Literal({0x04, 0x28, 0x01, 0x06, 0x1A, 0x00, 0x00, 0x00});
    std::copy(page.begin(), page.end(), write.begin() + 8);
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}), {Reply({0x04, 0x01, 0x00, 0x01})});
    device->Expect(write, {Reply({0x04, 0x20, 0x00, 0x06, 0x1A})});
    device->Expect(Literal({0x04, 0x02, 0x00, 0x02}), {Reply({0x04, 0x02, 0x00, 0x02})});

    EXPECT_EQ(transport.BeginSession(), RESULT_OK);
    EXPECT_EQ(transport.WriteParams(page, 0), RESULT_OK);
    EXPECT_EQ(transport.EndSession(0), RESULT_OK);
}

TEST_F(ScriptedTransportTest, FiftySevenBytesGoAsTwoFramesWithTheStaleTailChecksummed) {
    std::vector<std::uint8_t> data(57);
    std::iota(data.begin(), data.end(), 1);  // 1 .. 57

    Frame first = Literal({0x04, 0x7A, 0x06, 0x06, 0x38, 0x00, 0x00, 0x00});
    std::iota(first.begin() + 8, first.end(), 1);  // 1 .. 56
    // The second frame carries 57 in byte 8; bytes 9..63 still hold 2 .. 56 from the first.
    Frame second = first;
    second[1] = 0xB3;
    second[2] = 0x06;
    second[4] = 0x01;
    second[5] = 0x38;
    second[8] = 57;
    device->Expect(first, {Reply({0x04, 0, 0, 0x06})});
    device->Expect(second, {Reply({0x04, 0, 0, 0x06})});

    EXPECT_EQ(transport.WriteParams(data, 0), RESULT_OK);
}

TEST_F(ScriptedTransportTest, ExchangePadsShortRequestsAndCutsLongOnes) {
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}), {Reply({0x04, 0x01, 0x00, 0x01})});
    std::vector<std::uint8_t> long_request(80, 0x00);
    long_request[0] = 0x04;
    long_request[3] = 0x1C;
    long_request[70] = 0x99;
    device->Expect(Literal({0x04, 0x00, 0x00, 0x1C}), {Reply({0x04, 0, 0, 0x1C, 0, 0, 0, 0x42})});

    const std::vector<std::uint8_t> short_request = {0x04, 0x01, 0x00, 0x01};
    Frame reply{};
    std::size_t bytes = 0;
    EXPECT_EQ(transport.ExchangeReport(short_request, reply, &bytes), RESULT_OK);
    EXPECT_EQ(bytes, 64u);
    EXPECT_EQ(transport.ExchangeReport(long_request, reply, &bytes), RESULT_OK);
    EXPECT_EQ(reply[7], 0x42) << "the exchange itself does not judge the status";
}

TEST_F(ScriptedTransportTest, TwoMismatchedRepliesLeaveTheSecondToBeJudged) {
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}),
                   {Reply({0x04, 0, 0, 0x05}), Reply({0x04, 0, 0, 0x07, 0, 0, 0, 0xFE})});
    EXPECT_EQ(transport.BeginSession(), RESULT_STATUS_FE);
}

TEST_F(ScriptedTransportTest, QuickExchangeDoesNotReadPastAMismatch) {
    device->Expect(Literal({0x04, 0x1B, 0x00, 0x12, 0x03, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03}),
                   {Reply({0x04, 0, 0, 0x05, 0, 0, 0, 0x00}), Reply({0x04, 0, 0, 0x12})});
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}), {Reply({0x04, 0x01, 0x00, 0x01})});
    const std::vector<std::uint8_t> light = {1, 2, 3};
    EXPECT_EQ(transport.StreamLightFrame(light), RESULT_OK);
    // The light reply left behind is read past by the next configuration exchange.
    EXPECT_EQ(transport.BeginSession(), RESULT_OK);
}

TEST_F(ScriptedTransportTest, RepliesTooShortForTheirDataFail) {
    // A reply that stops before its status byte, then one that stops inside the data.
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}), {{0x04, 0x01, 0x00, 0x01, 0x00}});
    device->Expect(Literal({0x04, 0x1F, 0x00, 0x05, 0x1A}),
                   {{0x04, 0x00, 0x00, 0x05, 0x1A, 0x00, 0x00, 0x00, 0x07, 0x07}});
    std::vector<std::uint8_t> page(26, 0xEE);
    EXPECT_EQ(transport.BeginSession(), RESULT_NOT_SENT);
    EXPECT_EQ(transport.ReadParams(page, 0), RESULT_NOT_SENT);
    EXPECT_EQ(page[0], 0xEE);
}

TEST_F(ScriptedTransportTest, ExchangesAreTracedByteForByte) {
    device->Expect(Literal({0x04, 0x01, 0x00, 0x01}),
                   {Reply({0x04, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x3C})});
    platform::TraceCapture trace;
    EXPECT_EQ(transport.BeginSession(), RESULT_OK);
    const std::string zeros =
        "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
        "00 00 00 00  00 00 00 00";
    EXPECT_THAT(trace.Lines(),
                ElementsAre("命令",
                            "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  "
                            "00 00 00 00  00 00 00 00  00 00 00 00",
                            zeros, "返回",
                            "04 01 00 01   00 00 00 00   3c 00 00 00   00 00 00 00  00 00 00 00  "
                            "00 00 00 00  00 00 00 00  00 00 00 00",
                            zeros));
}

}  // namespace
}  // namespace calvorn::transport
