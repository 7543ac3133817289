#include "device/light_keyboard_effects.h"

#include <gtest/gtest.h>

namespace calvorn::device {
namespace {

using platform::Millis;

TEST(KeyboardEffectsTest, PeriodsBySpeedRow) {
    struct Case {
        std::uint8_t effect;
        std::uint8_t speed;
        std::uint32_t period_ms;
    };
    const Case cases[] = {
        {4, 0, 5},   {4, 4, 1},   {1, 2, 3},   {10, 0, 10}, {13, 4, 2}, {16, 2, 6}, {23, 0, 0},
        {25, 1, 28}, {26, 4, 13}, {30, 3, 18}, {20, 1, 4},  {24, 0, 5}, {0, 2, 0},  {19, 0, 0},
        {28, 4, 0},  {31, 1, 0},  {255, 0, 0}, {4, 5, 0},  // speeds past the row step on every turn
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyboardEffectPeriodMs(c.effect, c.speed), c.period_ms)
            << "effect " << int(c.effect) << " speed " << int(c.speed);
    }
}

TEST(KeyboardEffectsTest, RenderersByEffect) {
    using enum KeyboardRenderer;
    EXPECT_EQ(KeyboardEffectOf(4).renderer, kSpectrum);
    EXPECT_EQ(KeyboardEffectOf(22).renderer, kBreathing4);
    EXPECT_EQ(KeyboardEffectOf(23).renderer, kBlink4);
    EXPECT_EQ(KeyboardEffectOf(24).renderer, kOff);
    EXPECT_EQ(KeyboardEffectOf(25).renderer, kBlink);
    EXPECT_EQ(KeyboardEffectOf(20).renderer, kCustom);
    for (std::uint8_t effect : {0, 19, 21, 28, 31, 200}) {
        EXPECT_EQ(KeyboardEffectOf(effect).renderer, kPresetPlayer) << int(effect);
    }
}

LightParameters Effect(std::uint8_t mode, std::uint8_t speed = 0) {
    LightParameters light;
    light.mode = mode;
    light.speed = speed;
    light.brightness = 5;
    light.red = 40;
    light.green = 50;
    light.blue = 60;
    light.direction = 1;
    return light;
}

TEST(KeyboardEffectsTest, OnlyEffectsThatRedrawTheSameFrameAreSteady) {
    KeyboardLightEffects effects;
    for (std::uint8_t mode : {6, 17, 20, 24}) {
        EXPECT_TRUE(effects.PlanFor(Effect(mode)).steady) << int(mode);
    }
    for (std::uint8_t mode : {0, 1, 5, 7, 10, 14, 15, 26, 27, 29, 30, 31}) {
        EXPECT_FALSE(effects.PlanFor(Effect(mode)).steady) << int(mode);
    }
}

TEST(KeyboardEffectsTest, BuiltEffectsAndTheirPlans) {
    KeyboardLightEffects effects;
    ColorArray colors(126);

    effects.Render(colors, Effect(4), Millis(0));
    EXPECT_EQ(effects.Renderer().State().phase, 1);
    EXPECT_EQ(colors.Get(0), (LedColor{255, 3, 0, 255}));
    EXPECT_FALSE(effects.PlanFor(Effect(4, 1)).steady);
    EXPECT_EQ(effects.PlanFor(Effect(4, 1)).period_ms, 4u);

    // Custom colours keep the painted colour and take the level's brightness.
    colors.Set(3, {1, 2, 3, 0});
    LightParameters custom = Effect(20);
    custom.brightness = 2;
    effects.Render(colors, custom, Millis(0));
    EXPECT_EQ(colors.Get(3), (LedColor{1, 2, 3, 102}));
    EXPECT_TRUE(effects.PlanFor(custom).steady);

    effects.Render(colors, Effect(24), Millis(0));
    EXPECT_EQ(colors.Get(3), LedColor{});

    // A blink sleeps until its next toggle: speed 1 of the blink row is 23 × 200 ms.
    effects.Render(colors, Effect(25, 1), Millis(50'000));
    const LightPlan blink = effects.PlanFor(Effect(25, 1));
    EXPECT_FALSE(blink.steady);
    EXPECT_EQ(blink.period_ms, 28u);
    EXPECT_EQ(blink.unchanged_until, Millis(50'000 + 4600));
}

}  // namespace
}  // namespace calvorn::device
