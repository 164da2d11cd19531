// The in-memory database of one rating run: program names, results per ordered pair of
// programs, the counters of the whole file and every per-program and per-cluster value the
// analysis stages compute one after another. Tables grow with the data; indices start at 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnok {

// 1-based index of a program in order of first appearance; 0 means "none".
using ProgramIndex = std::int32_t;
// Number of games. Wide so that no file, however large, can overflow a counter.
using GameCount = std::int64_t;

enum class RunMode : char { RatingList = '1', TournamentMode = '2', SingleCompetition = '3' };

// Results of the games with one program as White and another as Black.
struct PairCell {
    ProgramIndex white = 0;
    ProgramIndex black = 0;
    std::int32_t whiteWins = 0; // games that ended "1-0"
    std::int32_t blackWins = 0; // games that ended "0-1"
    std::int32_t drawn = 0; // games that ended "1/2-1/2"
};

// Name -> index lookup: open addressing over indices into the name list. A slot holds the
// name's hash too, so that a probe reads a name only when the hashes agree.
struct NameIndex {
    struct Slot {
        std::uint32_t index = 0; // program index, 0 = empty
        std::uint32_t hash = 0; // hash of its name
    };
    std::vector<Slot> slots; // size is a power of two
    std::vector<std::uint32_t> hashes; // hash of the name of each program, by index
};

// (white, black) -> cell lookup. Cells live in fixed-size chunks so that they never move
// and growing the store never needs the old and the new copy at the same time.
struct PairIndex {
    static constexpr std::size_t CHUNK_CELLS = 4096;
    std::vector<std::unique_ptr<PairCell[]>> chunks;
    std::size_t cellCount = 0;
    // A slot holds its pair too, so that a probe reads no cell; the size is a power of two.
    struct Slot {
        ProgramIndex white = 0;
        ProgramIndex black = 0;
        std::uint32_t cell = 0; // cell number + 1, 0 = empty
    };
    std::vector<Slot> slots;
    // The two cells asked for last, most recent first (cell number + 1, 0 = none): the games
    // of a match follow each other, colours swapped from game to game.
    std::uint32_t recentCells[2] = { 0, 0 };
};

// One opponent of a program, with the results seen from the program's side over both
// colour assignments.
struct Opponent {
    ProgramIndex index = 0;
    std::int32_t wins = 0;
    std::int32_t draws = 0;
    std::int32_t losses = 0;
};

struct DatabaseCounters {
    GameCount finishedGames = 0; // "1-0", "0-1" and "1/2-1/2"
    GameCount whiteWinCount = 0; // "1-0"
    GameCount blackWinCount = 0; // "0-1"
    GameCount drawCount = 0; // "1/2-1/2"
    GameCount unfinishedCount = 0; // "*"
    GameCount ecoCount[5] = {}; // games by the first letter A..E of their ECO tag
};

struct ResultStore {
    // Programs, by index; names[0] is unused.
    std::vector<std::string> names;
    NameIndex nameIndex;

    // Results per ordered pair (white, black) of programs that met.
    PairIndex pairs;
    DatabaseCounters counters;

    // Run parameters from the prompts.
    RunMode mode = RunMode::RatingList;
    std::int32_t startElo = 0; // shown rating of the internal base rating
    std::int32_t minGames = 0; // least games to be listed, rating-list mode only

    // Per-program tables, entry 0 unused, sized by sizeProgramTables().
    std::vector<GameCount> games, wins, losses, draws; // finished games against others
    std::vector<std::int32_t> clusterOf; // cluster number, 0 = in no cluster
    std::vector<std::int32_t> visited; // cluster search: 1 once nothing more is needed
    std::vector<std::int32_t> opponentCount; // distinct opponents met
    std::vector<std::int32_t> listed; // rating list: 1 while still to be printed
    std::vector<double> scoreFraction; // (wins + 0.5 draws) / games
    std::vector<double> internalRating; // rating on the internal scale (base 2400)
    std::vector<double> previousRating; // rating of the previous iteration pass
    std::vector<double> ratingDelta; // change of the rating in the last pass
    std::vector<double> averageOpponentRating; // games-weighted, internal scale
    std::vector<double> ratingPlus; // upper error margin, rating points, >= 0
    std::vector<double> ratingMinus; // lower error margin, rating points, <= 0

    // Opponents of every program in increasing index order (programs that met, self-games
    // left out): program i's are opponents[opponentStart[i] .. opponentStart[i + 1]).
    std::vector<std::size_t> opponentStart;
    std::vector<Opponent> opponents;

    // Per-cluster tables, entry 0 unused.
    std::int32_t clusterCount = 0;
    std::vector<std::int32_t> clusterSize; // member programs
    std::vector<GameCount> clusterGames; // sum of the members' games
    std::vector<double> itoffset; // games-weighted mean performance delta of the members
};

inline ProgramIndex programCount(const ResultStore& store)
{
    return static_cast<ProgramIndex>(store.names.size()) - 1;
}

// Empties the store for a new run; keeps the run parameters.
void resetStore(ResultStore& store);

// Index of the program with exactly this name (byte for byte, case-sensitive), registering
// it with the next free index when it is new.
ProgramIndex findOrAddProgram(ResultStore& store, std::string_view name);

// The cell of White `white` against Black `black`, created empty when the pair is new.
PairCell& pairCell(ResultStore& store, ProgramIndex white, ProgramIndex black);

// The cell of White `white` against Black `black`, or nullptr when they never met so.
const PairCell* findPairCell(const ResultStore& store, ProgramIndex white, ProgramIndex black);

// Calls fn(cell) for every pair cell, in the order the pairs first met.
template <typename Fn> void forEachPairCell(const ResultStore& store, Fn&& fn)
{
    for (std::size_t n = 0; n < store.pairs.cellCount; ++n) {
        fn(store.pairs.chunks[n / PairIndex::CHUNK_CELLS][n % PairIndex::CHUNK_CELLS]);
    }
}

// Results of program i against program j (i != j) over both colour assignments.
GameCount pairWins(const ResultStore& store, ProgramIndex i, ProgramIndex j);
GameCount pairLosses(const ResultStore& store, ProgramIndex i, ProgramIndex j);
GameCount pairDraws(const ResultStore& store, ProgramIndex i, ProgramIndex j);
GameCount pairGames(const ResultStore& store, ProgramIndex i, ProgramIndex j);

// Resizes every per-program table to the registered programs, zero-filled.
void sizeProgramTables(ResultStore& store);

// Builds every program's opponent list from the pair cells: the results of each pair seen
// from both sides, self-games left out. The stages after reading work from these lists.
void buildOpponentLists(ResultStore& store);

// Program i's opponents, in increasing index order.
struct OpponentRange {
    const Opponent* first;
    const Opponent* last;
    const Opponent* begin() const { return first; }
    const Opponent* end() const { return last; }
    std::size_t size() const { return static_cast<std::size_t>(last - first); }
};
inline OpponentRange opponentsOf(const ResultStore& store, ProgramIndex i)
{
    const Opponent* base = store.opponents.data();
    const auto at = static_cast<std::size_t>(i);
    return { base + store.opponentStart[at], base + store.opponentStart[at + 1] };
}

inline GameCount gamesOf(const Opponent& o)
{
    return GameCount { o.wins } + o.draws + o.losses;
}

} // namespace varnok
