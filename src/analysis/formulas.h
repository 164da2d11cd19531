// The numerical core of the rating model: score fraction to rating difference, the spread of
// a record of results, and error margins in rating points and in percent. Pure functions.
#pragma once

#include <cstdint>

namespace varnok {

// Score fractions outside these limits give the clipped rating difference; the formula
// itself reaches +-600.000176 at the limits, which add up to exactly 1.
constexpr double SCORE_CLIP_LOW = 0.0306534;
constexpr double SCORE_CLIP_HIGH = 0.9693466;
constexpr double DELTA_CLIP = 600.0;
constexpr double ELO_SCALE = 400.0;

// Rating difference of a score fraction: 400 log10(p / (1 - p)), +-600 beyond the limits.
double performanceDelta(double p);

struct ScoreDeviations {
    double upperDeviation = 0.0; // spread of the outcomes above p, per sqrt(n - 1)
    double lowerDeviation = 0.0; // spread of the outcomes below p, per sqrt(n - 1)
};

// Spread of a record of wins, draws and losses around its score fraction p, separately
// towards better and worse results. A record of one kind of result has no spread.
ScoreDeviations scoreDeviations(
    std::int64_t wins, std::int64_t draws, std::int64_t losses, double p);

// Rating points from the performance at p to the performance at p + k upper deviations.
double plusMargin(double p, double upperDeviation, double k);

// Rating points from the performance at p to the performance at p - k lower deviations.
double minusMargin(double p, double lowerDeviation, double k);

struct PercentMargins {
    double plusPercent = 0.0; // k upper deviations in percent, at most 100
    double minusPercent = 0.0; // k lower deviations in percent, at most 100
    double lowPercent = 0.0; // lower end of the interval in percent, at least 0
    double highPercent = 0.0; // upper end of the interval in percent, at most 100
};

// The margins of p on the percentage scale, each clamped on its own.
PercentMargins percentMargins(double p, double upperDeviation, double lowerDeviation, double k);

} // namespace varnok
