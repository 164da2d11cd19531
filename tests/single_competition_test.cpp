// End-to-end tests of the calculator: the program's third mode, driven through a pipe, every
// number worked out by hand from the record of results.
#include "expected_dialogue.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    const std::string& PROMPTS = CALCULATOR_PROMPTS;
    const std::string NO_GAMES = "\nA result needs at least one game and no negative counts.\n";

    // 6 wins, 2 draws, 2 losses against 2500: p = 0.7, delta +147.19, deviations 0.1 above and
    // 0.171594 below.
    const std::string SIX_TWO_TWO = "\nResult     : 7.0/10 (+6,=2,-2)\n"
                                    "Perf.      : 70.0 %\n"
                                    "Margins    :\n"
                                    " 68 %      : (+ 10.0,- 17.2 %) -> [ 52.8, 80.0 %]\n"
                                    " 95 %      : (+ 20.0,- 34.3 %) -> [ 35.7, 90.0 %]\n"
                                    " 99.7 %    : (+ 30.0,- 51.5 %) -> [ 18.5,100.0 %]\n"
                                    "\nElo        : 2647\n"
                                    "Margins    :\n"
                                    " 68 %      : (+ 94,-127) -> [2520,2741]\n"
                                    " 95 %      : (+235,-250) -> [2398,2882]\n"
                                    " 99.7 %    : (+453,-405) -> [2243,3100]\n";

    // A record of one kind of result has no spread: every interval collapses.
    std::string collapsed(const std::string& result, const std::string& percent,
        const std::string& score, const std::string& elo)
    {
        const std::string percentLine = "(+  0.0,-  0.0 %) -> [" + score + "," + score + " %]\n";
        const std::string ratingLine = "(+  0,-  0) -> [" + elo + "," + elo + "]\n";
        return "\nResult     : " + result + "\nPerf.      : " + percent
            + " %\nMargins    :\n 68 %      : " + percentLine + " 95 %      : " + percentLine
            + " 99.7 %    : " + percentLine + "\nElo        : " + elo
            + "\nMargins    :\n 68 %      : " + ratingLine + " 95 %      : " + ratingLine
            + " 99.7 %    : " + ratingLine;
    }

    struct Row {
        const char* name;
        std::string input; // after the menu key
        std::string output; // after the menu
    };

    TEST(SingleCompetition, Calculations)
    {
        const std::vector<Row> rows = {
            { "6-2-2 at 2500", "6\n2\n2\n2500\nn", PROMPTS + SIX_TWO_TWO + QUESTION },
            { "Windows line ends", "\r\n6\r\n2\r\n2\r\n2500\r\nn",
                PROMPTS + SIX_TWO_TWO + QUESTION },
            { "all wins", "10\n0\n0\n2400\nn",
                PROMPTS + collapsed("10.0/10 (+10,=0,-0)", "100.0", "100.0", "3000") + QUESTION },
            { "all losses", "0\n0\n10\n2400\nn",
                PROMPTS + collapsed("0.0/10 (+0,=0,-10)", "0.0", "  0.0", "1800") + QUESTION },
            { "all draws", "0 4 0 2400 n",
                PROMPTS + collapsed("2.0/4 (+0,=4,-0)", "50.0", " 50.0", "2400") + QUESTION },
            { "one win, one loss", "1\n0\n1\n2400\nn", PROMPTS + ONE_AND_ONE + QUESTION },
            { "a fractional rating", "1\n0\n1\n2400.4\nn", PROMPTS + ONE_AND_ONE + QUESTION },
            { "y starts a fresh calculation", "1\n0\n1\n2400\ny6\n2\n2\n2500\nn",
                PROMPTS + ONE_AND_ONE + QUESTION + PROMPTS + SIX_TWO_TWO + QUESTION },
            { "other keys at the question change nothing",
                "1\n0\n1\n2400\nYN\n\tx y10\n0\n0\n2400\nqn",
                PROMPTS + ONE_AND_ONE + QUESTION + PROMPTS
                    + collapsed("10.0/10 (+10,=0,-0)", "100.0", "100.0", "3000") + QUESTION },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir dir;
            const RunResult run = runProgram(dir.path(), "3" + row.input, 20);
            EXPECT_EQ(run.exitStatus, 0);
            EXPECT_EQ(run.output, MENU + row.output);
            EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the calculator writes no file";
        }
    }

    TEST(SingleCompetition, InvalidInput)
    {
        const std::vector<Row> rows = {
            { "zero games", "0\n0\n0\n2400\nn", PROMPTS + NO_GAMES + QUESTION },
            { "a negative count", "5\n-1\n3\n2400\nn", PROMPTS + NO_GAMES + QUESTION },
            { "negative counts adding up to a positive number", "-1\n0\n3\n2400\nn",
                PROMPTS + NO_GAMES + QUESTION },
            { "and then a valid calculation", "0\n0\n0\n2400\ny1\n0\n1\n2400\nn",
                PROMPTS + NO_GAMES + QUESTION + PROMPTS + ONE_AND_ONE + QUESTION },
            { "not a number at Wins", "one\n1\n0\n1\n2400\nn",
                "\n\nWins   = Wins   = Draws  = Losses = Av.Op. Elo = " + ONE_AND_ONE + QUESTION },
            { "not a number at Draws, rest of the line dropped", "1\nnone 5\n0\n1\n2400\nn",
                "\n\nWins   = Draws  = Draws  = Losses = Av.Op. Elo = " + ONE_AND_ONE + QUESTION },
            { "out of range at Losses", "1\n0\n2147483648\n1\n2400\nn",
                "\n\nWins   = Draws  = Losses = Losses = Av.Op. Elo = " + ONE_AND_ONE + QUESTION },
            { "not a number at the rating", "1\n0\n1\nElo\n2400\nn",
                "\n\nWins   = Draws  = Losses = Av.Op. Elo = Av.Op. Elo = " + ONE_AND_ONE
                    + QUESTION },
            { "an infinite rating", "1\n0\n1\n1e999\ninf\n2400\nn",
                "\n\nWins   = Draws  = Losses = Av.Op. Elo = Av.Op. Elo = Av.Op. Elo = "
                    + ONE_AND_ONE + QUESTION },
            { "a hexadecimal rating", "1\n0\n1\n0x10\n24e2\nn",
                "\n\nWins   = Draws  = Losses = Av.Op. Elo = Av.Op. Elo = " + ONE_AND_ONE
                    + QUESTION },
            { "a total above the 32-bit range", "2147483647\n1\n0\n2400\nn",
                PROMPTS + "\nA result can have at most 2147483647 games.\n" + QUESTION },
            { "a Ctrl-Z byte is no end of input", "\x1a\n1\n0\n1\n2400\nn",
                "\n\nWins   = Wins   = Draws  = Losses = Av.Op. Elo = " + ONE_AND_ONE + QUESTION },
            { "end of input at Wins", "", "\n\nWins   = " },
            { "end of input at Draws", "1\n", "\n\nWins   = Draws  = " },
            { "end of input at Losses", "1\n0\n", "\n\nWins   = Draws  = Losses = " },
            { "end of input at the rating", "1\n0\n1\n", PROMPTS },
            { "end of input at the question", "1\n0\n1\n2400\n", PROMPTS + ONE_AND_ONE + QUESTION },
            { "end of input after other keys and y", "1\n0\n1\n2400\nxy",
                PROMPTS + ONE_AND_ONE + QUESTION + "\n\nWins   = " },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            TempDir dir;
            const RunResult run = runProgram(dir.path(), "3" + row.input, 20);
            EXPECT_FALSE(run.timedOut);
            EXPECT_EQ(run.exitStatus, 0);
            EXPECT_EQ(run.output, MENU + row.output);
        }
    }

    // At a terminal the menu key and the y/n answer are single key presses, taken without
    // Enter and not shown; the numbers are lines, typed, shown and edited as usual.
    TEST(SingleCompetition, KeysAtATerminal)
    {
        TempDir dir;
        const std::vector<TerminalStep> steps = {
            { "", "(3) Single competition\n" },
            { "3", "Wins   = ", true },
            { "1\r", "Draws  = " },
            { "0\r", "Losses = " },
            { "1\r", "Av.Op. Elo = " },
            { "2400\r", QUESTION },
            { "y", "Wins   = ", true },
            { "6\r", "Draws  = " },
            { "2\r", "Losses = " },
            { "2\r", "Av.Op. Elo = " },
            { "2500\r", QUESTION },
            { "n", "", true },
        };
        const TerminalRun run = runAtTerminal(dir.path(), "exec " + programCommand(), steps);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.screen,
            MENU + "\n\nWins   = 1\nDraws  = 0\nLosses = 1\nAv.Op. Elo = 2400\n" + ONE_AND_ONE
                + QUESTION + "\n\nWins   = 6\nDraws  = 2\nLosses = 2\nAv.Op. Elo = 2500\n"
                + SIX_TWO_TWO + QUESTION);
    }

    TEST(SingleCompetition, ColonOfEveryResultLineInColumnTwelve)
    {
        TempDir dir;
        const RunResult run = runProgram(dir.path(), "3123\n45\n67\n2456.5\nn", 20);
        std::istringstream lines(run.output.substr(run.output.find("\nResult")));
        std::string text;
        int checked = 0;
        while (std::getline(lines, text)) {
            if (text.empty() || text.rfind("New calculation", 0) == 0) {
                continue;
            }
            SCOPED_TRACE(text);
            EXPECT_EQ(text.find(':'), 11u);
            ++checked;
        }
        EXPECT_EQ(checked, 11);
    }

} // namespace
} // namespace varnok
