#include <gtest/gtest.h>

#include <set>

#include "platform/Clock.h"
#include "platform/Seam.h"

namespace rendix::platform {
namespace {

TEST(RandomTest, DrawsStayInRangeAndReseedsDifferUnderAFrozenClock) {
    TestSeam seam;
    seam.freezeSteadyClock(123456789);
    EXPECT_EQ(steadyNanoseconds(), 123456789);
    std::set<float> firstDraws;
    float low = 1.0f;
    float high = 0.0f;
    for (int i = 0; i < 100; ++i) {
        Random::reseed();
        firstDraws.insert(Random::draw());
        for (int j = 0; j < 100; ++j) {
            const float value = Random::draw();
            ASSERT_GE(value, 0.0f);
            ASSERT_LT(value, 1.0f);
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    EXPECT_GE(firstDraws.size(), 95u);
    // Well spread: 10,000 uniform draws reach both ends of the range.
    EXPECT_LT(low, 0.01f);
    EXPECT_GT(high, 0.99f);
}

TEST(ClockTest, LocalTimeComesFromTheSeamWhenSet) {
    const LocalDateTime now = localNow();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    TestSeam seam;
    seam.setLocalTime({2001, 12, 31, 23, 59, 58});
    const LocalDateTime fixed = localNow();
    EXPECT_EQ(std::tie(fixed.year, fixed.month, fixed.day, fixed.hour, fixed.minute, fixed.second),
              std::make_tuple(2001, 12, 31, 23, 59, 58));
}

}  // namespace
}  // namespace rendix::platform
