// A deterministic writer of game files that look like the output of engine testing: the usual
// ten tags per game, move text of 60 to 120 plies with engine comments after most moves, and
// pairings of programs near each other's strength, many games per pair. The same options
// always give the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace varnok::bench {

struct GeneratorOptions {
    std::int64_t games = 1000; // games in the file
    std::int32_t programs = 30; // distinct programs; all of them play when games allow
    std::int32_t clusters = 1; // groups of programs that never meet another group's programs
    // Each program meets this many programs of its cluster that are stronger than it, drawn
    // from the `spread` programs ranked next above it (0: a quarter of the cluster, about 350
    // Elo), and as many weaker ones on average. Neighbours and spread of 1 make every cluster
    // a chain.
    std::int32_t neighbours = 5;
    std::int32_t spread = 0;
    bool randomPairing = false; // any two programs of a cluster meet, instead of neighbours
    double drawShare = 0.35; // share of draws among the finished games, about
    double unfinishedShare = 0.01; // share of games with the result "*"
    bool crlf = false; // "\r\n" line ends instead of "\n"
    std::uint64_t seed = 20240601;
};

// Changes whenever the same options give other bytes, so that kept files can be told apart.
constexpr int GENERATOR_VERSION = 3;

// Receives the file in pieces of about a megabyte, in order.
using TextSink = std::function<void(std::string_view)>;

// Writes the game file of these options to `sink`. Returns false when the options make no
// file (fewer than two programs in a cluster, shares outside 0..1).
bool generateGames(const GeneratorOptions& options, const TextSink& sink);

// The whole game file as one string; empty when the options make no file.
std::string generateGamesText(const GeneratorOptions& options);

// The name of program `index` (0-based), as the generated file writes it.
std::string programName(std::int32_t index);

} // namespace varnok::bench
