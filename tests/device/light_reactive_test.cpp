#include "device/light_reactive.h"

#include <gtest/gtest.h>

#include <vector>

namespace calvorn::device {
namespace {

std::vector<int> DecaySequence(std::uint8_t start, bool fine, int steps) {
    ReactiveBuffer buffer;
    buffer.SetIntensity(40, start);
    std::vector<int> seen;
    for (int i = 0; i < steps; ++i) {
        buffer.DecayReactive(40, fine);
        seen.push_back(buffer.Intensity(40));
    }
    return seen;
}

TEST(ReactiveBufferTest, DecaySequences) {
    struct Case {
        std::uint8_t start;
        bool fine;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {255, false, {215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0, 0}},
        {20, true, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0}},
        {16, false, {12, 8, 4, 0, 0}},
        {3, false, {0, 0}},
        {128, true, {88, 58, 48, 38, 28}},
        {64, true, {34, 24}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecaySequence(c.start, c.fine, static_cast<int>(c.expected.size())), c.expected)
            << int(c.start) << " fine " << c.fine;
    }
}

TEST(ReactiveBufferTest, KeysOutsideTheBufferAreIgnored) {
    ReactiveBuffer buffer;
    buffer.SetIntensity(126, 255);
    buffer.DecayReactive(126, false);
    EXPECT_EQ(buffer.Intensity(126), 0);
    buffer.SetQueueEntry(23, 5);
    EXPECT_EQ(buffer.QueueEntry(23), 0);
}

TEST(ReactiveBufferTest, TriggerLightsQueuedPositions) {
    ReactiveBuffer buffer;
    for (std::size_t p : {0u, 4u, 8u, 9u, 15u}) {
        buffer.SetQueueEntry(p, 1);
    }
    buffer.TriggerReactive();
    for (std::size_t p = 0; p < ReactiveBuffer::kKeys; ++p) {
        const bool lit = p == 0 || p == 4 || p == 8;
        EXPECT_EQ(buffer.Intensity(p), lit ? 255 : 0) << p;
    }
}

TEST(ReactiveBufferTest, LedTriggerStaysInsideTheQueue) {
    ReactiveBuffer buffer;
    buffer.SetQueueEntry(1, 7);
    buffer.SetQueueEntry(13, 7);
    buffer.SetQueueEntry(22, 7);
    buffer.TriggerReactiveLeds(13);
    EXPECT_EQ(buffer.Intensity(1), 255);
    EXPECT_EQ(buffer.Intensity(13), 255);
    EXPECT_EQ(buffer.Intensity(22), 0);  // LED 21 is past the 13 LEDs
    buffer.TriggerReactiveLeds(500);
    EXPECT_EQ(buffer.Intensity(22), 255);
    EXPECT_EQ(buffer.Intensity(23), 0);
}

std::vector<int> Queue(const ReactiveBuffer& buffer) {
    std::vector<int> entries;
    for (std::size_t i = 0; i < ReactiveBuffer::kQueueLength; ++i) {
        entries.push_back(buffer.QueueEntry(i));
    }
    entries.push_back(buffer.Spare());
    return entries;
}

TEST(ReactiveBufferTest, QueueShifts) {
    const auto filled = [] {
        auto buffer = std::make_unique<ReactiveBuffer>();
        for (std::size_t i = 0; i < ReactiveBuffer::kQueueLength; ++i) {
            buffer->SetQueueEntry(i, static_cast<std::uint8_t>(i + 1));
        }
        buffer->SetSpare(99);
        return buffer;
    };
    struct Case {
        bool forward;
        std::size_t length;
        std::vector<int> expected;  // 23 entries, then the spare entry
    };
    const Case cases[] = {
        {true, 23, {99, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                    12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 99}},
        {false, 23, {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                     14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 23, 1}},
        {true, 4, {99, 1,  2,  3,  5,  6,  7,  8,  9,  10, 11, 12,
                   13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 99}},
        {false, 4, {2,  3,  4,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                    13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 1}},
        {true, 0, {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                   13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 99}},
    };
    for (const Case& c : cases) {
        auto buffer = filled();
        buffer->ShiftReactiveQueue(c.forward, c.length);
        EXPECT_EQ(Queue(*buffer), c.expected) << "forward " << c.forward << " length " << c.length;
    }
    auto buffer = filled();
    buffer->ShiftReactiveQueue(true);
    EXPECT_EQ(Queue(*buffer), cases[0].expected);
}

TEST(ReactiveBufferTest, ClearResetsIntensitiesAndQueue) {
    ReactiveBuffer buffer;
    buffer.SetIntensity(100, 9);
    buffer.SetQueueEntry(22, 9);
    buffer.ClearReactive();
    EXPECT_EQ(buffer.Intensity(100), 0);
    EXPECT_EQ(buffer.QueueEntry(22), 0);
}

}  // namespace
}  // namespace calvorn::device
