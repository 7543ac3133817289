#include "device/light_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "device/light_engine.h"
#include "platform/test_support.h"
#include "platform/trace.h"

namespace calvorn::device {
namespace {

using platform::Millis;

// A device whose light thread counts what it is asked to do.
class CountingTarget : public LightTarget {
public:
    ColorArray& Colors() override { return colors; }
    LightParameters CurrentLight() const override { return light.Load(); }
    bool PrimaryChannelOpen() const override { return open.load(); }
    bool LightHold() const override { return hold.load(); }
    LightPlan PlanFor(const LightParameters&, Millis) const override { return plan; }
    void RenderStep(const LightParameters& parameters, Millis now) override {
        renderer.RenderSpectrum(colors, parameters);
        step_times.push_back(now);
        steps.fetch_add(1);
    }
    void ComposeLayers(std::uint32_t turns, Millis) override { compose_turns.push_back(turns); }

    ColorArray colors{126};
    SharedLightParameters light;
    std::atomic<bool> open{true};
    std::atomic<bool> hold{false};
    LightPlan plan;
    LightRenderer renderer;
    std::vector<Millis> step_times;
    std::vector<std::uint32_t> compose_turns;
    std::atomic<int> steps{0};
};

LightPlan Periodic(std::uint32_t period_ms) {
    LightPlan plan;
    plan.period_ms = period_ms;
    return plan;
}

constexpr Millis kStart(1'000'000);

TEST(LightPacerTest, StepsOncePerPeriodAndSleepsUntilTheNextStep) {
    CountingTarget target;
    target.plan = Periodic(5);
    LightPacer pacer;
    EXPECT_EQ(pacer.Turn(target, kStart), Millis(5));
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(2)), Millis(3));  // early wake: nothing due
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(5)), Millis(5));
    EXPECT_EQ(target.step_times, (std::vector<Millis>{kStart, kStart + Millis(5)}));
    EXPECT_EQ(target.compose_turns, (std::vector<std::uint32_t>{0, 2, 3}));
}

TEST(LightPacerTest, LateWakeRunsEveryStepThatCameDue) {
    CountingTarget target;
    target.plan = Periodic(5);
    LightParameters forward;
    forward.direction = 1;
    target.light.Store(forward);
    LightPacer pacer;
    pacer.Turn(target, kStart);
    // Steps were due at +5, +10 and +15; the next one is due at +20.
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(17)), Millis(3));
    EXPECT_EQ(target.steps.load(), 4);
    // The renderer advanced by the steps, not by the wake-ups.
    EXPECT_EQ(target.renderer.State().phase, 4);
}

TEST(LightPacerTest, EveryTurnEffectsStepEachMillisecond) {
    CountingTarget target;
    target.plan = Periodic(0);
    LightPacer pacer;
    EXPECT_EQ(pacer.Turn(target, kStart), Millis(1));
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(10)), Millis(1));
    EXPECT_EQ(target.steps.load(), 11);
}

TEST(LightPacerTest, StallCatchesUpAtMostTheCap) {
    CountingTarget target;
    target.plan = Periodic(1);
    LightPacer pacer;
    pacer.Turn(target, kStart);
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(60'000)), Millis(1));
    EXPECT_EQ(target.steps.load(), 1 + static_cast<int>(LightPacer::kMaxCatchUpSteps));
    EXPECT_EQ(target.compose_turns.back(), LightPacer::kMaxCatchUpSteps);
    pacer.Turn(target, kStart + Millis(60'001));
    EXPECT_EQ(target.steps.load(), 2 + static_cast<int>(LightPacer::kMaxCatchUpSteps));
}

TEST(LightPacerTest, SteadyEffectsDrawOncePerWakeAndSleepLonger) {
    CountingTarget target;
    target.plan = Periodic(1);
    target.plan.steady = true;
    LightPacer pacer;
    EXPECT_EQ(pacer.Turn(target, kStart), LightPacer::kSteadyRedraw);
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(500)), LightPacer::kSteadyRedraw);
    EXPECT_EQ(target.steps.load(), 2);
}

TEST(LightPacerTest, UnchangedFramesAreSkippedUntilTheirEnd) {
    CountingTarget target;
    target.plan = Periodic(0);
    target.plan.unchanged_until = kStart + Millis(300);
    LightPacer pacer;
    // The first turn draws; the frame then stays as it is until +300.
    EXPECT_EQ(pacer.Turn(target, kStart), LightPacer::kMaxSleep);
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(290)), Millis(10));
    EXPECT_EQ(target.steps.load(), 1);
    pacer.Turn(target, kStart + Millis(300));
    EXPECT_EQ(target.step_times, (std::vector<Millis>{kStart, kStart + Millis(300)}));

    // New settings draw at once even inside such a stretch.
    target.plan.unchanged_until = kStart + Millis(5000);
    pacer.Turn(target, kStart + Millis(301));  // the step that was due at +301
    pacer.Turn(target, kStart + Millis(310));  // nothing: unchanged until +5000
    EXPECT_EQ(target.steps.load(), 3);
    LightParameters light;
    light.red = 9;
    target.light.Store(light);
    pacer.Turn(target, kStart + Millis(320));
    EXPECT_EQ(target.step_times.back(), kStart + Millis(320));
    EXPECT_EQ(target.steps.load(), 4);
}

TEST(LightPacerTest, AnimatedLayersKeepTheThreadAwakeEachMillisecond) {
    CountingTarget target;
    target.plan = Periodic(28);
    target.plan.layers_animate = true;
    LightPacer pacer;
    EXPECT_EQ(pacer.Turn(target, kStart), Millis(1));
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(1)), Millis(1));
    EXPECT_EQ(target.steps.load(), 1);
}

TEST(LightPacerTest, ClosedChannelAndHoldIdleWithoutCatchingUp) {
    CountingTarget target;
    target.plan = Periodic(5);
    LightPacer pacer;
    pacer.Turn(target, kStart);

    target.open = false;
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(100)), LightPacer::kClosedPoll);
    target.open = true;
    target.hold = true;
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(200)), LightPacer::kHoldPoll);
    EXPECT_EQ(target.steps.load(), 1);
    EXPECT_EQ(target.compose_turns.size(), 1u);

    target.hold = false;
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(400)), Millis(5));
    EXPECT_EQ(target.steps.load(), 2);  // one step, not the 80 periods spent idle
    EXPECT_EQ(target.compose_turns.back(), 0u);
}

TEST(LightPacerTest, NewLightSettingsStepAtOnce) {
    CountingTarget target;
    target.plan = Periodic(28);
    LightPacer pacer;
    pacer.Turn(target, kStart);
    LightParameters light;
    light.mode = 4;
    target.light.Store(light);
    // The next step is 28 ms away; the thread looks for new settings before that.
    EXPECT_EQ(pacer.Turn(target, kStart + Millis(3)), LightPacer::kMaxSleep);
    EXPECT_EQ(target.step_times, (std::vector<Millis>{kStart, kStart + Millis(3)}));
}

TEST(LightThreadTest, WakesOncePerLightFrameJustBeforeItWhileFramesAreTaken) {
    struct Case {
        int now;
        int pacer_wait;
        std::optional<int> last_frame;
        int wait;
    };
    const Case cases[] = {
        // No frames taken: as the pacer asks, but never more often than every 25 ms.
        {1000, 1, std::nullopt, 25},
        {1000, 20, std::nullopt, 25},
        {1000, 100, std::nullopt, 100},
        // Frames every 50 ms: wake 5 ms before the next one, whatever the pacer asks.
        {1000, 1, 1000, 45},
        {1000, 100, 990, 35},
        {1044, 1, 1000, 51} /* the coming frame is served already: the one after */,
        {1046, 1, 1000, 49},
        {1100, 1, 1000, 45} /* the frame at 1050 is late: still one wake per period */,
        // Frames stopped more than two periods ago, or a mark from the future: no frames.
        {1101, 7, 1000, 25},
        {1000, 40, 1010, 40},
    };
    for (const Case& c : cases) {
        const std::optional<Millis> last =
            c.last_frame ? std::optional(Millis(*c.last_frame)) : std::nullopt;
        EXPECT_EQ(LightThreadWait(Millis(c.now), Millis(c.pacer_wait), last), Millis(c.wait))
            << "now " << c.now << " pacer " << c.pacer_wait << " last "
            << c.last_frame.value_or(-1);
    }
}

TEST(LightThreadTest, RendersUntilStoppedAndTracesItsExit) {
    platform::TraceCapture trace;
    CountingTarget target;
    target.plan = Periodic(1);
    platform::ManualResetEvent stop;
    std::thread thread([&] {
        RunLightThread(target, platform::SteadyClock::Instance(), stop, "KB灯光线程设定退出");
    });
    // The UI thread reads the colour array while the light thread renders it.
    std::uint32_t seen = 0;
    EXPECT_TRUE(platform::testing::WaitUntil([&] {
        seen |= target.colors.GetPacked(125);
        return target.steps.load() > 3;
    }));
    stop.Set();
    thread.join();
    EXPECT_NE(seen, 0u);
    EXPECT_EQ(trace.Count("KB灯光线程设定退出"), 1u);
}

TEST(LightThreadTest, StopSetBeforeTheStartEndsAtOnce) {
    platform::TraceCapture trace;
    CountingTarget target;
    platform::ManualResetEvent stop(true);
    RunLightThread(target, platform::SteadyClock::Instance(), stop, "MS灯光线程设定退出");
    EXPECT_EQ(target.steps.load(), 0);
    EXPECT_TRUE(trace.Contains("MS灯光线程设定退出"));
}

}  // namespace
}  // namespace calvorn::device
