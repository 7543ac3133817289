#pragma once

// The keyboard's light effects as its light thread drives them: which renderer each effect
// number runs, at which pace (three rows of milliseconds by speed), the keyboard's own
// renderers over its key grids, the preparation when the effect changes, the reactions to key
// presses the keyboard reports, and the user preset player and area effects it shares with the
// other kinds.
//
// Threads. The renderers run on the light thread. Key reactions arrive on the keyboard's
// synchronisation thread and write the same per-key intensities, colour indexes, reaction
// states, held flags and ripple masks; those are atomic bytes, so a turn may see a
// half-applied reaction but never a torn value. The renderer phase, the stage and the second
// phases are the light thread's alone: the UI thread asks for an effect preparation with
// RequestRefresh and the light thread runs it before its next step.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "device/color_array.h"
#include "device/light_area_effects.h"
#include "device/light_engine.h"
#include "device/light_keyboard_tables.h"
#include "device/light_parameters.h"
#include "device/light_preset_player.h"
#include "device/light_reactive.h"
#include "device/light_thread.h"
#include "platform/clock.h"

namespace calvorn::device {

enum class KeyboardRenderer : std::uint8_t {
    kPresetPlayer,  // effects 0, 19, 21, 28 and above 30: a user light preset, every turn
    kColumnWave,
    kColumnRainbow,
    kSnakeWave,
    kSpectrum,
    kColumnBreathing,
    kRings,
    kFlash,
    kDiagonalRipple,
    kLineRipple,
    kSparkle,
    kColorDrift,
    kRowWave,
    kBounce,
    kShow,
    kTwinkle,
    kSweepRipple,
    kFixedColor,
    kRingWave,
    kCustom,
    kBreathing4,
    kBlink4,
    kOff,
    kBlink,
    kTrail,
    kRadar,
    kSlowTwinkle,
    kSplash,
};

// Milliseconds between two steps by speed 0-4, one row per pace; a speed of 5 or more steps
// on every turn.
enum class KeyboardSpeedRow : std::uint8_t { kA, kB, kC, kEveryTurn };
inline constexpr std::array<std::array<std::uint8_t, 5>, 3> kKeyboardSpeedRows = {{
    {5, 4, 3, 2, 1},
    {10, 8, 6, 4, 2},
    {0, 28, 23, 18, 13},
}};

struct KeyboardEffect {
    KeyboardRenderer renderer;
    KeyboardSpeedRow row;
};

// The highest effect number with a row of its own; every higher one plays a preset.
inline constexpr std::uint8_t kLastKeyboardEffect = 30;

KeyboardEffect KeyboardEffectOf(std::uint8_t effect);
// Milliseconds between two steps of `effect` at `speed`; 0 steps on every turn.
std::uint32_t KeyboardEffectPeriodMs(std::uint8_t effect, std::uint8_t speed);

// The cell of a key in the column table.
struct GridCell {
    std::uint8_t column = 0;
    std::uint8_t row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};
// Whether `key` has a cell in the column table; `cell` receives it.
bool FindKeyCell(std::size_t key, GridCell& cell);
// The key itself when it occurs in the snake order, else kNoKey.
std::uint8_t SnakeOrderFilter(std::size_t key);

// The keyboard's light state and renderers. One per keyboard.
class KeyboardLightEffects {
public:
    // Every renderer has this shape, so a device can keep them in a table by effect number.
    using RenderFunction = void (KeyboardLightEffects::*)(ColorArray&, const LightParameters&,
                                                          platform::Millis);

    // The ripple masks: one byte per column, bit r marks row r.
    enum Mask : std::size_t { kMaskA, kMaskB, kMaskC, kMaskD, kMaskCount };

    explicit KeyboardLightEffects(std::uint32_t random_seed = 0x2545F491u);

    // --- light thread ---

    // One step of the effect that `light.mode` selects, over the records of `colors`.
    void Render(ColorArray& colors, const LightParameters& light, platform::Millis now);
    // The renderer of an effect number (the preset player for 0, 19, 21, 28 and above 30).
    static RenderFunction RenderFunctionOf(std::uint8_t effect);
    // The pace of an effect.
    LightPlan PlanFor(const LightParameters& light) const;

    // Runs a refresh that RequestRefresh asked for, if any. Every renderer calls it first.
    void ApplyPendingRefresh();
    // The refresh itself: when `effect_changed`, clears the light state and sets the start
    // state of `effect`; in every case the radar's colour indexes restart (effect 27) and the
    // renderer phase returns to 0.
    void Refresh(std::uint8_t effect, bool effect_changed);

    // The renderers, by effect: 1 column wave, 2 column rainbow, 3 snake wave, 5 column
    // breathing, 6 rings, 7 flash (and 30 splash), 8 diagonal ripple, 9 line ripple,
    // 10 sparkle, 11 colour drift, 12 row wave, 13 bounce, 14 show, 15 twinkle, 16 sweep
    // ripple, 17 fixed colour, 18 ring wave, 20 custom, 26 trail, 27 radar, 29 slow twinkle.
    void RenderColumnWave(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderColumnRainbow(ColorArray& colors, const LightParameters& light,
                             platform::Millis now);
    void RenderSnakeWave(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderColumnBreathing(ColorArray& colors, const LightParameters& light,
                               platform::Millis now);
    void RenderRings(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderFlash(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderDiagonalRipple(ColorArray& colors, const LightParameters& light,
                              platform::Millis now);
    void RenderLineRipple(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderSparkle(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderColorDrift(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderRowWave(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderBounce(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderShow(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderTwinkle(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderSweepRipple(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderFixedColor(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderRingWave(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderCustom(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderTrail(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderRadar(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderSlowTwinkle(ColorArray& colors, const LightParameters& light, platform::Millis now);
    // The base renderers and the preset player, in the same shape: 4 spectrum, 22 four-colour
    // breathing, 23 four-colour blink, 24 off, 25 blink, and the presets.
    void RenderSpectrum(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderBreathing4(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderBlink4(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderOff(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderBlink(ColorArray& colors, const LightParameters& light, platform::Millis now);
    void RenderPresetSteps(ColorArray& colors, const LightParameters& light, platform::Millis now);

    // --- any thread ---

    // Asks the light thread to run Refresh(effect, effect_changed) before its next step. Two
    // requests before that step run as one, for the later effect, clearing the state when
    // either changed the effect.
    void RequestRefresh(std::uint8_t effect, bool effect_changed);

    // A key report from the keyboard for logical key `key` while `effect` runs: a press runs
    // the effect's reaction for the press and then for the release, a release for the release.
    void ReactToKey(std::uint8_t effect, std::size_t key, bool pressed);
    // The effect's reaction to one press or release: 7 flash, 8 and 9 ripple masks, 30 splash;
    // other effects do not react.
    void KeyReaction(std::uint8_t effect, std::size_t key, bool press);

    // The user preset the preset player plays (replaced by the UI thread).
    PresetSteps& Steps() { return steps_; }
    // The area effects; the device composes them under its light-data lock.
    AreaEffects& Areas() { return areas_; }

    // --- state, for the light thread and tests ---
    LightRenderer& Renderer() { return renderer_; }
    const LightRenderer& Renderer() const { return renderer_; }
    std::uint8_t Intensity(std::size_t key) const { return reactive_.Intensity(key); }
    std::uint8_t ColorIndex(std::size_t key) const;
    std::uint8_t SecondPhase(std::size_t key) const;
    std::uint8_t ReactionState(std::size_t key) const;
    bool Held(std::size_t key) const;
    std::uint8_t MaskByte(Mask mask, std::size_t column) const;
    std::uint8_t Stage() const { return stage_; }
    const PresetStepPlayer& Player() const { return player_; }

private:
    void Prepare(std::uint8_t effect);
    void ClearState();

    // Mask operations of the ripples.
    void MaskLight(bool colorful);
    void DiagonalShift();
    void LateralShift();
    void SetMaskBit(std::size_t column, std::size_t row);
    std::uint8_t ColumnMaskBits(std::size_t column) const;
    void MaskReaction(std::size_t key);
    // DecayReactive (fine) on every key of the set, then draws it at its intensity.
    void DecayAndDrawAll(ColorArray& colors, const LightParameters& light);
    void DecayAndDrawSnake(ColorArray& colors, const LightParameters& light);
    void DecayAndDraw(ColorArray& colors, const LightParameters& light, int level, std::size_t key);

    void FlashReaction(std::size_t key, bool press);
    void SplashReaction(std::size_t key, bool press);
    bool Guarded(int column, int row, std::size_t key) const;

    void LightKey(std::size_t key, bool colorful);
    // One twinkle turn over the keys of the snake order, with the per-key phase that
    // `phase_of` reads and `set_phase` stores, moving `step` along the twinkle curve.
    template <typename Get, typename Set>
    void TwinkleStep(ColorArray& colors, const LightParameters& light, int step, Get phase_of,
                     Set set_phase);
    RgbColor KeyColor(std::size_t key, const LightParameters& light) const;
    void SetColorIndex(std::size_t key, std::uint8_t value);

    // random(n), 0 ... n − 1: one generator for the light thread, one for the reactions.
    std::uint32_t Random(std::uint32_t n);
    std::uint32_t ReactionRandom(std::uint32_t n);

    LightRenderer renderer_;
    ReactiveBuffer reactive_;  // the per-key intensities
    std::array<std::atomic<std::uint8_t>, grid::kKeyCount> color_index_{};
    std::array<std::atomic<std::uint8_t>, grid::kKeyCount> second_phase_{};
    std::array<std::atomic<std::uint8_t>, grid::kKeyCount> reaction_state_{};
    std::array<std::atomic<std::uint8_t>, grid::kKeyCount> held_{};
    std::array<std::array<std::atomic<std::uint8_t>, grid::kGridColumns>, kMaskCount> masks_{};
    std::uint8_t stage_ = 0;
    std::uint32_t random_state_;
    std::atomic<std::uint32_t> reaction_random_;
    // Bit 31: a refresh is pending; bit 30: it changes the effect; bits 0-7: the effect.
    std::atomic<std::uint32_t> pending_refresh_{0};

    PresetSteps steps_;
    PresetStepPlayer player_;
    AreaEffects areas_;
};

}  // namespace calvorn::device
