#include "single/single_competition.h"

#include "analysis/formulas.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace varnok {

namespace {

    // The three intervals: one, two and three deviations.
    constexpr double INTERVAL_FACTORS[3] = { 1.0, 2.0, 3.0 };

    struct Record {
        std::int32_t wins = 0;
        std::int32_t draws = 0;
        std::int32_t losses = 0;
        double averageOpponents = 0.0;
    };

    std::optional<Record> readRecord(Console& console)
    {
        say(console, "\n\n");
        const auto wins = readInt(console, "Wins   = ");
        if (!wins) {
            return std::nullopt;
        }
        const auto draws = readInt(console, "Draws  = ");
        if (!draws) {
            return std::nullopt;
        }
        const auto losses = readInt(console, "Losses = ");
        if (!losses) {
            return std::nullopt;
        }
        const auto average = readDouble(console, "Av.Op. Elo = ");
        if (!average) {
            return std::nullopt;
        }
        return Record { *wins, *draws, *losses, *average };
    }

    void printCalculation(Console& console, const Record& record)
    {
        const std::int64_t games = std::int64_t { record.wins } + record.draws + record.losses;
        const double p
            = (static_cast<double>(record.wins) * 1.0 + static_cast<double>(record.draws) * 0.5)
            / static_cast<double>(games);
        const double d = performanceDelta(p);
        const ScoreDeviations deviations
            = scoreDeviations(record.wins, record.draws, record.losses, p);
        double plus[3];
        double minus[3];
        for (int k = 0; k < 3; ++k) {
            plus[k] = plusMargin(p, deviations.upperDeviation, INTERVAL_FACTORS[k]);
            minus[k] = minusMargin(p, deviations.lowerDeviation, INTERVAL_FACTORS[k]);
        }

        say(console, "\nResult     : %3.1f/%ld (+%ld,=%ld,-%ld)\n", static_cast<double>(games) * p,
            static_cast<long>(games), static_cast<long>(record.wins),
            static_cast<long>(record.draws), static_cast<long>(record.losses));
        say(console, "Perf.      : %3.1f %%\n", 100.0 * p);
        say(console, "Margins    :\n");
        const char* const percentLines[3] = {
            " 68 %%      : (+%5.1f,-%5.1f %%) -> [%5.1f,%5.1f %%]\n",
            " 95 %%      : (+%5.1f,-%5.1f %%) -> [%5.1f,%5.1f %%]\n",
            " 99.7 %%    : (+%5.1f,-%5.1f %%) -> [%5.1f,%5.1f %%]\n",
        };
        for (int k = 0; k < 3; ++k) {
            const PercentMargins m = percentMargins(
                p, deviations.upperDeviation, deviations.lowerDeviation, INTERVAL_FACTORS[k]);
            say(console, percentLines[k], m.plusPercent, m.minusPercent, m.lowPercent,
                m.highPercent);
        }

        const double a = record.averageOpponents;
        say(console, "\nElo        : %4.0f\n", d + a);
        say(console, "Margins    :\n");
        const char* const ratingLines[3] = {
            " 68 %%      : (+%3.0f,-%3.0f) -> [%4.0f,%4.0f]\n",
            " 95 %%      : (+%3.0f,-%3.0f) -> [%4.0f,%4.0f]\n",
            " 99.7 %%    : (+%3.0f,-%3.0f) -> [%4.0f,%4.0f]\n",
        };
        for (int k = 0; k < 3; ++k) {
            const double up = std::fabs(plus[k]);
            const double down = std::fabs(minus[k]);
            say(console, ratingLines[k], up, down, (d - down) + a, (up + d) + a);
        }
    }

} // namespace

void runSingleCompetition(Console& console)
{
    for (;;) {
        const std::optional<Record> record = readRecord(console);
        if (!record) {
            return;
        }
        const std::int64_t games = std::int64_t { record->wins } + record->draws + record->losses;
        if (record->wins < 0 || record->draws < 0 || record->losses < 0 || games == 0) {
            say(console, "\nA result needs at least one game and no negative counts.\n");
        } else if (games > INT32_MAX) {
            say(console, "\nA result can have at most 2147483647 games.\n");
        } else {
            printCalculation(console, *record);
        }
        say(console, "\nNew calculation (y/n) ? ");
        int key = readKey(console);
        while (key != 'y' && key != 'n' && key != EOF) {
            key = readKey(console);
        }
        if (key != 'y') {
            return;
        }
    }
}

} // namespace varnok
