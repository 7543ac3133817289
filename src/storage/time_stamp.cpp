#include "storage/time_stamp.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace calvorn::storage {

using std::chrono::milliseconds;
using std::chrono::system_clock;

std::string MakeTimeStamp(system_clock::time_point when) {
    const auto since_epoch = std::chrono::duration_cast<milliseconds>(when.time_since_epoch());
    auto seconds = static_cast<std::time_t>(since_epoch.count() / 1000);
    auto millis = static_cast<int>(since_epoch.count() % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  millis);
    return text;
}

std::string MakeTimeStamp() {
    static std::atomic<std::int64_t> last_issued{0};
    const std::int64_t now =
        std::chrono::duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    std::int64_t previous = last_issued.load();
    std::int64_t issued = 0;
    do {
        issued = now > previous ? now : previous + 1;
    } while (!last_issued.compare_exchange_weak(previous, issued));
    return MakeTimeStamp(system_clock::time_point(milliseconds(issued)));
}

}  // namespace calvorn::storage
