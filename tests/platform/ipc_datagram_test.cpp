#include "platform/ipc_datagram.h"

#include <gtest/gtest.h>

#include <limits>

namespace calvorn::platform {
namespace {

std::vector<std::uint8_t> Encode(const IpcDatagram& datagram) {
    std::optional<std::vector<std::uint8_t>> bytes = EncodeIpcDatagram(datagram);
    EXPECT_TRUE(bytes);
    return bytes.value_or(std::vector<std::uint8_t>{});
}

TEST(IpcDatagramTest, WireLayoutIsFixed) {
    const std::vector<std::uint8_t> bytes = Encode({"Calvorn", 0x0102, -2, {0xAA, 0xBB}});
    const std::vector<std::uint8_t> expected = {
        'C',  'V',  'I',  'P',  1,    7,    2,    0,     // magic, version, name and payload length
        0x02, 0x01, 0,    0,    0,    0,    0,    0,     // wParam
        0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // lParam
        'C',  'a',  'l',  'v',  'o',  'r',  'n',  0xAA, 0xBB};
    EXPECT_EQ(bytes, expected);
}

TEST(IpcDatagramTest, RoundTripsAtTheLimits) {
    const IpcDatagram cases[] = {
        {"Calvorn", 0, 1, {}},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", 3, 100, {}},
        {"3093", std::numeric_limits<WParam>::max(), std::numeric_limits<LParam>::min(), {0}},
        {std::string(kIpcMaxNameBytes, '~'), 0, std::numeric_limits<LParam>::max(),
         std::vector<std::uint8_t>(kIpcMaxPayloadBytes, 0xFF)},
    };
    for (const IpcDatagram& datagram : cases) {
        EXPECT_EQ(DecodeIpcDatagram(Encode(datagram)), datagram) << datagram.name;
    }
}

TEST(IpcDatagramTest, EncoderRefusesWhatDoesNotFit) {
    EXPECT_FALSE(EncodeIpcDatagram({"", 0, 0, {}}));
    EXPECT_FALSE(EncodeIpcDatagram({std::string(kIpcMaxNameBytes + 1, 'a'), 0, 0, {}}));
    EXPECT_FALSE(EncodeIpcDatagram({"line\nbreak", 0, 0, {}}));
    EXPECT_FALSE(
        EncodeIpcDatagram({"a", 0, 0, std::vector<std::uint8_t>(kIpcMaxPayloadBytes + 1)}));
}

TEST(IpcDatagramTest, DecoderRefusesMalformedDatagrams) {
    const std::vector<std::uint8_t> valid = Encode({"Game_Start", 1, 2, {1, 2, 3}});
    // Every truncation, including an empty datagram.
    for (size_t size = 0; size < valid.size(); ++size) {
        EXPECT_FALSE(DecodeIpcDatagram(std::span(valid.data(), size))) << size;
    }
    struct Case {
        const char* what;
        size_t offset;
        std::uint8_t value;
    };
    const Case corruptions[] = {
        {"bad magic", 0, 'X'},
        {"unknown version", 4, 2},
        {"empty name", 5, 0},
        {"name length longer than the datagram", 5, 11},
        {"name length shorter than the datagram", 5, 9},
        {"payload length lies", 6, 4},
        {"payload over the limit", 7, 0x21},  // 0x2103 > 8192
        {"control character in the name", 24, '\n'},
        {"non-ASCII name", 25, 0xC3},
    };
    for (const Case& c : corruptions) {
        std::vector<std::uint8_t> bytes = valid;
        bytes[c.offset] = c.value;
        const char* reason = nullptr;
        EXPECT_FALSE(DecodeIpcDatagram(bytes, &reason)) << c.what;
        EXPECT_NE(reason, nullptr) << c.what;
    }
    std::vector<std::uint8_t> trailing = valid;
    trailing.push_back(0);
    EXPECT_FALSE(DecodeIpcDatagram(trailing));
}

}  // namespace
}  // namespace calvorn::platform
