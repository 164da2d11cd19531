#include "reports/report_writer.h"

#include <cerrno>
#include <cstdarg>
#include <fcntl.h>

#if defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace varnok {

namespace {

    // Tries this many temporary names before giving up (another file may hold a name).
    constexpr int TEMP_NAME_ATTEMPTS = 100;

    int processId()
    {
#if defined(_WIN32)
        return _getpid();
#else
        return static_cast<int>(getpid());
#endif
    }

    // Creates a file that did not exist before, for writing in text mode, with the
    // permissions a new report would get. Text mode gives a report the platform's own line
    // ends: "\r\n" on Windows.
    std::FILE* createNewFile(const std::string& name)
    {
#if defined(_WIN32)
        const int fd
            = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
        std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "w");
        if (fd >= 0 && file == nullptr) {
            _close(fd);
            std::remove(name.c_str());
        }
#else
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "w");
        if (fd >= 0 && file == nullptr) {
            close(fd);
            std::remove(name.c_str());
        }
#endif
        return file;
    }

    bool replaceFile(const std::string& from, const std::string& to)
    {
#if defined(_WIN32)
        // rename fails there whenever the target exists. MoveFileEx replaces it in one step;
        // it fails on a directory in the way, as rename does, and also on a report that
        // another program holds open without sharing it. Either way the old one stays.
        return MoveFileExA(
                   from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
            != 0;
#else
        return std::rename(from.c_str(), to.c_str()) == 0;
#endif
    }

} // namespace

ReportFailure openReport(ReportFile& report, const char* name)
{
    report = ReportFile {};
    report.name = name;
    for (int attempt = 0; attempt < TEMP_NAME_ATTEMPTS && report.file == nullptr; ++attempt) {
        // A name left behind by an earlier process with the same id is skipped.
        report.tempName
            = report.name + ".tmp" + std::to_string(processId()) + "-" + std::to_string(attempt);
        errno = 0;
        report.file = createNewFile(report.tempName);
        if (report.file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (report.file == nullptr) {
        return ReportFailure { ReportFailure::Kind::Create, report.name };
    }
    return {};
}

void reportf(ReportFile& report, const char* format, ...)
{
    if (report.file == nullptr || report.writeFailed) {
        return;
    }
    va_list args;
    va_start(args, format);
    if (std::vfprintf(report.file, format, args) < 0) {
        report.writeFailed = true;
    }
    va_end(args);
}

ReportFailure finishReport(ReportFile& report)
{
    if (report.file == nullptr) {
        return ReportFailure { ReportFailure::Kind::Create, report.name };
    }
    const bool flushed = std::fflush(report.file) == 0 && std::ferror(report.file) == 0;
    const bool closed = std::fclose(report.file) == 0;
    report.file = nullptr;
    if (report.writeFailed || !flushed || !closed) {
        std::remove(report.tempName.c_str());
        return ReportFailure { ReportFailure::Kind::Write, report.name };
    }
    if (!replaceFile(report.tempName, report.name)) {
        std::remove(report.tempName.c_str());
        return ReportFailure { ReportFailure::Kind::Create, report.name };
    }
    return {};
}

void discardReport(ReportFile& report)
{
    if (report.file != nullptr) {
        std::fclose(report.file);
        report.file = nullptr;
        std::remove(report.tempName.c_str());
    }
}

void sayReportFailure(Console& console, const ReportFailure& failure)
{
    if (failure.kind == ReportFailure::Kind::Write) {
        say(console, "\nFAILURE - Unable to write %s\n", failure.fileName.c_str());
    } else {
        say(console, "\nFAILURE - Unable to create %s\n", failure.fileName.c_str());
    }
}

} // namespace varnok
