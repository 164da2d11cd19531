#include "pgn/tag_reader.h"

#include "game_generator.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace varnok {
namespace {

    using testing::MemoryConsole;

    // The whole store after reading, as one line: names in index order, the non-empty cells as
    // white>black:+whiteWins-blackWins=drawn in index order, then the counters
    // finished/white/black/draws/unfinished and the ECO letters A..E.
    std::string describe(const ResultStore& store)
    {
        std::string text = "names=";
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            text += (i > 1 ? "|" : "") + store.names[static_cast<std::size_t>(i)];
        }
        std::vector<PairCell> cells;
        forEachPairCell(store, [&](const PairCell& cell) { cells.push_back(cell); });
        std::sort(cells.begin(), cells.end(), [](const PairCell& a, const PairCell& b) {
            return a.white != b.white ? a.white < b.white : a.black < b.black;
        });
        text += " cells=";
        for (const PairCell& c : cells) {
            text += std::to_string(c.white) + ">" + std::to_string(c.black) + ":+"
                + std::to_string(c.whiteWins) + "-" + std::to_string(c.blackWins) + "="
                + std::to_string(c.drawn) + ";";
        }
        const DatabaseCounters& n = store.counters;
        text += " games=" + std::to_string(n.finishedGames) + "/" + std::to_string(n.whiteWinCount)
            + "/" + std::to_string(n.blackWinCount) + "/" + std::to_string(n.drawCount) + "/"
            + std::to_string(n.unfinishedCount);
        text += " eco=";
        for (int letter = 0; letter < 5; ++letter) {
            text += (letter > 0 ? "," : "") + std::to_string(n.ecoCount[letter]);
        }
        return text;
    }

    std::string readWithBlocks(
        const std::string& pgn, std::size_t blockSize, const std::string& keys = "")
    {
        MemoryConsole console(keys);
        ResultStore store;
        resetStore(store);
        readPgnText(store, pgn, console.console, blockSize);
        return describe(store);
    }

    // The store and what the reader printed (ECO errors), as one text.
    std::string readWithConsole(const std::string& pgn, std::size_t blockSize)
    {
        MemoryConsole console;
        ResultStore store;
        resetStore(store);
        readPgnText(store, pgn, console.console, blockSize);
        return describe(store) + " console=" + console.output();
    }

    struct Case {
        const char* name;
        std::string pgn;
        std::string expected;
    };

    const std::string GAME_AB = "[Event \"t\"]\n[White \"A\"]\n[Black \"B\"]\n[Result "
                                "\"1-0\"]\n[ECO \"B01\"]\n\n1. e4 d5 1-0\n\n";

    const std::vector<Case> CASES = {
        { "empty file", "", "names= cells= games=0/0/0/0/0 eco=0,0,0,0,0" },
        { "one game", GAME_AB, "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,1,0,0,0" },
        { "colours reversed in the second game",
            GAME_AB + "[White \"B\"]\n[Black \"A\"]\n[Result \"0-1\"]\n",
            "names=A|B cells=1>2:+1-0=0;2>1:+0-1=0; games=2/1/1/0/0 eco=0,1,0,0,0" },
        { "index follows first appearance, Black before White",
            "[Black \"First\"]\n[White \"Second\"]\n[Result \"1/2-1/2\"]\n",
            "names=First|Second cells=2>1:+0-0=1; games=1/0/0/1/0 eco=0,0,0,0,0" },
        { "names are exact: letter case and trailing blank",
            "[White \"Eng\"][Black \"eng\"][Result \"1-0\"]\n[White \"Eng \"][Black "
            "\"Eng\"][Result \"0-1\"]\n",
            "names=Eng|eng|Eng  cells=1>2:+1-0=0;3>1:+0-1=0; games=2/1/1/0/0 eco=0,0,0,0,0" },
        { "a game without a White tag is charged to the previous White",
            "[White \"A\"][Black \"B\"][Result \"1-0\"]\n[Black \"C\"][Result \"1-0\"]\n",
            "names=A|B|C cells=1>2:+1-0=0;1>3:+1-0=0; games=2/2/0/0/0 eco=0,0,0,0,0" },
        { "a Result tag before the names of its game counts for the previous pair",
            "[White \"A\"][Black \"B\"][Result \"1-0\"]\n[Result \"0-1\"][White \"C\"][Black "
            "\"D\"]\n",
            "names=A|B|C|D cells=1>2:+1-1=0; games=2/1/1/0/0 eco=0,0,0,0,0" },
        { "two Result tags in one game count twice",
            "[White \"A\"][Black \"B\"][Result \"1-0\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+2-0=0; games=2/2/0/0/0 eco=0,0,0,0,0" },
        { "a Result before both programs are named counts nowhere",
            "[Result \"1-0\"][White \"A\"][Result \"*\"][Black \"B\"][Result \"1/2-1/2\"]\n",
            "names=A|B cells=1>2:+0-0=1; games=1/0/0/1/0 eco=0,0,0,0,0" },
        { "same program as White and Black", "[White \"Self\"][Black \"Self\"][Result \"1-0\"]\n",
            "names=Self cells=1>1:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "the result token after the moves is not read",
            "[White \"A\"][Black \"B\"][Result \"*\"]\n1. e4 1-0 0-1 1/2-1/2\n",
            "names=A|B cells= games=0/0/0/0/1 eco=0,0,0,0,0" },
        { "unknown result values count nothing, their ECO tag still counts",
            "[White \"A\"][Black \"B\"][Result \"1-0 \"][ECO \"C20\"][Result \"1:0\"][Result "
            "\"\"][ECO \"D00\"]\n",
            "names=A|B cells= games=0/0/0/0/0 eco=0,0,1,1,0" },
        { "ECO after an unfinished result is not counted, after a finished one it is",
            "[White \"A\"][Black \"B\"][Result \"*\"][ECO \"A00\"]\n[Result \"0-1\"][ECO "
            "\"A00\"]\n",
            "names=A|B cells=1>2:+0-1=0; games=1/0/1/0/1 eco=1,0,0,0,0" },
        { "ECO before its Result is judged by the previous game",
            "[White \"A\"][Black \"B\"][Result \"*\"]\n[ECO \"E1\"][Result \"1-0\"]\n[ECO "
            "\"E\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+2-0=0; games=2/2/0/0/1 eco=0,0,0,0,1" },
        { "ECO before the first Result of the file counts",
            "[ECO \"D45\"][White \"A\"][Black \"B\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,1,0" },
        { "a tag inside a comment is not read",
            "[White \"A\"][Black \"B\"]{ [White \"X\"] [%clk 0:01:00] }[Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "braces do not nest: the first closing brace ends the comment",
            "{ a { b } [White \"A\"] } [Black \"B\"] [Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a closing brace outside a comment changes nothing",
            "} [White \"A\"] }} [Black \"B\"] [Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a bracket in the move text starts a tag that swallows text up to the next quote",
            "[White \"A\"][Black \"B\"][Result \"1-0\"]\n1. e4 [%eval 0.3] 1-0\n\n[White "
            "\"C\"]\n[Black \"D\"]\n[Result \"0-1\"]\n",
            "names=A|B|D cells=1>2:+1-0=0;1>3:+0-1=0; games=2/1/1/0/0 eco=0,0,0,0,0" },
        { "name variants that are no White tag",
            "[White  \"Two\"][White\t\"Tab\"][white \"Small\"][ White \"Lead\"][White \"A\"][Black "
            "\"B\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "two tags on one line are both read", "[White \"A\"][Black \"B\"]\n[Result \"0-1\"]\n",
            "names=A|B cells=1>2:+0-1=0; games=1/0/1/0/0 eco=0,0,0,0,0" },
        { "a missing closing bracket loses the next tag",
            "[White \"A\"[Black \"B\"]\n[Black \"C\"]\n[Result \"1-0\"]\n",
            "names=A|C cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "an escaped quote ends the value, backslash kept, rest passed over",
            "[White \"Deep \\\"Blue\\\"\"][Black \"B\"][Result \"1-0\"]\n",
            "names=Deep \\|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "an empty White value is a program with the empty name",
            "[White \"\"][Black \"B\"][Result \"1/2-1/2\"]\n",
            "names=|B cells=1>2:+0-0=1; games=1/0/0/1/0 eco=0,0,0,0,0" },
        { "a quote straight after the bracket gives an empty tag name",
            "[\"White \"][White \"A\"][Black \"B\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "white space of any kind, or none, between tags",
            "[White \"A\"]\t \n\r\n[Black \"B\"]x[Result \"1-0\"]",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "the character after the closing quote can be a brace and opens no comment",
            "[White \"A\"{[Black \"B\"][Result \"1-0\"]\n",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a brace inside a tag value opens no comment",
            "[White \"A{x\"][Black \"B}\"][Result \"1-0\"][Event \"{\"][Result \"0-1\"]\n",
            "names=A{x|B} cells=1>2:+1-1=0; games=2/1/1/0/0 eco=0,0,0,0,0" },
        { "a file that ends right after a bracket", "[White \"A\"][Black \"B\"][Result \"1-0\"]\n[",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a file that ends inside a value still registers it", "[White \"A\"][Black \"Cut",
            "names=A|Cut cells= games=0/0/0/0/0 eco=0,0,0,0,0" },
        { "a file that ends after the name of a tag", "[White \"A\"][Black ",
            "names=A| cells= games=0/0/0/0/0 eco=0,0,0,0,0" },
        { "a file that ends after the closing quote", "[White \"A\"][Black \"B\"][Result \"0-1\"",
            "names=A|B cells=1>2:+0-1=0; games=1/0/1/0/0 eco=0,0,0,0,0" },
        { "names of any length are kept whole",
            "[White \"" + std::string(100, 'w') + "\"][Black \"B\"][Result \"1-0\"]",
            "names=" + std::string(100, 'w')
                + "|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a long tag name is no known tag",
            "[White" + std::string(50, ' ') + "\"X\"][White \"A\"][Black \"B\"][Result \"1-0\"]",
            "names=A|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a zero byte ends a name as in a C string",
            std::string("[White \"Ze\0ro\"][Black \"B\"][Result \"1-0\0x\"][White\0 \"C\"]", 54),
            "names=Ze|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a zero byte in a tag name ends it: the known name before it counts",
            std::string("[White \0junk \"Q\"][Black \"B\"][Result \"1-0\"]", 42),
            "names=Q|B cells=1>2:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
        { "a line end inside a name, written as CR LF, is one line end",
            "[White \"Two\r\nLines\"][Black \"Two\nLines\"][Result \"1-0\"][White \"CR\r\"][Black "
            "\"CR\r\r\n\"]",
            "names=Two\nLines|CR\r|CR\r\n cells=1>1:+1-0=0; games=1/1/0/0/0 eco=0,0,0,0,0" },
    };

    TEST(TagReader, ReadsEachCaseAlikeWhateverTheBlockSize)
    {
        for (const Case& c : CASES) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(readWithBlocks(c.pgn, DEFAULT_BLOCK_SIZE), c.expected);
            for (const std::size_t blockSize : { 1u, 2u, 3u, 7u, 64u, 65u }) {
                SCOPED_TRACE(blockSize);
                EXPECT_EQ(readWithBlocks(c.pgn, blockSize), c.expected);
            }
        }
    }

    // Long move text with comments in every position relative to the 64-byte windows of the
    // scanner and to the block ends.
    TEST(TagReader, CommentsAndTagsAtEveryOffsetReadAlike)
    {
        std::string pgn;
        for (int game = 0; game < 200; ++game) {
            const int shift = game % 70;
            pgn += "[White \"W" + std::to_string(game % 5) + "\"]\n[Black \"B"
                + std::to_string(game % 3) + "\"]\n[Result \""
                + (game % 3 == 0        ? "1-0"
                        : game % 3 == 1 ? "0-1"
                                        : "1/2-1/2")
                + "\"]\n" + "[ECO \"" + static_cast<char>('A' + game % 5) + "00\"]\n\n";
            pgn += std::string(static_cast<std::size_t>(shift), 'x')
                + " 1. e4 {+0.31/18 1.2s} e5 {[White \"No\"] {{ }";
            pgn += std::string(static_cast<std::size_t>(game % 13), '}') + " 2. Nf3 {"
                + std::string(static_cast<std::size_t>(shift), '{') + "} *\n\n";
        }
        const std::string expected = readWithBlocks(pgn, DEFAULT_BLOCK_SIZE);
        EXPECT_NE(expected.find("names=W0|B0|W1|B1|W2|B2|W3|W4"), std::string::npos) << expected;
        EXPECT_NE(expected.find("games=200/67/67/66/0 eco=40,40,40,40,40"), std::string::npos)
            << expected;
        for (const std::size_t blockSize : { 1u, 2u, 3u, 5u, 7u, 63u, 64u, 65u, 127u, 4096u }) {
            SCOPED_TRACE(blockSize);
            EXPECT_EQ(readWithBlocks(pgn, blockSize), expected);
        }
    }

    TEST(TagReader, CrLfAndLfFilesReadAlike)
    {
        std::string lf;
        for (int game = 0; game < 50; ++game) {
            lf += "[White \"Engine " + std::to_string(game % 7) + "\"]\n[Black \"Engine "
                + std::to_string(game % 4)
                + "\"]\n[Result \"1/2-1/2\"]\n[ECO \"C42\"]\n\n1. e4 {book\nline} e5 *\n\n";
        }
        std::string crlf;
        for (const char c : lf) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        EXPECT_EQ(readWithBlocks(crlf, 1), readWithBlocks(lf, DEFAULT_BLOCK_SIZE));
        EXPECT_EQ(readWithBlocks(crlf, DEFAULT_BLOCK_SIZE), readWithBlocks(lf, DEFAULT_BLOCK_SIZE));
    }

    TEST(TagReader, BadEcoValuesReportAndPauseForOneByteEach)
    {
        struct EcoCase {
            const char* name;
            const char* value;
            bool counted;
        };
        const EcoCase cases[] = {
            { "small letter", "a00", false },
            { "empty", "", false },
            { "digit", "1", false },
            { "blank first", " B", false },
            { "letter after E", "F00", false },
            { "single letter", "E", true },
            { "any text after the letter", "Alekhine", true },
        };
        for (const EcoCase& c : cases) {
            SCOPED_TRACE(c.name);
            MemoryConsole console("xy");
            ResultStore store;
            resetStore(store);
            readPgnText(store, std::string("[ECO \"") + c.value + "\"]", console.console);
            const GameCount total = store.counters.ecoCount[0] + store.counters.ecoCount[1]
                + store.counters.ecoCount[2] + store.counters.ecoCount[3]
                + store.counters.ecoCount[4];
            EXPECT_EQ(total, c.counted ? 1 : 0);
            EXPECT_EQ(console.output(), c.counted ? "" : "Fehler bei ECO-Zuordnung !\n");
            EXPECT_EQ(console.remainingInput(), c.counted ? "xy" : "y");
        }
    }

    TEST(TagReader, EcoPauseGoesOnAtTheEndOfInput)
    {
        MemoryConsole console("");
        ResultStore store;
        resetStore(store);
        readPgnText(store, "[ECO \"x\"][ECO \"y\"][ECO \"C\"]", console.console);
        EXPECT_EQ(console.output(), "Fehler bei ECO-Zuordnung !\nFehler bei ECO-Zuordnung !\n");
        EXPECT_EQ(store.counters.ecoCount[2], 1);
    }

    TEST(TagReader, ReadsAFileInBlocksAlikeWhateverTheBlockSize)
    {
        std::string pgn;
        for (int game = 0; game < 300; ++game) {
            pgn += "[White \"P" + std::to_string(game % 11) + "\"]\n[Black \"P"
                + std::to_string((game * 7) % 13) + "\"]\n[Result \""
                + (game % 4 == 0        ? "*"
                        : game % 4 == 1 ? "1-0"
                                        : "0-1")
                + "\"]\n\n1. d4 {+0.12/9} d5 *\n\n";
        }
        const std::string expected = readWithBlocks(pgn, DEFAULT_BLOCK_SIZE);
        for (const std::size_t blockSize : { std::size_t { 1 }, std::size_t { 2 },
                 std::size_t { 3 }, std::size_t { 7 }, DEFAULT_BLOCK_SIZE }) {
            SCOPED_TRACE(blockSize);
            std::FILE* file = std::tmpfile();
            std::fwrite(pgn.data(), 1, pgn.size(), file);
            std::rewind(file);
            MemoryConsole console;
            ResultStore store;
            resetStore(store);
            EXPECT_EQ(readPgnTags(store, file, console.console, blockSize), ReadStatus::Complete);
            std::fclose(file);
            EXPECT_EQ(describe(store), expected);
        }
    }

    TEST(TagReader, PairCellsAddUpToTheCounters)
    {
        std::string pgn;
        for (int game = 0; game < 1000; ++game) {
            const char* result = game % 5 == 0 ? "1-0"
                : game % 5 == 1                ? "0-1"
                : game % 5 == 2                ? "1/2-1/2"
                : game % 5 == 3                ? "*"
                                               : "?";
            pgn += "[White \"" + std::to_string((game * 31) % 17) + "\"][Black \""
                + std::to_string((game * 7) % 19) + "\"][Result \"" + result + "\"]\n";
        }
        MemoryConsole console;
        ResultStore store;
        resetStore(store);
        readPgnText(store, pgn, console.console, 7);
        GameCount white = 0;
        GameCount black = 0;
        GameCount drawn = 0;
        forEachPairCell(store, [&](const PairCell& cell) {
            white += cell.whiteWins;
            black += cell.blackWins;
            drawn += cell.drawn;
        });
        EXPECT_EQ(white, store.counters.whiteWinCount);
        EXPECT_EQ(black, store.counters.blackWinCount);
        EXPECT_EQ(drawn, store.counters.drawCount);
        EXPECT_EQ(store.counters.finishedGames, white + black + drawn);
        EXPECT_EQ(store.counters.finishedGames, 600);
        EXPECT_EQ(store.counters.unfinishedCount, 200);
    }

    // Block sizes below the 64 bytes that the reader takes in one step leave every tag and
    // every comment to the byte-by-byte states; the default block leaves almost none to them.
    const std::size_t TINY_BLOCKS[] = { 1, 2, 3, 7 };

    TEST(TagReader, GeneratedFilesReadAlikeInTinyBlocksAndTheDefault)
    {
        bench::GeneratorOptions options;
        options.games = 300;
        options.programs = 12;
        options.clusters = 2;
        options.unfinishedShare = 0.05;
        const std::string lf = bench::generateGamesText(options);
        options.crlf = true;
        const std::string crlf = bench::generateGamesText(options);
        ASSERT_NE(lf, crlf);

        // The generator's games, all of them counted: 12 programs, finished and unfinished
        // games adding up to 300.
        ResultStore store;
        MemoryConsole console;
        resetStore(store);
        readPgnText(store, lf, console.console);
        EXPECT_EQ(programCount(store), 12);
        EXPECT_EQ(store.counters.finishedGames + store.counters.unfinishedCount, 300);
        EXPECT_GT(store.counters.unfinishedCount, 0);

        // The same store from memory and from a file, whatever the line ends and the blocks.
        const std::string expected = describe(store);
        for (const std::string* text : { &lf, &crlf }) {
            SCOPED_TRACE(text == &lf ? "LF" : "CRLF");
            std::vector<std::size_t> blockSizes(std::begin(TINY_BLOCKS), std::end(TINY_BLOCKS));
            blockSizes.push_back(DEFAULT_BLOCK_SIZE);
            for (const std::size_t blockSize : blockSizes) {
                SCOPED_TRACE(blockSize);
                EXPECT_EQ(readWithBlocks(*text, blockSize), expected);
                std::FILE* file = std::tmpfile();
                std::fwrite(text->data(), 1, text->size(), file);
                std::rewind(file);
                MemoryConsole fileConsole;
                ResultStore fromFile;
                resetStore(fromFile);
                EXPECT_EQ(readPgnTags(fromFile, file, fileConsole.console, blockSize),
                    ReadStatus::Complete);
                std::fclose(file);
                EXPECT_EQ(describe(fromFile), expected);
            }
        }
    }

    // Generated games with the bytes that steer the reader dropped in at random places:
    // braces, brackets, quotes, zero bytes, carriage returns, clock annotations in brackets,
    // bad ECO values and cut-off tags. Whatever the block size, the store and the console
    // output are the same.
    TEST(TagReader, DamagedGeneratedFilesReadAlikeWhateverTheBlockSize)
    {
        const std::string inserts[] = { "{", "}", "[", "\"", std::string(1, '\0'), "\r", "\r\n",
            "]", "[%clk 0:00:59]", "[White \"", "[Black \"X\r\nY\"]", "[Result \"", "[ECO \"x\"]",
            "\"]", "[White \"A\"", "{[White \"C\"]}", std::string("[White \"Z\0\"]", 12),
            std::string("[Black \0x \"Q\"]", 14) };
        for (const bool crlf : { false, true }) {
            bench::GeneratorOptions options;
            options.games = 60;
            options.programs = 8;
            options.crlf = crlf;
            options.seed = crlf ? 7 : 8;
            const std::string clean = bench::generateGamesText(options);
            std::string damaged;
            std::uint64_t state = options.seed;
            std::size_t pos = 0;
            while (pos < clean.size()) {
                state = state * 6364136223846793005ull + 1442695040888963407ull;
                const std::size_t step = 1 + (state >> 33) % 300;
                damaged.append(clean, pos, step);
                pos += step;
                damaged += inserts[(state >> 20) % std::size(inserts)];
            }
            SCOPED_TRACE(crlf ? "CRLF" : "LF");
            const std::string expected = readWithConsole(damaged, DEFAULT_BLOCK_SIZE);
            EXPECT_NE(expected.find("Fehler bei ECO-Zuordnung"), std::string::npos);
            for (const std::size_t blockSize : { 1u, 2u, 3u, 7u, 63u, 64u, 65u, 4096u }) {
                SCOPED_TRACE(blockSize);
                EXPECT_EQ(readWithConsole(damaged, blockSize), expected);
            }
        }
    }

} // namespace
} // namespace varnok
