#include "analysis/rating_iteration.h"

#include "analysis/clusters.h"
#include "analysis/formulas.h"
#include "store_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    // Reads the games and runs the stages up to the ratings; returns the console output.
    std::string rate(ResultStore& store)
    {
        InTempDirectory here;
        MemoryConsole console;
        EXPECT_FALSE(analyseClusters(store, console.console));
        computeRatings(store, console.console);
        return console.output();
    }

    double shown(const ResultStore& store, ProgramIndex i, int startElo)
    {
        return (store.internalRating[static_cast<std::size_t>(i)] - INTERNAL_BASE_RATING)
            + startElo;
    }

    TEST(RatingIteration, TwoProgramsOneGame)
    {
        ResultStore store = storeOf({ { "A", "B", "1-0" } });
        const std::string console = rate(store);
        EXPECT_EQ(console,
            "Analysing database structure... 1 cluster(s)\nCalculating ELO ratings... 2 "
            "iterations\n");
        EXPECT_EQ(store.itoffset[1], 0.0);
        EXPECT_EQ(store.internalRating[1], 2700.0);
        EXPECT_EQ(store.internalRating[2], 2100.0);
        EXPECT_EQ(store.averageOpponentRating[1], 2100.0);
        EXPECT_EQ(store.averageOpponentRating[2], 2700.0);
        for (const std::size_t i : { 1u, 2u }) {
            EXPECT_EQ(store.ratingPlus[i], 0.0);
            EXPECT_EQ(store.ratingMinus[i], 0.0);
        }
    }

    TEST(RatingIteration, AllDrawnNeedsOnePass)
    {
        ResultStore store = storeOf(
            { { "A", "B", "1/2-1/2" }, { "B", "C", "1/2-1/2" }, { "C", "A", "1/2-1/2" } });
        EXPECT_EQ(rate(store),
            "Analysing database structure... 1 cluster(s)\nCalculating ELO ratings... 1 "
            "iterations\n");
        for (const std::size_t i : { 1u, 2u, 3u }) {
            EXPECT_EQ(store.internalRating[i], INTERNAL_BASE_RATING);
        }
    }

    TEST(RatingIteration, ChainOfThreeConvergesInTwentyPasses)
    {
        ResultStore store = storeOf({ { "A", "B", "1-0" }, { "B", "C", "1-0" } });
        EXPECT_EQ(rate(store),
            "Analysing database structure... 1 cluster(s)\nCalculating ELO ratings... 20 "
            "iterations\n");
        EXPECT_NEAR(shown(store, 1, 2000), 2600.0, 0.001);
        EXPECT_NEAR(shown(store, 2, 2000), 2000.0, 0.001);
        EXPECT_NEAR(shown(store, 3, 2000), 1400.0, 0.001);
        EXPECT_NEAR(store.ratingPlus[2], 600.0, 1e-9);
        EXPECT_NEAR(store.ratingMinus[2], -600.0, 1e-9);
    }

    TEST(RatingIteration, ProgramsWithoutGamesAreLeftAlone)
    {
        ResultStore store = storeOf({ { "Idle", "Other", "*" }, { "A", "B", "0-1" } });
        rate(store);
        EXPECT_EQ(store.previousRating[1], INTERNAL_BASE_RATING);
        EXPECT_EQ(store.internalRating[1], 0.0);
        EXPECT_EQ(store.averageOpponentRating[1], 0.0);
        EXPECT_EQ(store.scoreFraction[1], 0.0);
        EXPECT_EQ(store.internalRating[4], 2700.0);
    }

    TEST(RatingIteration, ConvergedRatingsSatisfyThePerformanceEquation)
    {
        std::vector<Game> games;
        const char* results[] = { "1-0", "0-1", "1/2-1/2", "1-0", "1-0" };
        for (int i = 0; i < 60; ++i) {
            games.push_back({ "E" + std::to_string(i % 7), "E" + std::to_string((i * 3 + 1) % 7),
                results[i % 5] });
        }
        ResultStore store = storeOf(games);
        rate(store);
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (store.games[at] == 0) {
                continue;
            }
            const double offset = store.itoffset[static_cast<std::size_t>(store.clusterOf[at])];
            const double shownRating = store.internalRating[at] - INTERNAL_BASE_RATING;
            const double shownOpponents
                = store.averageOpponentRating[at] - INTERNAL_BASE_RATING - offset;
            EXPECT_NEAR(
                shownRating - shownOpponents, performanceDelta(store.scoreFraction[at]), 0.001);
        }
    }

    // A chain of sixteen programs, each beating the next, converges slowly; a few more games
    // on one link move the pass count to either side of the pass limit.
    std::vector<Game> slowChain(int link, int extraGames, const char* extraResult)
    {
        std::vector<Game> games;
        for (int i = 1; i < 16; ++i) {
            games.push_back({ "P" + std::to_string(i), "P" + std::to_string(i + 1), "1-0" });
        }
        for (int g = 0; g < extraGames; ++g) {
            games.push_back(
                { "P" + std::to_string(link), "P" + std::to_string(link + 1), extraResult });
        }
        return games;
    }

    TEST(RatingIteration, FailureLineFromTheThousandthPassOn)
    {
        struct Row {
            const char* name;
            std::vector<Game> games;
            std::string line;
        };
        const std::vector<Row> rows = {
            { "999 passes", slowChain(6, 7, "0-1"), "Calculating ELO ratings... 999 iterations\n" },
            { "1000 passes", slowChain(4, 1, "0-1"),
                "Calculating ELO ratings... Iteration failed - degenerate database\n1000 "
                "iterations\n" },
            { "the pass after the limit", slowChain(1, 1, "1-0"),
                "Calculating ELO ratings... Iteration failed - degenerate database\n1001 "
                "iterations\n" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            ResultStore store = storeOf(row.games);
            EXPECT_EQ(rate(store), "Analysing database structure... 1 cluster(s)\n" + row.line);
            // The run goes on: margins come from the last pass.
            EXPECT_NEAR(store.ratingPlus[3], 600.0, 1e-9);
        }
    }

} // namespace
} // namespace varnok
