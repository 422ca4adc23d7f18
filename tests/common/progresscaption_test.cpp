#include "common/progresscaption.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(ProgressCaption, PercentOfTheRange)
{
    struct Case {
        int position, lower, upper;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {0, 0, 319, 0}, {3, 0, 319, 0}, {4, 0, 319, 1}, {319, 0, 319, 100}, {1000, 0, 2000, 50}, {7, 5, 5, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressPercent(c.position, c.lower, c.upper), c.percent) << c.position << "/" << c.upper;
    EXPECT_EQ(ProgressCaption("Reading Pellion.net...", 42), "Reading Pellion.net... [42%]");
}

} // namespace
} // namespace corvane
