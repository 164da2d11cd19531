#include "analysis/formulas.h"

#include <cmath>

namespace varnok {

double performanceDelta(double p)
{
    // The limits are tested on p, never on the result.
    if (p < SCORE_CLIP_LOW) {
        return -DELTA_CLIP;
    }
    if (p > SCORE_CLIP_HIGH) {
        return DELTA_CLIP;
    }
    return ELO_SCALE * std::log10(p / (1.0 - p));
}

ScoreDeviations scoreDeviations(
    std::int64_t wins, std::int64_t draws, std::int64_t losses, double p)
{
    if (wins + draws == 0 || draws + losses == 0 || wins + losses == 0
        || wins + draws + losses == 0) {
        return {};
    }
    // Squares are written out as products and summed left to right, as the printed margins
    // depend on the last bit.
    const double drawDistance = (0.5 - p) * (0.5 - p);
    const double winDistance = (1.0 - p) * (1.0 - p);
    const double lossDistance = (0.0 - p) * (0.0 - p);
    ScoreDeviations result;
    if (p < 0.5) {
        result.upperDeviation = std::sqrt(
            (drawDistance * static_cast<double>(draws) + winDistance * static_cast<double>(wins))
            / static_cast<double>(draws + wins));
        result.lowerDeviation = std::sqrt(lossDistance);
    } else if (p > 0.5) {
        result.lowerDeviation = std::sqrt(
            (drawDistance * static_cast<double>(draws) + lossDistance * static_cast<double>(losses))
            / static_cast<double>(draws + losses));
        result.upperDeviation = std::sqrt(winDistance);
    } else {
        result.lowerDeviation = std::sqrt(
            (drawDistance * static_cast<double>(draws) + lossDistance * static_cast<double>(losses)
                + winDistance * static_cast<double>(wins))
            / static_cast<double>(draws + losses + wins));
        result.upperDeviation = result.lowerDeviation;
    }
    const double root = std::sqrt(static_cast<double>(wins + draws + losses - 1));
    result.upperDeviation = result.upperDeviation / root;
    result.lowerDeviation = result.lowerDeviation / root;
    return result;
}

double plusMargin(double p, double upperDeviation, double k)
{
    return performanceDelta(p + k * upperDeviation) - performanceDelta(p);
}

double minusMargin(double p, double lowerDeviation, double k)
{
    return performanceDelta(p - k * lowerDeviation) - performanceDelta(p);
}

PercentMargins percentMargins(double p, double upperDeviation, double lowerDeviation, double k)
{
    PercentMargins margins;
    margins.lowPercent = (p - k * lowerDeviation) * 100.0;
    if (margins.lowPercent < 0.0) {
        margins.lowPercent = 0.0;
    }
    margins.highPercent = (p + k * upperDeviation) * 100.0;
    if (margins.highPercent > 100.0) {
        margins.highPercent = 100.0;
    }
    margins.plusPercent = k * upperDeviation * 100.0;
    if (margins.plusPercent > 100.0) {
        margins.plusPercent = 100.0;
    }
    margins.minusPercent = k * lowerDeviation * 100.0;
    if (margins.minusPercent > 100.0) {
        margins.minusPercent = 100.0;
    }
    return margins;
}

} // namespace varnok
