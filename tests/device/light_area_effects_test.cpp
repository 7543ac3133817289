#include "device/light_area_effects.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/light_tables.h"

namespace calvorn::device {
namespace {

using platform::Millis;

LedLayerRecord Area(AreaType type, std::uint8_t speed = 0, bool multi_color = false,
                    std::uint8_t brightness = 5) {
    LedLayerRecord record{};
    record[0] = static_cast<std::uint8_t>(type);
    record[1] = brightness;
    record[2] = speed;
    record[4] = multi_color ? 1 : 0;
    record[5] = 10;
    record[6] = 20;
    record[7] = 30;
    record[10] = 1;
    return record;
}

constexpr LedColor kOwnColor{10, 20, 30, 255};
constexpr LedColor kUnderneath{1, 2, 3, 4};

TEST(AreaEffectsTest, EachRecordDrawsItsOwnColourRecord) {
    const std::vector<LedLayerRecord> records = {
        Area(AreaType::kStatic), LedLayerRecord{}, Area(AreaType::kOff),
        Area(AreaType::kStatic, 0, false, 2), Area(static_cast<AreaType>(9))};
    ColorArray colors(4);  // the last record has no colour record
    colors.Fill(kUnderneath);
    AreaEffects areas;
    areas.Reset(records);
    areas.Compose(colors, records, 1, Millis(1000));
    EXPECT_EQ(colors.Get(0), kOwnColor);
    EXPECT_EQ(colors.Get(1), kUnderneath);  // an empty record leaves the renderer's colour
    EXPECT_EQ(colors.Get(2), LedColor{});
    EXPECT_EQ(colors.Get(3), (LedColor{10, 20, 30, 102}));
    EXPECT_FALSE(AreaEffects::Animates(records));
}

TEST(AreaEffectsTest, BlinkTogglesAfterItsPeriod) {
    struct Case {
        std::uint8_t speed;
        Millis period;
    };
    for (const Case& c : {Case{0, Millis(5600)}, Case{4, Millis(1400)}}) {
        SCOPED_TRACE(int(c.speed));
        const std::vector<LedLayerRecord> records = {Area(AreaType::kBlink, c.speed, true)};
        ColorArray colors(1);
        AreaEffects areas;
        areas.Reset(records);
        EXPECT_TRUE(AreaEffects::Animates(records));
        const Millis start(100'000);
        areas.Compose(colors, records, 1, start);  // the first turn turns it on
        EXPECT_TRUE(areas.State(0).blink_on);
        EXPECT_EQ(colors.Get(0), (LedColor{kColorWheel[14].red, kColorWheel[14].green,
                                           kColorWheel[14].blue, 255}));
        areas.Compose(colors, records, 1, start + c.period - Millis(1));
        EXPECT_TRUE(areas.State(0).blink_on);
        areas.Compose(colors, records, 1, start + c.period);
        EXPECT_FALSE(areas.State(0).blink_on);
        EXPECT_EQ(colors.Get(0), LedColor{});
    }
}

TEST(AreaEffectsTest, BreathingStepsByItsSpeedAndCyclesTheWheel) {
    const std::vector<LedLayerRecord> records = {Area(AreaType::kBreathing, 0, true),
                                                 Area(AreaType::kBreathing, 4)};
    ColorArray colors(2);
    AreaEffects areas;
    areas.Reset(records);
    areas.Compose(colors, records, 1, Millis(0));
    EXPECT_EQ(areas.State(0).breathing_phase, 4);
    EXPECT_EQ(areas.State(1).breathing_phase, 8);
    EXPECT_EQ(colors.Get(1), (LedColor{10, 20, 30, kBreathingCurve[8] * 255 / 256}));

    // 32 turns of 4 make one breath; each breath moves one wheel entry on.
    areas.Compose(colors, records, 31, Millis(0));
    EXPECT_EQ(areas.State(0).breathing_phase, 0);
    EXPECT_EQ(areas.State(0).breathing_color, 1);
    areas.Compose(colors, records, 190 * 32, Millis(0));
    EXPECT_EQ(areas.State(0).breathing_color, 191);
    // After the wheel's last entry the cycle starts again at its first.
    areas.Compose(colors, records, 32, Millis(0));
    EXPECT_EQ(areas.State(0).breathing_color, 0);
}

TEST(AreaEffectsTest, ColourCycleMovesOnAtItsLimit) {
    const std::vector<LedLayerRecord> records = {Area(AreaType::kColorCycle, 4, false, 3)};
    ColorArray colors(1);
    AreaEffects areas;
    areas.Reset(records);
    EXPECT_EQ(areas.State(0).cycle_limit, 7);
    areas.Compose(colors, records, 6, Millis(0));
    EXPECT_EQ(areas.State(0).cycle_color, 0);
    areas.Compose(colors, records, 1, Millis(0));
    EXPECT_EQ(areas.State(0).cycle_color, 1);
    EXPECT_EQ(colors.Get(0),
              (LedColor{kColorWheel[1].red, kColorWheel[1].green, kColorWheel[1].blue, 153}));
}

TEST(AreaEffectsTest, ResetStartsEveryRecordAfresh) {
    std::vector<LedLayerRecord> records = {Area(AreaType::kColorCycle, 4),
                                           Area(AreaType::kBreathing)};
    ColorArray colors(2);
    AreaEffects areas;
    areas.Reset(records);
    areas.Compose(colors, records, 50, Millis(9000));
    records[0][2] = 0;
    areas.Reset(records);
    EXPECT_EQ(areas.State(0).cycle_color, 0);
    EXPECT_EQ(areas.State(0).cycle_limit, 28);
    EXPECT_EQ(areas.State(0).blink_period, Millis(5600));
    EXPECT_FALSE(areas.State(0).blink_on);
    EXPECT_EQ(areas.State(1).breathing_phase, 0);
}

}  // namespace
}  // namespace calvorn::device
