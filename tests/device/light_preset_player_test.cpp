#include "device/light_preset_player.h"

#include <gtest/gtest.h>

#include "device/light_keyboard_tables.h"
#include "device/light_tables.h"

namespace calvorn::device {
namespace {

using platform::Millis;

constexpr std::size_t kLeds = 126;

LightEffectStep Step(std::uint8_t mode, RgbColor color, std::int32_t time_ms,
                     std::uint8_t speed = 5, std::uint8_t multi_color = 0,
                     std::uint8_t direction = 0) {
    LightEffectStep step;
    step.mode = mode;
    step.brightness = 5;
    step.speed = speed;
    step.direction = direction;
    step.multi_color = multi_color;
    step.red = color.red;
    step.green = color.green;
    step.blue = color.blue;
    step.time_ms = time_ms;
    return step;
}

LedColor Full(RgbColor color, std::uint8_t brightness = 255) {
    return LedColor{color.red, color.green, color.blue, brightness};
}

constexpr RgbColor kRed{255, 0, 0};
constexpr RgbColor kGreen{0, 255, 0};
constexpr RgbColor kBlue{0, 0, 255};

// Plays one turn per millisecond from a fixed start.
struct Playback {
    ColorArray colors{kLeds};
    PresetSteps steps;
    PresetStepPlayer player;
    LightParameters light;
    Millis now{1'000'000};

    void Turns(int count) {
        for (int i = 0; i < count; ++i) {
            player.Step(colors, steps, light, now);
            now += Millis(1);
        }
    }
};

TEST(PresetStepPlayerTest, PlaysTheStepsInOrderForTheirTimes) {
    Playback p;
    p.steps.Replace({Step(1, kRed, 20), Step(1, kGreen, 30), Step(1, kBlue, 10)});
    // A step moves on in the first turn after more than its time has passed since it began;
    // the first step began with the first turn.
    struct Expect {
        int turns;
        std::size_t index;
        RgbColor color;
    };
    const Expect timeline[] = {{22, 1, kRed}, {31, 2, kGreen}, {11, 0, kBlue}, {1, 0, kRed}};
    for (const Expect& e : timeline) {
        p.Turns(e.turns);
        EXPECT_EQ(p.steps.Index(), e.index);
        EXPECT_EQ(p.colors.Get(100), Full(e.color));
    }
}

TEST(PresetStepPlayerTest, AnEmptyPresetShowsEveryLedOff) {
    Playback p;
    p.colors.Fill(Full(kRed));
    p.steps.Replace({});
    p.Turns(1);
    for (std::size_t i = 0; i < kLeds; ++i) {
        ASSERT_EQ(p.colors.Get(i), LedColor{}) << i;
    }
}

TEST(PresetStepPlayerTest, ModeThreeKeepsWhatThePreviousStepDrew) {
    Playback p;
    p.steps.Replace({Step(1, kGreen, 5), Step(3, kBlue, 50), Step(1, kRed, 5)});
    p.Turns(7);
    ASSERT_EQ(p.steps.Index(), 1u);
    for (int i = 0; i < 50; ++i) {
        p.Turns(1);
        ASSERT_EQ(p.colors.Get(7), Full(kGreen)) << i;
    }
    p.Turns(2);
    EXPECT_EQ(p.colors.Get(7), Full(kRed));
}

TEST(PresetStepPlayerTest, StepModesDrawTheirFirstPhase) {
    struct Case {
        const char* name;
        LightEffectStep step;
        int turns;
        std::size_t led;
        LedColor expected;
    };
    const auto wheel = [](std::size_t i, std::uint8_t brightness = 255) {
        return Full(kColorWheel[i], brightness);
    };
    const auto wave = [](std::size_t v) {
        return Full(kBlue, static_cast<std::uint8_t>(255 * grid::kWaveCurve[v] / 256));
    };
    const Case cases[] = {
        // Speed 0 waits 28 turns per phase step; the breathing then reads curve entry 1.
        {"breathing waits for its speed", Step(0, kBlue, 1000, 0), 27, 0, LedColor{}},
        {"breathing", Step(0, kBlue, 1000, 0), 28, 0, Full(kBlue, 0)},
        {"breathing, multi-colour takes wheel entry 0", Step(0, kBlue, 1000, 5, 1), 40, 3,
         wheel(0, 255 * kBreathingCurve[40] / 256)},
        {"colour cycle", Step(5, kBlue, 1000, 0), 5, 9, wheel(1)},
        {"moving spectrum", Step(4, kBlue, 1000, 5, 1), 1, 0, wheel(2)},
        {"moving spectrum, next LED 12 on", Step(4, kBlue, 1000, 5, 1), 1, 1, wheel(14)},
        {"moving spectrum reversed", Step(4, kBlue, 1000, 5, 1, 1), 1, 0, wheel(191)},
        {"moving spectrum reversed, next LED", Step(4, kBlue, 1000, 5, 1, 1), 1, 1, wheel(11)},
        {"single-colour spectrum", Step(4, kBlue, 1000, 5), 1, 0, wave(14)},
        // From phase entry 191 the curve is entered at (191 + 12) mod 96.
        {"single-colour spectrum reversed", Step(4, kBlue, 1000, 5, 0, 1), 1, 0, wave(11)},
        {"single-colour spectrum reversed, next LED", Step(4, kBlue, 1000, 5, 0, 1), 1, 1,
         wave(23)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Playback p;
        p.steps.Replace({c.step});
        p.Turns(c.turns);
        EXPECT_EQ(p.colors.Get(c.led), c.expected);
    }
}

TEST(PresetStepPlayerTest, BlinkFollowsTheDevicesOwnSpeed) {
    Playback p;
    p.light.speed = 4;  // 7 × 200 ms
    p.steps.Replace({Step(2, kBlue, 100'000, 5, 1)});
    p.Turns(1);
    EXPECT_TRUE(p.player.BlinkOn());
    EXPECT_EQ(p.colors.Get(0), Full(kColorWheel[15]));  // phase 1 + 14
    p.Turns(1399);
    EXPECT_TRUE(p.player.BlinkOn());
    p.Turns(1);
    EXPECT_FALSE(p.player.BlinkOn());
    EXPECT_EQ(p.colors.Get(0), LedColor{});
}

// A spectrum step leaves its phase up to 191; a breathing step after it starts its curve
// again instead of reading past the 128-entry breathing curve.
TEST(PresetStepPlayerTest, APhaseLeftByAnotherModeStartsAgain) {
    Playback p;
    p.steps.Replace({Step(5, kBlue, 149, 5), Step(0, kRed, 1000, 5)});
    p.Turns(151);
    ASSERT_EQ(p.steps.Index(), 1u);
    ASSERT_EQ(p.player.Phase(), 151);
    p.Turns(1);
    EXPECT_EQ(p.player.Phase(), 0);
    EXPECT_EQ(p.colors.Get(0), Full(kRed, 0));
}

TEST(PresetStepPlayerTest, ReplacingTheStepsStartsAtTheFirst) {
    Playback p;
    p.steps.Replace({Step(1, kRed, 0), Step(1, kGreen, 0)});
    p.Turns(2);
    EXPECT_EQ(p.steps.Index(), 1u);
    p.Turns(1);
    EXPECT_EQ(p.steps.Index(), 0u);
    p.Turns(1);
    EXPECT_EQ(p.steps.Index(), 1u);
    p.steps.Replace({Step(1, kBlue, 1000)});
    EXPECT_EQ(p.steps.Index(), 0u);
    EXPECT_EQ(p.steps.Count(), 1u);
    p.Turns(1);
    EXPECT_EQ(p.colors.Get(5), Full(kBlue));
}

}  // namespace
}  // namespace calvorn::device
