#pragma once

// The main of a benchmark program: runs the Google Benchmark cases the command line selects,
// then `print_results`, which prints the program's RESULT lines.

#include <benchmark/benchmark.h>

namespace calvorn::bench {

inline int RunBenchmarks(int argc, char** argv, void (*print_results)()) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    print_results();
    return 0;
}

}  // namespace calvorn::bench
