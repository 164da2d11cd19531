// Cluster analysis: which programs are connected through finished games, each cluster's
// members and rating offset, and the database structure report "cluster.dat".
#pragma once

#include "driver/console.h"
#include "reports/report_writer.h"
#include "store/result_store.h"

namespace varnok {

// Numbers the clusters 1, 2, ... in order of their lowest program index; programs without
// games stay in cluster 0.
void numberClusters(ResultStore& store);

// The whole stage: numbering, opponent counts, offsets and "cluster.dat", with its console line.
ReportFailure analyseClusters(ResultStore& store, Console& console);

} // namespace varnok
