// Host cost of report exchanges: CReportTransport over CHidDevice and the virtual backend,
// answered by the simulated keyboard. Every exchange is a full request write and reply read
// of 64-byte reports, with the trace lines formatted as in production (no sink attached).
//
// The last line compares the host's cost per exchange with one USB full-speed frame (1 ms),
// the least time a real keyboard needs per interrupt transfer:
//   RESULT exchanges_per_s=N host_us_per_exchange=X usb_limit_ratio=R   (R = 1000 µs / X)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_main.h"
#include "hid/virtual_hid_backend.h"
#include "sim/sim_keyboard.h"
#include "transport/report_transport.h"

namespace {

using calvorn::sim::SimKeyboard;
using calvorn::transport::CReportTransport;
using calvorn::transport::RESULT_OK;

// One simulated keyboard and an open channel to its vendor collection.
struct Rig {
    calvorn::hid::VirtualHidBackend backend;
    std::shared_ptr<SimKeyboard> keyboard = std::make_shared<SimKeyboard>();
    CReportTransport transport{backend};

    Rig() {
        const std::uint32_t id = backend.Plug(keyboard);
        for (const std::string& path : backend.PathsOf(id)) {
            if (path.ends_with("&col04")) {
                transport.Open(path);
            }
        }
        transport.SetBlockSize(126 * 3);
    }
};

void CountExchanges(benchmark::State& state, const Rig& rig, std::uint64_t before) {
    const double exchanges = static_cast<double>(rig.keyboard->RequestCount() - before);
    state.counters["exchanges"] = benchmark::Counter(exchanges, benchmark::Counter::kIsRate);
}

void BM_SingleFrameCommand(benchmark::State& state) {
    Rig rig;
    const std::uint64_t before = rig.keyboard->RequestCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.transport.BeginSession());
    }
    CountExchanges(state, rig, before);
}
BENCHMARK(BM_SingleFrameCommand);

void BM_ReadSettingsPage(benchmark::State& state) {
    Rig rig;
    std::vector<std::uint8_t> page(26);
    const std::uint64_t before = rig.keyboard->RequestCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.transport.ReadParams(page, 0));
    }
    CountExchanges(state, rig, before);
}
BENCHMARK(BM_ReadSettingsPage);

void BM_WriteKeyTable(benchmark::State& state) {
    Rig rig;
    std::vector<std::uint8_t> table(512, 0x20);
    const std::uint64_t before = rig.keyboard->RequestCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.transport.WriteKeyTable(table, 0));
    }
    CountExchanges(state, rig, before);
}
BENCHMARK(BM_WriteKeyTable);

void BM_StreamLightFrame(benchmark::State& state) {
    Rig rig;
    std::vector<std::uint8_t> frame(126 * 3, 0x40);
    const std::uint64_t before = rig.keyboard->RequestCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.transport.StreamLightFrame(frame));
    }
    CountExchanges(state, rig, before);
}
BENCHMARK(BM_StreamLightFrame);

// A keyboard's read-all without its end-of-session pause, repeated: the mix of traced
// single frames and chunked reads that attaching a keyboard costs.
void PrintResult() {
    Rig rig;
    std::array<std::uint8_t, calvorn::transport::kDeviceInfoSize> info{};
    std::vector<std::uint8_t> keys(512), leds(512), page(26);
    const auto read_all = [&] {
        return rig.transport.BeginSession() == RESULT_OK &&
               rig.transport.ReadDeviceInfo(info) == RESULT_OK &&
               rig.transport.ReadKeyTable(keys) == RESULT_OK &&
               rig.transport.ReadKeyBytes(leds) == RESULT_OK &&
               rig.transport.ReadParams(page, 0) == RESULT_OK;
    };
    for (int i = 0; i < 200; ++i) {
        read_all();  // warm up
    }
    const std::uint64_t before = rig.keyboard->RequestCount();
    bool ok = true;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5000; ++i) {
        ok = read_all() && ok;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double exchanges = static_cast<double>(rig.keyboard->RequestCount() - before);
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double us_per_exchange = seconds * 1e6 / exchanges;
    if (!ok) {
        std::printf("warning: some exchanges failed\n");
    }
    std::printf("RESULT exchanges_per_s=%.0f host_us_per_exchange=%.2f usb_limit_ratio=%.1f\n",
                exchanges / seconds, us_per_exchange, 1000.0 / us_per_exchange);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    return calvorn::bench::RunBenchmarks(argc, argv, PrintResult);
}
