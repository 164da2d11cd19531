#include "analysis/general_statistics.h"

namespace varnok {

namespace {

    // A share of the finished games in percent: the count times 100, then divided. A file
    // without finished games shows 0.0 everywhere.
    double percentOfFinished(double count, GameCount finished)
    {
        if (finished == 0) {
            return 0.0;
        }
        return count * 100.0 / static_cast<double>(finished);
    }

} // namespace

ReportFailure writeGeneralStatistics(const ResultStore& store)
{
    const DatabaseCounters& c = store.counters;
    const GameCount finished = c.finishedGames;
    auto share = [finished](GameCount count) {
        return percentOfFinished(static_cast<double>(count), finished);
    };

    ReportFile report;
    if (ReportFailure failure = openReport(report, "general.dat")) {
        return failure;
    }
    reportf(report, "\nGames        : %6ld (finished)\n", static_cast<long>(finished));
    reportf(report, "\nWhite Wins   : %6ld (%4.1f %%)\n", static_cast<long>(c.whiteWinCount),
        share(c.whiteWinCount));
    reportf(report, "Black Wins   : %6ld (%4.1f %%)\n", static_cast<long>(c.blackWinCount),
        share(c.blackWinCount));
    reportf(report, "Draws        : %6ld (%4.1f %%)\n", static_cast<long>(c.drawCount),
        share(c.drawCount));
    reportf(report, "Unfinished   : %6ld\n", static_cast<long>(c.unfinishedCount));
    reportf(report, "\nWhite Perf.  : %2.1f %%\n",
        percentOfFinished(
            static_cast<double>(c.drawCount) * 0.5 + static_cast<double>(c.whiteWinCount),
            finished));
    reportf(report, "Black Perf.  : %2.1f %%\n",
        percentOfFinished(
            static_cast<double>(c.drawCount) * 0.5 + static_cast<double>(c.blackWinCount),
            finished));
    reportf(report, "\nECO A = %6ld Games (%4.1f %%)\n", static_cast<long>(c.ecoCount[0]),
        share(c.ecoCount[0]));
    reportf(report, "ECO B = %6ld Games (%4.1f %%)\n", static_cast<long>(c.ecoCount[1]),
        share(c.ecoCount[1]));
    reportf(report, "ECO C = %6ld Games (%4.1f %%)\n", static_cast<long>(c.ecoCount[2]),
        share(c.ecoCount[2]));
    reportf(report, "ECO D = %6ld Games (%4.1f %%)\n", static_cast<long>(c.ecoCount[3]),
        share(c.ecoCount[3]));
    reportf(report, "ECO E = %6ld Games (%4.1f %%)\n", static_cast<long>(c.ecoCount[4]),
        share(c.ecoCount[4]));
    return finishReport(report);
}

void computeProgramTotals(ResultStore& store)
{
    sizeProgramTables(store);
    buildOpponentLists(store);
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        for (const Opponent& o : opponentsOf(store, i)) {
            store.wins[at] += o.wins;
            store.losses[at] += o.losses;
            store.draws[at] += o.draws;
            store.games[at] += gamesOf(o);
        }
    }
}

} // namespace varnok
