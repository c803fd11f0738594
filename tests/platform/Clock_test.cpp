#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/Seam.h"

namespace rendix::platform {
namespace {

TEST(RandomTest, DrawsStayInRangeAndReseedsDifferUnderAFrozenClock) {
    TestSeam seam;
    seam.freezeSteadyClock(123456789);
    ASSERT_EQ(steadyNanoseconds(), 123456789);
    std::set<float> firstDraws;
    std::set<int> hundredths;  // 10,000 uniform draws fill every hundredth of the range
    for (int i = 0; i < 100; ++i) {
        Random::reseed();
        firstDraws.insert(Random::draw());
        for (int j = 0; j < 100; ++j) {
            const float value = Random::draw();
            ASSERT_GE(value, 0.0f);
            ASSERT_LT(value, 1.0f);
            hundredths.insert(static_cast<int>(value * 100));
        }
    }
    EXPECT_GE(firstDraws.size(), 95u);
    EXPECT_EQ(hundredths.size(), 100u);
}

}  // namespace
}  // namespace rendix::platform
