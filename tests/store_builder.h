// Builds a result store from a short list of games, the way the program would read them.
#pragma once

#include "analysis/general_statistics.h"
#include "pgn/tag_reader.h"
#include "test_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varnok::testing {

struct Game {
    std::string white;
    std::string black;
    std::string result;
};

inline std::string pgnOf(const std::vector<Game>& games)
{
    std::string pgn;
    for (const Game& g : games) {
        pgn += "[White \"" + g.white + "\"]\n[Black \"" + g.black + "\"]\n[Result \"" + g.result
            + "\"]\n\n1. e4 e5 " + g.result + "\n\n";
    }
    return pgn;
}

// The store after reading the games and computing the program totals.
inline ResultStore storeOf(const std::vector<Game>& games)
{
    MemoryConsole console;
    ResultStore store;
    resetStore(store);
    readPgnText(store, pgnOf(games), console.console);
    computeProgramTotals(store);
    return store;
}

// Runs the test body in a fresh working directory, so that reports land there.
class InTempDirectory {
public:
    InTempDirectory()
        : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir_.path());
    }
    ~InTempDirectory() { std::filesystem::current_path(previous_); }
    InTempDirectory(const InTempDirectory&) = delete;
    InTempDirectory& operator=(const InTempDirectory&) = delete;

    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::filesystem::path previous_;
};

} // namespace varnok::testing
