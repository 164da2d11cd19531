// Whether a report file is complete as its format has it: what a run that stopped halfway
// could never leave. For the tests of runs that fail.
#pragma once

#include "test_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varnok::testing {

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

inline bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size()
        && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Why a report is not complete as its format has it, or an empty string.
inline std::string incompleteness(const std::string& report, const std::string& text)
{
    if (report == "general.dat") {
        const std::vector<std::string> lines = linesOf(text);
        if (text.rfind("\nGames        : ", 0) != 0 || !endsWith(text, " %)\n") || lines.empty()
            || lines.back().rfind("ECO E = ", 0) != 0) {
            return "general.dat does not end with its ECO E line";
        }
        return "";
    }
    if (report == "cluster.dat") {
        std::size_t clusters = 0;
        std::size_t offsets = 0;
        for (const std::string& line : linesOf(text)) {
            clusters += (line.rfind("Cluster No. ", 0) == 0) ? 1u : 0u;
            offsets += (line.rfind("itoffset = ", 0) == 0) ? 1u : 0u;
        }
        if (clusters != offsets || (!text.empty() && !endsWith(text, "\n\n\n"))) {
            return "cluster.dat does not end with the offset of its last cluster";
        }
        return "";
    }
    if (report == "rating.dat") {
        // Blocks of a four-line header and the lines of a cluster, each ending "%".
        const std::vector<std::string> lines = linesOf(text);
        if (!text.empty() && text.back() != '\n') {
            return "rating.dat ends inside a line";
        }
        for (std::size_t i = 0; i < lines.size();) {
            if (i + 3 >= lines.size() || !lines[i].empty() || !lines[i + 1].empty()
                || lines[i + 2].rfind("    Program ", 0) != 0 || !lines[i + 3].empty()) {
                return "rating.dat has a broken header at line " + std::to_string(i + 1);
            }
            for (i += 4; i < lines.size() && !lines[i].empty(); ++i) {
                if (!endsWith(lines[i], " %")) {
                    return "rating.dat has a broken line " + std::to_string(i + 1);
                }
            }
        }
        return "";
    }
    if (report == "programs.dat") {
        if (text.rfind("Individual statistics:", 0) != 0
            || (text != "Individual statistics:" && !endsWith(text, " %\n"))) {
            return "programs.dat does not end with a whole entry";
        }
        return "";
    }
    return "";
}

// Every listed program has its entry in programs.dat.
inline std::string entriesMissing(const std::filesystem::path& dir)
{
    std::size_t listed = 0;
    for (const std::string& line : linesOf(readReport(dir / "rating.dat"))) {
        listed += endsWith(line, " %") ? 1u : 0u;
    }
    std::size_t entries = 0;
    for (const std::string& line : linesOf(readReport(dir / "programs.dat"))) {
        entries += (line.rfind("(", 0) == 0) ? 1u : 0u;
    }
    return listed == entries
        ? ""
        : std::to_string(listed) + " programs listed, " + std::to_string(entries) + " entries";
}

} // namespace varnok::testing
