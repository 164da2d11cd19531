// The rating list in both layouts and the tournament check: whole runs of the program on small
// databases whose ratings can be worked out by hand, and a few layout details on a store set up
// directly.
#include "reports/rating_list.h"

#include "analysis/clusters.h"
#include "analysis/rating_iteration.h"
#include "store_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

#if VARNOK_RUNS_PROGRAM
    const std::string RATING_HEADER = "\n\n    Program                          Elo    +   -   "
                                      "Games   Score   Av.Op.  Draws\n\n";
    const std::string TOURNAMENT_HEADER = "\n\n    Program                            Score     %  "
                                          "  Av.Op.  Elo    +   -    Draws\n\n";
    const std::string TOURNAMENT_WARNING
        = "Different number of games - No valid tournament database.\n";

    std::string padded(const std::string& name, std::size_t width)
    {
        return name.size() >= width ? name : name + std::string(width - name.size(), ' ');
    }

    // A rating-list line: rank, name and the rest of the line after " : ".
    std::string line(int rank, const std::string& name, const std::string& rest)
    {
        const std::string number = std::to_string(rank);
        return std::string(3 - number.size(), ' ') + number + " " + padded(name, 30) + " : " + rest
            + "\n";
    }

    // The games of a database: "A beat B" in one cluster; "C scored 1.5 of 2 against D" in a
    // second one.
    const std::vector<Game> TWO_CLUSTERS
        = { { "A", "B", "1-0" }, { "C", "D", "1-0" }, { "D", "C", "1/2-1/2" } };

    struct ReportRun {
        std::string console;
        std::string ratings;
        std::string programs;
        int status;
    };

    ReportRun runOn(const std::vector<Game>& games, const std::string& answers)
    {
        TempDir dir;
        writeFile(dir / "games.pgn", pgnOf(games));
        const RunResult run = runProgram(dir.path(), answers);
        return ReportRun { run.output, readReport(dir / "rating.dat"),
            readReport(dir / "programs.dat"), run.exitStatus };
    }

    // Worked out by hand, start rating 2000. A and B: +-600 around 2400, after damping 2700 and
    // 2100 internal, so 2300 and 1700. C and D: score 0.75 and 0.25, deltas +-190.8485, offset
    // 0; pass 1 gives 2400 + (190.8485 / 2) = 2495.4243 and 2304.5757, pass 2 the same again:
    // shown 2095 and 1905. Margins of C (one win, one draw): both deviations 0.25, so
    // +(600 - 190.8485) = 409 and -(190.8485 - -190.8485) = 382; D mirrored.
    TEST(RatingList, TwoClustersRankFromOneInBothReports)
    {
        const ReportRun run = runOn(TWO_CLUSTERS, "1games\n2000\n0\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.ratings,
            RATING_HEADER + line(1, "A", "2300    0   0     1   100.0 %   1700    0.0 %")
                + line(2, "B", "1700    0   0     1     0.0 %   2300    0.0 %") + RATING_HEADER
                + line(1, "C", "2095  409 382     2    75.0 %   1905   50.0 %")
                + line(2, "D", "1905  382 409     2    25.0 %   2095   50.0 %"));
        EXPECT_EQ(run.programs,
            "Individual statistics:"
            "\n\n(1) "
                + padded("A", 26) + ":   1 (+  1,=  0,-  0), 100.0 %\n\n" + padded("B", 30)
                + ":   1 (+  1,=  0,-  0), 100.0 %\n" + "\n\n(2) " + padded("B", 26)
                + ":   1 (+  0,=  0,-  1),  0.0 %\n\n" + padded("A", 30)
                + ":   1 (+  0,=  0,-  1),  0.0 %\n" + "\n\n(1) " + padded("C", 26)
                + ":   2 (+  1,=  1,-  0), 75.0 %\n\n" + padded("D", 30)
                + ":   2 (+  1,=  1,-  0), 75.0 %\n" + "\n\n(2) " + padded("D", 26)
                + ":   2 (+  0,=  1,-  1), 25.0 %\n\n" + padded("C", 30)
                + ":   2 (+  0,=  1,-  1), 25.0 %\n");
        EXPECT_EQ(run.console.find(TOURNAMENT_WARNING), std::string::npos);
    }

    TEST(RatingList, TournamentLayoutAndItsCheck)
    {
        const ReportRun run = runOn(TWO_CLUSTERS, "2games\n2000\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.ratings,
            TOURNAMENT_HEADER + line(1, "A", "  1.0/  1  100.0   1700   2300    0   0    0.0 %")
                + line(2, "B", "  0.0/  1   0.0   2300   1700    0   0    0.0 %")
                + TOURNAMENT_HEADER
                + line(1, "C", "  1.5/  2  75.0   1905   2095  409 382   50.0 %")
                + line(2, "D", "  0.5/  2  25.0   2095   1905  382 409   50.0 %"));
        // A and B played one game, C and D two: the warning, once, after the iteration line.
        EXPECT_NE(run.console.find("2 iterations\n" + TOURNAMENT_WARNING
                      + "\nGeneral statistics in 'general.dat'\n"),
            std::string::npos)
            << run.console;
        EXPECT_EQ(run.console.find(TOURNAMENT_WARNING), run.console.rfind(TOURNAMENT_WARNING));
    }

    TEST(RatingList, TournamentCheck)
    {
        struct Row {
            const char* name;
            std::vector<Game> games;
            bool warned;
        };
        const std::vector<Row> rows = {
            { "round robin, everybody two games",
                { { "A", "B", "1-0" }, { "B", "C", "0-1" }, { "C", "A", "1/2-1/2" } }, false },
            { "the first program differs from all others",
                { { "A", "B", "1-0" }, { "A", "C", "1-0" }, { "A", "D", "1-0" },
                    { "B", "C", "1-0" }, { "C", "D", "1-0" }, { "D", "B", "1-0" },
                    { "A", "B", "1-0" }, { "A", "C", "1-0" }, { "A", "D", "1-0" } },
                true },
            { "a program with unfinished games only",
                { { "A", "B", "1-0" }, { "B", "A", "1-0" }, { "A", "Idle", "*" } }, true },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const ReportRun run = runOn(row.games, "2games\n1500\n");
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.console.find(TOURNAMENT_WARNING) != std::string::npos, row.warned)
                << run.console;
            EXPECT_EQ(run.console.find(TOURNAMENT_WARNING), run.console.rfind(TOURNAMENT_WARNING));
        }
    }

    // E beat F twice and G once. Internal ratings 2700 for E, 2100 for F and G after two passes.
    const std::vector<Game> THREE_WITH_FEW_GAMES
        = { { "E", "F", "1-0" }, { "F", "E", "0-1" }, { "G", "E", "0-1" } };

    TEST(RatingList, MinimumGamesLeavesOutProgramsButNotTheirGames)
    {
        const ReportRun run = runOn(THREE_WITH_FEW_GAMES, "1games\n2000\n2\n");
        EXPECT_EQ(run.ratings,
            RATING_HEADER + line(1, "E", "2300    0   0     3   100.0 %   1700    0.0 %")
                + line(2, "F", "1700    0   0     2     0.0 %   2300    0.0 %"));
        EXPECT_EQ(run.programs,
            "Individual statistics:\n\n(1) " + padded("E", 26)
                + ":   3 (+  3,=  0,-  0), 100.0 %\n\n" + padded("F", 30)
                + ":   2 (+  2,=  0,-  0), 100.0 %\n" + padded("G", 30)
                + ":   1 (+  1,=  0,-  0), 100.0 %\n" + "\n\n(2) " + padded("F", 26)
                + ":   2 (+  0,=  0,-  2),  0.0 %\n\n" + padded("E", 30)
                + ":   2 (+  0,=  0,-  2),  0.0 %\n");
    }

    TEST(RatingList, MinimumGamesThresholds)
    {
        struct Row {
            const char* name;
            std::string minimum;
            int listed;
        };
        const Row rows[] = {
            { "above every count", "4", 0 },
            { "reached by one", "3", 1 },
            { "one", "1", 3 },
            { "zero", "0", 3 },
            { "negative", "-7", 3 },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const ReportRun run
                = runOn(THREE_WITH_FEW_GAMES, "1games\n2000\n" + row.minimum + "\n");
            // The header stands for every cluster, also one without a listed program.
            EXPECT_EQ(run.ratings.rfind(RATING_HEADER, 0), 0u);
            const std::size_t lines = static_cast<std::size_t>(
                std::count(run.ratings.begin(), run.ratings.end(), '\n'));
            EXPECT_EQ(lines, 4u + static_cast<std::size_t>(row.listed));
            if (row.listed == 0) {
                EXPECT_EQ(run.ratings, RATING_HEADER);
                EXPECT_EQ(run.programs, "Individual statistics:");
            }
        }
    }

    TEST(RatingList, TiesGoToTheProgramNamedFirst)
    {
        // Zed (index 2) and Abe (index 3) both beat Mid once: the same rating and the same score.
        const std::vector<Game> games
            = { { "Mid", "Zed", "0-1" }, { "Abe", "Mid", "1-0" }, { "Low", "Mid", "0-1" } };
        const ReportRun ratingRun = runOn(games, "1games\n2000\n0\n");
        const ReportRun tournamentRun = runOn(games, "2games\n2000\n");
        for (const std::string& report : { ratingRun.ratings, tournamentRun.ratings }) {
            const std::size_t zed = report.find("  1 Zed ");
            const std::size_t abe = report.find("  2 Abe ");
            EXPECT_NE(zed, std::string::npos) << report;
            EXPECT_NE(abe, std::string::npos) << report;
        }
        // Low lost its only game; in tournament order it comes last, with 0.0 points.
        EXPECT_NE(tournamentRun.ratings.find("  4 " + padded("Low", 30) + " :   0.0/  1   0.0   "),
            std::string::npos)
            << tournamentRun.ratings;
    }

    TEST(RatingList, ProgramsWithoutPointsComeLastInIndexOrder)
    {
        const std::vector<Game> games = { { "Loser2", "Top", "0-1" }, { "Loser1", "Top", "0-1" },
            { "Top", "Mid", "1/2-1/2" }, { "Loser3", "Mid", "0-1" } };
        const ReportRun run = runOn(games, "2games\n2000\n");
        const std::size_t l2 = run.ratings.find("  3 Loser2 ");
        const std::size_t l1 = run.ratings.find("  4 Loser1 ");
        const std::size_t l3 = run.ratings.find("  5 Loser3 ");
        EXPECT_NE(l2, std::string::npos) << run.ratings;
        EXPECT_LT(l2, l1);
        EXPECT_LT(l1, l3);
    }

    TEST(RatingList, PairRecordWithAllThreeResults)
    {
        const std::vector<Game> games = { { "A", "B", "1-0" }, { "B", "A", "0-1" },
            { "A", "B", "1/2-1/2" }, { "B", "A", "1-0" } };
        const ReportRun run = runOn(games, "1games\n2000\n0\n");
        EXPECT_NE(
            run.programs.find("\n\n(1) " + padded("A", 26) + ":   4 (+  2,=  1,-  1), 62.5 %\n\n"
                + padded("B", 30) + ":   4 (+  2,=  1,-  1), 62.5 %\n"),
            std::string::npos)
            << run.programs;
    }

#endif

    // Layout details on a store whose ratings and margins are set directly.
    class RatingListLayout : public ::testing::Test {
    protected:
        void SetUp() override
        {
            store = storeOf({ { LONG_NAME, "B", "1-0" }, { "B", LONG_NAME, "1/2-1/2" } });
            store.startElo = 2000;
            MemoryConsole console;
            EXPECT_FALSE(analyseClusters(store, console.console));
            computeRatings(store, console.console);
        }

        std::string ratingsWritten()
        {
            EXPECT_FALSE(writeRatingList(store));
            return readReport("rating.dat");
        }

        inline static const std::string LONG_NAME = "A program name of 35 characters ok";
        InTempDirectory here;
        ResultStore store;
    };

    TEST_F(RatingListLayout, MarginsPrintAsTheirRoundedSize)
    {
        store.ratingPlus[1] = 28.4;
        store.ratingMinus[1] = -31.6;
        const std::string ratings = ratingsWritten();
        EXPECT_NE(ratings.find(LONG_NAME + " : "), std::string::npos) << ratings;
        const std::regex margins(LONG_NAME + " : [ 0-9]{4}   28  32     2    75\\.0 %");
        EXPECT_TRUE(std::regex_search(ratings, margins)) << ratings;
    }

    TEST_F(RatingListLayout, ALongNameWidensItsLine)
    {
        ASSERT_EQ(LONG_NAME.size(), 34u);
        store.names[1] += "!";
        const std::string ratings = ratingsWritten();
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end = ratings.find('\n'); end != std::string::npos;
             end = ratings.find('\n', start)) {
            lines.push_back(ratings.substr(start, end - start));
            start = end + 1;
        }
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[4].size(), lines[5].size() + 5) << ratings;
        EXPECT_EQ(lines[4].find(" : "), 4u + 35u);
        EXPECT_EQ(lines[5].find(" : "), 4u + 30u);
    }

} // namespace
} // namespace varnok
