// The single competition calculator: one program's wins, draws and losses against opponents
// of a given average rating turned into a score, a performance rating and their confidence
// intervals, repeated until the user declines.
#pragma once

#include "driver/console.h"

namespace varnok {

// Runs calculations until the user answers 'n' or the input ends.
void runSingleCompetition(Console& console);

} // namespace varnok
