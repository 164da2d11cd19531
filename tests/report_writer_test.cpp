// Reports are complete or absent: the writer itself, and whole runs in working directories that
// refuse a report.
#include "reports/report_writer.h"

#include "store_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    std::vector<std::string> filesIn(const std::filesystem::path& dir)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TEST(ReportWriter, ReplacesTheOldReportOnlyWhenComplete)
    {
        InTempDirectory here;
        writeFile("report.dat", "old contents\n");
        ReportFile report;
        ASSERT_FALSE(openReport(report, "report.dat"));
        reportf(report, "%s %d%%\n", "new", 50);
        EXPECT_EQ(readFile("report.dat"), "old contents\n");
        EXPECT_EQ(filesIn(".").size(), 2u) << "the report is written beside the old one";
        EXPECT_FALSE(finishReport(report));
        EXPECT_EQ(readReport("report.dat"), "new 50%\n");
        EXPECT_EQ(filesIn("."), std::vector<std::string> { "report.dat" });
    }

    // Reports are text files: on Windows their line ends are "\r\n", like those of every other
    // text file there; elsewhere "\n".
    TEST(ReportWriter, LineEndsOfThePlatform)
    {
#if defined(_WIN32)
        const std::string lineEnd = "\r\n";
#else
        const std::string lineEnd = "\n";
#endif
        InTempDirectory here;
        ReportFile report;
        ASSERT_FALSE(openReport(report, "report.dat"));
        reportf(report, "\nGames : %d\n\n%s", 3, "no line end");
        EXPECT_FALSE(finishReport(report));
        EXPECT_EQ(
            readFile("report.dat"), lineEnd + "Games : 3" + lineEnd + lineEnd + "no line end");
    }

    // Every number in a report is rounded from its exact binary value, half to even where that
    // value is a tie, as glibc does; the same report must come out on every platform.
    // Microsoft's older C runtime rounds ties away from zero and stops at 17 significant
    // digits.
    TEST(ReportWriter, NumbersRoundFromTheirExactValue)
    {
        struct Row {
            const char* format;
            double value;
            const char* expected;
        };
        const Row rows[] = {
            { "%4.1f", 0.25, " 0.2" }, // a tie: down to the even digit
            { "%4.1f", 0.75, " 0.8" }, // a tie: up to the even digit
            { "%4.1f", 62.25, "62.2" },
            { "%4.1f", 0.35, " 0.3" }, // 0.34999999999999997780 is no tie
            { "%3.0f", 0.5, "  0" },
            { "%3.0f", 1.5, "  2" },
            { "%3.0f", 2.5, "  2" },
            { "%3.0f", -0.5, " -0" },
            { "%4.0f", 2412.5, "2412" },
            { "%5.1f", 100.25, "100.2" },
            { "%f", 0.0000195, "0.000019" }, // 0.0000194999999999999996... is short of the tie
            { "%f", -0.3899025, "-0.389902" }, // -0.3899024999999999852... too
            { "%f", 1e23, "99999999999999991611392.000000" },
        };
        InTempDirectory here;
        ReportFile report;
        ASSERT_FALSE(openReport(report, "report.dat"));
        std::string expected;
        for (const Row& row : rows) {
            reportf(report, "[");
            reportf(report, row.format, row.value);
            reportf(report, "]\n");
            expected += std::string("[") + row.expected + "]\n";
        }
        EXPECT_FALSE(finishReport(report));
        EXPECT_EQ(readReport("report.dat"), expected);
    }

    TEST(ReportWriter, DiscardingKeepsTheOldReport)
    {
        InTempDirectory here;
        writeFile("report.dat", "old\n");
        ReportFile report;
        ASSERT_FALSE(openReport(report, "report.dat"));
        reportf(report, "half");
        discardReport(report);
        EXPECT_EQ(readFile("report.dat"), "old\n");
        EXPECT_EQ(filesIn("."), std::vector<std::string> { "report.dat" });
    }

    TEST(ReportWriter, ADirectoryInTheWayIsAFailureToCreate)
    {
        InTempDirectory here;
        std::filesystem::create_directory("report.dat");
        ReportFile report;
        ASSERT_FALSE(openReport(report, "report.dat"));
        reportf(report, "text\n");
        const ReportFailure failure = finishReport(report);
        EXPECT_EQ(failure.kind, ReportFailure::Kind::Create);
        EXPECT_EQ(failure.fileName, "report.dat");
        EXPECT_EQ(filesIn("."), std::vector<std::string> { "report.dat" });
        EXPECT_TRUE(std::filesystem::is_directory("report.dat"));

        MemoryConsole console;
        sayReportFailure(console.console, failure);
        EXPECT_EQ(console.output(), "\nFAILURE - Unable to create report.dat\n");
        sayReportFailure(
            console.console, ReportFailure { ReportFailure::Kind::Write, "other.dat" });
        EXPECT_EQ(console.output(),
            "\nFAILURE - Unable to create report.dat\n\nFAILURE - Unable to write other.dat\n");
    }

    TEST(ReportWriter, AMissingDirectoryIsAFailureToCreate)
    {
        InTempDirectory here;
        ReportFile report;
        const ReportFailure failure = openReport(report, "no/such/dir/report.dat");
        EXPECT_EQ(failure.kind, ReportFailure::Kind::Create);
        EXPECT_EQ(report.file, nullptr);
    }

#if VARNOK_RUNS_PROGRAM
    // Whole runs in which one report cannot be put in place: the run stops there with status 1,
    // the reports before it are complete, no other report and no temporary file is left, and a
    // report that stood there before is untouched.
    const std::string GAMES = "[White \"A\"][Black \"B\"][Result \"1-0\"]\n[White \"B\"][Black "
                              "\"C\"][Result \"1/2-1/2\"]\n";
    const std::string HEAD = "\nReading games.pgn... 3 programs, 2 games\n";
    const std::string CLUSTERS = "Analysing database structure... 1 cluster(s)\n";
    const std::string ITERATIONS = "Calculating ELO ratings... ";

    TEST(ReportWriter, ARunStopsAtTheReportThatCannotBeCreated)
    {
        struct Row {
            const char* blocked;
            std::string tail; // the console from the reading line on
            std::vector<std::string> written; // reports in place afterwards
        };
        const std::vector<Row> rows = {
            { "general.dat", HEAD + "\nFAILURE - Unable to create general.dat\n", {} },
            { "cluster.dat", HEAD + CLUSTERS + "\nFAILURE - Unable to create cluster.dat\n",
                { "general.dat" } },
            { "rating.dat", "\nFAILURE - Unable to create rating.dat\n",
                { "cluster.dat", "general.dat" } },
            { "programs.dat", "\nFAILURE - Unable to create programs.dat\n",
                { "cluster.dat", "general.dat", "rating.dat" } },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.blocked);
            TempDir dir;
            writeFile(dir / "games.pgn", GAMES);
            std::filesystem::create_directory(dir / row.blocked);
            writeFile(dir / row.blocked / "keep", "");
            const RunResult run = runProgram(dir.path(), "1games\n2000\n0\n");
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_EQ(
                run.output.substr(run.output.size() - std::min(run.output.size(), row.tail.size())),
                row.tail)
                << run.output;
            EXPECT_EQ(run.output.find("General statistics in"), std::string::npos);
            std::vector<std::string> expected = row.written;
            expected.push_back("games.pgn");
            expected.push_back(row.blocked);
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(filesIn(dir.path()), expected);
        }
    }

    TEST(ReportWriter, AFullDiskIsAFailureToWrite)
    {
        TempDir dir;
        writeFile(dir / "games.pgn", GAMES);
        writeFile(dir / "general.dat", "the report of an earlier run\n");
        // No file may grow at all; the signal of an exceeded limit is ignored, so every write
        // fails with an error instead.
        const RunResult run
            = runProgram(dir.path(), "1games\n2000\n0\n", 60, "ulimit -f 0; trap '' XFSZ; ");
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.output.substr(run.output.find("\nReading")),
            HEAD + "\nFAILURE - Unable to write general.dat\n");
        EXPECT_EQ(readFile(dir / "general.dat"), "the report of an earlier run\n");
        EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string> { "games.pgn", "general.dat" }));
    }

    // A working directory the user may not write to. Root may write anywhere, so as root a copy
    // of the program runs as the unprivileged user "nobody".
    TEST(ReportWriter, AReadOnlyWorkingDirectory)
    {
        namespace fs = std::filesystem;
        const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec
            | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
            | fs::perms::others_exec;
        TempDir dir;
        TempDir bin;
        writeFile(dir / "games.pgn", GAMES);
        std::string command = "exec " + programCommand();
        if (geteuid() == 0) {
            if (std::getenv("VARNOK_COMMAND") != nullptr) {
                GTEST_SKIP() << "runs as another user only with the program built here";
            }
            fs::copy_file(VARNOK_PROGRAM, bin / "varnok");
            fs::permissions(bin.path(), readOnly);
            command = "exec setpriv --reuid=65534 --regid=65534 --clear-groups "
                + (bin / "varnok").string();
        }
        fs::permissions(dir.path(), readOnly);
        const RunResult run = runCommand(dir.path(), "1games\n2000\n0\n", command);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.output.substr(run.output.find("\nReading")),
            HEAD + "\nFAILURE - Unable to create general.dat\n");
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string> { "games.pgn" });
    }

#endif

} // namespace
} // namespace varnok
