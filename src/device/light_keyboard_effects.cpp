#include "device/light_keyboard_effects.h"

#include <algorithm>
#include <span>
#include <type_traits>

namespace calvorn::device {

using namespace grid;

namespace {

using enum KeyboardRenderer;
using enum KeyboardSpeedRow;
using platform::Millis;

constexpr std::array<KeyboardEffect, kLastKeyboardEffect + 1> kKeyboardEffects = {{
    {kPresetPlayer, kEveryTurn},  // 0
    {kColumnWave, kA},            // 1
    {kColumnRainbow, kA},         // 2
    {kSnakeWave, kA},             // 3
    {kSpectrum, kA},              // 4
    {kColumnBreathing, kA},       // 5
    {kRings, kA},                 // 6
    {kFlash, kA},                 // 7
    {kDiagonalRipple, kA},        // 8
    {kLineRipple, kA},            // 9
    {kSparkle, kB},               // 10
    {kColorDrift, kA},            // 11
    {kRowWave, kA},               // 12
    {kBounce, kB},                // 13
    {kShow, kA},                  // 14
    {kTwinkle, kA},               // 15
    {kSweepRipple, kB},           // 16
    {kFixedColor, kA},            // 17
    {kRingWave, kA},              // 18
    {kPresetPlayer, kEveryTurn},  // 19
    {kCustom, kA},                // 20
    {kPresetPlayer, kEveryTurn},  // 21
    {kBreathing4, kA},            // 22
    {kBlink4, kC},                // 23
    {kOff, kA},                   // 24
    {kBlink, kC},                 // 25
    {kTrail, kC},                 // 26
    {kRadar, kC},                 // 27
    {kPresetPlayer, kEveryTurn},  // 28
    {kSlowTwinkle, kC},           // 29
    {kSplash, kC},                // 30
}};

using Fx = KeyboardLightEffects;

// Renderer by KeyboardRenderer, in the enum's order.
constexpr std::array<Fx::RenderFunction, 28> kRenderFunctions = {
    &Fx::RenderPresetSteps, &Fx::RenderColumnWave,  &Fx::RenderColumnRainbow,
    &Fx::RenderSnakeWave,   &Fx::RenderSpectrum,    &Fx::RenderColumnBreathing,
    &Fx::RenderRings,       &Fx::RenderFlash,       &Fx::RenderDiagonalRipple,
    &Fx::RenderLineRipple,  &Fx::RenderSparkle,     &Fx::RenderColorDrift,
    &Fx::RenderRowWave,     &Fx::RenderBounce,      &Fx::RenderShow,
    &Fx::RenderTwinkle,     &Fx::RenderSweepRipple, &Fx::RenderFixedColor,
    &Fx::RenderRingWave,    &Fx::RenderCustom,      &Fx::RenderBreathing4,
    &Fx::RenderBlink4,      &Fx::RenderOff,         &Fx::RenderBlink,
    &Fx::RenderTrail,       &Fx::RenderRadar,       &Fx::RenderSlowTwinkle,
    &Fx::RenderFlash,  // splash draws like the flash; only its key reaction differs
};
static_assert(kRenderFunctions.size() == static_cast<std::size_t>(kSplash) + 1);

constexpr std::uint8_t kFull = 255;
constexpr std::uint8_t kWheel = kWheelSteps;
constexpr std::uint8_t kNoCell = 255;

// Cell of every key in the column table (column kNoCell: none); the first cell wins.
constexpr std::array<GridCell, kKeyCount> kKeyCells = [] {
    std::array<GridCell, kKeyCount> cells{};
    for (GridCell& cell : cells) {
        cell.column = kNoCell;
    }
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        for (std::size_t r = 0; r < kGridRows; ++r) {
            const std::uint8_t key = kColumnTable[c][r];
            if (key < kKeyCount && cells[key].column == kNoCell) {
                cells[key] = GridCell{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(r)};
            }
        }
    }
    return cells;
}();

constexpr std::array<bool, kKeyCount> kInSnake = [] {
    std::array<bool, kKeyCount> in{};
    for (std::uint8_t key : kSnakeOrder) {
        if (key < kKeyCount) {
            in[key] = true;
        }
    }
    return in;
}();

// The twelve cells around a splash: near, mid and far, as column and row offsets.
struct Offset {
    int column;
    int row;
};
constexpr std::array<Offset, 4> kNear = {{{0, -1}, {0, 1}, {-1, 0}, {1, 0}}};
constexpr std::array<Offset, 6> kMid = {{{0, -2}, {0, 2}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}}};
constexpr std::array<Offset, 2> kFar = {{{-2, 0}, {2, 0}}};

// The key at a cell of the column table; kNoKey outside the table or where there is none.
std::uint8_t KeyAt(int column, int row) {
    if (column < 0 || column >= static_cast<int>(kGridColumns) || row < 0 ||
        row >= static_cast<int>(kGridRows)) {
        return kNoKey;
    }
    return kColumnTable[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

RgbColor StaticColor(const LightParameters& light) {
    return RgbColor{light.red, light.green, light.blue};
}

LedColor Record(RgbColor color, int brightness) {
    return LedColor{color.red, color.green, color.blue, static_cast<std::uint8_t>(brightness)};
}

// Colour C at the level scaled by factor f: (C, level × f ÷ 256).
LedColor AtFactor(RgbColor color, int level, int factor) {
    return Record(color, level * factor / 256);
}

void PutKey(ColorArray& colors, std::size_t key, LedColor color) {
    if (key < kKeyCount) {
        colors.Set(key, color);
    }
}

// How a travelling wave spaces its colours along a table of entries: the phase advances by
// `step` entries a turn, the first group of keys takes the entry `offset` after the phase,
// and each next group the entry `spacing` further on.
struct WaveSpacing {
    int step;
    int offset;
    int spacing;
};

// One turn of a wave over `groups` (key columns, or single keys in order): with multicolour,
// entries of the colour wheel at the brightness level; otherwise the static colour scaled by
// entries of `curve`.
template <class Groups>
void PaintWave(ColorArray& colors, const LightParameters& light, std::uint8_t& phase,
               const Groups& groups, WaveSpacing wheel, std::span<const std::uint8_t> curve,
               WaveSpacing curved) {
    const int level = BrightnessOfLevel(light.brightness);
    const bool colourful = light.Colorful();
    const int entries = colourful ? kWheel : static_cast<int>(curve.size());
    const WaveSpacing spacing = colourful ? wheel : curved;
    phase = PhaseStep(phase, static_cast<std::uint8_t>(entries),
                      static_cast<std::uint8_t>(spacing.step), light.Forward());
    int entry = (phase + spacing.offset) % entries;
    for (const auto& group : groups) {
        const auto at = static_cast<std::size_t>(entry);
        const LedColor colour = colourful ? Record(kColorWheel[at], level)
                                          : AtFactor(StaticColor(light), level, curve[at]);
        if constexpr (std::is_integral_v<std::decay_t<decltype(group)>>) {
            PutKey(colors, group, colour);
        } else {
            for (std::uint8_t key : group) {
                PutKey(colors, key, colour);
            }
        }
        entry = (entry + spacing.spacing) % entries;
    }
}

std::uint8_t Load(const std::atomic<std::uint8_t>& value) {
    return value.load(std::memory_order_relaxed);
}

void Store(std::atomic<std::uint8_t>& value, std::uint8_t v) {
    value.store(v, std::memory_order_relaxed);
}

// xorshift32 of a non-zero state.
std::uint32_t NextRandom(std::uint32_t x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

}  // namespace

KeyboardEffect KeyboardEffectOf(std::uint8_t effect) {
    return effect <= kLastKeyboardEffect ? kKeyboardEffects[effect]
                                         : KeyboardEffect{kPresetPlayer, kEveryTurn};
}

std::uint32_t KeyboardEffectPeriodMs(std::uint8_t effect, std::uint8_t speed) {
    const KeyboardSpeedRow row = KeyboardEffectOf(effect).row;
    if (row == kEveryTurn || speed >= kKeyboardSpeedRows[0].size()) {
        return 0;
    }
    return kKeyboardSpeedRows[static_cast<std::size_t>(row)][speed];
}

bool FindKeyCell(std::size_t key, GridCell& cell) {
    if (key >= kKeyCount || kKeyCells[key].column == kNoCell) {
        return false;
    }
    cell = kKeyCells[key];
    return true;
}

std::uint8_t SnakeOrderFilter(std::size_t key) {
    return key < kKeyCount && kInSnake[key] ? static_cast<std::uint8_t>(key) : kNoKey;
}

KeyboardLightEffects::KeyboardLightEffects(std::uint32_t random_seed)
    : random_state_(random_seed != 0 ? random_seed : 1u),
      reaction_random_(NextRandom(random_seed != 0 ? random_seed : 1u)) {}

KeyboardLightEffects::RenderFunction KeyboardLightEffects::RenderFunctionOf(std::uint8_t effect) {
    return kRenderFunctions[static_cast<std::size_t>(KeyboardEffectOf(effect).renderer)];
}

void KeyboardLightEffects::Render(ColorArray& colors, const LightParameters& light, Millis now) {
    (this->*RenderFunctionOf(light.mode))(colors, light, now);
}

LightPlan KeyboardLightEffects::PlanFor(const LightParameters& light) const {
    const KeyboardRenderer renderer = KeyboardEffectOf(light.mode).renderer;
    LightPlan plan;
    plan.period_ms = KeyboardEffectPeriodMs(light.mode, light.speed);
    // These draw the same frame on every step: the light thread redraws them now and then.
    plan.steady =
        renderer == kOff || renderer == kCustom || renderer == kRings || renderer == kFixedColor;
    if (renderer == kBlink || renderer == kBlink4) {
        plan.unchanged_until = renderer_.NextBlinkToggle(light);
    }
    return plan;
}

// --- refresh and preparation ---

void KeyboardLightEffects::RequestRefresh(std::uint8_t effect, bool effect_changed) {
    constexpr std::uint32_t kPending = 1u << 31;
    constexpr std::uint32_t kChanged = 1u << 30;
    std::uint32_t old = pending_refresh_.load(std::memory_order_relaxed);
    std::uint32_t wanted = 0;
    do {
        const bool changed = effect_changed || ((old & kPending) != 0 && (old & kChanged) != 0);
        wanted = kPending | (changed ? kChanged : 0) | effect;
    } while (!pending_refresh_.compare_exchange_weak(old, wanted, std::memory_order_release,
                                                     std::memory_order_relaxed));
}

void KeyboardLightEffects::ApplyPendingRefresh() {
    if (pending_refresh_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    const std::uint32_t request = pending_refresh_.exchange(0, std::memory_order_acquire);
    if (request != 0) {
        Refresh(static_cast<std::uint8_t>(request), (request & (1u << 30)) != 0);
    }
}

void KeyboardLightEffects::Refresh(std::uint8_t effect, bool effect_changed) {
    if (effect_changed) {
        Prepare(effect);
    }
    if (effect == 27) {
        for (auto& index : color_index_) {
            Store(index, 0);
        }
    }
    renderer_.State().phase = 0;
}

void KeyboardLightEffects::ClearState() {
    renderer_.State().phase = 0;
    stage_ = 0;
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        Store(color_index_[k], 0);
        Store(reaction_state_[k], 0);
        reactive_.SetIntensity(k, 0);
    }
    for (auto& mask : masks_) {
        for (auto& column : mask) {
            Store(column, 0);
        }
    }
}

void KeyboardLightEffects::Prepare(std::uint8_t effect) {
    ClearState();
    switch (effect) {
        case 6:
            break;
        case 13:
            SetMaskBit(9, 6);
            break;
        case 15:
            for (std::size_t c = 0; c < kGridColumns; ++c) {
                for (std::size_t r = 0; r < kSevenRows; ++r) {
                    const std::uint8_t key = kSevenRowTable[c][r];
                    if (key < kKeyCount) {
                        reactive_.SetIntensity(key, kTwinkleStart[6 * c + r]);
                        Store(color_index_[key], static_cast<std::uint8_t>(7 * c));
                    }
                }
            }
            break;
        case 16:
            SetMaskBit(1, 0);
            break;
        case 29:
            for (std::size_t c = 0; c < kGridColumns; ++c) {
                int a = 192 - 8 * static_cast<int>(c);
                for (std::size_t r = 0; r < kSevenRows; ++r) {
                    a = a >= 35 ? a - 35 : a + 158;
                    const std::uint8_t key = kSevenRowTable[c][r];
                    if (key < kKeyCount) {
                        Store(second_phase_[key], static_cast<std::uint8_t>(a));
                        Store(color_index_[key], static_cast<std::uint8_t>(7 * c));
                    }
                }
            }
            break;
        default:
            for (std::size_t i = 0; i < kKeyCount; ++i) {
                Store(color_index_[i], static_cast<std::uint8_t>(33 * (i + 1) % kWheel));
            }
            break;
    }
}

// --- helpers ---

std::uint32_t KeyboardLightEffects::Random(std::uint32_t n) {
    random_state_ = NextRandom(random_state_);
    return random_state_ % n;
}

std::uint32_t KeyboardLightEffects::ReactionRandom(std::uint32_t n) {
    std::uint32_t old = reaction_random_.load(std::memory_order_relaxed);
    std::uint32_t next = NextRandom(old);
    while (!reaction_random_.compare_exchange_weak(old, next, std::memory_order_relaxed)) {
        next = NextRandom(old);
    }
    return next % n;
}

std::uint8_t KeyboardLightEffects::ColorIndex(std::size_t key) const {
    return key < kKeyCount ? Load(color_index_[key]) : 0;
}

std::uint8_t KeyboardLightEffects::SecondPhase(std::size_t key) const {
    return key < kKeyCount ? Load(second_phase_[key]) : 0;
}

std::uint8_t KeyboardLightEffects::ReactionState(std::size_t key) const {
    return key < kKeyCount ? Load(reaction_state_[key]) : 0;
}

bool KeyboardLightEffects::Held(std::size_t key) const {
    return key < kKeyCount && Load(held_[key]) == 1;
}

std::uint8_t KeyboardLightEffects::MaskByte(Mask mask, std::size_t column) const {
    return mask < kMaskCount && column < kGridColumns ? Load(masks_[mask][column]) : 0;
}

void KeyboardLightEffects::SetColorIndex(std::size_t key, std::uint8_t value) {
    if (key < kKeyCount) {
        Store(color_index_[key], value);
    }
}

RgbColor KeyboardLightEffects::KeyColor(std::size_t key, const LightParameters& light) const {
    return light.Colorful() ? kColorWheel[Load(color_index_[key])] : StaticColor(light);
}

void KeyboardLightEffects::LightKey(std::size_t key, bool colorful) {
    if (key >= kKeyCount) {
        return;
    }
    reactive_.SetIntensity(key, kFull);
    if (colorful) {
        Store(color_index_[key], static_cast<std::uint8_t>(Random(kWheel)));
    }
}

// --- masks ---

void KeyboardLightEffects::SetMaskBit(std::size_t column, std::size_t row) {
    const auto bit = static_cast<std::uint8_t>(1u << row);
    for (auto& mask : masks_) {
        mask[column].fetch_or(bit, std::memory_order_relaxed);
    }
}

std::uint8_t KeyboardLightEffects::ColumnMaskBits(std::size_t column) const {
    return static_cast<std::uint8_t>(Load(masks_[kMaskA][column]) | Load(masks_[kMaskB][column]) |
                                     Load(masks_[kMaskC][column]) | Load(masks_[kMaskD][column]));
}

void KeyboardLightEffects::MaskLight(bool colorful) {
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const std::uint8_t bits = ColumnMaskBits(c);
        if (bits == 0) {
            continue;
        }
        for (std::size_t r = 0; r < kGridRows; ++r) {
            if ((bits & (1u << r)) != 0) {
                LightKey(kColumnTable[c][r], colorful);
            }
        }
    }
}

void KeyboardLightEffects::DiagonalShift() {
    auto& a = masks_[kMaskA];
    auto& b = masks_[kMaskB];
    auto& c = masks_[kMaskC];
    auto& d = masks_[kMaskD];
    constexpr std::size_t kLast = kGridColumns - 1;
    // A and D take from the column on their right: walking left to right reads it unchanged.
    for (std::size_t i = 0; i < kLast; ++i) {
        Store(a[i], static_cast<std::uint8_t>((Load(a[i]) >> 1) | Load(a[i + 1])));
        Store(d[i], static_cast<std::uint8_t>((Load(d[i]) << 1) | Load(d[i + 1])));
    }
    Store(a[kLast], static_cast<std::uint8_t>(Load(a[kLast]) >> 1));
    Store(d[kLast], static_cast<std::uint8_t>(Load(d[kLast]) << 1));
    // B and C take from the column on their left: walking right to left.
    for (std::size_t i = kLast; i > 0; --i) {
        Store(b[i], static_cast<std::uint8_t>((Load(b[i]) >> 1) | Load(b[i - 1])));
        Store(c[i], static_cast<std::uint8_t>((Load(c[i]) << 1) | Load(c[i - 1])));
    }
    Store(b[0], static_cast<std::uint8_t>(Load(b[0]) >> 1));
    Store(c[0], static_cast<std::uint8_t>(Load(c[0]) << 1));
}

void KeyboardLightEffects::LateralShift() {
    auto& b = masks_[kMaskB];
    auto& d = masks_[kMaskD];
    constexpr std::size_t kLast = kGridColumns - 1;
    for (std::size_t i = 0; i < kGridColumns; ++i) {
        Store(masks_[kMaskA][i], 0);
        Store(masks_[kMaskC][i], 0);
    }
    for (std::size_t i = 0; i < kLast; ++i) {
        Store(d[i], Load(d[i + 1]));
    }
    Store(d[kLast], 0);
    for (std::size_t i = kLast; i > 0; --i) {
        Store(b[i], Load(b[i - 1]));
    }
    Store(b[0], 0);
}

void KeyboardLightEffects::MaskReaction(std::size_t key) {
    GridCell cell;
    if (FindKeyCell(key, cell)) {
        SetMaskBit(cell.column, cell.row);
    }
}

void KeyboardLightEffects::DecayAndDraw(ColorArray& colors, const LightParameters& light, int level,
                                        std::size_t key) {
    reactive_.DecayReactive(key, true);
    colors.Set(key, AtFactor(KeyColor(key, light), level, reactive_.Intensity(key)));
}

void KeyboardLightEffects::DecayAndDrawAll(ColorArray& colors, const LightParameters& light) {
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        DecayAndDraw(colors, light, level, k);
    }
}

void KeyboardLightEffects::DecayAndDrawSnake(ColorArray& colors, const LightParameters& light) {
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t i = 0; i < kSnakeLength; ++i) {
        DecayAndDraw(colors, light, level, kSnakeOrder[i]);
    }
}

// --- renderers ---

void KeyboardLightEffects::RenderColumnWave(ColorArray& colors, const LightParameters& light,
                                            Millis) {
    ApplyPendingRefresh();
    PaintWave(colors, light, renderer_.State().phase, kColumnTable, {1, 1, 7}, kWaveCurve,
              {1, 1, 7});
}

void KeyboardLightEffects::RenderColumnRainbow(ColorArray& colors, const LightParameters& light,
                                               Millis) {
    ApplyPendingRefresh();
    PaintWave(colors, light, renderer_.State().phase, kColumnTable, {1, 0, 2}, kPulseCurve,
              {4, 0, 11});
}

void KeyboardLightEffects::RenderSnakeWave(ColorArray& colors, const LightParameters& light,
                                           Millis) {
    ApplyPendingRefresh();
    PaintWave(colors, light, renderer_.State().phase,
              std::span<const std::uint8_t>(kSnakeOrder.data(), kSnakeLength), {1, 0, 5},
              kWaveCurve, {1, 0, 5});
}

void KeyboardLightEffects::RenderColumnBreathing(ColorArray& colors, const LightParameters& light,
                                                 Millis) {
    ApplyPendingRefresh();
    std::uint8_t& phase = renderer_.State().phase;
    phase = phase + 1 >= static_cast<int>(kBreathingCurve.size())
                ? 0
                : static_cast<std::uint8_t>(phase + 1);
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const RgbColor color = light.Colorful() ? kColorWheel[7 * c] : StaticColor(light);
        for (std::uint8_t key : kColumnTable[c]) {
            PutKey(colors, key, AtFactor(color, level, kBreathingCurve[phase]));
        }
    }
}

void KeyboardLightEffects::RenderRings(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t i = 0; i < kRingCount; ++i) {
        const RgbColor wheel = kColorWheel[14 * i];
        const RgbColor color =
            light.Colorful() ? RgbColor{wheel.blue, wheel.green, wheel.red} : StaticColor(light);
        for (std::uint8_t key : kRingTable[i]) {
            PutKey(colors, key, Record(color, level));
        }
    }
}

void KeyboardLightEffects::RenderFlash(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        int intensity = reactive_.Intensity(k);
        const std::uint8_t state = Load(reaction_state_[k]);
        if (state == 1) {
            intensity = std::min(intensity + 15, 255);
        } else if (state == 2 && intensity > 0) {
            intensity = std::max(intensity - 5, 0);
        }
        reactive_.SetIntensity(k, static_cast<std::uint8_t>(intensity));
        colors.Set(k, AtFactor(KeyColor(k, light), level, intensity));
    }
}

void KeyboardLightEffects::RenderDiagonalRipple(ColorArray& colors, const LightParameters& light,
                                                Millis) {
    ApplyPendingRefresh();
    MaskLight(light.Colorful());
    DiagonalShift();
    DecayAndDrawAll(colors, light);
}

void KeyboardLightEffects::RenderLineRipple(ColorArray& colors, const LightParameters& light,
                                            Millis) {
    ApplyPendingRefresh();
    MaskLight(light.Colorful());
    LateralShift();
    DecayAndDrawAll(colors, light);
}

void KeyboardLightEffects::RenderSparkle(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    constexpr int kSparksPerTurn = 6;
    for (int i = 0; i < kSparksPerTurn; ++i) {
        const std::uint8_t position = kSparkleOrder[Random(kKeyCount)];
        const std::uint8_t key = position < kSnakeOrder.size() ? kSnakeOrder[position] : kNoKey;
        if (key < kKeyCount) {
            Store(color_index_[key], static_cast<std::uint8_t>(Random(kWheel)));
            reactive_.SetIntensity(key, kFull);
        }
    }
    DecayAndDrawAll(colors, light);
}

void KeyboardLightEffects::RenderColorDrift(ColorArray& colors, const LightParameters& light,
                                            Millis) {
    ApplyPendingRefresh();
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        const int next = Load(color_index_[k]) + 1;
        const auto index = static_cast<std::uint8_t>(next >= kWheel ? 0 : next);
        Store(color_index_[k], index);
        colors.Set(k, Record(kColorWheel[index], level));
    }
}

void KeyboardLightEffects::RenderRowWave(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    std::uint8_t& phase = renderer_.State().phase;
    phase = PhaseStep(phase, kWheel, 1, light.Forward());
    const int level = BrightnessOfLevel(light.brightness);
    int w = (phase + 1) % kWheel;
    for (std::size_t r = 0; r < kGridRows; ++r) {
        const LedColor color = Record(kColorWheel[static_cast<std::size_t>(w)], level);
        for (const auto& column : kColumnTable) {
            PutKey(colors, column[r], color);
        }
        w = (w + 24) % kWheel;
    }
}

void KeyboardLightEffects::RenderBounce(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    constexpr std::size_t kColumn = 9;
    const std::uint8_t x = ColumnMaskBits(kColumn);
    if (x == 0x01) {
        SetMaskBit(kColumn, 0);
    } else if (x == 0x40) {
        SetMaskBit(kColumn, 6);
    }
    if (stage_ > 1) {
        stage_ = 0;
        MaskLight(light.Colorful());
        DiagonalShift();
    }
    ++stage_;
    DecayAndDrawAll(colors, light);
}

void KeyboardLightEffects::RenderShow(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    constexpr std::uint8_t kLastPairStep = 30;
    constexpr std::size_t kWatchedKey = 72;
    constexpr std::size_t kRippleKey = 52;
    constexpr std::size_t kCornerKey = 124;
    std::uint8_t& phase = renderer_.State().phase;
    const bool colorful = light.Colorful();
    switch (stage_) {
        case 0:
            if (phase < kShowRowCount) {
                for (std::uint8_t key : kShowRows[phase]) {
                    LightKey(key, colorful);
                }
            }
            ++phase;
            if (phase >= kShowRowCount) {
                phase = 0;
                stage_ = 1;
            }
            break;
        case 1:
            if (phase <= kLastPairStep) {
                for (std::uint8_t key : kShowPairs[phase % kShowPairCount]) {
                    LightKey(key, colorful);
                }
                ++phase;
            } else if (reactive_.Intensity(kWatchedKey) == 0) {
                stage_ = 2;
                phase = 0;
            }
            break;
        case 2:
            MaskReaction(kRippleKey);
            stage_ = 3;
            break;
        case 3:
            MaskLight(colorful);
            DiagonalShift();
            if (reactive_.Intensity(kCornerKey) != 0) {
                stage_ = 4;
            }
            break;
        case 4:
            if (reactive_.Intensity(kCornerKey) == 0) {
                stage_ = 0;
                phase = 0;
            }
            break;
        default:
            // A stage another effect left behind starts the show from the top.
            stage_ = 0;
            phase = 0;
            break;
    }
    DecayAndDrawAll(colors, light);
}

template <typename Get, typename Set>
void KeyboardLightEffects::TwinkleStep(ColorArray& colors, const LightParameters& light, int step,
                                       Get phase_of, Set set_phase) {
    constexpr int kCurve = static_cast<int>(kTwinkleCurve.size());
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t i = 0; i < kSnakeLength; ++i) {
        const std::uint8_t key = kSnakeOrder[i];
        int phase = phase_of(key) + step;
        if (phase >= kCurve) {
            phase = 0;
            Store(color_index_[key], static_cast<std::uint8_t>(Random(kWheel)));
        }
        set_phase(key, static_cast<std::uint8_t>(phase));
        colors.Set(key, AtFactor(KeyColor(key, light), level,
                                 kTwinkleCurve[static_cast<std::size_t>(phase)]));
    }
}

void KeyboardLightEffects::RenderTwinkle(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    // The twinkle keeps its per-key phase in the intensities.
    TwinkleStep(
        colors, light, 2, [this](std::size_t key) { return reactive_.Intensity(key); },
        [this](std::size_t key, std::uint8_t value) { reactive_.SetIntensity(key, value); });
}

void KeyboardLightEffects::RenderSlowTwinkle(ColorArray& colors, const LightParameters& light,
                                             Millis) {
    ApplyPendingRefresh();
    TwinkleStep(
        colors, light, 1, [this](std::size_t key) { return Load(second_phase_[key]); },
        [this](std::size_t key, std::uint8_t value) { Store(second_phase_[key], value); });
}

void KeyboardLightEffects::RenderSweepRipple(ColorArray& colors, const LightParameters& light,
                                             Millis) {
    ApplyPendingRefresh();
    if (ColumnMaskBits(1) == 0x01) {
        SetMaskBit(1, 0);
    }
    if (ColumnMaskBits(kGridColumns - 1) == 0x40) {
        SetMaskBit(kGridColumns - 1, 6);
    }
    MaskLight(light.Colorful());
    DiagonalShift();
    DecayAndDrawSnake(colors, light);
}

void KeyboardLightEffects::RenderFixedColor(ColorArray& colors, const LightParameters& light,
                                            Millis) {
    ApplyPendingRefresh();
    std::uint8_t& phase = renderer_.State().phase;
    switch (static_cast<std::uint8_t>(light.kind_specific)) {
        case 1:
            phase = 25;
            break;
        case 2:
            phase = 70;
            break;
        case 3:
            phase = 95;
            break;
        default:
            phase = 174;
            break;
    }
    colors.Fill(Record(kColorWheel[phase], BrightnessOfLevel(light.brightness)));
}

void KeyboardLightEffects::RenderRingWave(ColorArray& colors, const LightParameters& light,
                                          Millis) {
    ApplyPendingRefresh();
    std::uint8_t& phase = renderer_.State().phase;
    phase = PhaseStep(phase, kWheel, 1, light.Forward());
    const int level = BrightnessOfLevel(light.brightness);
    int w = phase % kWheel;
    for (const auto& ring : kRingTable) {
        w = (w + 7) % kWheel;
        const LedColor color = Record(kColorWheel[static_cast<std::size_t>(w)], level);
        for (std::uint8_t key : ring) {
            PutKey(colors, SnakeOrderFilter(key), color);
        }
    }
}

void KeyboardLightEffects::RenderCustom(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    const std::uint8_t brightness = BrightnessOfLevel(light.brightness);
    const std::size_t count = colors.Count();
    for (std::size_t i = 0; i < count; ++i) {
        colors.SetBrightness(i, brightness);
    }
}

void KeyboardLightEffects::RenderTrail(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    constexpr std::uint8_t kEnd = kTrailOrder.size();
    constexpr std::uint8_t kTrailIntensity = 254;
    std::uint8_t& phase = renderer_.State().phase;
    if (light.Forward()) {
        if (phase < kEnd) {
            const std::uint8_t key = kTrailOrder[phase];
            if (key < kKeyCount) {
                reactive_.SetIntensity(key, kTrailIntensity);
            }
            ++phase;
        } else {
            phase = 0;
        }
    } else if (phase > 0) {
        if (phase < kEnd && kTrailOrder[phase] < kKeyCount) {
            reactive_.SetIntensity(kTrailOrder[phase], kTrailIntensity);
        }
        --phase;
    } else {
        phase = kEnd;
    }
    DecayAndDrawSnake(colors, light);
}

void KeyboardLightEffects::RenderRadar(ColorArray& colors, const LightParameters& light, Millis) {
    ApplyPendingRefresh();
    constexpr std::uint8_t kFade = 5;
    constexpr std::uint8_t kColorStep = 3;
    constexpr std::uint8_t kLastColor = 255;
    std::uint8_t& phase = renderer_.State().phase;
    phase = PhaseStep(phase, kRadarFrames, 1, light.Forward());
    if (phase < kRadarFrames) {
        for (std::uint8_t key : kRadarTable[phase]) {
            if (key < kKeyCount) {
                reactive_.SetIntensity(key, kFull);
                Store(color_index_[key], 0);
            }
        }
    }
    const int level = BrightnessOfLevel(light.brightness);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        const std::uint8_t intensity = reactive_.Intensity(k);
        const auto faded = static_cast<std::uint8_t>(intensity > kFade ? intensity - kFade : 0);
        reactive_.SetIntensity(k, faded);
        std::uint8_t index = Load(color_index_[k]);
        if (index != kLastColor) {
            index = static_cast<std::uint8_t>(index + kColorStep);
            Store(color_index_[k], index);
        }
        colors.Set(k, light.Colorful() ? Record(kColorWheel[index], level)
                                       : AtFactor(StaticColor(light), level, faded));
    }
}

void KeyboardLightEffects::RenderSpectrum(ColorArray& colors, const LightParameters& light,
                                          Millis) {
    ApplyPendingRefresh();
    renderer_.RenderSpectrum(colors, light);
}

void KeyboardLightEffects::RenderBreathing4(ColorArray& colors, const LightParameters& light,
                                            Millis) {
    ApplyPendingRefresh();
    renderer_.RenderBreathing4(colors, light);
}

void KeyboardLightEffects::RenderBlink4(ColorArray& colors, const LightParameters& light,
                                        Millis now) {
    ApplyPendingRefresh();
    renderer_.RenderBlink4(colors, light, now);
}

void KeyboardLightEffects::RenderOff(ColorArray& colors, const LightParameters&, Millis) {
    ApplyPendingRefresh();
    LightRenderer::RenderOff(colors);
}

void KeyboardLightEffects::RenderBlink(ColorArray& colors, const LightParameters& light,
                                       Millis now) {
    ApplyPendingRefresh();
    renderer_.RenderBlink(colors, light, now);
}

void KeyboardLightEffects::RenderPresetSteps(ColorArray& colors, const LightParameters& light,
                                             Millis now) {
    ApplyPendingRefresh();
    player_.Step(colors, steps_, light, now);
}

// --- key reactions ---

void KeyboardLightEffects::ReactToKey(std::uint8_t effect, std::size_t key, bool pressed) {
    if (key >= kKeyCount) {
        return;
    }
    if (pressed) {
        KeyReaction(effect, key, true);
    }
    KeyReaction(effect, key, false);
}

void KeyboardLightEffects::KeyReaction(std::uint8_t effect, std::size_t key, bool press) {
    if (key >= kKeyCount) {
        return;
    }
    switch (effect) {
        case 7:
            FlashReaction(key, press);
            break;
        case 8:
        case 9:
            if (press) {
                MaskReaction(key);
            }
            break;
        case 30:
            SplashReaction(key, press);
            break;
        default:
            break;
    }
}

void KeyboardLightEffects::FlashReaction(std::size_t key, bool press) {
    Store(reaction_state_[key], press ? 1 : 2);
    reactive_.SetIntensity(key, kFull);
    Store(color_index_[key], static_cast<std::uint8_t>(ReactionRandom(kWheel)));
}

bool KeyboardLightEffects::Guarded(int column, int row, std::size_t key) const {
    const auto held_other = [&](int c, int r) {
        const std::uint8_t other = KeyAt(c, r);
        return other < kKeyCount && other != key && Load(held_[other]) == 1;
    };
    if (held_other(column, row)) {
        return true;
    }
    for (const Offset& o : kNear) {
        if (held_other(column + o.column, row + o.row)) {
            return true;
        }
    }
    for (const Offset& o : kMid) {
        if (held_other(column + o.column, row + o.row)) {
            return true;
        }
    }
    for (const Offset& o : kFar) {
        if (held_other(column + o.column, row + o.row)) {
            return true;
        }
    }
    return false;
}

void KeyboardLightEffects::SplashReaction(std::size_t key, bool press) {
    GridCell cell;
    if (!FindKeyCell(key, cell)) {
        return;
    }
    const int column = cell.column;
    const int row = cell.row;
    // Raises (press) or lowers (release) the keys of one ring of the splash.
    const auto ring = [&](const auto& offsets, int rise, int fall) {
        for (const Offset& o : offsets) {
            const int c = column + o.column;
            const int r = row + o.row;
            const std::uint8_t k = KeyAt(c, r);
            if (k >= kKeyCount) {
                continue;
            }
            const int intensity = reactive_.Intensity(k);
            if (press) {
                reactive_.SetIntensity(k,
                                       static_cast<std::uint8_t>(std::min(intensity + rise, 255)));
                Store(reaction_state_[k], 1);
            } else if (!Guarded(c, r, key)) {
                reactive_.SetIntensity(k, static_cast<std::uint8_t>(std::max(intensity - fall, 0)));
                Store(reaction_state_[k], 2);
            }
        }
    };
    if (press) {
        Store(reaction_state_[key], 1);
        Store(held_[key], 1);
        reactive_.SetIntensity(key, kFull);
    }
    ring(kNear, 150, 15);
    ring(kMid, 90, 90);
    ring(kFar, 60, 90);
    if (!press) {
        if (!Guarded(column, row, key)) {
            Store(reaction_state_[key], 2);
        }
        Store(held_[key], 0);
    }
}

}  // namespace calvorn::device
