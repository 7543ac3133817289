#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/light_keyboard_effects.h"

namespace calvorn::device {
namespace {

using platform::Millis;
using Mask = KeyboardLightEffects::Mask;

constexpr std::size_t kKeys = 126;
constexpr RgbColor kStatic{200, 100, 50};

LightParameters Light(std::uint8_t mode, bool colorful, bool forward = true) {
    LightParameters light;
    light.mode = mode;
    light.brightness = 5;
    light.direction = forward ? 1 : 0;
    light.colorful = colorful ? 1 : 0;
    light.red = kStatic.red;
    light.green = kStatic.green;
    light.blue = kStatic.blue;
    return light;
}

LedColor Wheel(std::size_t index, std::uint8_t brightness = 255) {
    const RgbColor c = kColorWheel[index];
    return LedColor{c.red, c.green, c.blue, brightness};
}

LedColor Static(std::uint8_t brightness) {
    return LedColor{kStatic.red, kStatic.green, kStatic.blue, brightness};
}

// A keyboard's effects after the preparation for `light.mode`, stepped `steps` times.
struct Stepped {
    KeyboardLightEffects effects;
    ColorArray colors{kKeys};

    void Run(const LightParameters& light, int steps) {
        effects.Refresh(light.mode, true);
        for (int i = 0; i < steps; ++i) {
            effects.Render(colors, light, Millis(1000 + i));
        }
    }
};

TEST(KeyboardRenderersTest, GridRenderersColourTheirKeys) {
    struct Case {
        const char* name;
        LightParameters light;
        int steps;
        std::size_t key;
        LedColor expected;
    };
    LightParameters fixed1 = Light(17, false);
    fixed1.kind_specific = 1;
    LightParameters fixed3 = Light(17, false);
    fixed3.kind_specific = 3;
    const Case cases[] = {
        // Column wave: the phase steps to 1, column 0 starts at wheel entry 2, +7 per column.
        {"column wave col 0", Light(1, true), 1, 120, Wheel(2)},
        {"column wave col 1", Light(1, true), 1, 21, Wheel(9)},
        {"column wave col 22", Light(1, true), 1, 41, Wheel(156)},
        {"column wave backward", Light(1, true, false), 1, 21, Wheel(7)},
        {"column wave single colour", Light(1, false), 1, 120, Static(26)},
        {"column wave single colour col 1", Light(1, false), 1, 21, Static(48)},
        {"column rainbow", Light(2, true), 1, 0, Wheel(5)},
        {"column rainbow single colour", Light(2, false), 1, 120, Static(21)},
        {"column rainbow single colour col 1", Light(2, false), 1, 21, Static(72)},
        {"snake wave head", Light(3, true), 1, 15, Wheel(1)},
        {"snake wave second", Light(3, true), 1, 14, Wheel(6)},
        {"snake wave tail", Light(3, true), 1, 77, Wheel(147)},
        {"snake wave single colour", Light(3, false), 1, 14, Static(38)},
        {"column breathing top", Light(5, true), 64, 0, Wheel(14, 254)},
        {"column breathing single colour", Light(5, false), 64, 120, Static(254)},
        {"rings centre, red and blue exchanged", Light(6, true), 1, 51, LedColor{0, 1, 255, 255}},
        {"rings outer", Light(6, true), 1, 41, LedColor{255, 0, 188, 255}},
        {"rings single colour", Light(6, false), 1, 30, Static(255)},
        {"colour drift", Light(11, false), 1, 0, Wheel(34)},
        {"colour drift last key", Light(11, false), 1, 125, Wheel(127)},
        {"row wave row 0", Light(12, false), 1, 0, Wheel(2)},
        {"row wave row 1", Light(12, false), 1, 21, Wheel(26)},
        {"row wave row 5", Light(12, false), 1, 105, Wheel(122)},
        {"fixed colour code 1", fixed1, 1, 125, Wheel(25)},
        {"fixed colour code 3", fixed3, 1, 0, Wheel(95)},
        {"fixed colour other code", Light(17, true), 1, 60, Wheel(174)},
        {"ring wave centre", Light(18, false), 1, 51, Wheel(8)},
        {"ring wave first ring", Light(18, false), 1, 30, Wheel(15)},
        {"radar lit key", Light(27, false), 1, 0, Static(249)},
        {"radar unlit key", Light(27, false), 1, 5, Static(0)},
        {"radar colourful ignores intensity", Light(27, true), 1, 5, Wheel(3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stepped s;
        s.Run(c.light, c.steps);
        EXPECT_EQ(s.colors.Get(c.key), c.expected);
    }
}

TEST(KeyboardRenderersTest, TwinklesStartFromTheirTablesAndWrap) {
    Stepped twinkle;
    twinkle.Run(Light(15, true), 1);
    // Key 21 sits in column 1, row 2 of the seven-row grid: start phase 32, colour 7.
    EXPECT_EQ(twinkle.effects.Intensity(21), 34);
    EXPECT_EQ(twinkle.colors.Get(21), Wheel(7, 255 * grid::kTwinkleCurve[34] / 256));
    for (int i = 0; i < 79; ++i) {
        twinkle.effects.Render(twinkle.colors, Light(15, true), Millis(0));
    }
    EXPECT_EQ(twinkle.effects.Intensity(21), 0);  // 32 + 2 × 80 reached 192
    EXPECT_LT(twinkle.effects.ColorIndex(21), 192);

    Stepped slow;
    slow.Run(Light(29, false), 1);
    EXPECT_EQ(slow.effects.SecondPhase(21), 80);  // 192 − 8, less 35 three times, then + 1
    EXPECT_EQ(slow.effects.ColorIndex(21), 7);
    EXPECT_EQ(slow.colors.Get(21), Static(255 * grid::kTwinkleCurve[80] / 256));
}

TEST(KeyboardRenderersTest, RadarWrapsFromItsLastFrameToTheFirst) {
    Stepped s;
    s.effects.Refresh(27, true);
    s.effects.Renderer().State().phase = 51;
    s.effects.Render(s.colors, Light(27, false), Millis(0));
    EXPECT_EQ(s.effects.Renderer().State().phase, 0);
    for (std::size_t key : {25, 26, 50, 51}) {
        EXPECT_EQ(s.effects.Intensity(key), 250) << key;
    }
    EXPECT_EQ(s.effects.Intensity(0), 0);
}

TEST(KeyboardRenderersTest, TrailBackwardFromZeroWaitsThroughTheEmptyPositions) {
    Stepped s;
    const LightParameters backward = Light(26, false, false);
    s.effects.Refresh(26, true);
    // Phase 0 → 126, then positions 126 ... 110: eighteen turns that light nothing.
    for (int turn = 0; turn < 18; ++turn) {
        s.effects.Render(s.colors, backward, Millis(0));
        for (std::size_t key = 0; key < kKeys; ++key) {
            ASSERT_EQ(s.effects.Intensity(key), 0) << "turn " << turn << " key " << key;
        }
    }
    s.effects.Render(s.colors, backward, Millis(0));  // position 109
    EXPECT_EQ(s.effects.Intensity(105), 214);         // 254, decayed once
    EXPECT_EQ(s.colors.Get(105), Static(213));

    Stepped forward;
    forward.Run(Light(26, false), 1);
    EXPECT_EQ(forward.effects.Intensity(0), 214);
    EXPECT_EQ(forward.effects.Renderer().State().phase, 1);
}

TEST(KeyboardRenderersTest, BounceFirstLightsKey109OnTheFifthTurn) {
    Stepped s;
    const LightParameters light = Light(13, false);
    s.effects.Refresh(13, true);
    for (Mask m : {Mask::kMaskA, Mask::kMaskB, Mask::kMaskC, Mask::kMaskD}) {
        EXPECT_EQ(s.effects.MaskByte(m, 9), 0x40);
    }
    for (int turn = 1; turn <= 5; ++turn) {
        s.effects.Render(s.colors, light, Millis(0));
        if (turn < 3) {
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskA, 9), 0x40) << turn;
        }
        if (turn == 3) {
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskA, 9), 0x20);
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskA, 8), 0x40);
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskB, 10), 0x40);
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskC, 9), 0x80);
            EXPECT_EQ(s.effects.MaskByte(Mask::kMaskD, 8), 0x40);
        }
        for (std::size_t key = 0; key < kKeys; ++key) {
            const std::uint8_t expected = turn == 5 && key == 109 ? 215 : 0;
            ASSERT_EQ(s.effects.Intensity(key), expected) << "turn " << turn << " key " << key;
        }
    }
}

TEST(KeyboardRenderersTest, ShowLightsItsRowsThenItsPairs) {
    Stepped s;
    const LightParameters light = Light(14, false);
    s.Run(light, 1);
    EXPECT_EQ(s.effects.Intensity(0), 215);
    EXPECT_EQ(s.effects.Intensity(118), 215);
    EXPECT_EQ(s.effects.Stage(), 0);
    for (int i = 1; i < 20; ++i) {
        s.effects.Render(s.colors, light, Millis(0));
    }
    EXPECT_EQ(s.effects.Stage(), 1);
    EXPECT_EQ(s.effects.Renderer().State().phase, 0);
    s.effects.Render(s.colors, light, Millis(0));  // pair 0: keys 30 and 94
    EXPECT_EQ(s.effects.Intensity(30), 215);
    EXPECT_EQ(s.effects.Intensity(94), 215);
}

TEST(KeyboardRenderersTest, SparkleLightsAtMostSixKeysOfTheSnake) {
    Stepped s;
    s.Run(Light(10, true), 1);
    int lit = 0;
    for (std::size_t key = 0; key < kKeys; ++key) {
        const std::uint8_t intensity = s.effects.Intensity(key);
        if (intensity != 0) {
            ++lit;
            EXPECT_EQ(intensity, 215) << key;
            EXPECT_EQ(SnakeOrderFilter(key), key);
            EXPECT_EQ(s.colors.Get(key), Wheel(s.effects.ColorIndex(key), 214));
        }
    }
    EXPECT_GE(lit, 1);
    EXPECT_LE(lit, 6);
}

TEST(KeyboardRenderersTest, PreparationClearsTheStateAndSetsTheEffectsStart) {
    Stepped s;
    s.Run(Light(7, false), 0);
    s.effects.ReactToKey(7, 40, true);
    s.effects.Refresh(16, true);
    EXPECT_EQ(s.effects.Intensity(40), 0);
    EXPECT_EQ(s.effects.ReactionState(40), 0);
    EXPECT_EQ(s.effects.MaskByte(Mask::kMaskC, 1), 0x01);
    EXPECT_EQ(s.effects.MaskByte(Mask::kMaskA, 9), 0);
    EXPECT_EQ(s.effects.ColorIndex(3), 0);  // the sweep keeps colour index 0

    s.effects.Refresh(1, true);
    EXPECT_EQ(s.effects.ColorIndex(0), 33);
    EXPECT_EQ(s.effects.ColorIndex(5), 6);  // 33 × 6 mod 192
    EXPECT_EQ(s.effects.MaskByte(Mask::kMaskC, 1), 0);

    // The same effect again only restarts the phase (and, for the radar, its colours).
    s.effects.Renderer().State().phase = 40;
    s.effects.Refresh(1, false);
    EXPECT_EQ(s.effects.ColorIndex(0), 33);
    EXPECT_EQ(s.effects.Renderer().State().phase, 0);
    s.effects.Refresh(27, false);
    EXPECT_EQ(s.effects.ColorIndex(0), 0);
}

TEST(KeyboardRenderersTest, RequestedRefreshRunsBeforeTheNextStep) {
    KeyboardLightEffects effects;
    ColorArray colors(kKeys);
    effects.RequestRefresh(13, true);
    effects.RequestRefresh(13, false);  // merged: the effect still changed
    EXPECT_EQ(effects.MaskByte(Mask::kMaskA, 9), 0);
    effects.Render(colors, Light(13, false), Millis(0));
    EXPECT_EQ(effects.MaskByte(Mask::kMaskA, 9), 0x40);
    EXPECT_EQ(effects.Stage(), 1);
}

// --- key reactions ---

TEST(KeyboardReactionsTest, FlashLightsThePressedKeyAndFadesIt) {
    Stepped s;
    const LightParameters light = Light(7, false);
    s.Run(light, 0);
    s.effects.ReactToKey(7, 60, true);
    EXPECT_EQ(s.effects.Intensity(60), 255);
    EXPECT_EQ(s.effects.ReactionState(60), 2);  // a press is followed by its release
    s.effects.Render(s.colors, light, Millis(0));
    EXPECT_EQ(s.colors.Get(60), Static(249));  // 250 × 255 / 256
    for (int i = 0; i < 50; ++i) {
        s.effects.Render(s.colors, light, Millis(0));
    }
    EXPECT_EQ(s.effects.Intensity(60), 0);

    // A key still rising stays at full intensity.
    s.effects.KeyReaction(7, 61, true);
    s.effects.Render(s.colors, light, Millis(0));
    EXPECT_EQ(s.effects.Intensity(61), 255);
    EXPECT_EQ(s.effects.ReactionState(61), 1);
}

TEST(KeyboardReactionsTest, RipplesSpreadFromThePressedKey) {
    struct Case {
        std::uint8_t effect;
        std::vector<std::size_t> second_turn;  // keys newly lit on the second turn
        std::vector<std::size_t> dark;
    };
    const Case cases[] = {
        {8, {30, 72, 50, 52}, {49, 53}},  // diagonal: up, down, left and right
        {9, {50, 52}, {30, 72}},          // line: left and right only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.effect));
        Stepped s;
        const LightParameters light = Light(c.effect, false);
        s.Run(light, 0);
        s.effects.ReactToKey(c.effect, 51, true);
        for (Mask m : {Mask::kMaskA, Mask::kMaskB, Mask::kMaskC, Mask::kMaskD}) {
            EXPECT_EQ(s.effects.MaskByte(m, 10), 0x04);  // key 51: column 10, row 2
        }
        s.effects.Render(s.colors, light, Millis(0));
        EXPECT_EQ(s.effects.Intensity(51), 215);
        s.effects.Render(s.colors, light, Millis(0));
        EXPECT_EQ(s.effects.Intensity(51), 175);
        for (std::size_t key : c.second_turn) {
            EXPECT_EQ(s.effects.Intensity(key), 215) << key;
        }
        for (std::size_t key : c.dark) {
            EXPECT_EQ(s.effects.Intensity(key), 0) << key;
        }
    }
}

TEST(KeyboardReactionsTest, SplashAroundAKeyPressedAlone) {
    Stepped s;
    s.Run(Light(30, false), 0);
    s.effects.ReactToKey(30, 51, true);
    EXPECT_EQ(s.effects.Intensity(51), 255);
    EXPECT_EQ(s.effects.ReactionState(51), 2);
    EXPECT_FALSE(s.effects.Held(51));
    for (std::size_t key : {30, 72, 50, 52}) {
        EXPECT_EQ(s.effects.Intensity(key), 135) << key;
        EXPECT_EQ(s.effects.ReactionState(key), 2) << key;
    }
    for (std::size_t key : {7, 92, 29, 71, 31, 73, 49, 53}) {
        EXPECT_EQ(s.effects.Intensity(key), 0) << key;
        EXPECT_EQ(s.effects.ReactionState(key), 2) << key;
    }
    EXPECT_EQ(s.effects.ReactionState(54), 0);  // outside the pattern
}

TEST(KeyboardReactionsTest, SplashKeepsCellsNearAHeldKeyLit) {
    Stepped s;
    s.Run(Light(30, false), 0);
    s.effects.KeyReaction(30, 50, true);  // key 50 is held down
    s.effects.ReactToKey(30, 51, true);
    EXPECT_TRUE(s.effects.Held(50));
    EXPECT_EQ(s.effects.Intensity(50), 255);
    EXPECT_EQ(s.effects.ReactionState(51), 1);  // its own cell is next to key 50
    EXPECT_FALSE(s.effects.Held(51));
    EXPECT_EQ(s.effects.Intensity(30), 240);  // 90 from key 50, 150 from key 51, kept
    EXPECT_EQ(s.effects.ReactionState(30), 1);
    EXPECT_EQ(s.effects.Intensity(53), 0);  // too far from key 50 to be kept
    EXPECT_EQ(s.effects.ReactionState(53), 2);
}

TEST(KeyboardReactionsTest, OtherEffectsAndUnknownKeysDoNotReact) {
    Stepped s;
    s.Run(Light(1, false), 0);
    s.effects.ReactToKey(1, 51, true);
    s.effects.ReactToKey(7, 126, true);
    s.effects.ReactToKey(8, 16, true);  // key 16 has no cell in the column table
    for (std::size_t key = 0; key < kKeys; ++key) {
        ASSERT_EQ(s.effects.Intensity(key), 0) << key;
    }
    for (std::size_t column = 0; column < 23; ++column) {
        ASSERT_EQ(s.effects.MaskByte(Mask::kMaskA, column), 0) << column;
    }
}

// Reactions on the synchronisation thread, refreshes from the UI thread and the renderers on
// the light thread share the state; the sanitizer builds check that they do so safely.
TEST(KeyboardReactionsTest, ReactionsAndRefreshesRaceTheRenderer) {
    KeyboardLightEffects effects;
    ColorArray colors(kKeys);
    std::atomic<bool> done{false};
    std::thread light_thread([&] {
        std::uint8_t modes[] = {30, 8, 7, 9, 14};
        for (int i = 0; !done.load() || i < 100; ++i) {
            effects.Render(colors, Light(modes[(i / 50) % 5], true), Millis(i));
        }
    });
    std::thread sync_thread([&] {
        for (int i = 0; i < 2000; ++i) {
            const std::uint8_t effect = (i & 1) != 0 ? 30 : 8;
            effects.ReactToKey(effect, static_cast<std::size_t>(i % 126), (i % 3) != 0);
        }
    });
    for (int i = 0; i < 200; ++i) {
        effects.RequestRefresh(static_cast<std::uint8_t>(i % 31), (i % 2) == 0);
        (void)colors.Get(static_cast<std::size_t>(i % 126));
    }
    sync_thread.join();
    done.store(true);
    light_thread.join();
    for (std::size_t key = 0; key < kKeys; ++key) {
        EXPECT_LE(effects.ReactionState(key), 2);
    }
}

}  // namespace
}  // namespace calvorn::device
