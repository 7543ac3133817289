#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dui/slider.h"
#include "hid/hid_device.h"
#include "sim/sim_keyboard.h"
#include "sim/simulated_keyboards.h"
#include "ui/lighting/lighting_handlers.h"
#include "ui/lighting/lighting_sync.h"
#include "ui/lighting/lighting_test_support.h"

namespace calvorn::ui {
namespace {

using testing::kCommitCalls;
using testing::RecordingDevice;

TEST(CommonEffectTest, ModesTranslateBothWaysPerKind) {
    struct Case {
        int kind;
        int mode;
        std::optional<CommonEffect> effect;
    };
    const Case cases[] = {
        {discovery::DEVICE_KEYBOARD, 5, CommonEffect::kBreathing},
        {discovery::DEVICE_KEYBOARD, 6, CommonEffect::kSteady},
        {discovery::DEVICE_KEYBOARD, 25, CommonEffect::kFlashing},
        {discovery::DEVICE_KEYBOARD, 4, CommonEffect::kColorCycle},
        {discovery::DEVICE_KEYBOARD, 24, CommonEffect::kOff},
        {discovery::DEVICE_KEYBOARD, 2, std::nullopt},
        {discovery::DEVICE_MOUSE, 2, CommonEffect::kBreathing},
        {discovery::DEVICE_MOUSEPAD, 3, CommonEffect::kSteady},
        {discovery::DEVICE_HEADSET, 4, CommonEffect::kFlashing},
        {discovery::DEVICE_WIRELESS_MOUSE, 1, CommonEffect::kColorCycle},
        {discovery::DEVICE_MOUSE, 8, CommonEffect::kOff},
        {discovery::DEVICE_MOUSE, 5, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(CommonEffectOf(c.kind, c.mode), c.effect);
        if (c.effect) {
            EXPECT_EQ(ModeOfEffect(c.kind, *c.effect), c.mode);
        }
    }
}

// Two simulated keyboards, a mouse and a closed mousepad, as the main window lists them.
class SameModeTest : public testing::LightingWindow {
protected:
    SameModeTest() {
        keyboards.Plug(sim::SimKeyboardConfig{});
        sim::SimKeyboardConfig second;
        second.product_id = 0x4E94;
        keyboards.Plug(second);
        std::vector<std::string> vendor_paths;
        for (const std::string& path :
             backend.EnumeratePaths().value_or(std::vector<std::string>{})) {
            if (hid::ParseCollectionNumber(path) == sim::kVendorCollection) {
                vendor_paths.push_back(path);
            }
        }
        EXPECT_EQ(vendor_paths.size(), 2u);

        for (std::size_t i = 0; i < 2 && i < vendor_paths.size(); ++i) {
            RecordingDevice* keyboard = AddPage(discovery::DEVICE_KEYBOARD, 1);
            EXPECT_TRUE(keyboard->PrimaryChannel().Open(vendor_paths[i]));
            keyboard_list.push_back(keyboard);
            keyboard_pages.push_back(keyboard);
        }
        mouse = AddPage(discovery::DEVICE_MOUSE, 2);
        mouse->PrimaryChannel().SetOpen(true);
        mouse_list.push_back(mouse);
        mousepad = AddPage(discovery::DEVICE_MOUSEPAD, 3);
        mousepad_list.push_back(mousepad);

        for (RecordingDevice* device : AllPages()) {
            device->SetRecord(0x00000001, 0x00000000, 0, 0x33);
            CLightControlUI& panel = Panel(device);
            panel.Configure(std::vector<std::string>(30, "mode"), {}, 5, 4);
            panel.SetMultiDevice(true);
        }
        source = keyboard_pages[0];
        // Breathing (keyboard mode 5) at brightness 3, speed 1, backwards, red 200 green 100
        // blue 50, secondary mode 2, custom slot 9.
        source->SetRecord(0x00010305, 0x3264C800, 0x02000000, 0x09);

        LightingHost host_side;
        host_side.current_page = [this] { return source; };
        host_side.screen_size = [] { return testing::kScreen; };
        host_side.device_lists = [this] {
            return LightingDeviceLists{keyboard_list, mouse_list, mousepad_list, {}};
        };
        handlers = std::make_unique<LightingHandlers>(std::move(host_side), clock);
        for (RecordingDevice* device : AllPages()) {
            device->calls.clear();
        }
    }

    std::vector<RecordingDevice*> AllPages() const {
        std::vector<RecordingDevice*> pages = keyboard_pages;
        pages.push_back(mouse);
        pages.push_back(mousepad);
        return pages;
    }

    sim::SimulatedKeyboards keyboards{backend};
    std::vector<RecordingDevice*> keyboard_pages;
    std::vector<device::CTalvexUSBDevice*> keyboard_list;
    std::vector<device::CTalvexUSBDevice*> mouse_list;
    std::vector<device::CTalvexUSBDevice*> mousepad_list;
    RecordingDevice* mouse = nullptr;
    RecordingDevice* mousepad = nullptr;
    RecordingDevice* source = nullptr;
    std::unique_ptr<LightingHandlers> handlers;
};

TEST_F(SameModeTest, CopiesTheLightingToEveryOpenDeviceInItsOwnModeAndSynchronisesThem) {
    Panel(source).ShowRecord(0x00010305, 0x3264C800, 0x02000000);
    ASSERT_TRUE(In(source, "deng_same_mode")->IsVisible()) << "mode 5 offers same mode";

    EXPECT_TRUE(Send(*handlers, source, "click", "deng_same_mode"));

    struct Expected {
        RecordingDevice* device;
        int mode;
    };
    for (const Expected& e :
         {Expected{keyboard_pages[0], 5}, Expected{keyboard_pages[1], 5}, Expected{mouse, 2}}) {
        SCOPED_TRACE("kind " + std::to_string(e.device->Kind()));
        EXPECT_TRUE(e.device->SyncLighting());
        EXPECT_EQ(e.device->calls, kCommitCalls) << "saved first, then one settings write";
        const device::LightParameters p = e.device->LightParams();
        EXPECT_EQ(p.mode, e.mode);
        EXPECT_EQ(p.brightness, 3);
        EXPECT_EQ(p.speed, 1);
        EXPECT_EQ(p.direction, 0);
        EXPECT_EQ((std::vector<int>{p.red, p.green, p.blue}), (std::vector<int>{200, 100, 50}));
        EXPECT_EQ(p.kind_specific, 0x02000000u);
        EXPECT_EQ(Panel(e.device).GetMode(), e.mode);
        EXPECT_EQ(Panel(e.device).GetComponentText(ColorComponent::kRed), "200");
    }
    EXPECT_EQ(keyboard_list[1]->LightParams().custom_slot, 0x33u) << "each keeps its own slot";
    EXPECT_FALSE(mousepad->SyncLighting()) << "closed devices are left alone";
    EXPECT_TRUE(mousepad->calls.empty());

    const SyncEffect effect = handlers->Sync().LoadEffect();
    EXPECT_EQ(effect, (SyncEffect{CommonEffect::kBreathing, 3, 1, 0, 0, 200, 100, 50}));
    EXPECT_TRUE(handlers->Sync().AnySynchronised()) << "the host animation has devices to draw";
}

TEST_F(SameModeTest, FromAModeWithoutACommonEffectChangesNothing) {
    source->SetRecord(0x00010307, 0x3264C800);  // keyboard mode 7

    EXPECT_TRUE(Send(*handlers, source, "click", "deng_same_mode"));

    for (RecordingDevice* device : {keyboard_pages[1], mouse, source}) {
        EXPECT_FALSE(device->SyncLighting());
        EXPECT_TRUE(device->calls.empty());
    }
    EXPECT_EQ(mouse->LightParams().mode, 1);
    EXPECT_EQ(handlers->Sync().LoadEffect(), SyncEffect{});
    EXPECT_FALSE(handlers->Sync().AnySynchronised());
}

TEST_F(SameModeTest, AnEditOnOnePageTakesOnlyThatPageOutOfTheAnimation) {
    handlers->SameMode();
    ASSERT_TRUE(mouse->SyncLighting());
    source = mouse;
    In<dui::Slider>(mouse, "deng_light_slider")->SetValue(1);

    Send(*handlers, mouse, "valuechanged", "deng_light_slider");

    EXPECT_FALSE(mouse->SyncLighting());
    EXPECT_TRUE(keyboard_list[0]->SyncLighting());
    EXPECT_TRUE(keyboard_list[1]->SyncLighting());
}

}  // namespace
}  // namespace calvorn::ui
