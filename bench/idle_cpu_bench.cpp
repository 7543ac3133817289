// Whole-program idle cost: starts the real calvorn program offscreen with one simulated
// keyboard, lets it settle, then measures the CPU time it uses over a quiet stretch while the
// keyboard's light effect runs and the on-screen preview animates. For scale it then measures
// the same way a bare Qt window that repaints 122 key-sized squares 20 times a second
// (qt_floor_reference): what any animating Qt window costs on this machine.
//
//   RESULT cpu_percent=X            (user + system CPU time over wall time; one core = 100)
//   RESULT qt_floor_cpu_percent=Y   (the bare window, measured the same way)
//
// Usage: idle_cpu_bench [seconds]   (default 10; each program settles for 3 s first)

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// User plus system time of `pid` in clock ticks, from /proc/<pid>/stat; -1 when unreadable.
long long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return -1;
    }
    // The command name may contain spaces; the fields after it are space-separated.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // Fields 3..; utime is field 14 and stime field 15 of the whole line.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            utime = std::atoll(field.c_str());
        } else if (index == 15) {
            stime = std::atoll(field.c_str());
        }
    }
    return utime + stime;
}

constexpr int kSettleSeconds = 3;

// Runs `args` for a settle time and then `seconds`, and returns its CPU time over wall time
// in percent; none when it could not be started or ended early.
std::optional<double> MeasureCpuPercent(std::vector<std::string> args, int seconds,
                                        const char* name) {
    std::vector<char*> argv_child;
    for (std::string& arg : args) {
        argv_child.push_back(arg.data());
    }
    argv_child.push_back(nullptr);

    pid_t child = 0;
    if (::posix_spawn(&child, argv_child[0], nullptr, nullptr, argv_child.data(), environ) != 0) {
        std::fprintf(stderr, "could not start %s\n", argv_child[0]);
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::seconds(kSettleSeconds));
    const long long ticks_before = CpuTicks(child);
    const auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long ticks_after = CpuTicks(child);
    const auto wall_after = std::chrono::steady_clock::now();

    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (ticks_before < 0 || ticks_after < 0) {
        std::fprintf(stderr, "%s ended before the measurement finished\n", name);
        return std::nullopt;
    }
    const double cpu_s = static_cast<double>(ticks_after - ticks_before) /
                         static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double wall_s = std::chrono::duration<double>(wall_after - wall_before).count();
    std::printf("%s: %.1f s of wall time, %.2f s of CPU time\n", name, wall_s, cpu_s);
    return 100.0 * cpu_s / wall_s;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    char templ[] = "/tmp/calvorn-idle-XXXXXX";
    if (::mkdtemp(templ) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string home = templ;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("CALVORN_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);

    const std::string exit_after = std::to_string((kSettleSeconds + seconds + 5) * 1000);
    const std::optional<double> calvorn =
        MeasureCpuPercent({CALVORN_EXECUTABLE, "--simulate", "--show", "--exit-after", exit_after},
                          seconds, "calvorn");
    const std::optional<double> floor =
        MeasureCpuPercent({QT_FLOOR_EXECUTABLE, exit_after}, seconds, "bare Qt window");
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    if (!calvorn || !floor) {
        return 1;
    }
    std::printf("RESULT cpu_percent=%.2f\n", *calvorn);
    std::printf("RESULT qt_floor_cpu_percent=%.2f\n", *floor);
    return 0;
}
