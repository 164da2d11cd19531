// The one way every report file is written: into a fresh temporary file beside it, renamed
// over the report only when every write and the close have succeeded. A failure never leaves
// a truncated report and never destroys the previous one.
#pragma once

#include "driver/console.h"

#include <cstdio>
#include <string>

namespace varnok {

// What went wrong with a report, for the driver to print.
struct ReportFailure {
    enum class Kind { None, Create, Write };
    Kind kind = Kind::None;
    std::string fileName;

    explicit operator bool() const { return kind != Kind::None; }
};

struct ReportFile {
    std::string name; // the report's own name, in the working directory
    std::string tempName; // where it is written until it is complete
    std::FILE* file = nullptr;
    bool writeFailed = false;
};

// Starts writing the report `name`. On failure the report is left closed and the failure
// says so.
ReportFailure openReport(ReportFile& report, const char* name);

// Formatted output to an open report; a failed write is remembered for finishReport.
void reportf(ReportFile& report, const char* format, ...) VARNOK_PRINTF(2, 3);

// Closes the report and puts it in place of the old one, or discards it on any failure.
ReportFailure finishReport(ReportFile& report);

// Closes and removes an unfinished report; the old one stays as it was.
void discardReport(ReportFile& report);

// Prints a report failure on the console: the words the user sees.
void sayReportFailure(Console& console, const ReportFailure& failure);

} // namespace varnok
