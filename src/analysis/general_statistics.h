// General statistics: the whole-database summary "general.dat" and every program's totals.
#pragma once

#include "reports/report_writer.h"
#include "store/result_store.h"

namespace varnok {

// Writes "general.dat" from the database counters.
ReportFailure writeGeneralStatistics(const ResultStore& store);

// Sizes the per-program tables, builds the opponent lists and sums every program's games,
// wins, losses and draws against other programs.
void computeProgramTotals(ResultStore& store);

} // namespace varnok
