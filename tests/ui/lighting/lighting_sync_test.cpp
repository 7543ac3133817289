#include "ui/lighting/lighting_sync.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "device/light_tables.h"
#include "device/usb_device.h"
#include "hid/virtual_hid_backend.h"
#include "platform/test_support.h"
#include "platform/thread_slot.h"
#include "platform/trace.h"

namespace calvorn::ui {
namespace {

using platform::Millis;

class SyncTest : public ::testing::Test {
protected:
    SyncTest() {
        for (auto& device : devices) {
            device = std::make_unique<device::CTalvexUSBDevice>(backend);
            device->SetLedCount(3);
            device->PrimaryChannel().SetOpen(true);
            device->SetSyncLighting(true);
        }
        sync->SetDevices({devices[0].get(), devices[1].get()});
    }

    // Runs `passes` passes of the thread loop, 2 ms apart; returns the passes that drew.
    std::vector<int> DrawingPasses(SyncAnimator& animator, int passes) {
        std::vector<int> drew;
        for (int pass = 1; pass <= passes; ++pass) {
            clock.Advance(Millis(2));
            if (animator.Step(clock.Now(), *sync)) {
                drew.push_back(pass);
            }
        }
        return drew;
    }

    hid::VirtualHidBackend backend;
    platform::FakeClock clock;
    std::shared_ptr<LightingSync> sync = std::make_shared<LightingSync>();
    std::unique_ptr<device::CTalvexUSBDevice> devices[2];
};

TEST_F(SyncTest, FramesFollowTheStepPeriodOfTheSpeedLevel) {
    struct Case {
        int speed;
        std::vector<int> drawing_passes;
    };
    const Case cases[] = {{0, {28, 56, 84}}, {4, {7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77, 84}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed));
        sync->StoreEffect({CommonEffect::kBreathing, 5, static_cast<std::uint8_t>(c.speed), 1});
        SyncAnimator animator(clock.Now());
        EXPECT_EQ(DrawingPasses(animator, 84), c.drawing_passes);
    }
}

TEST_F(SyncTest, AFrameReachesEveryLedOfOpenSynchronisedDevicesOnly) {
    sync->StoreEffect({CommonEffect::kSteady, 3, 4, 0, 0, 10, 20, 30});
    devices[1]->SetSyncLighting(false);
    SyncAnimator animator(clock.Now());
    ASSERT_EQ(DrawingPasses(animator, 7), std::vector<int>{7});

    const device::LedColor lit{10, 20, 30, device::BrightnessOfLevel(3)};
    for (int led = 0; led < 3; ++led) {
        EXPECT_EQ(devices[0]->GetLedColour(led), lit);
        EXPECT_EQ(devices[1]->GetLedColour(led), device::LedColor{});
    }

    devices[1]->SetSyncLighting(true);
    devices[1]->PrimaryChannel().SetOpen(false);
    EXPECT_TRUE(sync->AnySynchronised());
    devices[0]->SetSyncLighting(false);
    EXPECT_FALSE(sync->AnySynchronised()) << "a closed device does not count";
    sync->Draw({1, 2, 3, 4});
    EXPECT_EQ(devices[1]->GetLedColour(0), device::LedColor{});
}

TEST_F(SyncTest, EffectFrames) {
    SyncAnimator animator(clock.Now());
    const Millis t = clock.Now();
    const std::uint8_t full = device::BrightnessOfLevel(5);

    // Breathing forward from position 0: positions 1, 2, ...; brightness follows the curve.
    const SyncEffect forward{CommonEffect::kBreathing, 5, 0, 1, 0, 9, 8, 7};
    for (int position = 1; position <= 64; ++position) {
        const device::LedColor frame = animator.NextFrame(forward, t);
        ASSERT_EQ(frame.brightness, full * device::kBreathingCurve[position] / 256) << position;
        ASSERT_EQ((std::vector<int>{frame.red, frame.green, frame.blue}),
                  (std::vector<int>{9, 8, 7}));
    }

    // Backward from 0 wraps to 127; with multi-colour the wheel index moves on at 1 and 0.
    SyncAnimator multi(t);
    const SyncEffect backward{CommonEffect::kBreathing, 5, 0, 0, 1, 9, 8, 7};
    std::vector<device::RgbColor> colours;
    for (int i = 0; i < 129; ++i) {
        const device::LedColor frame = multi.NextFrame(backward, t);
        colours.push_back({frame.red, frame.green, frame.blue});
    }
    EXPECT_EQ(colours[0], device::kColorWheel[0]) << "position 127";
    EXPECT_EQ(colours[126], device::kColorWheel[16]) << "position 1";
    EXPECT_EQ(colours[127], device::kColorWheel[32]) << "position 0";
    EXPECT_EQ(colours[128], device::kColorWheel[32]) << "position 127 again";

    // Colour cycle walks the wheel and wraps at 192.
    SyncAnimator cycle(t);
    const SyncEffect cycling{CommonEffect::kColorCycle, 2, 0};
    device::LedColor frame{};
    for (int i = 1; i <= 192; ++i) {
        frame = cycle.NextFrame(cycling, t);
        if (i == 1) {
            EXPECT_EQ((device::RgbColor{frame.red, frame.green, frame.blue}),
                      device::kColorWheel[1]);
            EXPECT_EQ(frame.brightness, device::BrightnessOfLevel(2));
        }
    }
    EXPECT_EQ((device::RgbColor{frame.red, frame.green, frame.blue}), device::kColorWheel[0]);

    // Off is dark.
    EXPECT_EQ(animator.NextFrame({CommonEffect::kOff, 5, 0, 0, 0, 9, 9, 9}, t), device::LedColor{});
}

TEST_F(SyncTest, FlashingTogglesAfterTheSpeedPeriodTimes200Ms) {
    // Speed 4: 7 × 200 ms.
    const SyncEffect plain{CommonEffect::kFlashing, 5, 4, 0, 0, 1, 2, 3};
    SyncAnimator animator(Millis(0));
    Millis now = Millis(10'000);
    EXPECT_EQ(animator.NextFrame(plain, now), (device::LedColor{1, 2, 3, 255})) << "first toggle";
    EXPECT_EQ(animator.NextFrame(plain, now + Millis(1399)).brightness, 255);
    EXPECT_EQ(animator.NextFrame(plain, now + Millis(1400)), device::LedColor{});
    EXPECT_EQ(animator.NextFrame(plain, now + Millis(2799)), device::LedColor{});
    const device::LedColor lit = animator.NextFrame(plain, now + Millis(2800));
    EXPECT_EQ(lit, (device::LedColor{1, 2, 3, 255}));

    // With multi-colour the lit colour is the wheel entry, 14 further on each toggle.
    SyncAnimator multi(Millis(0));
    const SyncEffect colourful{CommonEffect::kFlashing, 5, 4, 0, 1, 1, 2, 3};
    const device::LedColor first = multi.NextFrame(colourful, now);
    EXPECT_EQ((device::RgbColor{first.red, first.green, first.blue}), device::kColorWheel[14]);
}

TEST_F(SyncTest, ForgottenDevicesAreNeitherCheckedNorDrawn) {
    sync->ForgetDevices();
    EXPECT_FALSE(sync->AnySynchronised());
    sync->Draw({1, 2, 3, 4});
    EXPECT_EQ(devices[0]->GetLedColour(0), device::LedColor{});
}

TEST_F(SyncTest, ThreadIdlesWithoutSynchronisedDevicesAndStopsPromptly) {
    for (auto& device : devices) {
        device->SetSyncLighting(false);
    }
    platform::TraceCapture trace;
    {
        platform::ThreadSlot slot(platform::StopTexts::kSilent);
        ASSERT_TRUE(slot.Start([sync = sync](platform::ManualResetEvent& stop) {
            RunLightingSyncThread(stop, sync, platform::SteadyClock::Instance());
        }));
        // The idle thread waits a second between checks; a stop must still end it in time.
        EXPECT_EQ(slot.Stop(), platform::StopOutcome::kEnded);
    }
    EXPECT_EQ(trace.Count(kSyncThreadEndTrace), 1u);
}

TEST_F(SyncTest, ThreadDrawsSynchronisedDevicesUntilStopped) {
    sync->StoreEffect({CommonEffect::kSteady, 5, 4, 0, 0, 40, 50, 60});
    platform::TraceCapture trace;
    platform::ThreadSlot slot(platform::StopTexts::kSilent);
    ASSERT_TRUE(slot.Start([sync = sync](platform::ManualResetEvent& stop) {
        RunLightingSyncThread(stop, sync, platform::SteadyClock::Instance());
    }));
    const device::LedColor lit{40, 50, 60, 255};
    EXPECT_TRUE(platform::testing::WaitUntil(
        [&] { return devices[1]->GetLedColour(2) == lit && devices[0]->GetLedColour(0) == lit; }));

    EXPECT_EQ(slot.Stop(), platform::StopOutcome::kEnded);
    EXPECT_EQ(trace.Count(kSyncThreadEndTrace), 1u);
}

}  // namespace
}  // namespace calvorn::ui
