#include "analysis/clusters.h"

#include "store_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    std::vector<std::int32_t> clustersOf(const ResultStore& store)
    {
        return std::vector<std::int32_t>(store.clusterOf.begin() + 1, store.clusterOf.end());
    }

    TEST(Clusters, NumbersGroupsByTheirLowestProgram)
    {
        struct Row {
            const char* name;
            std::vector<Game> games;
            std::vector<std::int32_t> expected; // cluster of programs 1..n
        };
        const std::vector<Row> rows = {
            { "nothing", {}, {} },
            { "only unfinished games and games against itself",
                { { "A", "B", "*" }, { "C", "C", "1-0" } }, { 0, 0, 0 } },
            { "1-2, 3-4 and 5-1",
                { { "P1", "P2", "1-0" }, { "P3", "P4", "0-1" }, { "P5", "P1", "1/2-1/2" } },
                { 1, 1, 2, 2, 1 } },
            { "a program without finished games between two clusters",
                { { "A", "B", "1-0" }, { "Idle", "A", "*" }, { "C", "D", "0-1" } },
                { 1, 1, 0, 2, 2 } },
            { "joined late through a third program",
                { { "A", "B", "1-0" }, { "C", "D", "1-0" }, { "E", "F", "1-0" },
                    { "F", "B", "0-1" } },
                { 1, 1, 2, 2, 1, 1 } },
            { "met only in draws, always the same colours",
                { { "A", "B", "1/2-1/2" }, { "A", "B", "1/2-1/2" } }, { 1, 1 } },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            ResultStore store = storeOf(row.games);
            numberClusters(store);
            EXPECT_EQ(clustersOf(store), row.expected);
        }
    }

    TEST(Clusters, ALongChainIsOneClusterWithoutDeepRecursion)
    {
        constexpr int LENGTH = 20000;
        std::vector<Game> games;
        for (int i = 1; i < LENGTH; ++i) {
            games.push_back({ "P" + std::to_string(i), "P" + std::to_string(i + 1), "1-0" });
        }
        ResultStore store = storeOf(games);
        numberClusters(store);
        EXPECT_EQ(store.clusterCount, 1);
        EXPECT_EQ(store.clusterOf[1], 1);
        EXPECT_EQ(store.clusterOf[LENGTH], 1);
    }

    TEST(Clusters, WritesTheStructureReport)
    {
        InTempDirectory here;
        ResultStore store = storeOf({ { "P1", "P2", "1-0" }, { "P3", "P4", "0-1" },
            { "P5", "P1", "1/2-1/2" }, { "P1", "P2", "1-0" }, { "P3", "P4", "1/2-1/2" } });
        MemoryConsole console;
        EXPECT_FALSE(analyseClusters(store, console.console));
        EXPECT_EQ(console.output(), "Analysing database structure... 2 cluster(s)\n");

        // Cluster 1: P1 scores 2.5/3, P2 0/2, P5 0.5/1. Offset = (3 d(5/6) + 2 d(0) + 1 d(1/2)) / 6
        // = (3 x 400 log10(5) - 1200) / 6 = 200 log10(5) - 200 = -60.2059991.
        // Cluster 2: P3 0.5/2, P4 1.5/2: deltas cancel, offset 0.
        EXPECT_EQ(readReport("cluster.dat"),
            "Cluster No. 1:\n\n"
            "P1                             (2)\n"
            "P2                             (1)\n"
            "P5                             (1)\n"
            "\n3 programs, 3 games\n"
            "\nitoffset = -60.205999\n\n\n"
            "Cluster No. 2:\n\n"
            "P3                             (1)\n"
            "P4                             (1)\n"
            "\n2 programs, 2 games\n"
            "\nitoffset = 0.000000\n\n\n");
        EXPECT_EQ(store.clusterSize[1], 3);
        EXPECT_EQ(store.clusterSize[2], 2);
        EXPECT_DOUBLE_EQ(store.scoreFraction[1], 2.5 / 3);
    }

    TEST(Clusters, NoClusterGivesAnEmptyReport)
    {
        InTempDirectory here;
        ResultStore store = storeOf({ { "A", "B", "*" }, { "C", "C", "1-0" } });
        MemoryConsole console;
        EXPECT_FALSE(analyseClusters(store, console.console));
        EXPECT_EQ(console.output(), "Analysing database structure... 0 cluster(s)\n");
        EXPECT_EQ(readReport("cluster.dat"), "");
    }

    TEST(Clusters, ManyClustersAndLongNames)
    {
        InTempDirectory here;
        std::vector<Game> games;
        for (int c = 0; c < 30; ++c) {
            games.push_back({ "W" + std::to_string(c), "B" + std::to_string(c), "1-0" });
        }
        games.push_back({ std::string(34, 'n'), "W0", "0-1" });
        ResultStore store = storeOf(games);
        MemoryConsole console;
        EXPECT_FALSE(analyseClusters(store, console.console));
        EXPECT_EQ(console.output(), "Analysing database structure... 30 cluster(s)\n");
        const std::string report = readReport("cluster.dat");
        EXPECT_NE(report.find("Cluster No. 30:\n\nW29                            (1)\nB29          "
                              "                  (1)\n"),
            std::string::npos);
        EXPECT_NE(report.find("\n" + std::string(34, 'n') + " (1)\n"), std::string::npos);
        EXPECT_NE(report.find("Cluster No. 1:\n\nW0                             (2)\nB0            "
                              "                 (1)\n"),
            std::string::npos);
    }

} // namespace
} // namespace varnok
