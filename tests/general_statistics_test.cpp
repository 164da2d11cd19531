#include "analysis/general_statistics.h"

#include "store_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace varnok {
namespace {

    using namespace varnok::testing;

    std::string generalReportOf(const std::string& pgn)
    {
        InTempDirectory here;
        MemoryConsole console;
        ResultStore store;
        resetStore(store);
        readPgnText(store, pgn, console.console);
        EXPECT_FALSE(writeGeneralStatistics(store));
        return readReport("general.dat");
    }

    TEST(GeneralStatistics, WhiteWonEverything)
    {
        const std::string pgn = "[White \"A\"][Black \"B\"][Result \"1-0\"][ECO \"A00\"]\n"
                                "[White \"B\"][Black \"A\"][Result \"1-0\"][ECO \"B12\"]\n"
                                "[White \"A\"][Black \"C\"][Result \"1-0\"][ECO \"B99\"]\n"
                                "[White \"C\"][Black \"A\"][Result \"*\"][ECO \"E00\"]\n";
        EXPECT_EQ(generalReportOf(pgn),
            "\nGames        :      3 (finished)\n"
            "\nWhite Wins   :      3 (100.0 %)\n"
            "Black Wins   :      0 ( 0.0 %)\n"
            "Draws        :      0 ( 0.0 %)\n"
            "Unfinished   :      1\n"
            "\nWhite Perf.  : 100.0 %\n"
            "Black Perf.  : 0.0 %\n"
            "\nECO A =      1 Games (33.3 %)\n"
            "ECO B =      2 Games (66.7 %)\n"
            "ECO C =      0 Games ( 0.0 %)\n"
            "ECO D =      0 Games ( 0.0 %)\n"
            "ECO E =      0 Games ( 0.0 %)\n");
    }

    TEST(GeneralStatistics, MixedResultsAndSelfGames)
    {
        // 8 finished: 3 white wins (one of them a program against itself), 1 black win, 4 draws.
        // White scores 3 + 2 = 5 of 8 = 62.5 %, Black 1 + 2 = 3 of 8 = 37.5 %.
        const std::string pgn = "[White \"A\"][Black \"A\"][Result \"1-0\"][ECO \"C1\"]\n"
                                "[White \"A\"][Black \"B\"][Result \"1-0\"][ECO \"C2\"]\n"
                                "[White \"B\"][Black \"A\"][Result \"1-0\"][ECO \"D\"]\n"
                                "[White \"B\"][Black \"C\"][Result \"0-1\"]\n"
                                "[White \"C\"][Black \"A\"][Result \"1/2-1/2\"]\n"
                                "[White \"C\"][Black \"B\"][Result \"1/2-1/2\"]\n"
                                "[White \"A\"][Black \"C\"][Result \"1/2-1/2\"]\n"
                                "[White \"B\"][Black \"C\"][Result \"1/2-1/2\"]\n";
        EXPECT_EQ(generalReportOf(pgn),
            "\nGames        :      8 (finished)\n"
            "\nWhite Wins   :      3 (37.5 %)\n"
            "Black Wins   :      1 (12.5 %)\n"
            "Draws        :      4 (50.0 %)\n"
            "Unfinished   :      0\n"
            "\nWhite Perf.  : 62.5 %\n"
            "Black Perf.  : 37.5 %\n"
            "\nECO A =      0 Games ( 0.0 %)\n"
            "ECO B =      0 Games ( 0.0 %)\n"
            "ECO C =      2 Games (25.0 %)\n"
            "ECO D =      1 Games (12.5 %)\n"
            "ECO E =      0 Games ( 0.0 %)\n");
    }

    TEST(GeneralStatistics, NoFinishedGamesShowsZeroShares)
    {
        EXPECT_EQ(generalReportOf("[White \"A\"][Black \"B\"][Result \"*\"][ECO \"A00\"]\n"),
            "\nGames        :      0 (finished)\n"
            "\nWhite Wins   :      0 ( 0.0 %)\n"
            "Black Wins   :      0 ( 0.0 %)\n"
            "Draws        :      0 ( 0.0 %)\n"
            "Unfinished   :      1\n"
            "\nWhite Perf.  : 0.0 %\n"
            "Black Perf.  : 0.0 %\n"
            "\nECO A =      0 Games ( 0.0 %)\n"
            "ECO B =      0 Games ( 0.0 %)\n"
            "ECO C =      0 Games ( 0.0 %)\n"
            "ECO D =      0 Games ( 0.0 %)\n"
            "ECO E =      0 Games ( 0.0 %)\n");
    }

    TEST(GeneralStatistics, WideCountsArePrintedInFull)
    {
        InTempDirectory here;
        ResultStore store;
        resetStore(store);
        DatabaseCounters& c = store.counters;
        c.finishedGames = 12345678;
        c.whiteWinCount = 12345678;
        c.unfinishedCount = 1000000;
        c.ecoCount[4] = 1234567;
        EXPECT_FALSE(writeGeneralStatistics(store));
        const std::string report = readReport("general.dat");
        EXPECT_NE(report.find("\nGames        : 12345678 (finished)\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find("\nWhite Wins   : 12345678 (100.0 %)\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find("\nUnfinished   : 1000000\n"), std::string::npos) << report;
        EXPECT_NE(report.find("\nECO E = 1234567 Games (10.0 %)\n"), std::string::npos) << report;
    }

    // Counts past 32 bits, where a long holds them (not on Windows, whose long has 32 bits:
    // there the limit is 2147483647 games in a file).
    TEST(GeneralStatistics, CountsPastThirtyTwoBits)
    {
        if (sizeof(long) < sizeof(GameCount)) {
            GTEST_SKIP() << "counts are printed as long, which has 32 bits here";
        }
        InTempDirectory here;
        ResultStore store;
        resetStore(store);
        DatabaseCounters& c = store.counters;
        c.finishedGames = 5000000000;
        c.whiteWinCount = 4294967296;
        c.blackWinCount = 705032704;
        c.unfinishedCount = 2147483648;
        c.ecoCount[0] = 5000000000;
        EXPECT_FALSE(writeGeneralStatistics(store));
        const std::string report = readReport("general.dat");
        EXPECT_NE(report.find("\nGames        : 5000000000 (finished)\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find("\nWhite Wins   : 4294967296 (85.9 %)\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find("\nBlack Wins   : 705032704 (14.1 %)\n"), std::string::npos)
            << report;
        EXPECT_NE(report.find("\nUnfinished   : 2147483648\n"), std::string::npos) << report;
        EXPECT_NE(report.find("\nECO A = 5000000000 Games (100.0 %)\n"), std::string::npos)
            << report;
    }

    TEST(GeneralStatistics, TotalsCountGamesBetweenTwoProgramsOnly)
    {
        ResultStore store = storeOf({ { "A", "B", "1-0" }, { "B", "A", "1-0" },
            { "A", "B", "1/2-1/2" }, { "A", "A", "1-0" }, { "C", "A", "*" },
            { "Self", "Self", "0-1" }, { "B", "D", "0-1" } });
        struct Totals {
            GameCount games, wins, losses, draws;
        };
        const Totals expected[] = {
            { 3, 1, 1, 1 }, // A: beat B, lost to B, drew B; the self-game does not count
            { 4, 1, 2, 1 }, // B
            { 0, 0, 0, 0 }, // C: unfinished only
            { 0, 0, 0, 0 }, // Self: against itself only
            { 1, 1, 0, 0 }, // D
        };
        ASSERT_EQ(programCount(store), 5);
        for (std::size_t i = 1; i <= 5; ++i) {
            SCOPED_TRACE(store.names[i]);
            EXPECT_EQ(store.games[i], expected[i - 1].games);
            EXPECT_EQ(store.wins[i], expected[i - 1].wins);
            EXPECT_EQ(store.losses[i], expected[i - 1].losses);
            EXPECT_EQ(store.draws[i], expected[i - 1].draws);
        }
    }

} // namespace
} // namespace varnok
