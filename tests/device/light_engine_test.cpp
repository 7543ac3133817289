#include "device/light_engine.h"

#include <gtest/gtest.h>

#include <vector>

namespace calvorn::device {
namespace {

using platform::Millis;

constexpr std::size_t kKeyboardLeds = 126;

LightParameters Light(std::uint8_t brightness, RgbColor color, bool colorful = false,
                      bool forward = true, std::uint8_t speed = 0) {
    LightParameters light;
    light.brightness = brightness;
    light.red = color.red;
    light.green = color.green;
    light.blue = color.blue;
    light.colorful = colorful ? 1 : 0;
    light.direction = forward ? 1 : 0;
    light.speed = speed;
    return light;
}

void ExpectEveryRecord(const ColorArray& colors, LedColor expected) {
    for (std::size_t i = 0; i < colors.Count(); ++i) {
        ASSERT_EQ(colors.Get(i), expected) << "LED " << i;
    }
}

LedColor At(RgbColor color, std::uint8_t brightness) {
    return {color.red, color.green, color.blue, brightness};
}

TEST(PhaseStepTest, WrapsBothWays) {
    struct Case {
        std::uint8_t current, limit, increment;
        bool forward;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0, 192, 1, true, 1},   {191, 192, 1, true, 0},    {0, 192, 1, false, 191},
        {5, 192, 1, false, 4},  {127, 128, 1, true, 0},    {0, 128, 1, false, 127},
        {236, 240, 4, true, 0}, {0, 240, 4, false, 236},   {2, 240, 4, false, 236},
        {250, 192, 1, true, 0}, {200, 192, 1, false, 191},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PhaseStep(c.current, c.limit, c.increment, c.forward), c.expected)
            << int(c.current) << " limit " << int(c.limit) << " forward " << c.forward;
    }
}

TEST(LightTablesTest, WheelSegmentsAndRepeat) {
    EXPECT_EQ(kColorWheel[0], (RgbColor{255, 1, 0}));
    EXPECT_EQ(kColorWheel[31], (RgbColor{255, 255, 0}));
    EXPECT_EQ(kColorWheel[32], (RgbColor{248, 255, 0}));
    EXPECT_EQ(kColorWheel[95], (RgbColor{0, 255, 255}));
    EXPECT_EQ(kColorWheel[127], (RgbColor{0, 0, 255}));
    EXPECT_EQ(kColorWheel[191], (RgbColor{255, 0, 0}));
    for (std::size_t k = 192; k < 256; ++k) {
        EXPECT_EQ(kColorWheel[k], kColorWheel[k - 192]) << k;
    }
    EXPECT_EQ(kBreathingCurve[63], 255);
    EXPECT_EQ(kBreathingCurve[64], 255);
    EXPECT_EQ(kBreathingCurve[127], 0);
    EXPECT_EQ(kBreathingCurve[100], kBreathingCurve[27]);
}

TEST(RenderStaticTest, StaticColourAndBaseFrameBytes) {
    struct Case {
        std::uint8_t level;
        RgbColor color;
        LedColor record;
        std::array<std::uint8_t, 3> frame;
    };
    const Case cases[] = {
        {5, {10, 20, 30}, {10, 20, 30, 255}, {9, 19, 29}},
        {3, {255, 128, 0}, {255, 128, 0, 153}, {152, 76, 0}},
        {0, {255, 255, 255}, {255, 255, 255, 0}, {0, 0, 0}},
        // A level past the table gives full brightness.
        {9, {255, 255, 255}, {255, 255, 255, 255}, {254, 254, 254}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.level));
        ColorArray colors(kKeyboardLeds);
        LightRenderer::RenderStatic(colors, Light(c.level, c.color));
        ExpectEveryRecord(colors, c.record);
        LightFrame frame;
        BuildLightFrame(colors, frame);
        ASSERT_EQ(frame.size, kKeyboardLeds * 3);
        for (std::size_t i = 0; i < kKeyboardLeds; ++i) {
            ASSERT_EQ(frame.bytes[3 * i], c.frame[0]) << i;
            ASSERT_EQ(frame.bytes[3 * i + 1], c.frame[1]) << i;
            ASSERT_EQ(frame.bytes[3 * i + 2], c.frame[2]) << i;
        }
        EXPECT_EQ(frame.bytes[kKeyboardLeds * 3], 0);
    }
}

TEST(BuildLightFrameTest, LedIndex126IsNeverWrittenAndOldBytesAreCleared) {
    ColorArray colors(128);
    colors.Fill({200, 100, 50, 255});
    LightFrame frame;
    frame.bytes.fill(0xEE);
    BuildLightFrame(colors, frame);
    EXPECT_EQ(frame.size, 384u);
    EXPECT_EQ(frame.bytes[125 * 3], 199);
    EXPECT_EQ(frame.bytes[126 * 3], 0);
    EXPECT_EQ(frame.bytes[126 * 3 + 2], 0);
    EXPECT_EQ(frame.bytes[127 * 3 + 1], 99);
    EXPECT_EQ(frame.bytes[384], 0);
    EXPECT_EQ(ButtonColorValue({0x11, 0x22, 0x33, 0x44}), 0x223311u);
}

TEST(RenderSpectrumTest, WrapsForwardAndBackward) {
    struct Case {
        std::uint8_t start;
        bool forward;
        std::uint8_t phase;
    };
    const Case cases[] = {{191, true, 0}, {0, false, 191}, {100, true, 101}, {100, false, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.start));
        ColorArray colors(kKeyboardLeds);
        LightRenderer renderer;
        renderer.State().phase = c.start;
        renderer.RenderSpectrum(colors, Light(4, {}, false, c.forward));
        EXPECT_EQ(renderer.State().phase, c.phase);
        ExpectEveryRecord(colors, At(kColorWheel[c.phase], 204));
    }
}

TEST(RenderBreathingTest, ColourfulStepsSixteenWheelEntriesPerBreath) {
    ColorArray colors(kKeyboardLeds);
    LightRenderer renderer;
    const LightParameters light = Light(5, {}, true);
    std::vector<int> colour_at_wrap;
    for (int step = 1; step <= 128 * 14; ++step) {
        const std::uint8_t before = renderer.State().color_index;
        renderer.RenderBreathing(colors, light);
        const RendererState& state = renderer.State();
        ASSERT_EQ(state.phase, step % 128) << step;
        if (state.phase == 0) {
            colour_at_wrap.push_back(state.color_index);
        } else {
            ASSERT_EQ(state.color_index, before) << "colour changed inside a breath";
        }
        ASSERT_EQ(colors.Get(0),
                  At(kColorWheel[state.color_index], kBreathingCurve[state.phase] * 255 / 256));
    }
    const std::vector<int> expected = {16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 0, 16};
    EXPECT_EQ(colour_at_wrap, expected);
}

TEST(RenderBreathingTest, StaticColourFollowsTheCurveInEitherDirection) {
    struct Case {
        std::uint8_t start;
        bool forward;
        std::uint8_t level;
        std::uint8_t phase;
        std::uint8_t brightness;
    };
    const Case cases[] = {
        {63, true, 5, 64, 254},  // curve 255 × 255 / 256
        {0, false, 5, 127, 0},   // backward from 0 to the end of the curve
        {20, true, 2, 21, 14},   // curve 36 × 102 / 256
        {1, false, 5, 0, 0},
    };
    for (const Case& c : cases) {
        ColorArray colors(kKeyboardLeds);
        LightRenderer renderer;
        renderer.State().phase = c.start;
        renderer.RenderBreathing(colors, Light(c.level, {1, 2, 3}, false, c.forward));
        EXPECT_EQ(renderer.State().phase, c.phase);
        ExpectEveryRecord(colors, {1, 2, 3, c.brightness});
    }
}

TEST(RenderBreathing4Test, OneTableColourPerBreath) {
    ColorArray colors(4);
    LightRenderer renderer;
    renderer.State().color_index = 176;  // left behind by another effect
    std::vector<RgbColor> seen;
    for (int step = 1; step <= 128 * 5; ++step) {
        renderer.RenderBreathing4(colors, Light(5, {}));
        if (renderer.State().phase == 0) {
            const LedColor c = colors.Get(0);
            seen.push_back({c.red, c.green, c.blue});
        }
    }
    const std::vector<RgbColor> expected = {kFourColors[1], kFourColors[2], kFourColors[3],
                                            kFourColors[0], kFourColors[1]};
    EXPECT_EQ(seen, expected);
}

TEST(RenderBlinkTest, TogglesOnceThePeriodHasPassed) {
    struct Case {
        std::uint8_t speed;
        int period_ms;
    };
    for (const Case c : {Case{0, 5600}, Case{4, 1400}, Case{2, 3600}}) {
        SCOPED_TRACE(int(c.speed));
        ColorArray colors(kKeyboardLeds);
        LightRenderer renderer;
        const LightParameters light = Light(5, {9, 8, 7}, true, true, c.speed);
        const Millis start(1'000'000);
        renderer.RenderBlink(colors, light, start);
        EXPECT_TRUE(renderer.State().blink_on);
        EXPECT_EQ(renderer.State().phase, 16);
        ExpectEveryRecord(colors, At(kColorWheel[16], 255));
        EXPECT_EQ(renderer.NextBlinkToggle(light), start + Millis(c.period_ms));

        renderer.RenderBlink(colors, light, start + Millis(c.period_ms - 1));
        EXPECT_TRUE(renderer.State().blink_on);
        renderer.RenderBlink(colors, light, start + Millis(c.period_ms));
        EXPECT_FALSE(renderer.State().blink_on);
        EXPECT_EQ(renderer.State().phase, 32);
        ExpectEveryRecord(colors, {0, 0, 0, 0});
    }
}

TEST(RenderBlinkTest, StaticColourPhaseWrapAndSpeedsPastTheRow) {
    ColorArray colors(kKeyboardLeds);
    LightRenderer renderer;
    renderer.State().phase = 176;
    const LightParameters light = Light(1, {9, 8, 7}, false, true, 7);
    renderer.RenderBlink(colors, light, Millis(50));
    EXPECT_EQ(renderer.State().phase, 0);  // 192 is past the last blink phase
    ExpectEveryRecord(colors, {9, 8, 7, 51});
    // A speed past the period row toggles on every call.
    renderer.RenderBlink(colors, light, Millis(50));
    EXPECT_FALSE(renderer.State().blink_on);
    renderer.RenderBlink(colors, light, Millis(50));
    EXPECT_TRUE(renderer.State().blink_on);
}

TEST(RenderBlink4Test, CyclesTheFourColours) {
    ColorArray colors(3);
    LightRenderer renderer;
    const LightParameters light = Light(5, {}, false, true, 4);
    std::vector<LedColor> seen;
    Millis now(10'000);
    for (int i = 0; i < 10; ++i) {
        renderer.RenderBlink4(colors, light, now);
        seen.push_back(colors.Get(2));
        now += Millis(1400);
    }
    const LedColor off{};
    const std::vector<LedColor> expected = {
        At(kFourColors[1], 255), off, At(kFourColors[3], 255), off, At(kFourColors[1], 255), off,
        At(kFourColors[3], 255), off, At(kFourColors[1], 255), off};
    EXPECT_EQ(seen, expected);
}

TEST(RenderOffTest, ClearsEveryRecord) {
    ColorArray colors(kKeyboardLeds);
    colors.Fill({1, 2, 3, 4});
    LightRenderer::RenderOff(colors);
    ExpectEveryRecord(colors, {0, 0, 0, 0});
}

TEST(ColorArrayTest, CountBoundsAndBrightnessUpdate) {
    ColorArray colors(3);
    colors.Set(1, {1, 2, 3, 4});
    colors.Set(3, {9, 9, 9, 9});  // past the count: ignored
    EXPECT_EQ(colors.Get(1), (LedColor{1, 2, 3, 4}));
    EXPECT_EQ(colors.Get(3), LedColor{});
    colors.SetBrightness(1, 200);
    EXPECT_EQ(colors.Get(1), (LedColor{1, 2, 3, 200}));
    colors.SetCount(1000);
    EXPECT_EQ(colors.Count(), ColorArray::kCapacity);
    EXPECT_EQ(colors.Get(1), LedColor{});  // zeroed by the new count
    EXPECT_EQ(UnpackLedColor(PackLedColor({1, 2, 3, 4})), (LedColor{1, 2, 3, 4}));
}

}  // namespace
}  // namespace calvorn::device
