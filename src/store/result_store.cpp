#include "store/result_store.h"

#include <algorithm>
#include <cstring>

namespace varnok {

namespace {

    // Both lookup tables start tiny and double, so the growth code runs in every small test.
    constexpr std::size_t INITIAL_SLOTS = 8;

    std::uint64_t mix(std::uint64_t h)
    {
        h ^= h >> 32;
        h *= 0xd6e8feb86659fd93ull;
        h ^= h >> 32;
        return h;
    }

    // A word-at-a-time hash of a name; names are hashed twice per game, so speed matters.
    std::uint32_t hashName(std::string_view name)
    {
        const char* p = name.data();
        std::size_t n = name.size();
        std::uint64_t h = 0x9e3779b97f4a7c15ull ^ n;
        while (n >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            h = mix(h ^ w) * 0xff51afd7ed558ccdull;
            p += 8;
            n -= 8;
        }
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        return static_cast<std::uint32_t>(mix(h ^ w));
    }

    std::uint32_t hashPair(ProgramIndex white, ProgramIndex black)
    {
        const std::uint64_t key
            = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(white)) << 32)
            | static_cast<std::uint32_t>(black);
        return static_cast<std::uint32_t>(mix(key * 0x9e3779b97f4a7c15ull));
    }

    void growNameIndex(ResultStore& store)
    {
        NameIndex& index = store.nameIndex;
        const std::size_t size = index.slots.empty() ? INITIAL_SLOTS : index.slots.size() * 2;
        index.slots.assign(size, NameIndex::Slot {});
        const std::size_t mask = size - 1;
        for (std::size_t i = 1; i < store.names.size(); ++i) {
            std::size_t slot = index.hashes[i] & mask;
            while (index.slots[slot].index != 0) {
                slot = (slot + 1) & mask;
            }
            index.slots[slot] = NameIndex::Slot { static_cast<std::uint32_t>(i), index.hashes[i] };
        }
    }

    PairCell& cellAt(PairIndex& pairs, std::size_t n)
    {
        return pairs.chunks[n / PairIndex::CHUNK_CELLS][n % PairIndex::CHUNK_CELLS];
    }

    const PairCell& cellAt(const PairIndex& pairs, std::size_t n)
    {
        return pairs.chunks[n / PairIndex::CHUNK_CELLS][n % PairIndex::CHUNK_CELLS];
    }

    void growPairIndex(PairIndex& pairs)
    {
        const std::size_t size = pairs.slots.empty() ? INITIAL_SLOTS : pairs.slots.size() * 2;
        pairs.slots.assign(size, PairIndex::Slot {});
        const std::size_t mask = size - 1;
        for (std::size_t n = 0; n < pairs.cellCount; ++n) {
            const PairCell& cell = cellAt(pairs, n);
            std::size_t slot = hashPair(cell.white, cell.black) & mask;
            while (pairs.slots[slot].cell != 0) {
                slot = (slot + 1) & mask;
            }
            pairs.slots[slot]
                = PairIndex::Slot { cell.white, cell.black, static_cast<std::uint32_t>(n + 1) };
        }
    }

    // Slot of the pair in the index: the one that holds it, or the empty one where it belongs.
    std::size_t findPairSlot(const PairIndex& pairs, ProgramIndex white, ProgramIndex black)
    {
        const std::size_t mask = pairs.slots.size() - 1;
        std::size_t slot = hashPair(white, black) & mask;
        while (pairs.slots[slot].cell != 0) {
            if (pairs.slots[slot].white == white && pairs.slots[slot].black == black) {
                break;
            }
            slot = (slot + 1) & mask;
        }
        return slot;
    }

} // namespace

void resetStore(ResultStore& store)
{
    const RunMode mode = store.mode;
    const std::int32_t startElo = store.startElo;
    const std::int32_t minGames = store.minGames;
    store = ResultStore {};
    store.mode = mode;
    store.startElo = startElo;
    store.minGames = minGames;
    store.names.emplace_back(); // index 0 is never a program
    store.nameIndex.hashes.push_back(0);
}

ProgramIndex findOrAddProgram(ResultStore& store, std::string_view name)
{
    if (store.names.empty()) {
        resetStore(store);
    }
    NameIndex& index = store.nameIndex;
    if (index.slots.empty()) {
        growNameIndex(store);
    }
    const std::uint32_t hash = hashName(name);
    const std::size_t mask = index.slots.size() - 1;
    std::size_t slot = hash & mask;
    while (index.slots[slot].index != 0) {
        const std::uint32_t i = index.slots[slot].index;
        if (index.slots[slot].hash == hash && store.names[i] == name) {
            return static_cast<ProgramIndex>(i);
        }
        slot = (slot + 1) & mask;
    }
    store.names.emplace_back(name);
    index.hashes.push_back(hash);
    const auto added = static_cast<std::uint32_t>(store.names.size() - 1);
    index.slots[slot] = NameIndex::Slot { added, hash };
    if (store.names.size() * 2 > index.slots.size()) {
        growNameIndex(store);
    }
    return static_cast<ProgramIndex>(added);
}

PairCell& pairCell(ResultStore& store, ProgramIndex white, ProgramIndex black)
{
    PairIndex& pairs = store.pairs;
    std::uint32_t(&recent)[2] = pairs.recentCells;
    for (int r = 0; r < 2; ++r) {
        if (recent[r] != 0) {
            PairCell& cell = cellAt(pairs, recent[r] - 1);
            if (cell.white == white && cell.black == black) {
                std::swap(recent[0], recent[r]);
                return cell;
            }
        }
    }
    if (pairs.slots.empty()) {
        growPairIndex(pairs);
    }
    const std::size_t slot = findPairSlot(pairs, white, black);
    recent[1] = recent[0];
    if (pairs.slots[slot].cell != 0) {
        recent[0] = pairs.slots[slot].cell;
        return cellAt(pairs, pairs.slots[slot].cell - 1);
    }
    const std::size_t n = pairs.cellCount;
    if (n % PairIndex::CHUNK_CELLS == 0) {
        pairs.chunks.push_back(std::make_unique<PairCell[]>(PairIndex::CHUNK_CELLS));
    }
    ++pairs.cellCount;
    pairs.slots[slot] = PairIndex::Slot { white, black, static_cast<std::uint32_t>(n + 1) };
    recent[0] = pairs.slots[slot].cell;
    PairCell& cell = cellAt(pairs, n);
    cell.white = white;
    cell.black = black;
    if (pairs.cellCount * 2 > pairs.slots.size()) {
        growPairIndex(pairs);
    }
    return cell;
}

const PairCell* findPairCell(const ResultStore& store, ProgramIndex white, ProgramIndex black)
{
    const PairIndex& pairs = store.pairs;
    if (pairs.slots.empty()) {
        return nullptr;
    }
    const std::size_t slot = findPairSlot(pairs, white, black);
    return pairs.slots[slot].cell == 0 ? nullptr : &cellAt(pairs, pairs.slots[slot].cell - 1);
}

namespace {
    struct CellCounts {
        GameCount whiteWins = 0, blackWins = 0, drawn = 0;
    };
    CellCounts countsOf(const ResultStore& store, ProgramIndex white, ProgramIndex black)
    {
        const PairCell* cell = findPairCell(store, white, black);
        return cell == nullptr ? CellCounts {}
                               : CellCounts { cell->whiteWins, cell->blackWins, cell->drawn };
    }
} // namespace

GameCount pairWins(const ResultStore& store, ProgramIndex i, ProgramIndex j)
{
    return countsOf(store, i, j).whiteWins + countsOf(store, j, i).blackWins;
}

GameCount pairLosses(const ResultStore& store, ProgramIndex i, ProgramIndex j)
{
    return countsOf(store, i, j).blackWins + countsOf(store, j, i).whiteWins;
}

GameCount pairDraws(const ResultStore& store, ProgramIndex i, ProgramIndex j)
{
    return countsOf(store, i, j).drawn + countsOf(store, j, i).drawn;
}

GameCount pairGames(const ResultStore& store, ProgramIndex i, ProgramIndex j)
{
    return pairWins(store, i, j) + pairLosses(store, i, j) + pairDraws(store, i, j);
}

void sizeProgramTables(ResultStore& store)
{
    const std::size_t size = store.names.empty() ? 1 : store.names.size();
    for (auto* table : { &store.games, &store.wins, &store.losses, &store.draws }) {
        table->assign(size, 0);
    }
    for (auto* table : { &store.clusterOf, &store.visited, &store.opponentCount, &store.listed }) {
        table->assign(size, 0);
    }
    for (auto* table :
        { &store.scoreFraction, &store.internalRating, &store.previousRating, &store.ratingDelta,
            &store.averageOpponentRating, &store.ratingPlus, &store.ratingMinus }) {
        table->assign(size, 0.0);
    }
}

void buildOpponentLists(ResultStore& store)
{
    const std::size_t size = store.names.empty() ? 1 : store.names.size();
    // Count each program's opponent entries: a pair that met in both colour assignments has
    // two cells and gets merged below, so this is an upper bound.
    std::vector<std::size_t> start(size + 1, 0);
    forEachPairCell(store, [&](const PairCell& cell) {
        if (cell.white != cell.black) {
            ++start[static_cast<std::size_t>(cell.white) + 1];
            ++start[static_cast<std::size_t>(cell.black) + 1];
        }
    });
    for (std::size_t i = 1; i <= size; ++i) {
        start[i] += start[i - 1];
    }
    std::vector<Opponent> entries(start[size]);
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    forEachPairCell(store, [&](const PairCell& cell) {
        if (cell.white == cell.black) {
            return; // a program's games against itself count for nobody
        }
        entries[fill[static_cast<std::size_t>(cell.white)]++]
            = Opponent { cell.black, cell.whiteWins, cell.drawn, cell.blackWins };
        entries[fill[static_cast<std::size_t>(cell.black)]++]
            = Opponent { cell.white, cell.blackWins, cell.drawn, cell.whiteWins };
    });

    // Sort each list by opponent and merge the two colour assignments of a pair, in place:
    // the merged list never runs ahead of the entries still to be read.
    store.opponentStart.assign(size + 1, 0);
    std::size_t out = 0;
    for (std::size_t i = 0; i < size; ++i) {
        store.opponentStart[i] = out;
        auto first = entries.begin() + static_cast<std::ptrdiff_t>(start[i]);
        auto last = entries.begin() + static_cast<std::ptrdiff_t>(start[i + 1]);
        std::sort(
            first, last, [](const Opponent& a, const Opponent& b) { return a.index < b.index; });
        for (auto it = first; it != last; ++it) {
            if (out > store.opponentStart[i] && entries[out - 1].index == it->index) {
                Opponent& merged = entries[out - 1];
                merged.wins += it->wins;
                merged.draws += it->draws;
                merged.losses += it->losses;
            } else {
                entries[out++] = *it;
            }
        }
    }
    store.opponentStart[size] = out;
    entries.resize(out);
    store.opponents = std::move(entries);
}

} // namespace varnok
