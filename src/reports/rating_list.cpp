#include "reports/rating_list.h"

#include "analysis/rating_iteration.h"
#include "reports/individual_statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnok {

namespace {

    void writeHeader(ReportFile& report, RunMode mode)
    {
        if (mode == RunMode::TournamentMode) {
            reportf(report,
                "\n\n    Program                            Score     %%    Av.Op.  Elo    +   -   "
                " Draws\n\n");
        } else {
            reportf(report,
                "\n\n    Program                          Elo    +   -   Games   Score   Av.Op.  "
                "Draws\n\n");
        }
    }

    void writeLine(ReportFile& report, const ResultStore& store, ProgramIndex p, std::int32_t rank)
    {
        const auto at = static_cast<std::size_t>(p);
        const double offset = store.itoffset[static_cast<std::size_t>(store.clusterOf[at])];
        const double shownRating
            = (store.internalRating[at] - INTERNAL_BASE_RATING) + store.startElo;
        const double shownOpponents
            = ((store.averageOpponentRating[at] - INTERNAL_BASE_RATING) + store.startElo) - offset;
        const double scorePercent = 100.0 * store.scoreFraction[at];
        const double drawsPercent
            = static_cast<double>(store.draws[at]) * 100.0 / static_cast<double>(store.games[at]);
        const double plus = std::fabs(store.ratingPlus[at]);
        const double minus = std::fabs(store.ratingMinus[at]);
        const char* name = store.names[at].c_str();
        if (store.mode == RunMode::TournamentMode) {
            const double points = static_cast<double>(store.wins[at]) * 1.0
                + static_cast<double>(store.draws[at]) * 0.5;
            reportf(report,
                "%3d %-30s : %5.1f/%3ld  %4.1f   %4.0f   %4.0f  %3.0f %3.0f   %4.1f %%\n", rank,
                name, points, static_cast<long>(store.games[at]), scorePercent, shownOpponents,
                shownRating, plus, minus, drawsPercent);
        } else {
            reportf(report, "%3d %-30s : %4.0f  %3.0f %3.0f %5ld   %5.1f %%   %4.0f   %4.1f %%\n",
                rank, name, shownRating, plus, minus, static_cast<long>(store.games[at]),
                scorePercent, shownOpponents, drawsPercent);
        }
    }

} // namespace

ReportFailure writeRatingList(ResultStore& store)
{
    ReportFile ratings;
    if (ReportFailure failure = openReport(ratings, "rating.dat")) {
        return failure;
    }
    ReportFile programs;
    if (ReportFailure failure = openProgramsFile(programs)) {
        discardReport(ratings);
        return failure;
    }

    const bool tournament = store.mode == RunMode::TournamentMode;
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        store.listed[at] = (!tournament && store.games[at] < store.minGames) ? 0 : 1;
        if (store.games[at] == 0) {
            store.listed[at] = 0;
        }
    }

    // The eligible programs of each cluster, best first; ties go to the lower index, the
    // program the file named first. A stable sort by key lists them in the same order as
    // picking the best remaining one again and again, without its quadratic cost.
    const auto clusters = static_cast<std::size_t>(store.clusterCount);
    std::vector<std::vector<ProgramIndex>> eligible(clusters + 1);
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (store.listed[at] == 1) {
            eligible[static_cast<std::size_t>(store.clusterOf[at])].push_back(i);
        }
    }
    const std::vector<double>& key = tournament ? store.scoreFraction : store.internalRating;
    for (std::size_t c = 1; c <= clusters; ++c) {
        writeHeader(ratings, store.mode);
        std::vector<ProgramIndex>& order = eligible[c];
        std::stable_sort(order.begin(), order.end(), [&key](ProgramIndex a, ProgramIndex b) {
            return key[static_cast<std::size_t>(a)] > key[static_cast<std::size_t>(b)];
        });
        std::int32_t rank = 0;
        for (const ProgramIndex p : order) {
            ++rank;
            writeLine(ratings, store, p, rank);
            store.listed[static_cast<std::size_t>(p)] = 0;
            writeProgramEntry(programs, store, p, rank);
        }
    }

    if (ReportFailure failure = finishReport(ratings)) {
        discardReport(programs);
        return failure;
    }
    return closeProgramsFile(programs);
}

void checkTournament(const ResultStore& store, Console& console)
{
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        if (store.games[static_cast<std::size_t>(i)] != store.games[1]) {
            say(console, "Different number of games - No valid tournament database.\n");
            return;
        }
    }
}

} // namespace varnok
