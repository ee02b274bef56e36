#include "core/stepclip.h"

#include <gtest/gtest.h>

namespace {

struct ClipCase {
    const char *name;
    double from, to;
    QList<QPointF> expected;
};

// Levels 1 and 2: 0..100 at 1, 100..250 at 2, 250..300 at 1.
const QList<QPointF> Steps = {{0, 1}, {100, 1}, {100, 2}, {250, 2}, {250, 1}, {300, 1}};

class ClipStepsTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipStepsTest, KeepsWhatLiesInTheRange)
{
    EXPECT_EQ(ClipSteps(Steps, GetParam().from, GetParam().to), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ClipStepsTest,
    ::testing::Values(ClipCase{"Everything", 0, 1000, Steps},
                      ClipCase{"CutInsideLevels", 50, 270, {{50, 1}, {100, 1}, {100, 2}, {250, 2}, {250, 1}, {270, 1}}},
                      ClipCase{"InsideOneLevel", 120, 200, {{120, 2}, {200, 2}}},
                      ClipCase{"EdgeOnAnUpright", 100, 250, {{100, 1}, {100, 2}, {250, 2}, {250, 1}}},
                      ClipCase{"BeforeEverything", -50, -10, {}},
                      ClipCase{"AfterEverything", 400, 500, {}}),
    [](const auto &info) { return info.param.name; });

TEST(ClipSteps, FewerThanTwoPointsGiveNothing)
{
    EXPECT_TRUE(ClipSteps({}, 0, 10).isEmpty());
    EXPECT_TRUE(ClipSteps({{5, 1}}, 0, 10).isEmpty());
}

} // namespace
