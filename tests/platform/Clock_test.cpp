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

}  // namespace
}  // namespace rendix::platform
