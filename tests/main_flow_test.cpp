// End-to-end tests of the dialogue of a rating run: the built program in a fresh directory,
// answers piped in, console output and exit status compared with texts worked out by hand.
#include "expected_dialogue.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    const std::string ONE_GAME = "[Event \"e\"]\n[White \"A\"]\n[Black \"B\"]\n[Result "
                                 "\"1-0\"]\n[ECO \"C20\"]\n\n1. e4 e5 1-0\n";

    // The run time is whatever the clock said; a short run shows 0 or 1 seconds.
    std::string withoutRunTime(const std::string& output)
    {
        static const std::regex runTime("CPU time = [01] sec\n$");
        return std::regex_replace(output, runTime, "CPU time = T sec\n");
    }

    std::string ratingRunOutput(const std::string& file, long programs, long games)
    {
        return MENU + "\nName of pgn-file = Start Elo = Minimum number of games = \nReading " + file
            + "... " + std::to_string(programs) + " programs, " + std::to_string(games)
            + " games\n";
    }

    TEST(MainFlow, RatingRunPrintsTheWholeDialogue)
    {
        TempDir dir;
        writeFile(dir / "games.pgn", ONE_GAME);
        const RunResult run = runProgram(dir.path(), "1games\n2000\n0\n");
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(withoutRunTime(run.output),
            ratingRunOutput("games.pgn", 2, 1) + "Analysing database structure... 1 cluster(s)\n"
                + "Calculating ELO ratings... 2 iterations\n" + SUMMARY + "CPU time = T sec\n");
    }

    TEST(MainFlow, TournamentAsksNoMinimumNumberOfGames)
    {
        TempDir dir;
        writeFile(dir / "games.pgn", ONE_GAME);
        const RunResult run = runProgram(dir.path(), "2games\n2000\n");
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(withoutRunTime(run.output),
            MENU + "\nName of pgn-file = Start Elo = \nReading games.pgn... 2 programs, 1 games\n"
                + "Analysing database structure... 1 cluster(s)\n"
                + "Calculating ELO ratings... 2 iterations\n" + SUMMARY + "CPU time = T sec\n");
    }

    TEST(MainFlow, FileNamesAsTyped)
    {
        struct Row {
            const char* name;
            std::string onDisk; // the game file present in the directory
            std::string input;
            std::string opened; // the name on the reading line, or empty when it fails
            std::string failed; // the name in the failure message
        };
        const std::vector<Row> rows = {
            { "key and name on one line", "games.pgn", "1games\n0\n0\n", "games.pgn", "" },
            { "Windows line ends", "games.pgn", "1games\r\n0\r\n0\r\n", "games.pgn", "" },
            { "an empty Windows line is passed over", "games.pgn", "1\r\n\r\ngames\r\n0\r\n0\r\n",
                "games.pgn", "" },
            { "an empty line is passed over", "games.pgn", "1\ngames\n0\n0\n", "games.pgn", "" },
            { "several empty lines", "games.pgn", "1\n\n\ngames\n0\n0\n", "games.pgn", "" },
            { "blanks are part of the name", " my games .pgn", "1 my games \n0\n0\n",
                " my games .pgn", "" },
            { "a typed extension is doubled", "games.pgn", "1games.pgn\n0\n0\n", "",
                "games.pgn.pgn" },
            { "a missing file", "games.pgn", "1other\n0\n0\n", "", "other.pgn" },
            { "a long name", std::string(120, 'g') + ".pgn",
                "1" + std::string(120, 'g') + "\n0\n0\n", std::string(120, 'g') + ".pgn", "" },
            { "a directory is no game file", "", "1dir\n0\n0\n", "", "dir.pgn" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir dir;
            if (!row.onDisk.empty()) {
                writeFile(dir / row.onDisk, ONE_GAME);
            }
            std::filesystem::create_directory(dir / "dir.pgn");
            const RunResult run = runProgram(dir.path(), row.input);
            EXPECT_EQ(run.exitStatus, 0);
            if (row.failed.empty()) {
                EXPECT_EQ(run.output.rfind(ratingRunOutput(row.opened, 2, 1), 0), 0u) << run.output;
                EXPECT_TRUE(std::filesystem::exists(dir / "rating.dat"));
            } else {
                EXPECT_EQ(run.output,
                    MENU
                        + "\nName of pgn-file = Start Elo = Minimum number of games = \nFAILURE - "
                          "Unable to open "
                        + row.failed + "\n");
                for (const char* report :
                    { "general.dat", "cluster.dat", "rating.dat", "programs.dat" }) {
                    EXPECT_FALSE(std::filesystem::exists(dir / report)) << report;
                }
            }
        }
    }

    TEST(MainFlow, OtherKeysAtTheMenuAreDroppedSilently)
    {
        TempDir dir;
        writeFile(dir / "games.pgn", ONE_GAME);
        const RunResult run = runProgram(dir.path(), "x0 4\n\nY1games\n0\n0\n");
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.output.rfind(ratingRunOutput("games.pgn", 2, 1), 0), 0u) << run.output;
    }

    TEST(MainFlow, EndOfInputEndsTheRunAtEveryPrompt)
    {
        struct Row {
            const char* name;
            std::string input;
            std::string output;
        };
        const std::vector<Row> rows = {
            { "no input at all", "", MENU },
            { "only other keys at the menu", "abc\n", MENU },
            { "at the file name", "1", MENU + "\nName of pgn-file = " },
            { "at the file name after empty lines", "1\n\n", MENU + "\nName of pgn-file = " },
            { "at the start rating", "1games\n", MENU + "\nName of pgn-file = Start Elo = " },
            { "at the minimum games", "1games\n2000\n",
                MENU + "\nName of pgn-file = Start Elo = Minimum number of games = " },
            { "after a refused number", "2games\nx",
                MENU + "\nName of pgn-file = Start Elo = Start Elo = " },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir dir;
            writeFile(dir / "games.pgn", ONE_GAME);
            const RunResult run = runProgram(dir.path(), row.input, 20);
            EXPECT_FALSE(run.timedOut);
            EXPECT_EQ(run.exitStatus, 0);
            EXPECT_EQ(run.output, row.output);
            EXPECT_FALSE(std::filesystem::exists(dir / "general.dat"));
        }
    }

    TEST(MainFlow, NumbersThatAreNotNumbersAreAskedAgain)
    {
        struct Row {
            const char* name;
            std::string answers; // after the file name
            std::string prompts; // what the prompts print
            std::string shown; // the shown rating of the winner in rating.dat
        };
        const std::string both = "Start Elo = Minimum number of games = ";
        const std::vector<Row> rows = {
            { "plain", "2000\n0\n", both, "2300" },
            { "both on one line", "2000 0\n", both, "2300" },
            { "a word", "abc\n2000\n0\n", "Start Elo = " + both, "2300" },
            { "the rest of the line goes too", "abc 1500\n2000\n0\n", "Start Elo = " + both,
                "2300" },
            { "digits followed by letters", "20x0\n2000\n0\n", "Start Elo = " + both, "2300" },
            { "a lone sign", "-\n+2000\n0\n", "Start Elo = " + both, "2300" },
            { "a decimal point", "2000.5\n2000\n0\n", "Start Elo = " + both, "2300" },
            { "above the 32-bit range", "2147483648\n2000\n0\n", "Start Elo = " + both, "2300" },
            { "far above the range", "99999999999999999999999\n2000\n0\n", "Start Elo = " + both,
                "2300" },
            { "below the range", "-2147483649\n2000\n0\n", "Start Elo = " + both, "2300" },
            { "at the minimum games", "2000\nmany\n-5\n",
                both + "Minimum number of games = ", "2300" },
            { "lowest start rating", "-2147483648\n0\n", both, "-2147483348" },
            { "highest start rating", "2147483647\n0\n", both, "2147483947" },
            { "negative", "-100\n0\n", both, " 200" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir dir;
            writeFile(dir / "games.pgn", ONE_GAME);
            const RunResult run = runProgram(dir.path(), "1games\n" + row.answers);
            EXPECT_EQ(run.exitStatus, 0);
            EXPECT_EQ(
                run.output.rfind(
                    MENU + "\nName of pgn-file = " + row.prompts + "\nReading games.pgn... ", 0),
                0u)
                << run.output;
            const std::string ratings = readReport(dir / "rating.dat");
            EXPECT_NE(ratings.find("  1 A                              : " + row.shown + " "),
                std::string::npos)
                << ratings;
        }
    }

    TEST(MainFlow, EmptyGameFile)
    {
        TempDir dir;
        writeFile(dir / "empty.pgn", "");
        const RunResult run = runProgram(dir.path(), "1empty\n2000\n0\n");
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(withoutRunTime(run.output),
            ratingRunOutput("empty.pgn", 0, 0) + "Analysing database structure... 0 cluster(s)\n"
                + "Calculating ELO ratings... 1 iterations\n" + SUMMARY + "CPU time = T sec\n");
        EXPECT_EQ(readReport(dir / "cluster.dat"), "");
        EXPECT_EQ(readReport(dir / "rating.dat"), "");
        EXPECT_EQ(readReport(dir / "programs.dat"), "Individual statistics:");
    }

    TEST(MainFlow, BadEcoValuesPauseOnTheConsole)
    {
        TempDir dir;
        writeFile(dir / "eco.pgn",
            "[White \"A\"][Black \"B\"][Result \"1-0\"][ECO \"x\"]\n[White \"A\"][Black "
            "\"B\"][Result \"0-1\"][ECO \"\"]\n");
        // The first pause takes the line end left after the last number; the second one the
        // next line.
        const RunResult run = runProgram(dir.path(), "1eco\n2000\n0\n\n");
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(
            run.output.rfind(MENU
                    + "\nName of pgn-file = Start Elo = Minimum number of games = \n"
                      "Reading eco.pgn... Fehler bei ECO-Zuordnung !\nFehler bei ECO-Zuordnung !\n"
                      "2 programs, 2 games\n",
                0),
            0u)
            << run.output;
    }

} // namespace
} // namespace varnok

namespace varnok {
namespace {

    using namespace varnok::testing;

    // The example file shipped with the program: 301 games between 12 programs, two of them
    // unfinished; counted by hand from its tags.
    TEST(ExampleFile, RatingRunWritesItsReports)
    {
        TempDir dir;
        std::filesystem::copy_file(
            std::string(VARNOK_EXAMPLES) + "/example.pgn", dir / "example.pgn");
        const RunResult run = runProgram(dir.path(), "1example\n2000\n45\n");
        EXPECT_EQ(run.exitStatus, 0);
        const std::regex console("\nReading example\\.pgn\\.\\.\\. 12 programs, 299 games\n"
                                 "Analysing database structure\\.\\.\\. 1 cluster\\(s\\)\n"
                                 "Calculating ELO ratings\\.\\.\\. [0-9]+ iterations\n"
                                 "\nGeneral statistics in 'general\\.dat'\n");
        EXPECT_TRUE(std::regex_search(run.output, console)) << run.output;

        // 118 + 100 + 81 finished; White scores 118 + 40.5 = 158.5 of 299 = 53.01 %.
        EXPECT_EQ(readReport(dir / "general.dat"),
            "\nGames        :    299 (finished)\n"
            "\nWhite Wins   :    118 (39.5 %)\n"
            "Black Wins   :    100 (33.4 %)\n"
            "Draws        :     81 (27.1 %)\n"
            "Unfinished   :      2\n"
            "\nWhite Perf.  : 53.0 %\n"
            "Black Perf.  : 47.0 %\n"
            "\nECO A =     34 Games (11.4 %)\n"
            "ECO B =     77 Games (25.8 %)\n"
            "ECO C =     80 Games (26.8 %)\n"
            "ECO D =     49 Games (16.4 %)\n"
            "ECO E =     59 Games (19.7 %)\n");

        // Every program met every other but Jolt 2026 and Fathom 1.0 dev, which never met.
        EXPECT_EQ(readReport(dir / "cluster.dat"),
            "Cluster No. 1:\n\n"
            "Arcturus 3.1                   (11)\n"
            "Gyre 5.5                       (11)\n"
            "Ibis 0.4                       (11)\n"
            "Bramble 0.9                    (11)\n"
            "Cobalt 14                      (11)\n"
            "Halyard 11                     (11)\n"
            "Dunlin 2.2                     (11)\n"
            "Ember 7                        (11)\n"
            "Lumen 1.3                      (11)\n"
            "Jolt 2026                      (10)\n"
            "Kestrel 6                      (11)\n"
            "Fathom 1.0 dev                 (10)\n"
            "\n12 programs, 299 games\n"
            "\nitoffset = -0.389902\n\n\n");

        // At least 45 games: every program but Arcturus 3.1, which played 44.
        const std::string ratings = readReport(dir / "rating.dat");
        EXPECT_EQ(ratings.find("Arcturus 3.1"), std::string::npos);
        const std::string programs = readReport(dir / "programs.dat");
        EXPECT_EQ(programs.find("\n\n(1) "), programs.rfind("\n\n(1) "));
    }

    TEST(ExampleFile, BothModesListEveryProgramOnce)
    {
        for (const std::string& answers :
            { std::string("1example\n2000\n0\n"), std::string("2example\n2000\n") }) {
            SCOPED_TRACE(answers);
            TempDir dir;
            std::filesystem::copy_file(
                std::string(VARNOK_EXAMPLES) + "/example.pgn", dir / "example.pgn");
            const RunResult run = runProgram(dir.path(), answers);
            EXPECT_EQ(run.exitStatus, 0);
            const std::string ratings = readReport(dir / "rating.dat");
            const std::string programs = readReport(dir / "programs.dat");
            for (int rank = 1; rank <= 12; ++rank) {
                const std::string number = std::to_string(rank);
                EXPECT_NE(ratings.find("\n" + std::string(3 - number.size(), ' ') + number + " "),
                    std::string::npos)
                    << rank;
                EXPECT_NE(programs.find("\n\n(" + number + ") "), std::string::npos) << rank;
            }
            EXPECT_EQ(ratings.find(" 13 "), std::string::npos);
            // Every entry: two line breaks before and after its first line, then one line for each
            // opponent its program met: 11 for most, 10 for two.
            EXPECT_EQ(
                std::count(programs.begin(), programs.end(), '\n'), 12 * 4 + 10 * 2 + 11 * 10);
        }
    }

} // namespace
} // namespace varnok
