// Cost of one light frame: one step of each keyboard effect over the 126 LEDs of a keyboard,
// as the light thread renders it, and the base frame built from the colour array. The preset
// effects play a one-step preset that redraws every LED on every turn; the reactive effects
// get a key press every sixteenth frame, as a fast typist would give them.
//
// After the Google Benchmark runs, one line per effect and a last line with the worst:
//   RESULT effect=N ns_per_frame=X
//   RESULT worst_ns_per_frame=X
// The light thread steps an effect at most once per millisecond, so every figure should stay
// far below 5000 ns.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/bench_main.h"
#include "device/light_engine.h"
#include "device/light_keyboard_effects.h"
#include "device/light_preset_player.h"

namespace {

using calvorn::device::ColorArray;
using calvorn::device::KeyboardLightEffects;
using calvorn::device::kLastKeyboardEffect;
using calvorn::device::LightEffectStep;
using calvorn::device::LightFrame;
using calvorn::device::LightParameters;
using calvorn::platform::Millis;

constexpr std::size_t kKeyboardLeds = 126;

LightParameters EffectParameters(std::uint8_t effect) {
    LightParameters light;
    light.mode = effect;
    light.brightness = 5;
    light.speed = 4;  // blinks toggle most often
    light.direction = 1;
    light.colorful = 1;
    light.red = 200;
    light.green = 100;
    light.blue = 50;
    return light;
}

// The effect's start state, and for the preset effects a preset to play.
void Prepare(KeyboardLightEffects& effects, const LightParameters& light) {
    effects.Refresh(light.mode, true);
    LightEffectStep spectrum;
    spectrum.mode = 4;  // moving spectrum: a colour per LED
    spectrum.brightness = 5;
    spectrum.speed = 5;  // a new phase on every turn
    spectrum.time_ms = 1'000'000;
    effects.Steps().Replace({spectrum});
}

// Renders `frames` steps of `effect`, one simulated millisecond apart.
void RenderFrames(KeyboardLightEffects& effects, ColorArray& colors, const LightParameters& light,
                  std::int64_t frames, Millis& now) {
    constexpr std::int64_t kFramesPerPress = 16;
    for (std::int64_t i = 0; i < frames; ++i) {
        now += Millis(1);
        if (i % kFramesPerPress == 0) {
            effects.ReactToKey(light.mode, static_cast<std::size_t>(now.count() % 126), true);
        }
        effects.Render(colors, light, now);
        benchmark::ClobberMemory();
    }
}

void BM_KeyboardEffect(benchmark::State& state) {
    KeyboardLightEffects effects;
    ColorArray colors(kKeyboardLeds);
    const LightParameters light = EffectParameters(static_cast<std::uint8_t>(state.range(0)));
    Prepare(effects, light);
    Millis now(1'000'000);
    for (auto _ : state) {
        RenderFrames(effects, colors, light, 1, now);
    }
}
BENCHMARK(BM_KeyboardEffect)->DenseRange(0, kLastKeyboardEffect);

void BM_BuildLightFrame(benchmark::State& state) {
    ColorArray colors(kKeyboardLeds);
    colors.Fill({200, 100, 50, 204});
    LightFrame frame;
    for (auto _ : state) {
        calvorn::device::BuildLightFrame(colors, frame);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_BuildLightFrame);

// The best of several timed runs, so a preempted run on a shared machine does not count.
double NsPerFrame(std::uint8_t effect) {
    constexpr std::int64_t kFrames = 20000;
    constexpr int kRuns = 7;
    KeyboardLightEffects effects;
    ColorArray colors(kKeyboardLeds);
    const LightParameters light = EffectParameters(effect);
    Prepare(effects, light);
    Millis now(1'000'000);
    RenderFrames(effects, colors, light, kFrames, now);  // warm up
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        RenderFrames(effects, colors, light, kFrames, now);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, std::chrono::duration<double, std::nano>(elapsed).count() / kFrames);
    }
    return best;
}

void PrintResults() {
    double worst = 0;
    for (int effect = 0; effect <= kLastKeyboardEffect; ++effect) {
        const double ns = NsPerFrame(static_cast<std::uint8_t>(effect));
        worst = std::max(worst, ns);
        std::printf("RESULT effect=%d ns_per_frame=%.1f\n", effect, ns);
    }
    std::printf("RESULT worst_ns_per_frame=%.1f\n", worst);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    return calvorn::bench::RunBenchmarks(argc, argv, PrintResults);
}
