#include "storage/time_stamp.h"

#include <gtest/gtest.h>
#include <time.h>

#include <regex>
#include <set>

#include "platform/test_support.h"

namespace calvorn::storage {
namespace {

using std::chrono::milliseconds;
using std::chrono::system_clock;

class UtcZone {
public:
    UtcZone() : env_("TZ", "UTC") { tzset(); }
    ~UtcZone() { tzset(); }

private:
    platform::testing::ScopedEnv env_;
};

TEST(MakeTimeStampTest, FormatsTheLocalTime) {
    UtcZone utc;
    struct Case {
        std::int64_t epoch_ms;
        const char* stamp;
    };
    const Case cases[] = {
        {1709622489012, "2024_03_05_07_08_09_012"},
        {1735689599999, "2024_12_31_23_59_59_999"},
        {0, "1970_01_01_00_00_00_000"},
        {-1, "1969_12_31_23_59_59_999"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeTimeStamp(system_clock::time_point(milliseconds(c.epoch_ms))), c.stamp);
    }
}

TEST(MakeTimeStampTest, SuccessiveStampsAreDistinct) {
    const std::regex form(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
    std::set<std::string> stamps;
    for (int i = 0; i < 500; ++i) {
        const std::string stamp = MakeTimeStamp();
        EXPECT_TRUE(std::regex_match(stamp, form)) << stamp;
        stamps.insert(stamp);
    }
    EXPECT_EQ(stamps.size(), 500u);
}

}  // namespace
}  // namespace calvorn::storage
