#include "analysis/formulas.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

    TEST(Formulas, PerformanceDeltaAtKnownScoresAndBothSidesOfTheClipLimits)
    {
        struct Row {
            double p;
            double expected;
            double tolerance;
        };
        const Row rows[] = {
            { 0.5, 0.0, 0.0 },
            { 0.75, 190.8485, 5e-5 },
            { 0.25, -190.8485, 5e-5 },
            { 0.9, 381.6970, 5e-5 },
            { 0.0, -600.0, 0.0 },
            { 1.0, 600.0, 0.0 },
            { -0.5, -600.0, 0.0 },
            { 1.5, 600.0, 0.0 },
            { 0.0306533, -600.0, 0.0 },
            { 0.0306534, -600.000176, 5e-7 },
            { 0.9693467, 600.0, 0.0 },
            { 0.9693466, 600.000176, 5e-7 },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.p);
            if (row.tolerance == 0.0) {
                EXPECT_EQ(performanceDelta(row.p), row.expected);
            } else {
                EXPECT_NEAR(performanceDelta(row.p), row.expected, row.tolerance);
            }
        }
    }

    TEST(Formulas, PerformanceDeltaIsAntisymmetricAboutOneHalf)
    {
        for (const double p : { 0.01, 0.1, 0.3, 0.45, 0.0306534 }) {
            SCOPED_TRACE(p);
            EXPECT_NEAR(performanceDelta(1.0 - p), -performanceDelta(p), 1e-9);
        }
    }

    struct DeviationRow {
        const char* name;
        int wins, draws, losses;
        double upper, lower;
        double plus2, minus2; // margins at two deviations
    };

    TEST(Formulas, DeviationsAndMarginsOfWorkedRecords)
    {
        const DeviationRow rows[] = {
            { "6-2-2", 6, 2, 2, 0.1, 0.171594, 234.5063, -249.5499 },
            { "3-4-3", 3, 4, 3, 0.129099, 0.129099, 198.5299, -198.5299 },
            { "1-0-1", 1, 0, 1, 0.5, 0.5, 600.0, -600.0 },
            { "2-1-7", 2, 1, 7, 0.209718, 0.083333, -1.0, -1.0 },
            { "only wins", 10, 0, 0, 0.0, 0.0, 0.0, 0.0 },
            { "only draws", 0, 5, 0, 0.0, 0.0, 0.0, 0.0 },
            { "only losses", 0, 0, 3, 0.0, 0.0, 0.0, 0.0 },
            { "one game", 1, 0, 0, 0.0, 0.0, 0.0, 0.0 },
        };
        for (const DeviationRow& row : rows) {
            SCOPED_TRACE(row.name);
            const double p
                = (row.wins * 1.0 + row.draws * 0.5) / (row.wins + row.draws + row.losses);
            const ScoreDeviations d = scoreDeviations(row.wins, row.draws, row.losses, p);
            EXPECT_NEAR(d.upperDeviation, row.upper, 5e-7);
            EXPECT_NEAR(d.lowerDeviation, row.lower, 5e-7);
            if (row.plus2 >= 0.0) {
                EXPECT_NEAR(plusMargin(p, d.upperDeviation, 2.0), row.plus2, 5e-5);
                EXPECT_NEAR(minusMargin(p, d.lowerDeviation, 2.0), row.minus2, 5e-5);
            }
        }
    }

    TEST(Formulas, ScoreOfSixTwoTwo)
    {
        const double p = (6 * 1.0 + 2 * 0.5) / 10;
        EXPECT_NEAR(performanceDelta(p), 147.1907, 5e-5);
    }

    TEST(Formulas, MinusMarginCanExceedTheClip)
    {
        EXPECT_NEAR(minusMargin(0.75, 0.25, 3.0), -790.8485, 5e-5);
    }

    TEST(Formulas, PercentMarginsClampEachValueOnItsOwn)
    {
        struct Row {
            const char* name;
            double p, upper, lower, k;
            double plus, minus, low, high;
        };
        const Row rows[] = {
            { "6-2-2 at one deviation", 0.7, 0.1, 0.171594, 1.0, 10.0, 17.1594, 52.8406, 80.0 },
            { "2-1-7 at two deviations", 0.25, 0.209718, 0.0833333, 2.0, 41.9435, 16.6667, 8.3333,
                66.9435 },
            { "1-0-1 at two deviations", 0.5, 0.5, 0.5, 2.0, 100.0, 100.0, 0.0, 100.0 },
            { "no spread", 1.0, 0.0, 0.0, 3.0, 0.0, 0.0, 100.0, 100.0 },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const PercentMargins m = percentMargins(row.p, row.upper, row.lower, row.k);
            EXPECT_NEAR(m.plusPercent, row.plus, 5e-4);
            EXPECT_NEAR(m.minusPercent, row.minus, 5e-4);
            EXPECT_NEAR(m.lowPercent, row.low, 5e-4);
            EXPECT_NEAR(m.highPercent, row.high, 5e-4);
        }
    }

} // namespace
} // namespace varnok
