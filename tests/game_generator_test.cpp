// The game-file generator of the benchmarks: its files must be what its options say, read as
// the program reads them, or the benchmark measures something else.
#include "game_generator.h"

#include "analysis/clusters.h"
#include "analysis/general_statistics.h"
#include "pgn/tag_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using testing::MemoryConsole;

    std::size_t occurrences(const std::string& text, const std::string& what)
    {
        std::size_t count = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

    struct Shape {
        ProgramIndex programs = 0;
        std::int32_t clusters = 0;
        std::size_t mostOpponents = 0; // of any program
        GameCount finished = 0;
        GameCount unfinished = 0;
        GameCount draws = 0;
    };

    Shape shapeOf(const std::string& text)
    {
        MemoryConsole console;
        ResultStore store;
        resetStore(store);
        readPgnText(store, text, console.console);
        computeProgramTotals(store);
        numberClusters(store);
        Shape shape { programCount(store), store.clusterCount, 0, store.counters.finishedGames,
            store.counters.unfinishedCount, store.counters.drawCount };
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            shape.mostOpponents = std::max(shape.mostOpponents, opponentsOf(store, i).size());
        }
        return shape;
    }

    TEST(GameGenerator, FilesHaveTheShapeTheOptionsAskFor)
    {
        struct Row {
            const char* name;
            bench::GeneratorOptions options;
            std::int32_t clusters;
            std::size_t mostOpponents; // at most
        };
        auto options = [](std::int64_t games, std::int32_t programs, std::int32_t clusters,
                           std::int32_t neighbours, std::int32_t spread, bool random) {
            bench::GeneratorOptions o;
            o.games = games;
            o.programs = programs;
            o.clusters = clusters;
            o.neighbours = neighbours;
            o.spread = spread;
            o.randomPairing = random;
            return o;
        };
        const std::vector<Row> rows = {
            { "neighbours near in strength", options(2000, 40, 1, 3, 0, false), 1, 3 + 10 },
            { "three clusters", options(3000, 60, 3, 2, 4, false), 3, 2 + 4 },
            { "a chain", options(600, 25, 1, 1, 1, false), 1, 2 },
            { "random pairing in four clusters", options(4000, 40, 4, 1, 0, true), 4, 9 },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const std::string text = bench::generateGamesText(row.options);
            const Shape shape = shapeOf(text);
            EXPECT_EQ(shape.programs, row.options.programs);
            EXPECT_EQ(shape.clusters, row.clusters);
            EXPECT_LE(shape.mostOpponents, row.mostOpponents);
            EXPECT_EQ(shape.finished + shape.unfinished, row.options.games);
            // Ten tags per game, and about 2 KB of it.
            const auto games = static_cast<std::size_t>(row.options.games);
            EXPECT_EQ(occurrences(text, "\n[Event \""), games - 1);
            EXPECT_EQ(occurrences(text, "\"]\n[PlyCount \""), games);
            EXPECT_EQ(occurrences(text, "\"]\n"), 10 * games);
            EXPECT_GT(text.size(), 1600 * games);
            EXPECT_LT(text.size(), 2600 * games);
        }
    }

    TEST(GameGenerator, SharesOfDrawsAndUnfinishedGames)
    {
        struct Row {
            double draws;
            double unfinished;
        };
        for (const Row row : { Row { 0.0, 0.0 }, Row { 1.0, 0.0 }, Row { 0.3, 0.1 } }) {
            SCOPED_TRACE(row.draws);
            bench::GeneratorOptions options;
            options.games = 2000;
            options.drawShare = row.draws;
            options.unfinishedShare = row.unfinished;
            const Shape shape = shapeOf(bench::generateGamesText(options));
            const double finished = static_cast<double>(shape.finished);
            EXPECT_NEAR(static_cast<double>(shape.unfinished) / 2000.0, row.unfinished, 0.02);
            EXPECT_NEAR(static_cast<double>(shape.draws) / finished, row.draws, 0.04);
        }
    }

    TEST(GameGenerator, SameOptionsSameBytesAndLineEndsAsAsked)
    {
        bench::GeneratorOptions options;
        options.games = 50;
        const std::string first = bench::generateGamesText(options);
        EXPECT_EQ(bench::generateGamesText(options), first);
        EXPECT_EQ(first.find('\r'), std::string::npos);
        options.seed += 1;
        EXPECT_NE(bench::generateGamesText(options), first);

        options.crlf = true;
        const std::string crlf = bench::generateGamesText(options);
        EXPECT_EQ(occurrences(crlf, "\r\n"), occurrences(crlf, "\n"));
        EXPECT_EQ(occurrences(crlf, "\r\n"), occurrences(crlf, "\r"));
    }

    TEST(GameGenerator, ProgramNamesAreDistinct)
    {
        std::vector<std::string> names;
        for (std::int32_t i = 0; i < 25000; ++i) {
            names.push_back(bench::programName(i));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    }

    TEST(GameGenerator, RefusesOptionsThatMakeNoFile)
    {
        bench::GeneratorOptions options;
        options.programs = 3;
        options.clusters = 2; // one program would have nobody to play
        EXPECT_FALSE(bench::generateGames(options, [](std::string_view) {}));
        EXPECT_EQ(bench::generateGamesText(options), "");
        options.clusters = 1;
        options.drawShare = 1.5;
        EXPECT_FALSE(bench::generateGames(options, [](std::string_view) {}));
    }

} // namespace
} // namespace varnok
