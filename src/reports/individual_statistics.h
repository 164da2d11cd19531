// Individual statistics "programs.dat": each listed program's record and its record against
// every opponent it met, in the order and under the numbers of the rating list.
#pragma once

#include "reports/report_writer.h"
#include "store/result_store.h"

namespace varnok {

// Creates "programs.dat" and writes its heading.
ReportFailure openProgramsFile(ReportFile& report);

// Appends the entry of program p under number n.
void writeProgramEntry(
    ReportFile& report, const ResultStore& store, ProgramIndex p, std::int32_t n);

// Completes "programs.dat".
ReportFailure closeProgramsFile(ReportFile& report);

} // namespace varnok
