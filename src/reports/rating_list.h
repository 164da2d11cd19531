// The rating list "rating.dat", cluster by cluster, best first, with "programs.dat" written
// alongside; and the tournament check.
#pragma once

#include "driver/console.h"
#include "reports/report_writer.h"
#include "store/result_store.h"

namespace varnok {

// Writes "rating.dat" in the layout of the run mode and, for every program it lists, that
// program's entry of "programs.dat".
ReportFailure writeRatingList(ResultStore& store);

// Tournament mode: warns once on the console when the programs played different numbers of
// games.
void checkTournament(const ResultStore& store, Console& console);

} // namespace varnok
