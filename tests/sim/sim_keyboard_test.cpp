#include "sim/sim_keyboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

#include "hid/report_descriptor.h"

namespace calvorn::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using transport::Frame;

// Requests are written out byte for byte here (checksums included) so that the firmware is
// checked against the frame layout itself, not against the host's frame builder.
Frame Literal(std::initializer_list<std::uint8_t> head) {
    Frame frame{};
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

// Collects what the keyboard pushes to the host.
class RecordingPort : public hid::VirtualHidPort {
public:
    struct Report {
        std::uint8_t collection;
        std::vector<std::uint8_t> bytes;
    };

    void PushInput(std::uint8_t collection, std::span<const std::uint8_t> report) override {
        std::lock_guard lock(mutex_);
        reports_.push_back({collection, {report.begin(), report.end()}});
        arrived_.notify_all();
    }

    std::vector<Report> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(reports_, {});
    }

    bool WaitForReports(std::size_t count) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return reports_.size() >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Report> reports_;
};

class SimKeyboardTest : public ::testing::Test {
protected:
    // The sane default keyboard; a test changes one field before first use.
    SimKeyboardConfig config;
    RecordingPort port;

    SimKeyboard& Keyboard() {
        if (!keyboard_) {
            keyboard_ = std::make_unique<SimKeyboard>(config);
            keyboard_->Connect(&port);
        }
        return *keyboard_;
    }

    // Sends one request and returns the replies it produced.
    std::vector<RecordingPort::Report> Send(const Frame& request) {
        EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, request));
        return port.Take();
    }

    Frame SendForOneReply(const Frame& request) {
        const auto replies = Send(request);
        Frame reply{};
        EXPECT_EQ(replies.size(), 1u);
        if (replies.size() == 1) {
            EXPECT_EQ(replies[0].collection, kVendorCollection);
            EXPECT_EQ(replies[0].bytes.size(), transport::kReportSize);
            std::copy_n(replies[0].bytes.begin(),
                        std::min(replies[0].bytes.size(), transport::kReportSize), reply.begin());
        }
        return reply;
    }

private:
    std::unique_ptr<SimKeyboard> keyboard_;
};

std::uint16_t SumOfBytes3To63(const Frame& frame) {
    return static_cast<std::uint16_t>(std::accumulate(frame.begin() + 3, frame.end(), 0u));
}

TEST_F(SimKeyboardTest, AnswersEveryCommandWithEchoStatusAndPayload) {
    const struct {
        const char* name;
        Frame request;
        std::vector<std::uint8_t> reply_head;  // reply bytes 3..7
        std::vector<std::uint8_t> payload;     // expected start of reply bytes 8..
    } cases[] = {
        {"begin", Literal({0x04, 0x01, 0x00, 0x01}), {0x01, 0, 0, 0, 0x00}, {}},
        {"end", Literal({0x04, 0x02, 0x00, 0x02}), {0x02, 0, 0, 0, 0x00}, {}},
        {"device information, 34 bytes",
         Literal({0x04, 0x25, 0x00, 0x03, 0x22, 0x00, 0x00, 0x00}),
         {0x03, 0x22, 0, 0, 0x00},
         // product 0x4E93, version 260, 5 profiles, 126 keys, 32 × 128 bytes of macros
         {0x93, 0x4E, 0x04, 0x01, 0x05, 0x7E, 0x20, 0x7E, 0x00}},
        {"settings page 0",
         Literal({0x04, 0x1F, 0x00, 0x05, 0x1A, 0x00, 0x00, 0x00}),
         {0x05, 0x1A, 0, 0, 0x00},
         {0, 4, 5, 2, 1, 1, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
        {"key table: Esc, `, Tab, Caps Lock, left Shift, left Ctrl, F1",
         Literal({0x04, 0x3F, 0x00, 0x07, 0x38, 0x00, 0x00, 0x00}),
         {0x07, 0x38, 0, 0, 0x00},
         {0x20, 0x00, 0x29, 0x20, 0x00, 0x35, 0x20, 0x00, 0x2B, 0x20, 0x00,
          0x39, 0x20, 0x02, 0x00, 0x20, 0x01, 0x00, 0x20, 0x00, 0x3A}},
        {"LED table: rows run back and forth",
         Literal({0x04, 0x53, 0x00, 0x1B, 0x38, 0x00, 0x00, 0x00}),
         {0x1B, 0x38, 0, 0, 0x00},
         {0, 41, 42, 83, 84, 125, 1}},
        {"power window",
         Literal({0x04, 0x20, 0x00, 0x1A, 0x06, 0x00, 0x00, 0x00}),
         {0x1A, 0x06, 0, 0, 0x00},
         {100, 0, 0, 0, 0, 0}},
        {"link query", Literal({0x04, 0xAA, 0x00, 0xAA}), {0xAA, 0, 0, 0, 0x00}, {0xFF}},
        {"light control", Literal({0x04, 0x1C, 0x00, 0x1C}), {0x1C, 0, 0, 0, 0x00}, {}},
        {"write settings",
         Literal({0x04, 0x15, 0x00, 0x06, 0x02, 0x01, 0x00, 0x00, 0x09, 0x03}),
         {0x06, 0x02, 0x01, 0, 0x00},
         {}},
        {"write key table",
         Literal({0x04, 0x42, 0x00, 0x09, 0x03, 0x11, 0x01, 0x00, 0x20, 0x00, 0x04}),
         {0x09, 0x03, 0x11, 0x01, 0x00},
         {}},
        {"write custom light",
         Literal({0x04, 0x8F, 0x01, 0x0B, 0x03, 0x00, 0x02, 0x00, 0xFF, 0x00, 0x80}),
         {0x0B, 0x03, 0x00, 0x02, 0x00},
         {}},
        {"stream light",
         Literal({0x04, 0x75, 0x00, 0x12, 0x03, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30}),
         {0x12, 0x03, 0, 0, 0x00},
         {}},
        {"write macros",
         Literal({0x04, 0x3A, 0x01, 0x15, 0x04, 0x00, 0x00, 0x00, 0xAA, 0x55, 0x22, 0x00}),
         {0x15, 0x04, 0, 0, 0x00},
         {}},
        {"write recoil",
         Literal({0x04, 0x42, 0x01, 0x17, 0x04, 0x00, 0x00, 0x00, 0xAA, 0x55, 0x28, 0x00}),
         {0x17, 0x04, 0, 0, 0x00},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Frame reply = SendForOneReply(c.request);
        EXPECT_EQ(reply[0], 0x04);
        EXPECT_THAT(std::vector<std::uint8_t>(reply.begin() + 3, reply.begin() + 8),
                    ElementsAreArray(c.reply_head));
        EXPECT_THAT(
            std::vector<std::uint8_t>(reply.begin() + 8, reply.begin() + 8 + std::ssize(c.payload)),
            ElementsAreArray(c.payload));
        EXPECT_EQ(reply[1] | (reply[2] << 8), SumOfBytes3To63(reply));
    }

    // The writes of the table landed where their offsets point.
    const SimMemory memory = Keyboard().Memory();
    EXPECT_THAT(std::vector(memory.params.begin(), memory.params.begin() + 4),
                ElementsAre(0, 9, 3, 2));
    EXPECT_THAT(std::vector(memory.key_table.begin() + 0x111, memory.key_table.begin() + 0x114),
                ElementsAre(0x20, 0x00, 0x04));
    EXPECT_THAT(std::vector(memory.custom_light.begin() + 512, memory.custom_light.begin() + 515),
                ElementsAre(0xFF, 0x00, 0x80));
    EXPECT_THAT(std::vector(memory.light_frame.begin(), memory.light_frame.begin() + 3),
                ElementsAre(0x10, 0x20, 0x30));
    EXPECT_THAT(std::vector(memory.macro.begin(), memory.macro.begin() + 4),
                ElementsAre(0xAA, 0x55, 0x22, 0x00));
    EXPECT_THAT(std::vector(memory.recoil.begin(), memory.recoil.begin() + 4),
                ElementsAre(0xAA, 0x55, 0x28, 0x00));
    EXPECT_EQ(memory.frames_received, 1u);
    EXPECT_EQ(memory.light_control, 1);
    EXPECT_EQ(memory.sessions, 1u);
}

TEST_F(SimKeyboardTest, RefusesBadChecksumsUnknownCommandsAndRangesOutsideItsMemory) {
    const struct {
        const char* name;
        Frame request;
        std::uint8_t status;
    } cases[] = {
        {"write settings, checksum off by one",
         Literal({0x04, 0x16, 0x00, 0x06, 0x02, 0x01, 0x00, 0x00, 0x09, 0x03}), 0xFF},
        {"write settings, checksum bytes swapped",
         Literal({0x04, 0x00, 0x15, 0x06, 0x02, 0x01, 0x00, 0x00, 0x09, 0x03}), 0xFF},
        {"command 0x04 is not a keyboard command", Literal({0x04, 0x04, 0x00, 0x04}), 0xFF},
        {"settings read past the end", Literal({0x04, 0x97, 0x00, 0x05, 0x1A, 0x78}), 0xFE},
        {"57-byte chunk", Literal({0x04, 0x3F, 0x00, 0x06, 0x39}), 0xFE},
        {"key table write past 512", Literal({0x04, 0x0B, 0x01, 0x09, 0x03, 0xFE, 0x01}), 0xFE},
        {"macro write past the capacity", Literal({0x04, 0x26, 0x00, 0x15, 0x01, 0x00, 0x10}),
         0xFE},
    };
    const SimMemory before = Keyboard().Memory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Frame reply = SendForOneReply(c.request);
        EXPECT_EQ(reply[3], c.request[3]);
        EXPECT_EQ(reply[7], c.status);
    }
    const SimMemory after = Keyboard().Memory();
    EXPECT_EQ(after.params, before.params);
    EXPECT_EQ(after.key_table, before.key_table);
    EXPECT_EQ(after.macro, before.macro);
}

TEST_F(SimKeyboardTest, IgnoresReportsThatAreNotProtocolFrames) {
    std::vector<std::uint8_t> short_report = {0x04, 0x01, 0x00, 0x01};
    EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, short_report));
    Frame other_id = Literal({0x05, 0x01, 0x00, 0x01});
    EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, other_id));
    EXPECT_TRUE(port.Take().empty());
    // The consumer collection has no output report at all.
    EXPECT_FALSE(Keyboard().OnOutputReport(kConsumerCollection, Literal({0x04, 0x01, 0x00, 0x01})));
}

TEST_F(SimKeyboardTest, DeviceInformationFollowsTheConfiguration) {
    config.key_count = 60;
    config.macro_capacity = 2;
    const Frame reply = SendForOneReply(Literal({0x04, 0x25, 0x00, 0x03, 0x22}));
    EXPECT_EQ(reply[8 + 5], 60);
    EXPECT_EQ(reply[8 + 6], 2);
    const SimMemory memory = Keyboard().Memory();
    EXPECT_EQ(memory.macro.size(), 256u);
    // Positions beyond the key count hold nothing.
    EXPECT_TRUE(std::all_of(memory.key_table.begin() + 60 * 3, memory.key_table.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_NE(memory.key_table[59 * 3], 0);
}

TEST_F(SimKeyboardTest, LinkQueryAnswersZeroWhenTheLinkIsDown) {
    config.link_up = false;
    const Frame reply = SendForOneReply(Literal({0x04, 0xAA, 0x00, 0xAA}));
    EXPECT_EQ(reply[7], 0x00);
    EXPECT_EQ(reply[8], 0x00);
}

TEST_F(SimKeyboardTest, SendsConsumerNotices) {
    EXPECT_TRUE(Keyboard().SendSyncRequest());
    EXPECT_TRUE(Keyboard().PressKey(17));
    EXPECT_TRUE(Keyboard().ReleaseKey(17));
    EXPECT_TRUE(Keyboard().SwitchProfile(2));
    const auto reports = port.Take();
    ASSERT_EQ(reports.size(), 4u);
    for (const auto& report : reports) {
        EXPECT_EQ(report.collection, kConsumerCollection);
    }
    EXPECT_THAT(reports[0].bytes, ElementsAre(0x03, 0x01, 0x04));
    EXPECT_THAT(reports[1].bytes, ElementsAre(0x03, 0x11, 0x05));
    EXPECT_THAT(reports[2].bytes, ElementsAre(0x03, 0x11, 0x06));
    EXPECT_THAT(reports[3].bytes, ElementsAre(0x03, 0x01, 0x04));
    EXPECT_EQ(Keyboard().Memory().params[0], 2);

    Keyboard().Connect(nullptr);
    EXPECT_FALSE(Keyboard().SendSyncRequest());
}

// The write-settings request of the command table: two bytes at offset 1.
const Frame kWriteSettings = Literal({0x04, 0x15, 0x00, 0x06, 0x02, 0x01, 0x00, 0x00, 0x09, 0x03});
const Frame kBegin = Literal({0x04, 0x01, 0x00, 0x01});
const Frame kEnd = Literal({0x04, 0x02, 0x00, 0x02});

TEST_F(SimKeyboardTest, FaultsStrikeTheChosenFrameOnly) {
    const struct {
        const char* name;
        SimFault fault;
        std::vector<std::uint8_t> reply_commands;  // byte 3 of each reply to the struck frame
        std::vector<std::uint8_t> reply_statuses;
        bool carried_out;
    } cases[] = {
        {"no reply", {.kind = SimFaultKind::kNoReply, .after_frames = 1}, {}, {}, true},
        {"reply names another command",
         {.kind = SimFaultKind::kOtherCommand, .after_frames = 1, .command = 0x05},
         {0x05},
         {0x00},
         true},
        {"a stray reply comes first",
         {.kind = SimFaultKind::kStrayReplyFirst, .after_frames = 1, .command = 0x07},
         {0x07, 0x06},
         {0x00, 0x00},
         true},
        {"status 0xFE", {.kind = SimFaultKind::kStatus, .after_frames = 1}, {0x06}, {0xFE}, false},
        {"status 0xFF",
         {.kind = SimFaultKind::kStatus, .after_frames = 1, .status = 0xFF},
         {0x06},
         {0xFF},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Keyboard().EditMemory([](SimMemory& memory) { memory.params[1] = 0; });
        Keyboard().InjectFault(c.fault);

        EXPECT_EQ(SendForOneReply(kBegin)[3], 0x01);  // frame 1 passes
        const auto replies = Send(kWriteSettings);    // frame 2 is struck
        std::vector<std::uint8_t> commands, statuses;
        for (const auto& reply : replies) {
            commands.push_back(reply.bytes[3]);
            statuses.push_back(reply.bytes[7]);
        }
        EXPECT_EQ(commands, c.reply_commands);
        EXPECT_EQ(statuses, c.reply_statuses);
        EXPECT_EQ(Keyboard().Memory().params[1], c.carried_out ? 9 : 0);
        EXPECT_EQ(SendForOneReply(kEnd)[3], 0x02);  // and the fault is spent
    }
}

TEST_F(SimKeyboardTest, FaultWithoutLimitStrikesEveryLaterFrame) {
    Keyboard().InjectFault({.kind = SimFaultKind::kNoReply, .frames = -1});
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Send(kBegin).empty());
    }
    Keyboard().ClearFault();
    EXPECT_EQ(SendForOneReply(kBegin)[3], 0x01);
}

TEST_F(SimKeyboardTest, HeldRepliesComeWhenReleased) {
    Keyboard().InjectFault({.kind = SimFaultKind::kLateReply, .frames = 2});
    EXPECT_TRUE(Send(kBegin).empty());
    EXPECT_TRUE(Send(kWriteSettings).empty());
    EXPECT_EQ(Keyboard().ReleaseHeldReplies(), 2u);
    const auto replies = port.Take();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].bytes[3], 0x01);
    EXPECT_EQ(replies[1].bytes[3], 0x06);
}

TEST_F(SimKeyboardTest, DelayedReplyArrivesLater) {
    Keyboard().InjectFault({.kind = SimFaultKind::kLateReply, .delay_ms = 20});
    EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, kBegin));
    ASSERT_TRUE(port.WaitForReports(1));
    const auto replies = port.Take();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes[3], 0x01);
}

TEST_F(SimKeyboardTest, RemovalRefusesTheFrameAndEverythingAfterUntilPluggedAgain) {
    int removals = 0;
    Keyboard().SetRemovalHandler([&] { ++removals; });
    Keyboard().InjectFault({.kind = SimFaultKind::kRemoval, .after_frames = 2});
    EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, kBegin));
    EXPECT_TRUE(Keyboard().OnOutputReport(kVendorCollection, kWriteSettings));
    EXPECT_FALSE(Keyboard().OnOutputReport(kVendorCollection, kWriteSettings));
    EXPECT_FALSE(Keyboard().OnOutputReport(kVendorCollection, kEnd));
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(port.Take().size(), 2u);

    Keyboard().Connect(nullptr);
    Keyboard().Connect(&port);
    EXPECT_EQ(SendForOneReply(kEnd)[3], 0x02);
}

TEST_F(SimKeyboardTest, PluggingInAgainResetsWhatLivesInRam) {
    SendForOneReply(Literal({0x04, 0x1C, 0x00, 0x1C}));
    SendForOneReply(kWriteSettings);
    Keyboard().Connect(nullptr);
    Keyboard().Connect(&port);
    const SimMemory memory = Keyboard().Memory();
    EXPECT_EQ(memory.light_control, 0);
    EXPECT_EQ(memory.params[1], 9);
}

TEST(SimKeyboardConfigTest, ProductsGetTheirVendorAndFirmware) {
    const struct {
        std::uint16_t product, vendor, version;
    } cases[] = {
        {0x4EAB, 0x3329, 259}, {0x4E93, 0x3299, 260}, {0x4E96, 0x3299, 259}, {0x4E99, 0x3299, 260},
        {0x4E9C, 0x3299, 259}, {0x4EA2, 0x3299, 259}, {0x4EA5, 0x3299, 259},
    };
    for (const auto& c : cases) {
        const SimKeyboardConfig config = DefaultSimKeyboardConfig(c.product);
        EXPECT_EQ(config.vendor_id, c.vendor) << std::hex << c.product;
        EXPECT_EQ(config.product_id, c.product);
        EXPECT_EQ(config.version, c.version) << std::hex << c.product;
        EXPECT_TRUE(IsSupportedProduct(c.product));
    }
    EXPECT_FALSE(IsSupportedProduct(0x4EA8));
}

TEST(SimKeyboardDescriptorTest, CollectionsDescribeThemselvesAsARealKeyboard) {
    SimKeyboard keyboard;
    const auto collections = keyboard.Collections();
    ASSERT_EQ(collections.size(), 2u);

    const struct {
        std::uint8_t number;
        std::uint16_t usage_page, usage, input_length, output_length;
        std::uint8_t report_id;
    } expected[] = {
        {3, 0x000C, 0x0001, 3, 0, 3},
        {4, 0xFF1C, 0x0092, 64, 64, 4},
    };
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(collections[i].interface_number, 1);
        EXPECT_EQ(collections[i].collection_number, expected[i].number);
        const auto parsed = hid::HidReportDescriptor::Parse(collections[i].report_descriptor);
        ASSERT_TRUE(parsed.has_value());
        ASSERT_EQ(parsed->collections.size(), 1u);
        const hid::HidTopCollection& top = parsed->collections[0];
        EXPECT_EQ(top.usage_page, expected[i].usage_page);
        EXPECT_EQ(top.usage, expected[i].usage);
        const auto& input = top.Reports(hid::HidReportType::kInput);
        EXPECT_EQ(input.report_length, expected[i].input_length);
        EXPECT_THAT(input.report_ids, ElementsAre(expected[i].report_id));
        EXPECT_EQ(top.Reports(hid::HidReportType::kOutput).report_length,
                  expected[i].output_length);
    }
}

}  // namespace
}  // namespace calvorn::sim
