#include "transport/report_protocol.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace calvorn::transport {
namespace {

using ::testing::ElementsAreArray;

// A 64-byte frame whose first bytes are given and the rest zero.
Frame Literal(std::initializer_list<std::uint8_t> head) {
    Frame frame{};
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

TEST(ReportProtocolTest, BeginRequestCarriesChecksumOne) {
    Frame frame = MakeRequest(CMD_BEGIN);
    SealFrame(frame);
    EXPECT_THAT(frame, ElementsAreArray(Literal({0x04, 0x01, 0x00, 0x01})));
    EXPECT_TRUE(ChecksumMatches(frame));
}

TEST(ReportProtocolTest, ChecksumAbove255SpreadsIntoByteTwo) {
    // Bytes 3..63 sum to 0x06 + 0x03 + 0xFF + 0xFF + 0x2D = 0x0234.
    Frame frame = Literal({0x04, 0x00, 0x00, 0x06, 0x03, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x2D});
    SealFrame(frame);
    EXPECT_EQ(frame[1], 0x34);
    EXPECT_EQ(frame[2], 0x02);
    EXPECT_EQ(FrameChecksum(frame), 0x0234);
}

TEST(ReportProtocolTest, ChecksumCoversBytesThreeToSixtyThreeOnly) {
    Frame frame = Literal({0x04, 0x00, 0x00, 0x05});
    frame[63] = 0x10;
    SealFrame(frame);
    EXPECT_EQ(FrameChecksum(frame), 0x15);

    Frame other_id = frame;
    other_id[0] = 0x09;  // the report ID is not summed
    EXPECT_TRUE(ChecksumMatches(other_id));

    Frame changed_tail = frame;
    changed_tail[63] = 0x11;
    EXPECT_FALSE(ChecksumMatches(changed_tail));
}

TEST(ReportProtocolTest, ChunkHeaderPutsLengthAndOffsetLowByteFirst) {
    Frame frame = MakeRequest(CMD_WRITE_PARAMS);
    SetChunkHeader(frame, 0x1A, 0x0138);
    SealFrame(frame);
    EXPECT_THAT(frame, ElementsAreArray(Literal({0x04, 0x59, 0x00, 0x06, 0x1A, 0x38, 0x01, 0x00})));
    EXPECT_EQ(FrameLength(frame), 0x1A);
    EXPECT_EQ(FrameOffset(frame), 0x0138);
}

TEST(ReportProtocolTest, ReplyEchoesCommandLengthAndOffset) {
    const Frame request = Literal({0x04, 0x57, 0x00, 0x05, 0x1A, 0x38, 0x00, 0x00});
    const Frame reply = MakeReply(request, kStatusErrorFE);
    EXPECT_THAT(reply, ElementsAreArray(Literal({0x04, 0x55, 0x01, 0x05, 0x1A, 0x38, 0x00, 0xFE})));
    EXPECT_EQ(FrameCommand(reply), 0x05);
    EXPECT_EQ(FrameStatus(reply), 0xFE);
}

TEST(ReportProtocolTest, StatusBytesMapToResults) {
    const struct {
        std::uint8_t status;
        int result;
    } cases[] = {
        {0x00, RESULT_OK},        {0x01, RESULT_OK},        {0xFD, RESULT_OK},
        {0xFE, RESULT_STATUS_FE}, {0xFF, RESULT_STATUS_FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusResult(c.status), c.result) << int(c.status);
    }
}

TEST(ReportProtocolTest, ChunksAreFiftySixBytesWithAShorterLast) {
    const struct {
        std::size_t position, total, length;
    } cases[] = {
        {0, 57, 56}, {56, 57, 1}, {0, 56, 56}, {0, 34, 34}, {448, 512, 56}, {504, 512, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChunkLength(c.position, c.total, kChunkSize), c.length)
            << c.position << " of " << c.total;
    }
}

}  // namespace
}  // namespace calvorn::transport
