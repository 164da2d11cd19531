#include "analysis/rating_iteration.h"

#include "analysis/formulas.h"

#include <cmath>
#include <vector>

namespace varnok {

namespace {

    // What a pass needs of each program and each pair, computed once: the pairs do not
    // change between passes, so a pass costs time in proportion to the pairs that met.
    struct IterationInput {
        std::vector<ProgramIndex> active; // programs with games, increasing index
        std::vector<double> performance; // performanceDelta of the score, by index
        std::vector<double> offset; // itoffset of the program's cluster, by index
        // The opponents of every program, as in store.opponents, in two plain arrays: a pass
        // reads nothing else of them, and reads them all, 1001 times at most.
        std::vector<ProgramIndex> opponent; // the opponent's index
        std::vector<double> weight; // pair games / own games
    };

    IterationInput prepare(ResultStore& store)
    {
        IterationInput input;
        const std::size_t size = store.names.size();
        input.performance.assign(size, 0.0);
        input.offset.assign(size, 0.0);
        input.weight.assign(store.opponents.size(), 0.0);
        input.opponent.resize(store.opponents.size());
        for (std::size_t k = 0; k < store.opponents.size(); ++k) {
            input.opponent[k] = store.opponents[k].index;
        }
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (store.games[at] == 0) {
                continue;
            }
            input.active.push_back(i);
            const double games = static_cast<double>(store.games[at]);
            store.scoreFraction[at] = (static_cast<double>(store.wins[at]) * 1.0
                                          + static_cast<double>(store.draws[at]) * 0.5)
                / games;
            input.performance[at] = performanceDelta(store.scoreFraction[at]);
            input.offset[at] = store.itoffset[static_cast<std::size_t>(store.clusterOf[at])];
            for (std::size_t k = store.opponentStart[at]; k < store.opponentStart[at + 1]; ++k) {
                input.weight[k] = static_cast<double>(gamesOf(store.opponents[k])) * 1.0 / games;
            }
        }
        return input;
    }

    // One pass; returns the largest change of a rating. Every opponent's rating is read from
    // the previous pass, so the order of the programs does not matter; the sum over the
    // opponents runs in increasing index order as the printed ratings depend on the last bit.
    double runPass(ResultStore& store, const IterationInput& input)
    {
        const ProgramIndex* opponent = input.opponent.data();
        const double* weight = input.weight.data();
        const double* previous = store.previousRating.data();
        for (const ProgramIndex i : input.active) {
            const auto at = static_cast<std::size_t>(i);
            double average = 0.0;
            for (std::size_t k = store.opponentStart[at]; k < store.opponentStart[at + 1]; ++k) {
                average += weight[k] * previous[opponent[k]];
            }
            store.averageOpponentRating[at] = average;
            double rating = average + input.performance[at] - input.offset[at];
            rating = (rating + previous[at]) * DAMPING;
            store.internalRating[at] = rating;
        }
        double largestChange = 0.0;
        for (const ProgramIndex i : input.active) {
            const auto at = static_cast<std::size_t>(i);
            store.ratingDelta[at] = store.internalRating[at] - store.previousRating[at];
            if (std::fabs(store.ratingDelta[at]) > largestChange) {
                largestChange = std::fabs(store.ratingDelta[at]);
            }
            store.previousRating[at] = store.internalRating[at];
        }
        return largestChange;
    }

} // namespace

std::int32_t iterateRatings(ResultStore& store)
{
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        store.previousRating[static_cast<std::size_t>(i)] = INTERNAL_BASE_RATING;
    }
    const IterationInput input = prepare(store);
    std::int32_t passCount = 0;
    double largestChange = 0.0;
    do {
        ++passCount;
        largestChange = runPass(store, input);
    } while (largestChange > CONVERGENCE_LIMIT && passCount <= PASS_LIMIT);
    return passCount;
}

void computeMargins(ResultStore& store)
{
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (store.games[at] == 0) {
            continue;
        }
        const double p = store.scoreFraction[at];
        const ScoreDeviations deviations
            = scoreDeviations(store.wins[at], store.draws[at], store.losses[at], p);
        store.ratingPlus[at] = plusMargin(p, deviations.upperDeviation, MARGIN_FACTOR);
        store.ratingMinus[at] = minusMargin(p, deviations.lowerDeviation, MARGIN_FACTOR);
    }
}

void computeRatings(ResultStore& store, Console& console)
{
    say(console, "Calculating ELO ratings... ");
    flushConsole(console);
    const std::int32_t passCount = iterateRatings(store);
    if (passCount >= PASS_LIMIT) {
        say(console, "Iteration failed - degenerate database\n");
    }
    say(console, "%d iterations\n", passCount);
    computeMargins(store);
}

} // namespace varnok
