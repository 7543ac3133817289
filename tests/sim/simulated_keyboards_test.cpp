#include "sim/simulated_keyboards.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "transport/report_transport.h"

namespace calvorn::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class SimulatedKeyboardsTest : public ::testing::Test {
protected:
    SimulatedKeyboardsTest() {
        folder = std::filesystem::temp_directory_path() /
                 ("calvorn-sim-dump-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    ~SimulatedKeyboardsTest() override { std::filesystem::remove_all(folder); }

    Json::Value WriteAndRead() {
        const std::string path = (folder / "dump.json").string();
        std::string error;
        EXPECT_TRUE(keyboards.WriteSimDump(path, &error)) << error;
        std::ifstream file(path);
        Json::Value root;
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), file, &root, &errors))
            << errors;
        return root;
    }

    std::string VendorPath(std::size_t index) {
        for (const auto& path : backend.PathsOf(static_cast<std::uint32_t>(index + 1))) {
            if (path.ends_with("&col04")) {
                return path;
            }
        }
        return {};
    }

    std::filesystem::path folder;
    hid::VirtualHidBackend backend;
    SimulatedKeyboards keyboards{backend};
};

TEST_F(SimulatedKeyboardsTest, PlugsTheKeyboardsOfTheOptionInOrder) {
    keyboards.PlugAll(ParseSimulateOption("4E93,4EAB:300").devices);
    ASSERT_EQ(keyboards.Count(), 2u);
    EXPECT_THAT(backend.PathsOf(1), ElementsAre("virtual/1#vid_3299&pid_4e93&mi_01&col03",
                                                "virtual/1#vid_3299&pid_4e93&mi_01&col04"));
    EXPECT_THAT(backend.PathsOf(2), ElementsAre("virtual/2#vid_3329&pid_4eab&mi_01&col03",
                                                "virtual/2#vid_3329&pid_4eab&mi_01&col04"));
    EXPECT_EQ(keyboards.Keyboard(1).VersionNumber(), 300);
    EXPECT_TRUE(keyboards.IsAttached(0));

    keyboards.Unplug(0);
    EXPECT_FALSE(keyboards.IsAttached(0));
    EXPECT_TRUE(backend.PathsOf(1).empty());
    keyboards.Replug(0);
    EXPECT_TRUE(keyboards.IsAttached(0));
}

TEST_F(SimulatedKeyboardsTest, DumpHoldsWholeMemoriesInDeviceOrder) {
    keyboards.PlugAll(ParseSimulateOption("4E93,4E99:259").devices);
    {
        transport::CReportTransport channel(backend);
        ASSERT_TRUE(channel.Open(VendorPath(0)));
        const std::vector<std::uint8_t> page = {0, 7};
        ASSERT_EQ(channel.WriteParams(page, 0), transport::RESULT_OK);
        const std::vector<std::uint8_t> light(60, 0x30);
        ASSERT_EQ(channel.StreamLightFrame(light), transport::RESULT_OK);
        ASSERT_EQ(channel.StreamLightFrame(light), transport::RESULT_OK);
        ASSERT_EQ(channel.SendLightControl(), transport::RESULT_OK);
    }
    keyboards.Unplug(1);

    const Json::Value root = WriteAndRead();
    ASSERT_TRUE(root.isObject());
    EXPECT_EQ(root.getMemberNames(), std::vector<std::string>{"devices"});
    const Json::Value& devices = root["devices"];
    ASSERT_TRUE(devices.isArray());
    ASSERT_EQ(devices.size(), 2u);

    const std::vector<std::string> members = {"attached",  "custom_light", "frames_received",
                                              "key_table", "led_table",    "light_control",
                                              "macro",     "params",       "pid",
                                              "recoil",    "version",      "vid"};
    const struct {
        const char* name;
        Json::ArrayIndex size;
    } arrays[] = {{"params", 128},        {"key_table", 512}, {"led_table", 512},
                  {"custom_light", 2560}, {"macro", 4096},    {"recoil", 1024}};
    for (const Json::Value& device : devices) {
        auto names = device.getMemberNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, members);
        for (const auto& array : arrays) {
            const Json::Value& bytes = device[array.name];
            ASSERT_TRUE(bytes.isArray()) << array.name;
            EXPECT_EQ(bytes.size(), array.size) << array.name;
            for (const Json::Value& byte : bytes) {
                ASSERT_TRUE(byte.isInt() && byte.asInt() >= 0 && byte.asInt() <= 255) << array.name;
            }
        }
    }

    const Json::Value& first = devices[0];
    EXPECT_EQ(first["vid"].asInt(), 12953);
    EXPECT_EQ(first["pid"].asInt(), 20115);
    EXPECT_EQ(first["version"].asInt(), 260);
    EXPECT_TRUE(first["attached"].asBool());
    EXPECT_EQ(first["params"][1].asInt(), 7);
    EXPECT_EQ(first["key_table"][2].asInt(), 0x29);  // Esc at key position 0
    EXPECT_EQ(first["light_control"].asInt(), 1);
    EXPECT_EQ(first["frames_received"].asInt(), 2);

    const Json::Value& second = devices[1];
    EXPECT_EQ(second["pid"].asInt(), 0x4E99);
    EXPECT_EQ(second["version"].asInt(), 259);
    EXPECT_FALSE(second["attached"].asBool());
    EXPECT_EQ(second["frames_received"].asInt(), 0);
}

TEST_F(SimulatedKeyboardsTest, RemovalFaultUnplugsTheKeyboard) {
    keyboards.PlugAll({{0x4E96, 259}});
    transport::CReportTransport channel(backend);
    ASSERT_TRUE(channel.Open(VendorPath(0)));
    keyboards.Keyboard(0).InjectFault({.kind = SimFaultKind::kRemoval});
    EXPECT_EQ(channel.BeginSession(), transport::RESULT_WRITE_FAILED);
    EXPECT_FALSE(keyboards.IsAttached(0));
    EXPECT_FALSE(WriteAndRead()["devices"][0]["attached"].asBool());
}

TEST_F(SimulatedKeyboardsTest, UnwritableDumpSaysWhy) {
    keyboards.PlugAll({{0x4E93, 260}});
    std::string error;
    EXPECT_FALSE(keyboards.WriteSimDump((folder / "missing" / "dump.json").string(), &error));
    EXPECT_THAT(error, HasSubstr("cannot write"));
}

}  // namespace
}  // namespace calvorn::sim
