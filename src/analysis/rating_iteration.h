// Rating iteration: every program's rating, average opponent rating and error margins, by a
// damped fixed-point (Jacobi) iteration on the performance equation.
#pragma once

#include "driver/console.h"
#include "store/result_store.h"

#include <cstdint>

namespace varnok {

constexpr double INTERNAL_BASE_RATING = 2400.0; // every program starts here
constexpr double DAMPING = 0.5; // new rating = mean of the equation's value and the old one
constexpr double CONVERGENCE_LIMIT = 0.001; // rating points
constexpr std::int32_t PASS_LIMIT = 1000; // another pass starts only while passes <= this
constexpr double MARGIN_FACTOR = 2.0; // margins at two deviations

// Runs the passes until the largest change is at most the convergence limit or the pass
// limit is exceeded; returns the number of passes.
std::int32_t iterateRatings(ResultStore& store);

// Error margins of every program with games, from its own record.
void computeMargins(ResultStore& store);

// The whole stage, with its console line.
void computeRatings(ResultStore& store, Console& console);

} // namespace varnok
