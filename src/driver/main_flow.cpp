#include "driver/main_flow.h"

#include "analysis/clusters.h"
#include "analysis/general_statistics.h"
#include "analysis/rating_iteration.h"
#include "pgn/tag_reader.h"
#include "reports/rating_list.h"
#include "single/single_competition.h"
#include "store/result_store.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace varnok {

namespace {

    // The menu key: '1', '2' or '3'; every other key is dropped without a word. Empty at
    // the end of input.
    std::optional<RunMode> readMode(Console& console)
    {
        for (;;) {
            const int key = readKey(console);
            if (key == EOF) {
                return std::nullopt;
            }
            if (key == '1' || key == '2' || key == '3') {
                return static_cast<RunMode>(key);
            }
        }
    }

    // Opens the game file for reading, as bytes: the reader itself takes "\r\n" for a line
    // end, so a file reads alike on every platform. A directory is no game file (Linux would
    // open one, and fail only at the first read).
    std::FILE* openGameFile(const std::string& name)
    {
        std::error_code ignored;
        if (std::filesystem::is_directory(name, ignored)) {
            return nullptr;
        }
        return std::fopen(name.c_str(), "rb");
    }

    // The stages after reading, in their fixed order; stops at the first report that fails.
    ReportFailure runStages(ResultStore& store, Console& console)
    {
        if (ReportFailure failure = writeGeneralStatistics(store)) {
            return failure;
        }
        computeProgramTotals(store);
        if (ReportFailure failure = analyseClusters(store, console)) {
            return failure;
        }
        computeRatings(store, console);
        if (ReportFailure failure = writeRatingList(store)) {
            return failure;
        }
        if (store.mode == RunMode::TournamentMode) {
            checkTournament(store, console);
        }
        return {};
    }

} // namespace

int runMainFlow(Console& console)
{
    ResultStore store;

    say(console, "\nVarnok Version 1.1c_32\n");
    say(console, "--------------------------\n\n");
    say(console, "Choose program mode:\n\n");
    say(console, "(1) Rating list\n");
    say(console, "(2) Tournament\n");
    say(console, "(3) Single competition\n");
    const std::optional<RunMode> mode = readMode(console);
    if (!mode) {
        return EXIT_OK;
    }
    if (*mode == RunMode::SingleCompetition) {
        runSingleCompetition(console);
        return EXIT_OK;
    }
    store.mode = *mode;

    say(console, "\nName of pgn-file = ");
    std::string fileName;
    if (!readLine(console, fileName)) {
        return EXIT_OK;
    }
    // The system takes a file name as a C string: a zero byte typed into the name ends it, so
    // ".pgn" goes there. Otherwise the suffix would lie beyond the end the system sees and a
    // file without it would be read.
    fileName.resize(std::min(fileName.find('\0'), fileName.size()));
    // Always appended, whatever the typed name ends with.
    fileName += ".pgn";
    const std::optional<std::int32_t> startElo = readInt(console, "Start Elo = ");
    if (!startElo) {
        return EXIT_OK;
    }
    store.startElo = *startElo;
    if (store.mode == RunMode::RatingList) {
        const std::optional<std::int32_t> minGames = readInt(console, "Minimum number of games = ");
        if (!minGames) {
            return EXIT_OK;
        }
        store.minGames = *minGames;
    }

    const std::time_t startTime = std::time(nullptr);
    resetStore(store);
    std::FILE* gameFile = openGameFile(fileName);
    if (gameFile == nullptr) {
        say(console, "\nFAILURE - Unable to open %s\n", fileName.c_str());
        return EXIT_OK;
    }
    say(console, "\nReading %s... ", fileName.c_str());
    flushConsole(console);
    const ReadStatus read = readPgnTags(store, gameFile, console);
    if (read == ReadStatus::ReadError) {
        std::fclose(gameFile);
        say(console, "\nFAILURE - Unable to read %s\n", fileName.c_str());
        return EXIT_FAILURE_STATUS;
    }
    say(console, "%d programs, ", programCount(store));
    std::fclose(gameFile);
    say(console, "%ld games\n", static_cast<long>(store.counters.finishedGames));

    if (ReportFailure failure = runStages(store, console)) {
        sayReportFailure(console, failure);
        return EXIT_FAILURE_STATUS;
    }

    say(console, "\nGeneral statistics in 'general.dat'\n");
    say(console, "Individual statistics in 'programs.dat'\n");
    say(console, "Rating list in 'rating.dat'\n");
    say(console, "Database structure in 'cluster.dat'\n\n");
    const std::time_t endTime = std::time(nullptr);
    say(console, "CPU time = %d sec\n", static_cast<int>(std::difftime(endTime, startTime)));
    return EXIT_OK;
}

} // namespace varnok
