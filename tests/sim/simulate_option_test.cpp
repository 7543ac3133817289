#include "sim/simulate_option.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvorn::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(SimulateOptionTest, ReadsProductsAndVersions) {
    const struct {
        const char* text;
        std::vector<SimDeviceRequest> devices;
    } cases[] = {
        {"", {{0x4E93, 260}}},
        {"4E93,4E99:259", {{0x4E93, 260}, {0x4E99, 259}}},
        {"4e96", {{0x4E96, 259}}},
        {"0x4EAB:300", {{0x4EAB, 300}}},
        {" 4EA5 : 7 , 4E9C ", {{0x4EA5, 7}, {0x4E9C, 259}}},
        {"4E93,4E93", {{0x4E93, 260}, {0x4E93, 260}}},
    };
    for (const auto& c : cases) {
        const SimulateRequest request = ParseSimulateOption(c.text);
        EXPECT_TRUE(request.ok()) << c.text << ": " << request.error;
        EXPECT_EQ(request.devices, c.devices) << c.text;
    }
}

TEST(SimulateOptionTest, RefusesBadTextWithAMessage) {
    const struct {
        const char* text;
        const char* message_part;
    } cases[] = {
        {"keyboard", "not a product ID"},
        {"4E93,,4E99", "not a product ID"},
        {"4E93,", "not a product ID"},
        {"14E93", "not a product ID"},
        {"4EA8", "not a supported keyboard"},
        {"4E93:", "no valid firmware version"},
        {"4E93:0x104", "no valid firmware version"},
        {"4E93:70000", "no valid firmware version"},
        {"4E93:-1", "no valid firmware version"},
    };
    for (const auto& c : cases) {
        const SimulateRequest request = ParseSimulateOption(c.text);
        EXPECT_FALSE(request.ok()) << c.text;
        EXPECT_TRUE(request.devices.empty()) << c.text;
        EXPECT_THAT(request.error, HasSubstr(c.message_part)) << c.text;
    }
    EXPECT_THAT(ParseSimulateOption("4EA8").error, HasSubstr("4E93"));
}

}  // namespace
}  // namespace calvorn::sim
