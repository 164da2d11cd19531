// Bad input of every kind, end to end: the built program in a fresh directory, one row per
// kind of trouble, each checked for its console text, its exit status and for reports that
// are either absent or complete (never truncated, never a temporary file left behind).
#include "expected_dialogue.h"
#include "report_completeness.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;
    namespace fs = std::filesystem;

    const std::string RATING_PROMPTS
        = "\nName of pgn-file = Start Elo = Minimum number of games = ";
    const std::string TOURNAMENT_PROMPTS = "\nName of pgn-file = Start Elo = ";
    // "{N}" in an expected console text stands for any whole number: the run time, or a number
    // of iterations that is not the point of the row.
    const std::string DONE = SUMMARY + "CPU time = {N} sec\n";

    const std::vector<std::string> ALL_REPORTS
        = { "cluster.dat", "general.dat", "programs.dat", "rating.dat" };
    const std::vector<std::string> NO_REPORTS = {};

    const std::string ANSWERS = "1games\n2000\n0\n";
    // A beats B: A plays at +600 and B at -600 around a cluster offset of 0.
    const std::string ONE_GAME = "[Event \"e\"]\n[White \"A\"]\n[Black \"B\"]\n[Result "
                                 "\"1-0\"]\n[ECO \"C20\"]\n\n1. e4 e5 1-0\n\n";

    std::string reading(const std::string& counts)
    {
        return "\nReading games.pgn... " + counts + "\n";
    }

    std::string stages(int clusters, const std::string& iterations)
    {
        return "Analysing database structure... " + std::to_string(clusters)
            + " cluster(s)\nCalculating ELO ratings... " + iterations + " iterations\n";
    }

    std::string stages(int clusters, int iterations)
    {
        return stages(clusters, std::to_string(iterations));
    }

    std::string padded(const std::string& name, std::size_t width)
    {
        return name + std::string(width > name.size() ? width - name.size() : 0, ' ');
    }

    // A ring of programs P1 -> P2 -> ... -> Pn -> P1, each beating the next as White: every
    // program has one win and one loss, so every rating stays where it started.
    std::string ringOf(int programs)
    {
        std::string pgn;
        for (int i = 1; i <= programs; ++i) {
            pgn += "[White \"P" + std::to_string(i) + "\"]\n[Black \"P"
                + std::to_string(i % programs + 1) + "\"]\n[Result \"1-0\"]\n\n1. d4 d5 1-0\n\n";
        }
        return pgn;
    }

    using Setup = std::function<void(const fs::path& dir)>;

    Setup gameFile(const std::string& content)
    {
        return [content](const fs::path& dir) { writeFile(dir / "games.pgn", content); };
    }

    struct Row {
        enum class As { Anyone, Unprivileged };

        Row(const char* rowName, Setup rowSetup, std::string rowAnswers, int rowStatus,
            std::string rowConsole, std::vector<std::string> rowReports)
            : name(rowName)
            , setup(std::move(rowSetup))
            , answers(std::move(rowAnswers))
            , status(rowStatus)
            , console(std::move(rowConsole))
            , reports(std::move(rowReports))
        {
        }
        // The report holds this text.
        Row& holding(const std::string& report, const std::string& text)
        {
            holds.emplace_back(report, text);
            return *this;
        }
        // The report is exactly this text.
        Row& withContent(const std::string& report, const std::string& text)
        {
            contents.emplace_back(report, text);
            return *this;
        }
        // A report of an earlier run that the setup left and this run must not touch.
        Row& keeping(const std::string& report)
        {
            kept.push_back(report);
            return *this;
        }
        Row& asUnprivileged()
        {
            as = As::Unprivileged;
            return *this;
        }
        Row& inShell(const std::string& commands)
        {
            shellSetup = commands;
            return *this;
        }
        // The same answers on this game file give the same console and byte-identical reports.
        Row& sameAs(const std::string& gameFileText)
        {
            twinGameFile = gameFileText;
            return *this;
        }

        const char* name;
        Setup setup;
        std::string answers;
        int status;
        std::string console; // after the menu
        std::vector<std::string> reports; // the reports in place afterwards, sorted
        std::vector<std::pair<std::string, std::string>> holds;
        std::vector<std::pair<std::string, std::string>> contents;
        std::vector<std::string> kept;
        As as = As::Anyone;
        std::string shellSetup;
        std::string twinGameFile;
    };

    const std::string EARLIER_REPORT = "a report of an earlier run\n";

    // Whether `text` is `pattern`, where each "{N}" in the pattern matches a whole number.
    bool matches(const std::string& text, const std::string& pattern)
    {
        std::size_t t = 0;
        std::size_t p = 0;
        for (;;) {
            const std::size_t hole = pattern.find("{N}", p);
            const std::string literal
                = pattern.substr(p, hole == std::string::npos ? std::string::npos : hole - p);
            if (text.compare(t, literal.size(), literal) != 0) {
                return false;
            }
            t += literal.size();
            if (hole == std::string::npos) {
                return t == text.size();
            }
            const std::size_t digits = t;
            while (t < text.size() && text[t] >= '0' && text[t] <= '9') {
                ++t;
            }
            if (t == digits) {
                return false;
            }
            p = hole + 3;
        }
    }

    std::vector<std::string> filesIn(const fs::path& dir)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The permissions of everyone: "nobody" must reach the directories it works in.
    constexpr fs::perms READ_ONLY_DIR = fs::perms::owner_read | fs::perms::owner_exec
        | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
        | fs::perms::others_exec;

    // Runs the row's answers on the program in `dir`. Root may read and write anything, so a
    // row about permissions runs a copy of the program as the unprivileged user "nobody".
    // Empty when the row cannot run here.
    std::optional<RunResult> runRow(const Row& row, const fs::path& dir, const TempDir& bin)
    {
        std::string command = "exec " + programCommand();
        if (row.as == Row::As::Unprivileged && geteuid() == 0) {
            if (std::getenv("VARNOK_COMMAND") != nullptr) {
                return std::nullopt;
            }
            fs::copy_file(VARNOK_PROGRAM, bin / "varnok", fs::copy_options::overwrite_existing);
            fs::permissions(bin.path(), READ_ONLY_DIR);
            command = "exec setpriv --reuid=65534 --regid=65534 --clear-groups "
                + (bin / "varnok").string();
        }
        return runCommand(dir, row.answers, row.shellSetup + command, 120);
    }

    void checkRow(const Row& row)
    {
        TempDir dir;
        TempDir bin;
        row.setup(dir.path());
        for (const std::string& report : row.kept) {
            writeFile(dir / report, EARLIER_REPORT);
        }
        const std::optional<RunResult> run = runRow(row, dir.path(), bin);
        if (!run) {
            std::cout << "[ SKIPPED  ] " << row.name
                      << ": runs as another user only with the program built here\n";
            return;
        }
        fs::permissions(dir.path(), fs::perms::owner_all);
        EXPECT_FALSE(run->timedOut);
        EXPECT_EQ(run->exitStatus, row.status);
        EXPECT_TRUE(matches(run->output, MENU + row.console)) << "console:\n"
                                                              << run->output << "\nexpected:\n"
                                                              << MENU + row.console;

        std::vector<std::string> present;
        for (const std::string& file : filesIn(dir.path())) {
            EXPECT_EQ(file.find(".tmp"), std::string::npos) << "temporary file left: " << file;
            if (std::find(ALL_REPORTS.begin(), ALL_REPORTS.end(), file) == ALL_REPORTS.end()
                || !fs::is_regular_file(dir / file)) {
                continue;
            }
            if (std::find(row.kept.begin(), row.kept.end(), file) != row.kept.end()) {
                EXPECT_EQ(readFile(dir / file), EARLIER_REPORT)
                    << file << " of the earlier run was touched";
                continue;
            }
            present.push_back(file);
            EXPECT_EQ(incompleteness(file, readReport(dir / file)), "");
        }
        EXPECT_EQ(present, row.reports);
        if (fs::is_regular_file(dir / "rating.dat") && fs::is_regular_file(dir / "programs.dat")) {
            EXPECT_EQ(entriesMissing(dir.path()), "");
        }
        for (const auto& [report, text] : row.holds) {
            EXPECT_NE(readReport(dir / report).find(text), std::string::npos)
                << report << " lacks:\n"
                << text;
        }
        for (const auto& [report, text] : row.contents) {
            EXPECT_EQ(readReport(dir / report), text) << report;
        }

        if (!row.twinGameFile.empty()) {
            TempDir twin;
            writeFile(twin / "games.pgn", row.twinGameFile);
            const RunResult twinRun = runProgram(twin.path(), row.answers, 120);
            EXPECT_TRUE(matches(twinRun.output, MENU + row.console)) << twinRun.output;
            for (const std::string& report : row.reports) {
                EXPECT_EQ(readReport(dir / report), readReport(twin / report)) << report;
            }
        }
    }

    std::string randomBytes(std::size_t size)
    {
        // The generator's sequence is fixed by the standard, so every run reads the same bytes.
        std::mt19937 random(7);
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xff);
        }
        return bytes;
    }

    std::string withCrLf(const std::string& text)
    {
        std::string out;
        for (const char c : text) {
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        return out;
    }

    constexpr char ZERO_IN_NAME[] = "1ga\0mes\n2000\n0\n";

    std::vector<Row> matrix()
    {
        std::vector<Row> rows;
        const std::string fullRun
            = RATING_PROMPTS + reading("2 programs, 1 games") + stages(1, 2) + DONE;

        // The game file.
        rows.push_back(Row("empty game file", gameFile(""), ANSWERS, 0,
            RATING_PROMPTS + reading("0 programs, 0 games") + stages(0, 1) + DONE, ALL_REPORTS)
                           .holding("general.dat", "\nGames        :      0 (finished)\n"));
        rows.push_back(Row("random binary bytes", gameFile(randomBytes(1 << 16)), ANSWERS, 0,
            RATING_PROMPTS + reading("0 programs, 0 games") + stages(0, 1) + DONE, ALL_REPORTS));
        rows.push_back(Row("cut off inside a tag name", gameFile(ONE_GAME + "[White \"C\"]\n[Bla"),
            ANSWERS, 0, RATING_PROMPTS + reading("3 programs, 1 games") + stages(1, 2) + DONE,
            ALL_REPORTS));
        rows.push_back(Row("cut off inside a value",
            gameFile(ONE_GAME + "[White \"C\"]\n[Black \"Cu"), ANSWERS, 0,
            RATING_PROMPTS + reading("4 programs, 1 games") + stages(1, 2) + DONE, ALL_REPORTS));
        rows.push_back(Row("cut off inside a comment",
            gameFile(ONE_GAME + "[White \"C\"]\n{ a [Black \"D\"] comm"), ANSWERS, 0,
            RATING_PROMPTS + reading("3 programs, 1 games") + stages(1, 2) + DONE, ALL_REPORTS));
        {
            std::string value;
            while (value.size() < (1 << 20)) {
                value += "[Black X] ] { } 1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. "
                         "Re1 b5\n";
            }
            rows.push_back(Row("a value of 1 MB without a closing quote",
                gameFile(ONE_GAME + "[White \"" + value), ANSWERS, 0,
                RATING_PROMPTS + reading("3 programs, 1 games") + stages(1, 2) + DONE, ALL_REPORTS)
                               .holding("rating.dat", "  2 B ")
                               .holding("cluster.dat", "\n2 programs, 1 games\n"));
        }
        rows.push_back(
            Row("10,000 distinct programs", gameFile(ringOf(10000)), ANSWERS, 0,
                RATING_PROMPTS + reading("10000 programs, 10000 games") + stages(1, 1) + DONE,
                ALL_REPORTS)
                .holding("rating.dat",
                    "\n10000 " + padded("P10000", 30)
                        + " : 2000  600 600     2    50.0 %   2000    0.0 %\n")
                .holding("programs.dat",
                    "\n\n(10000) " + padded("P10000", 26) + ":   2 (+  1,=  0,-  1), 50.0 %\n\n"
                        + padded("P1", 30) + ":   1 (+  1,=  0,-  0), 100.0 %\n"
                        + padded("P9999", 30) + ":   1 (+  0,=  0,-  1),  0.0 %\n"));
        {
            std::string pgn;
            for (int c = 1; c <= 30; ++c) {
                pgn += "[White \"A" + std::to_string(c) + "\"][Black \"B" + std::to_string(c)
                    + "\"][Result \"1-0\"]\n";
            }
            rows.push_back(Row("30 clusters", gameFile(pgn), ANSWERS, 0,
                RATING_PROMPTS + reading("60 programs, 30 games") + stages(30, 2) + DONE,
                ALL_REPORTS)
                               .holding("cluster.dat",
                                   "\nitoffset = 0.000000\n\n\nCluster No. 30:\n\n"
                                       + padded("A30", 30) + " (1)\n" + padded("B30", 30)
                                       + " (1)\n\n2 programs, 1 games\n\nitoffset = 0.000000\n\n\n")
                               .holding("rating.dat",
                                   "\n\n  1 " + padded("A30", 30)
                                       + " : 2300    0   0     1   100.0 %   1700    0.0 %\n"
                                         "  2 "
                                       + padded("B30", 30)
                                       + " : 1700    0   0     1     0.0 %   2300    0.0 %\n"));
        }
        {
            // "Müller" in UTF-8 and in Latin-1 are two programs, kept and written byte for byte;
            // widths count bytes. An ECO code that begins with a byte above 127 is no letter.
            const std::string utf8 = "M\xc3\xbcller";
            const std::string latin1 = "M\xfcller";
            rows.push_back(
                Row("names with UTF-8 and Latin-1 bytes",
                    gameFile("[White \"" + utf8 + "\"]\n[Black \"" + latin1
                        + "\"]\n[Result \"1/2-1/2\"]\n[ECO \"\xc4"
                          "00\"]\n\n1. e4 1/2-1/2\n"),
                    ANSWERS, 0,
                    RATING_PROMPTS
                        + "\nReading games.pgn... Fehler bei ECO-Zuordnung !\n2 programs, 1 games\n"
                        + stages(1, 1) + DONE,
                    ALL_REPORTS)
                    .holding("rating.dat",
                        "  1 " + padded(utf8, 30)
                            + " : 2000    0   0     1    50.0 %   2000   100.0 %\n"
                              "  2 "
                            + padded(latin1, 30)
                            + " : 2000    0   0     1    50.0 %   2000   100.0 %\n")
                    .holding("programs.dat",
                        "(2) " + padded(latin1, 26) + ":   1 (+  0,=  1,-  0), 50.0 %\n\n"
                            + padded(utf8, 30) + ":   1 (+  0,=  1,-  0), 50.0 %\n")
                    .holding("cluster.dat",
                        padded(utf8, 30) + " (1)\n" + padded(latin1, 30) + " (1)\n"));
        }
        {
            std::string lf;
            for (int game = 0; game < 40; ++game) {
                lf += "[White \"Engine " + std::to_string(game % 5) + "\"]\n[Black \"Engine "
                    + std::to_string(game % 3) + "\"]\n[Result \""
                    + (game % 3 == 0        ? "1-0"
                            : game % 3 == 1 ? "1/2-1/2"
                                            : "0-1")
                    + "\"]\n[ECO \"" + static_cast<char>('A' + game % 5)
                    + "10\"]\n\n1. e4 {book\nline} e5 2. Nf3 {+0.2/12\n0.4s} *\n\n";
            }
            rows.push_back(Row("CRLF line ends read as LF", gameFile(withCrLf(lf)), ANSWERS, 0,
                RATING_PROMPTS + reading("5 programs, 40 games") + stages(1, "{N}") + DONE,
                ALL_REPORTS)
                               .sameAs(lf));
        }

        // The places around it.
        rows.push_back(Row(
            "the game file is a directory",
            [](const fs::path& dir) { fs::create_directory(dir / "games.pgn"); }, ANSWERS, 0,
            RATING_PROMPTS + "\nFAILURE - Unable to open games.pgn\n", NO_REPORTS));
        rows.push_back(Row(
            "a game file without read permission",
            [](const fs::path& dir) {
                writeFile(dir / "games.pgn", ONE_GAME);
                fs::permissions(dir / "games.pgn", fs::perms::owner_write);
                fs::permissions(dir, fs::perms::all); // the reports could be written
            },
            ANSWERS, 0, RATING_PROMPTS + "\nFAILURE - Unable to open games.pgn\n", NO_REPORTS)
                           .asUnprivileged());
        rows.push_back(Row(
            "a read-only working directory",
            [](const fs::path& dir) {
                writeFile(dir / "games.pgn", ONE_GAME);
                fs::permissions(dir, READ_ONLY_DIR);
            },
            ANSWERS, 1,
            RATING_PROMPTS + reading("2 programs, 1 games")
                + "\nFAILURE - Unable to create general.dat\n",
            NO_REPORTS)
                           .asUnprivileged());
        rows.push_back(Row("a report blocked by a directory of its name",
            [](const fs::path& dir) {
                writeFile(dir / "games.pgn", ONE_GAME);
                fs::create_directory(dir / "rating.dat");
            },
            ANSWERS, 1,
            RATING_PROMPTS + reading("2 programs, 1 games") + stages(1, 2)
                + "\nFAILURE - Unable to create rating.dat\n",
            { "cluster.dat", "general.dat" }));
        // A file-size limit fails every write past it; the signal it sends is ignored, as a full
        // disk sends none.
        rows.push_back(Row("a full disk from the first byte", gameFile(ONE_GAME), ANSWERS, 1,
            RATING_PROMPTS + reading("2 programs, 1 games")
                + "\nFAILURE - Unable to write general.dat\n",
            NO_REPORTS)
                           .inShell("ulimit -f 0; trap '' XFSZ; ")
                           .keeping("general.dat"));
        // 8 blocks are 4 KB to one shell, 8 KB to another: cluster.dat of 100 programs fits in
        // either, rating.dat in neither.
        rows.push_back(Row("a full disk midway", gameFile(ringOf(100)), ANSWERS, 1,
            RATING_PROMPTS + reading("100 programs, 100 games") + stages(1, 1)
                + "\nFAILURE - Unable to write rating.dat\n",
            { "cluster.dat", "general.dat" })
                           .inShell("ulimit -f 8; trap '' XFSZ; ")
                           .keeping("programs.dat"));
        rows.push_back(Row(
            "a read error",
            [](const fs::path& dir) { fs::create_symlink("/proc/self/mem", dir / "games.pgn"); },
            ANSWERS, 1,
            RATING_PROMPTS + "\nReading games.pgn... \nFAILURE - Unable to read games.pgn\n",
            NO_REPORTS));
        rows.push_back(Row(
            "a zero byte in the typed file name ends it",
            [](const fs::path& dir) {
                writeFile(dir / "ga.pgn", ONE_GAME);
                writeFile(dir / "ga", "[White \"Not\"][Black \"Me\"][Result \"1-0\"]");
            },
            std::string(ZERO_IN_NAME, sizeof ZERO_IN_NAME - 1), 0,
            RATING_PROMPTS + "\nReading ga.pgn... 2 programs, 1 games\n" + stages(1, 2) + DONE,
            ALL_REPORTS)
                           .holding("rating.dat", "  1 A  "));

        // End of input at every read.
        rows.push_back(Row("end of input at the menu", gameFile(ONE_GAME), "", 0, "", NO_REPORTS));
        rows.push_back(Row("end of input after other keys at the menu", gameFile(ONE_GAME), "x4\n",
            0, "", NO_REPORTS));
        rows.push_back(Row("end of input at the file name", gameFile(ONE_GAME), "1", 0,
            "\nName of pgn-file = ", NO_REPORTS));
        rows.push_back(Row("end of input at the start rating", gameFile(ONE_GAME), "1games\n", 0,
            "\nName of pgn-file = Start Elo = ", NO_REPORTS));
        rows.push_back(Row("end of input at the minimum games", gameFile(ONE_GAME),
            "1games\n2000\n", 0, RATING_PROMPTS, NO_REPORTS));
        rows.push_back(Row("end of input at the tournament's start rating", gameFile(ONE_GAME),
            "2games\n", 0, TOURNAMENT_PROMPTS, NO_REPORTS));
        rows.push_back(Row("end of input at the ECO pause goes on",
            gameFile("[White \"A\"][Black \"B\"][Result \"1-0\"][ECO \"?\"][ECO \"!\"]"),
            "1games\n2000\n0", 0,
            RATING_PROMPTS
                + "\nReading games.pgn... Fehler bei ECO-Zuordnung !\nFehler bei ECO-Zuordnung "
                  "!\n2 programs, 1 games\n"
                + stages(1, 2) + DONE,
            ALL_REPORTS));
        rows.push_back(
            Row("end of input at Wins", gameFile(ONE_GAME), "3", 0, "\n\nWins   = ", NO_REPORTS));
        rows.push_back(Row("end of input at Draws", gameFile(ONE_GAME), "31\n", 0,
            "\n\nWins   = Draws  = ", NO_REPORTS));
        rows.push_back(Row("end of input at Losses", gameFile(ONE_GAME), "31\n0\n", 0,
            "\n\nWins   = Draws  = Losses = ", NO_REPORTS));
        rows.push_back(Row("end of input at the opponents' rating", gameFile(ONE_GAME),
            "31\n0\n1\n", 0, CALCULATOR_PROMPTS, NO_REPORTS));
        rows.push_back(Row("end of input at the y/n question", gameFile(ONE_GAME),
            "31\n0\n1\n2400\n", 0, CALCULATOR_PROMPTS + ONE_AND_ONE + QUESTION, NO_REPORTS));
        rows.push_back(Row("end of input at the y/n question after other keys", gameFile(ONE_GAME),
            "31\n0\n1\n2400\nYN q", 0, CALCULATOR_PROMPTS + ONE_AND_ONE + QUESTION, NO_REPORTS));

        // Numbers that are not numbers, or out of range, at every number prompt: the rest of the
        // line goes and the prompt comes again.
        rows.push_back(Row("bad numbers at the start rating", gameFile(ONE_GAME),
            "1games\nabc 2000\n2147483648\n-2147483649\n20x0\n2000\n0\n", 0,
            "\nName of pgn-file = Start Elo = Start Elo = Start Elo = Start Elo = Start Elo = "
            "Minimum number of games = "
                + reading("2 programs, 1 games") + stages(1, 2) + DONE,
            ALL_REPORTS)
                           .holding("rating.dat", "  1 " + padded("A", 30) + " : 2300 "));
        rows.push_back(Row("bad numbers at the tournament's start rating", gameFile(ONE_GAME),
            "2games\n1e3\n99999999999999999999999999\n2000\n", 0,
            "\nName of pgn-file = Start Elo = Start Elo = Start Elo = "
                + reading("2 programs, 1 games") + stages(1, 2) + DONE,
            ALL_REPORTS));
        rows.push_back(Row("bad numbers at the minimum games", gameFile(ONE_GAME),
            "1games\n2000\nmany\n0.5\n4294967296\n-\n0\n", 0,
            RATING_PROMPTS
                + "Minimum number of games = Minimum number of games = Minimum number of games = "
                + "Minimum number of games = " + reading("2 programs, 1 games") + stages(1, 2)
                + DONE,
            ALL_REPORTS));
        rows.push_back(
            Row("bad numbers at Wins", gameFile(ONE_GAME), "3one\n-2147483649\n1\n0\n1\n2400\nn", 0,
                "\n\nWins   = Wins   = Wins   = Draws  = Losses = Av.Op. Elo = " + ONE_AND_ONE
                    + QUESTION,
                NO_REPORTS));
        rows.push_back(
            Row("bad numbers at Draws", gameFile(ONE_GAME), "31\n0.0\n2147483648\n0\n1\n2400\nn", 0,
                "\n\nWins   = Draws  = Draws  = Draws  = Losses = Av.Op. Elo = " + ONE_AND_ONE
                    + QUESTION,
                NO_REPORTS));
        rows.push_back(Row("bad numbers at Losses", gameFile(ONE_GAME),
            "31\n0\n--1\n+\n-99999999999\n1\n2400\nn", 0,
            "\n\nWins   = Draws  = Losses = Losses = Losses = Losses = Av.Op. Elo = " + ONE_AND_ONE
                + QUESTION,
            NO_REPORTS));
        rows.push_back(Row("bad numbers at the opponents' rating", gameFile(ONE_GAME),
            "31\n0\n1\nElo\n1e400\nnan\n-inf\n2400\nn", 0,
            "\n\nWins   = Draws  = Losses = Av.Op. Elo = Av.Op. Elo = Av.Op. Elo = Av.Op. Elo = "
            "Av.Op. Elo = "
                + ONE_AND_ONE + QUESTION,
            NO_REPORTS));
        rows.push_back(Row("counts each in range, their sum not", gameFile(ONE_GAME),
            "32147483647\n1\n0\n2400\nn", 0,
            CALCULATOR_PROMPTS + "\nA result can have at most 2147483647 games.\n" + QUESTION,
            NO_REPORTS));

        // The ends of the start rating's range: ratings are shown beyond them, not wrapped.
        rows.push_back(
            Row("start rating -2147483648", gameFile(ONE_GAME), "1games\n-2147483648\n0\n", 0,
                fullRun, ALL_REPORTS)
                .holding("rating.dat",
                    "  1 " + padded("A", 30)
                        + " : -2147483348    0   0     1   100.0 %   -2147483948    0.0 %\n"
                          "  2 "
                        + padded("B", 30)
                        + " : -2147483948    0   0     1     0.0 %   -2147483348    0.0 %\n"));
        rows.push_back(
            Row("start rating 2147483647", gameFile(ONE_GAME), "1games\n2147483647\n0\n", 0,
                fullRun, ALL_REPORTS)
                .holding("rating.dat",
                    "  1 " + padded("A", 30)
                        + " : 2147483947    0   0     1   100.0 %   2147483347    0.0 %\n"
                          "  2 "
                        + padded("B", 30)
                        + " : 2147483347    0   0     1     0.0 %   2147483947    0.0 %\n"));
        rows.push_back(Row("minimum games 2147483647 lists nobody", gameFile(ONE_GAME),
            "1games\n2000\n2147483647\n", 0, fullRun, ALL_REPORTS)
                           .withContent("rating.dat",
                               "\n\n    Program                          Elo    +   -   Games   "
                               "Score   Av.Op.  Draws\n\n")
                           .withContent("programs.dat", "Individual statistics:"));
        rows.push_back(
            Row("start rating 2147483647 in a tournament", gameFile(ONE_GAME),
                "2games\n2147483647\n", 0,
                TOURNAMENT_PROMPTS + reading("2 programs, 1 games") + stages(1, 2) + DONE,
                ALL_REPORTS)
                .holding("rating.dat",
                    "  1 " + padded("A", 30)
                        + " :   1.0/  1  100.0   2147483347   2147483947    0   0    0.0 %\n"));
        return rows;
    }

    TEST(BadInput, EveryRowEndsSoundly)
    {
        for (const Row& row : matrix()) {
            SCOPED_TRACE(row.name);
            checkRow(row);
        }
    }

} // namespace
} // namespace varnok
