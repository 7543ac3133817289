#include "device/keyboard_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/event_image.h"
#include "hid/hid_test_support.h"
#include "hid/virtual_hid_backend.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/test_support.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"
#include "sim/factory_layout.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"
#include "storage/json_file.h"
#include "transport/report_protocol.h"

namespace calvorn::device {
namespace {

namespace fs = std::filesystem;
using platform::testing::PumpUntil;
using platform::testing::ScopedEnv;
using platform::testing::TempFolder;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kKeyA = 64;
constexpr std::uint32_t kCodeOfB = 0x200005;
const char* const kProfileId = "2024_05_06_07_08_09_010";

// Counts the key reactions and parameter reads of a keyboard.
class RecordingKeyboard : public CTalvexKeyboardDevice {
public:
    using CTalvexKeyboardDevice::CTalvexKeyboardDevice;
    void KeyReaction(int key, bool press) override { reactions.emplace_back(key, press); }
    void ReadParameters() override {
        ++parameter_reads;
        CTalvexKeyboardDevice::ReadParameters();
    }
    std::vector<std::pair<int, bool>> reactions;
    int parameter_reads = 0;
};

// The main window's side: records the device messages and applies the profile on 3328 as the
// main window does.
class MainWindow : public platform::MessageHandler {
public:
    platform::LResult HandleMessage(platform::WindowHandle, platform::MessageId message,
                                    platform::WParam wparam, platform::LParam lparam) override {
        messages.push_back({message, wparam, lparam});
        if (message == kMsgDeviceParametersRead && device != nullptr) {
            device->LoadCurrentProfile();
            device->WriteParameters(0, 0, 1, kScreenWidth, kScreenHeight);
            macro_result = device->WriteMacros();
            device->WriteKeyList(0);
        }
        return 1;
    }
    int Count(platform::MessageId message) const {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [&](const auto& m) { return m.message == message; }));
    }

    struct Entry {
        platform::MessageId message;
        platform::WParam wparam;
        platform::LParam lparam;
    };
    std::vector<Entry> messages;
    CTalvexKeyboardDevice* device = nullptr;
    int macro_result = -99;
};

class KeyboardDeviceTest : public ::testing::Test {
protected:
    KeyboardDeviceTest()
        : program_dir("CALVORN_PROGRAM_DIR", std::string(CALVORN_SOURCE_DIR)),
          data_home("CALVORN_DATA_HOME", data.path().string()),
          loop(clock),
          keyboards(backend) {}

    fs::path UserFolder() const { return data / "Calvorn" / "keyboard"; }

    // Plugs a keyboard, makes its page object as the main window does and opens the channels.
    void Attach(sim::SimKeyboardConfig config = {}) {
        config.record_frames = true;
        keyboards.Plug(config);
        device = std::make_unique<RecordingKeyboard>(backend);
        window.device = device.get();
        device->SetMainWindow(&loop, loop.CreateWindow(&window));
        device->SetKeyCount(126);
        device->SetLedCount(126);
        device->SetLabel("keyboard");
        device->SetLightName("orvum_light");
        discovery::SupportedDeviceRecord identity;
        identity.vendor_id = config.vendor_id;
        identity.product_id = config.product_id;
        identity.kind = discovery::DEVICE_KEYBOARD;
        device->AttachIdentity(identity);
        for (const std::string& path :
             backend.EnumeratePaths().value_or(std::vector<std::string>{})) {
            if (hid::ParseCollectionNumber(path) == sim::kVendorCollection) {
                ASSERT_TRUE(device->PrimaryChannel().Open(path));
            } else {
                device->OpenSecondary(path);
            }
        }
    }

    // The keyboard plugged last.
    sim::SimKeyboard& Keyboard() const { return keyboards.Keyboard(keyboards.Count() - 1); }
    sim::SimMemory Memory() const { return Keyboard().Memory(); }

    int FramesWithCommand(std::uint8_t command) const {
        int count = 0;
        for (const transport::Frame& frame : Keyboard().RequestLog()) {
            count += frame[transport::kCommandByte] == command ? 1 : 0;
        }
        return count;
    }

    Json::Value ProfileDevice() const {
        return storage::ReadJsonFile(UserFolder() /
                                     (std::string(kProfileId) + ".Json"))["Device"][0];
    }

    // A profile list naming kProfileId, whose file is the shipped default with key A giving
    // B, report rate 2 and Windows-key lock (which the keyboard's page overrides at attach); and
    // a macro library of two macros.
    void PrepareUserData() {
        fs::create_directories(UserFolder());
        Json::Value list(Json::objectValue);
        list["profilelist"][0]["profilename"] = "profile1";
        list["profilelist"][0]["profileUUID"] = kProfileId;
        list["profileselect"] = 0;
        ASSERT_TRUE(storage::WriteJsonFile(UserFolder() / "ProfileList.ini", list));
        Json::Value profile =
            storage::ReadJsonFile(fs::path(CALVORN_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
        Json::Value& device_document = profile["Device"][0];
        device_document["KeyList"][kKeyA]["Assignment"] = kCodeOfB;
        device_document["SystemStages"]["PollingRate"] = 2;
        device_document["SystemStages"]["WinFlag"] = 1;
        ASSERT_TRUE(
            storage::WriteJsonFile(UserFolder() / (std::string(kProfileId) + ".Json"), profile));
        Json::Value index(Json::objectValue);
        for (int i = 0; i < 2; ++i) {
            const std::string guid = "2024_01_01_00_00_00_00" + std::to_string(i);
            index["MacroInfo"][i]["MacroName"] = "macro " + std::to_string(i);
            index["MacroInfo"][i]["Guid"] = guid;
            Json::Value macro(Json::objectValue);
            macro["Events"][0]["Action"] = "down";
            macro["Events"][0]["Button"] = 4 + i;
            macro["Events"][0]["Delay"] = "20";
            macro["Events"][0]["Type"] = 1;
            ASSERT_TRUE(storage::WriteJsonFile(UserFolder() / (guid + ".mac"), macro));
        }
        ASSERT_TRUE(storage::WriteJsonFile(UserFolder() / "macro.config", index));
    }

    TempFolder data;
    ScopedEnv program_dir;
    ScopedEnv data_home;
    platform::FakeClock clock;
    platform::UiLoop loop;
    hid::VirtualHidBackend backend;
    sim::SimulatedKeyboards keyboards;
    MainWindow window;
    std::unique_ptr<RecordingKeyboard> device;
};

std::vector<std::uint8_t> PageIn(const sim::SimMemory& memory) {
    return {memory.params.begin(), memory.params.begin() + kKeyboardPageSize};
}

TEST_F(KeyboardDeviceTest, AttachReadsTheKeyboardAndThePushWritesTheProfile) {
    PrepareUserData();
    Attach();
    const sim::SimMemory factory = Memory();
    device->SyncFromDevice();

    // The tables were read and mapped onto the logical keys.
    EXPECT_TRUE(device->KeyTableRead());
    for (int key = 0; key < 126; ++key) {
        SCOPED_TRACE(key);
        if (key == 18 || key == 19 || key == 20 || key == 104) {
            // Keys the keyboard does not have share the first position without a key.
            EXPECT_EQ(device->PositionOf(key), sim::KeyPositionOfLogicalKey(18));
            continue;
        }
        const int position = sim::KeyPositionOfLogicalKey(key);
        EXPECT_EQ(device->PositionOf(key), position);
        EXPECT_EQ(device->LedOf(key), sim::LedIndexOfPosition(position));
    }

    // The keyboard's own lighting and flags were adopted into the profile; the report rate
    // stays the profile's.
    const Json::Value light = ProfileDevice()["LightInfo"];
    EXPECT_EQ(light["SelectItem"].asInt(), factory.params[1]);
    EXPECT_EQ(light["Light"].asInt(), factory.params[2]);
    EXPECT_EQ(light["Speed"].asInt(), 4 - factory.params[3]);
    EXPECT_EQ(ProfileDevice()["SystemStages"]["PollingRate"].asInt(), 2);
    EXPECT_EQ(device->ActiveLight().mode, factory.params[1]);

    // 3328 went to the main window with wParam 0, and its handling wrote the profile.
    ASSERT_EQ(window.Count(kMsgDeviceParametersRead), 1);
    EXPECT_EQ(window.messages.back().wparam, platform::WParam{0});
    EXPECT_EQ(window.Count(kMsgDeviceFirmwareTooOld), 0);
    EXPECT_EQ(window.macro_result, 0);

    const sim::SimMemory memory = Memory();
    storage::CKeyboardProfiledata& document = device->Document();
    const KeyboardSettingsPage expected_page = BuildSettingsPage(
        0, document.ReadLightInfo(), KeyboardOptions::FromWords(document.ReadSystemStages()));
    EXPECT_EQ(PageIn(memory),
              std::vector<std::uint8_t>(expected_page.begin(), expected_page.end()));
    // The Windows-key lock was read back from the keyboard; the report rate never is.
    EXPECT_EQ(memory.params[21], factory.params[21]);
    EXPECT_EQ(memory.params[22], 2);

    std::vector<std::uint8_t> expected_keys = factory.key_table;
    const auto at = static_cast<std::size_t>(sim::KeyPositionOfLogicalKey(kKeyA)) * 3;
    expected_keys[at + 2] = 0x05;
    EXPECT_EQ(memory.key_table, expected_keys);

    const MacroImage macros = BuildMacroImage(UserFolder(), 32);
    ASSERT_FALSE(macros.image.empty());
    EXPECT_TRUE(std::equal(macros.image.begin(), macros.image.end(), memory.macro.begin()));
    EXPECT_EQ(device->MacroNames(), (std::vector<std::string>{"macro 0", "macro 1"}));
    EXPECT_FALSE(memory.in_session);

    // The light thread animates the active light record.
    EXPECT_TRUE(PumpUntil(loop, [&] { return device->Colors().Get(0) != LedColor{}; }));
}

TEST_F(KeyboardDeviceTest, FirmwareGateByProductAndVersion) {
    struct Case {
        std::uint16_t product;
        std::uint16_t version;
        bool too_old;
        bool tables_read;
        bool pushed;
    };
    const std::vector<Case> cases = {
        {0x4E99, 259, true, false, true},   {0x4E99, 260, false, true, true},
        {0x4E93, 259, true, false, false},  {0x4E96, 259, false, true, true},
        {0x4EAB, 300, false, false, false},  // no model: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.product << std::dec << " v" << c.version);
        sim::SimKeyboardConfig config = sim::DefaultSimKeyboardConfig(c.product);
        config.version = c.version;
        Attach(config);
        const std::vector<std::uint8_t> factory_keys = Memory().key_table;
        device->SyncFromDevice();

        EXPECT_EQ(window.Count(kMsgDeviceFirmwareTooOld), c.too_old ? 1 : 0);
        if (c.too_old) {
            const auto& too_old =
                *std::find_if(window.messages.begin(), window.messages.end(),
                              [](const auto& m) { return m.message == kMsgDeviceFirmwareTooOld; });
            EXPECT_EQ(too_old.wparam, static_cast<platform::WParam>(c.product));
            EXPECT_EQ(too_old.lparam, static_cast<platform::LParam>(c.version));
        }
        EXPECT_EQ(FramesWithCommand(transport::CMD_READ_KEY_TABLE) > 0, c.tables_read);
        EXPECT_EQ(window.Count(kMsgDeviceParametersRead), c.pushed ? 1 : 0);
        if (!c.tables_read) {
            // The push still writes the page but never lays the key list over a key table
            // that was not read.
            EXPECT_EQ(device->PositionOf(kKeyA), kUnmapped);
            EXPECT_EQ(Memory().key_table, factory_keys);
            EXPECT_EQ(FramesWithCommand(transport::CMD_WRITE_KEY_TABLE), 0);
        }
        device.reset();
        window.messages.clear();
        keyboards.Unplug(keyboards.Count() - 1);
    }
}

TEST_F(KeyboardDeviceTest, FirstAttachCreatesTheProfileFromTheDefaultAndRebuildsABrokenOne) {
    Attach();
    device->SyncFromDevice();
    const Json::Value list = storage::ReadJsonFile(UserFolder() / "ProfileList.ini");
    ASSERT_EQ(list["profilelist"].size(), 1u);
    EXPECT_EQ(list["profilelist"][0]["profilename"].asString(), "profile1");
    EXPECT_EQ(list["profileselect"].asInt(), 0);
    const std::string id = list["profilelist"][0]["profileUUID"].asString();
    const fs::path profile = UserFolder() / (id + ".Json");
    EXPECT_EQ(device->GetProfileName(), profile.string());
    EXPECT_EQ(storage::ReadJsonFile(profile)["profileUUID"].asString(), id);
    EXPECT_EQ(device->KeyList().size(), 126u);

    // A profile file broken on disk is rebuilt from the default at the next load.
    ASSERT_TRUE(platform::WriteFileAtomically(profile, "{ not json"));
    device->LoadCurrentProfile();
    EXPECT_EQ(device->KeyList().size(), 126u);
    EXPECT_EQ(storage::ReadJsonFile(profile)["Device"][0]["KeyList"].size(), 126u);
    EXPECT_EQ(storage::ReadJsonFile(UserFolder() / "ProfileList.ini"), list) << "list unchanged";
}

TEST_F(KeyboardDeviceTest, AReadThatDidNotHappenLeavesTheProfileAlone) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    const Json::Value before = ProfileDevice();

    sim::SimFault fault;
    fault.kind = sim::SimFaultKind::kNoReply;
    fault.frames = -1;
    Keyboard().InjectFault(fault);
    device->PrimaryChannel().SetLightHold(true);
    device->ReadParameters();
    EXPECT_FALSE(device->PrimaryChannel().LightHold());
    EXPECT_EQ(ProfileDevice(), before);

    Keyboard().ClearFault();
    device->PrimaryChannel().Close();
    device->ReadParameters();
    EXPECT_EQ(ProfileDevice(), before);
}

TEST_F(KeyboardDeviceTest, ReadBackTakesLightAndFlagsButNotTheReportRate) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    Keyboard().EditMemory([](sim::SimMemory& memory) {
        memory.params[1] = 30;  // a host-only effect cannot be on the keyboard, but is taken
        memory.params[3] = 3;   // speed 1
        memory.params[20] = 1;  // all keys
        memory.params[22] = 0;  // report rate
        memory.params[25] = 3;  // custom group: not taken into the light setting
    });
    device->ReadParameters();
    const Json::Value document = ProfileDevice();
    EXPECT_EQ(document["LightInfo"]["SelectItem"].asInt(), 30);
    EXPECT_EQ(document["LightInfo"]["Speed"].asInt(), 1);
    EXPECT_EQ(document["LightInfo"]["CustomGroup"].asInt(), 0);
    EXPECT_EQ(document["SystemStages"]["Key6Flag"].asInt(), 0);
    EXPECT_EQ(document["SystemStages"]["PollingRate"].asInt(), 2);
    EXPECT_EQ(device->SettingsPage()[16], 0);
    EXPECT_EQ(device->ActiveLight().custom_slot, 3u);
}

TEST_F(KeyboardDeviceTest, KeyReportsRunTheKeyReactionOfTheLogicalKey) {
    Attach();
    device->SyncFromDevice();
    const int position = sim::KeyPositionOfLogicalKey(kKeyA);
    Keyboard().PressKey(static_cast<std::uint8_t>(position));
    Keyboard().ReleaseKey(static_cast<std::uint8_t>(position));
    Keyboard().PressKey(169);  // no logical key there
    ASSERT_TRUE(PumpUntil(loop, [&] { return device->reactions.size() >= 3; }));
    loop.RunUntilIdle();
    const std::vector<std::pair<int, bool>> expected = {
        {kKeyA, true}, {kKeyA, false}, {kKeyA, false}};
    EXPECT_EQ(device->reactions, expected);
}

TEST_F(KeyboardDeviceTest, TheLightThreadDrawsTheAreaEffectsOverTheEffect) {
    PrepareUserData();
    const fs::path profile = UserFolder() / (std::string(kProfileId) + ".Json");
    Json::Value root = storage::ReadJsonFile(profile);
    Json::Value& area = root["Device"][0]["LightList"][0];
    area["LEDREGMode"] = 1;  // static
    area["LEDBrightness"] = 4;
    area["blue"] = 255;
    ASSERT_TRUE(storage::WriteJsonFile(profile, root));
    Attach();
    device->SyncFromDevice();

    // Record 0 shows the static blue area; the others the effect (spectrum).
    EXPECT_TRUE(PumpUntil(loop, [&] {
        const LedColor first = device->Colors().Get(0);
        return first.red == 0 && first.green == 0 && first.blue == 255 && first.brightness != 0 &&
               device->Colors().Get(1) != LedColor{};
    }));
}

TEST_F(KeyboardDeviceTest, DestroyingTheKeyboardEndsItsLightThread) {
    Attach();
    device->SyncFromDevice();
    platform::TraceCapture trace;
    device.reset();
    EXPECT_TRUE(trace.Contains("KB灯光线程设定退出"));
    EXPECT_TRUE(trace.Contains("线程退出：：对象处于激发状态\n"));
}

TEST_F(KeyboardDeviceTest, ReadRequestsReadTheParameters100MsLater) {
    Attach();
    device->SyncFromDevice();
    for (const std::uint16_t usage : {kUsageParameterReadRequest, kUsageKeyboardReadRequest}) {
        SCOPED_TRACE(usage);
        const int reads = device->parameter_reads;
        Keyboard().SendConsumerNotice(usage);
        ASSERT_TRUE(
            PumpUntil(loop, [&] { return loop.HasTimer(device.get(), kParameterReadTimer); }));
        loop.AdvanceBy(platform::Millis(99));
        EXPECT_EQ(device->parameter_reads, reads);
        loop.AdvanceBy(platform::Millis(1));
        EXPECT_EQ(device->parameter_reads, reads + 1);
    }
}

TEST_F(KeyboardDeviceTest, CustomPaintStoresTheColourAndSendsTheGroupBlock) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    // Custom lighting in group 1, painting in blue.
    const LightParameters custom{kCustomLightEffect, 4, 2, 0, 0, 0, 0, 255, 0, 1};
    device->SetLightParameters(custom.FirstWord(), custom.SecondWord(), 0, 1);
    device->SaveProfile();
    device->RefreshPage();

    ASSERT_TRUE(device->PaintCustomKey(kKeyA));
    const int led = device->LedOf(kKeyA);
    const sim::SimMemory memory = Memory();
    const std::size_t at = sim::kCustomLightStride + static_cast<std::size_t>(led) * 3;
    EXPECT_EQ(memory.custom_light[at], 0);
    EXPECT_EQ(memory.custom_light[at + 2], 255);
    const Json::Value colour = ProfileDevice()["CustomLightMode"]["LightColorInfo"][1][kKeyA];
    EXPECT_EQ(colour["Blue"].asInt(), 255);
    EXPECT_EQ(colour["Red"].asInt(), 0);

    // A wireless keyboard stores the colour but sends nothing.
    device->PrimaryChannel().SetLongTimeout(true);
    const int writes = FramesWithCommand(transport::CMD_WRITE_CUSTOM_LIGHT);
    const LightParameters green{kCustomLightEffect, 4, 2, 0, 0, 0, 255, 0, 0, 1};
    device->SetLightParameters(green.FirstWord(), green.SecondWord(), 0, 1);
    EXPECT_FALSE(device->PaintCustomKey(kKeyA + 1));
    EXPECT_EQ(FramesWithCommand(transport::CMD_WRITE_CUSTOM_LIGHT), writes);
    EXPECT_EQ(ProfileDevice()["CustomLightMode"]["LightColorInfo"][1][kKeyA + 1]["Green"].asInt(),
              255);

    // Outside the custom effect nothing is painted.
    device->SetLightParameters(LightParameters{4}.FirstWord(), 0, 0, 1);
    device->RefreshPage();
    EXPECT_FALSE(device->PaintCustomKey(kKeyA));
}

TEST_F(KeyboardDeviceTest, MacroKeysBeyondTheLibraryGetTheirDefaultBack) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    std::vector<storage::KeyAssignmentPair> keys = device->KeyList();
    keys[1].code = {kCodeMacro, 1, 0};        // macro 1 of 2: kept
    keys[2].code = {kCodeMacroRepeat, 2, 3};  // macro 2 of 2: gone
    device->Document().WriteKeyAssignments(keys);
    device->SaveProfile();
    device->LoadCurrentProfile();

    device->ValidateMacroKeys();
    EXPECT_EQ(device->KeyList()[1].code, (AssignmentCode{kCodeMacro, 1, 0}));
    EXPECT_EQ(device->KeyList()[2].code, keys[2].default_code);
    EXPECT_EQ(device->Document().ReadKeyAssignments()[2].code, keys[2].default_code);
    EXPECT_EQ(ProfileDevice()["KeyList"][2]["Assignment"].asUInt(),
              (kCodeMacroRepeat << 16) | 0x0203u)
        << "nothing is saved here";
}

TEST_F(KeyboardDeviceTest, OptionsAreStoredAndOnlyTheKeyboardOnesSent) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    struct Case {
        KeyboardOption option;
        int value;
        const char* member;
        int stored;
        bool sent;
    };
    const std::vector<Case> cases = {
        {KeyboardOption::kPollingRate, 3, "PollingRate", 3, true},
        {KeyboardOption::kKey6Flag, 1, "Key6Flag", 1, true},
        {KeyboardOption::kWFlag, 1, "WFlag", 1, true},
        {KeyboardOption::kWinLock, 1, "WinFlag", 1, true},
        {KeyboardOption::kRepeatDelay, 2, "RepeatDelay", 2, false},
        {KeyboardOption::kRepeatRate, 17, "Repeat", 17, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        const int writes = FramesWithCommand(transport::CMD_WRITE_PARAMS);
        device->SetKeyboardOption(c.option, c.value);
        EXPECT_EQ(ProfileDevice()["SystemStages"][c.member].asInt(), c.stored);
        EXPECT_EQ(FramesWithCommand(transport::CMD_WRITE_PARAMS) > writes, c.sent);
    }
    const sim::SimMemory memory = Memory();
    EXPECT_EQ(memory.params[19], 1);
    EXPECT_EQ(memory.params[20], 0);
    EXPECT_EQ(memory.params[21], 1);
    EXPECT_EQ(memory.params[22], 3);
}

TEST_F(KeyboardDeviceTest, RestoreDefaultsSavesAndAppliesTheShippedProfile) {
    PrepareUserData();
    Attach();
    device->SyncFromDevice();
    device->RestoreDefaults();
    const Json::Value shipped =
        storage::ReadJsonFile(fs::path(CALVORN_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
    EXPECT_EQ(ProfileDevice(), shipped["Device"][0]);
    EXPECT_EQ(device->Options().polling_rate, 0);
    EXPECT_EQ(device->KeyList()[kKeyA].code, device->KeyList()[kKeyA].default_code);
    EXPECT_EQ(device->ActiveLight().mode, shipped["Device"][0]["LightInfo"]["SelectItem"].asInt());
}

}  // namespace
}  // namespace calvorn::device
