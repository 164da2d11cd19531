#include "tag_reader_invariants.h"

#include "analysis/clusters.h"
#include "analysis/general_statistics.h"
#include "pgn/tag_reader.h"
#include "store/result_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace varnok::testing {

namespace {

    // The console answers to the ECO pauses: the first three get a byte, later ones the end
    // of input. Nothing ever waits on the real standard input.
    constexpr char PAUSE_ANSWERS[] = "\nyn";

    struct ReadOutcome {
        ResultStore store;
        std::string console; // what the reader printed
        std::string unreadAnswers; // console input the pauses left
    };

    // A file open for reading that holds `bytes`: in memory where the C library can do that
    // (the fuzzer reads each input many times), else a temporary file.
    std::FILE* fileWith(const std::string& bytes)
    {
#if !defined(_WIN32)
        // An empty buffer is refused by some C libraries; an empty file reads alike.
        if (!bytes.empty()) {
            return fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
        }
#endif
        std::FILE* file = std::tmpfile();
        if (file != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::rewind(file);
        }
        return file;
    }

    // A console of the fixed answers in and the printed text collected.
    class ScratchConsole {
    public:
        ScratchConsole()
            : answers_(PAUSE_ANSWERS)
        {
            console.in = fileWith(answers_);
#if !defined(_WIN32)
            console.out = open_memstream(&text_, &size_);
#else
            console.out = std::tmpfile();
#endif
            if (console.in == nullptr || console.out == nullptr) {
                std::abort(); // no way to check anything
            }
        }
        ~ScratchConsole()
        {
            std::fclose(console.in);
            std::fclose(console.out);
            std::free(text_);
        }
        ScratchConsole(const ScratchConsole&) = delete;
        ScratchConsole& operator=(const ScratchConsole&) = delete;

        void collect(ReadOutcome& outcome)
        {
            std::fflush(console.out);
#if !defined(_WIN32)
            outcome.console.assign(text_, size_);
#else
            std::rewind(console.out);
            int printed = 0;
            while ((printed = std::getc(console.out)) != EOF) {
                outcome.console.push_back(static_cast<char>(printed));
            }
#endif
            int c = 0;
            while ((c = std::getc(console.in)) != EOF) {
                outcome.unreadAnswers.push_back(static_cast<char>(c));
            }
        }

        Console console;

    private:
        std::string answers_;
        char* text_ = nullptr;
        std::size_t size_ = 0;
    };

    ReadOutcome readFromMemory(std::string_view bytes, std::size_t blockSize)
    {
        ReadOutcome outcome;
        ScratchConsole console;
        resetStore(outcome.store);
        readPgnText(outcome.store, bytes, console.console, blockSize);
        console.collect(outcome);
        return outcome;
    }

    ReadOutcome readFromFile(std::string_view bytes, std::size_t blockSize)
    {
        ReadOutcome outcome;
        ScratchConsole console;
        resetStore(outcome.store);
        const std::string copy(bytes);
        std::FILE* file = fileWith(copy);
        if (file == nullptr) {
            std::abort();
        }
        if (readPgnTags(outcome.store, file, console.console, blockSize) != ReadStatus::Complete) {
            outcome.console = "read error";
        }
        std::fclose(file);
        console.collect(outcome);
        return outcome;
    }

    std::string countText(GameCount n)
    {
        return std::to_string(n);
    }

    // The rules of the store after reading, and of the program totals built from it.
    std::string brokenRule(ResultStore& store)
    {
        if (store.names.empty() || !store.names[0].empty()) {
            return "index 0 must stay unused";
        }
        const ProgramIndex programs = programCount(store);
        const auto size = static_cast<std::size_t>(programs) + 1;

        // Names: distinct, free of zero bytes, each found at its own index.
        if (store.nameIndex.hashes.size() != size) {
            return "one name hash per program";
        }
        std::vector<std::string> sorted(store.names.begin() + 1, store.names.end());
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
            return "a name registered twice";
        }
        std::size_t occupied = 0;
        for (const NameIndex::Slot& slot : store.nameIndex.slots) {
            if (slot.index > static_cast<std::uint32_t>(programs)) {
                return "name index slot out of range";
            }
            if (slot.index != 0 && slot.hash != store.nameIndex.hashes[slot.index]) {
                return "name index slot holds another hash than its program's";
            }
            occupied += slot.index != 0 ? 1 : 0;
        }
        if (occupied != static_cast<std::size_t>(programs)) {
            return "name index holds " + std::to_string(occupied) + " of "
                + std::to_string(programs) + " programs";
        }
        for (ProgramIndex i = 1; i <= programs; ++i) {
            const std::string name = store.names[static_cast<std::size_t>(i)];
            if (name.find('\0') != std::string::npos) {
                return "a zero byte inside the name of program " + std::to_string(i);
            }
            if (findOrAddProgram(store, name) != i || programCount(store) != programs) {
                return "the name of program " + std::to_string(i) + " is not found at its index";
            }
        }

        // Pair cells: programs in range, each pair once, found by lookup, counts adding up.
        GameCount whiteWins = 0;
        GameCount blackWins = 0;
        GameCount drawn = 0;
        GameCount selfGames = 0;
        std::set<std::pair<ProgramIndex, ProgramIndex>> pairs;
        std::string broken;
        forEachPairCell(store, [&](const PairCell& cell) {
            if (!broken.empty()) {
                return;
            }
            if (cell.white < 1 || cell.white > programs || cell.black < 1
                || cell.black > programs) {
                broken = "a pair cell names a program out of range";
            } else if (!pairs.insert({ cell.white, cell.black }).second) {
                broken = "a pair has two cells";
            } else if (findPairCell(store, cell.white, cell.black) != &cell) {
                broken = "a pair cell is not found by its pair";
            } else if (cell.whiteWins < 0 || cell.blackWins < 0 || cell.drawn < 0
                || GameCount { cell.whiteWins } + cell.blackWins + cell.drawn == 0) {
                broken = "a pair cell without games";
            }
            whiteWins += cell.whiteWins;
            blackWins += cell.blackWins;
            drawn += cell.drawn;
            if (cell.white == cell.black) {
                selfGames += GameCount { cell.whiteWins } + cell.blackWins + cell.drawn;
            }
        });
        if (!broken.empty()) {
            return broken;
        }
        const DatabaseCounters& n = store.counters;
        if (n.whiteWinCount != whiteWins || n.blackWinCount != blackWins || n.drawCount != drawn) {
            return "pair cells " + countText(whiteWins) + "/" + countText(blackWins) + "/"
                + countText(drawn) + " against counters " + countText(n.whiteWinCount) + "/"
                + countText(n.blackWinCount) + "/" + countText(n.drawCount);
        }
        if (n.finishedGames != n.whiteWinCount + n.blackWinCount + n.drawCount) {
            return "finished games are not the sum of the three results";
        }
        for (const GameCount eco : n.ecoCount) {
            if (eco < 0) {
                return "a negative ECO count";
            }
        }

        // The totals the next stage builds: every game between two programs counted once for
        // each side, and every program with games in a cluster with its opponents.
        computeProgramTotals(store);
        GameCount allGames = 0;
        for (std::size_t i = 1; i < size; ++i) {
            if (store.games[i] != store.wins[i] + store.losses[i] + store.draws[i]) {
                return "games of program " + std::to_string(i) + " are not wins + losses + draws";
            }
            allGames += store.games[i];
        }
        if (allGames != 2 * (n.finishedGames - selfGames)) {
            return "program totals " + countText(allGames) + " for "
                + countText(n.finishedGames - selfGames) + " games between two programs";
        }
        numberClusters(store);
        for (ProgramIndex i = 1; i <= programs; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if ((store.clusterOf[at] == 0) != (store.games[at] == 0)
                || store.clusterOf[at] > store.clusterCount) {
                return "program " + std::to_string(i) + " in the wrong cluster";
            }
            for (const Opponent& o : opponentsOf(store, i)) {
                if (o.index < 1 || o.index > programs || o.index == i
                    || store.clusterOf[static_cast<std::size_t>(o.index)] != store.clusterOf[at]) {
                    return "program " + std::to_string(i) + " and an opponent apart";
                }
            }
        }
        return "";
    }

    // Everything a read leaves behind that the rest of the program can see, as text.
    std::string describe(const ReadOutcome& outcome)
    {
        const ResultStore& store = outcome.store;
        std::string text = "names:";
        for (std::size_t i = 1; i < store.names.size(); ++i) {
            text += std::to_string(store.names[i].size()) + ":" + store.names[i] + ";";
        }
        text += " cells:";
        forEachPairCell(store, [&](const PairCell& c) {
            text += std::to_string(c.white) + ">" + std::to_string(c.black) + ":"
                + std::to_string(c.whiteWins) + "/" + std::to_string(c.blackWins) + "/"
                + std::to_string(c.drawn) + ";";
        });
        const DatabaseCounters& n = store.counters;
        text += " counters:" + countText(n.finishedGames) + "/" + countText(n.whiteWinCount) + "/"
            + countText(n.blackWinCount) + "/" + countText(n.drawCount) + "/"
            + countText(n.unfinishedCount);
        for (const GameCount eco : n.ecoCount) {
            text += "," + countText(eco);
        }
        text += " console:" + outcome.console + " unread:" + outcome.unreadAnswers;
        return text;
    }

    std::string withCrLf(std::string_view bytes)
    {
        std::string out;
        out.reserve(bytes.size() * 2);
        for (const char c : bytes) {
            if (c == '\n') {
                out.push_back('\r');
            }
            out.push_back(c);
        }
        return out;
    }

} // namespace

std::string checkTagReader(std::string_view bytes)
{
    ReadOutcome reference = readFromMemory(bytes, DEFAULT_BLOCK_SIZE);
    const std::string expected = describe(reference);
    if (std::string broken = brokenRule(reference.store); !broken.empty()) {
        return broken;
    }
    // Tiny blocks cut every tag; 64 and 97 bytes also let the scanner's 64-byte windows fill
    // before a block ends, once in step with the blocks and once not.
    for (const std::size_t blockSize : { std::size_t { 1 }, std::size_t { 2 }, std::size_t { 3 },
             std::size_t { 7 }, std::size_t { 64 }, std::size_t { 97 } }) {
        if (describe(readFromMemory(bytes, blockSize)) != expected) {
            return "blocks of " + std::to_string(blockSize) + " bytes read differently";
        }
    }
    if (describe(readFromFile(bytes, 7)) != expected) {
        return "the file read differently from the same bytes in memory";
    }
    // A file that has no carriage return of its own reads the same with "\r\n" line ends.
    if (bytes.find('\r') == std::string_view::npos && bytes.find('\n') != std::string_view::npos) {
        const std::string crlf = withCrLf(bytes);
        if (describe(readFromMemory(crlf, DEFAULT_BLOCK_SIZE)) != expected
            || describe(readFromMemory(crlf, 1)) != expected) {
            return "\"\\r\\n\" line ends read differently from \"\\n\"";
        }
    }
    return "";
}

} // namespace varnok::testing
