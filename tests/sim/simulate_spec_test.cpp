#include "sim/simulate_spec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvorn::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(SimulateSpecTest, ReadsProductsAndVersions) {
    const struct {
        const char* text;
        std::vector<SimDeviceSpec> devices;
    } cases[] = {
        {"", {{0x4E93, 260}}},
        {"4E93,4E99:259", {{0x4E93, 260}, {0x4E99, 259}}},
        {"4e96", {{0x4E96, 259}}},
        {"0x4EAB:300", {{0x4EAB, 300}}},
        {" 4EA5 : 7 , 4E9C ", {{0x4EA5, 7}, {0x4E9C, 259}}},
        {"4E93,4E93", {{0x4E93, 260}, {0x4E93, 260}}},
    };
    for (const auto& c : cases) {
        const SimulateSpec spec = ParseSimulateSpec(c.text);
        EXPECT_TRUE(spec.ok()) << c.text << ": " << spec.error;
        EXPECT_EQ(spec.devices, c.devices) << c.text;
    }
}

TEST(SimulateSpecTest, RefusesBadTextWithAMessage) {
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
        const SimulateSpec spec = ParseSimulateSpec(c.text);
        EXPECT_FALSE(spec.ok()) << c.text;
        EXPECT_TRUE(spec.devices.empty()) << c.text;
        EXPECT_THAT(spec.error, HasSubstr(c.message_part)) << c.text;
    }
    EXPECT_THAT(ParseSimulateSpec("4EA8").error, HasSubstr("4E93"));
}

}  // namespace
}  // namespace calvorn::sim
