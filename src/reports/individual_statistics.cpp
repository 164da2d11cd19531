#include "reports/individual_statistics.h"

namespace varnok {

ReportFailure openProgramsFile(ReportFile& report)
{
    if (ReportFailure failure = openReport(report, "programs.dat")) {
        return failure;
    }
    // The heading has no line break of its own: every entry begins with two.
    reportf(report, "Individual statistics:");
    return {};
}

void writeProgramEntry(ReportFile& report, const ResultStore& store, ProgramIndex p, std::int32_t n)
{
    const auto at = static_cast<std::size_t>(p);
    const GameCount games = store.games[at];
    const GameCount wins = store.wins[at];
    const GameCount draws = store.draws[at];
    const GameCount losses = store.losses[at];
    reportf(report, "\n\n(%d) %-26s: ", n, store.names[at].c_str());
    reportf(report, "%3ld (+%3ld,=%3ld,-%3ld), %4.1f %%\n\n", static_cast<long>(games),
        static_cast<long>(wins), static_cast<long>(draws), static_cast<long>(losses),
        (static_cast<double>(draws) * 0.5 + static_cast<double>(wins)) * 100.0
            / static_cast<double>(games));
    for (const Opponent& o : opponentsOf(store, p)) {
        const GameCount pairTotal = gamesOf(o);
        const double percent = 100.0
            * ((static_cast<double>(o.wins) * 1.0 + static_cast<double>(o.draws) * 0.5)
                / static_cast<double>(pairTotal));
        reportf(report, "%-30s: %3ld (+%3ld,=%3ld,-%3ld), %4.1f %%\n",
            store.names[static_cast<std::size_t>(o.index)].c_str(), static_cast<long>(pairTotal),
            static_cast<long>(o.wins), static_cast<long>(o.draws), static_cast<long>(o.losses),
            percent);
    }
}

ReportFailure closeProgramsFile(ReportFile& report)
{
    return finishReport(report);
}

} // namespace varnok
