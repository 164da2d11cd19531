// The PGN tag reader: fills the result store from the White, Black, Result and ECO tags of a
// game file, outside brace comments. Move text and all other tags are passed over.
#pragma once

#include "driver/console.h"
#include "store/result_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace varnok {

enum class ResultCode : std::int32_t {
    WhiteWin = 1, // "1-0"
    BlackWin = -1, // "0-1"
    Draw = 0, // "1/2-1/2"
    Unfinished = 100, // "*"
    NoResult = 2, // any other value, and the state before the first Result tag
};

// Counts one Result tag for the pair (white, black); a pair not yet fully named (index 0)
// is charged nothing. Returns the code of the value.
ResultCode classifyResult(
    ResultStore& store, ProgramIndex white, ProgramIndex black, std::string_view value);

// Counts one ECO tag under the first letter of its value; any other first character prints
// an error and waits for one byte of console input.
void tallyEco(ResultStore& store, Console& console, std::string_view value);

// The reader's state between two blocks of the file: the scan gives the same result wherever
// the blocks end.
struct TagScanner {
    enum class State : std::uint8_t {
        Outside, // between tags, outside comments
        Comment, // inside a brace comment
        TagName, // after "[", up to the first double quote
        TagValue, // after the opening double quote, up to the next one
        AfterValue, // after the closing double quote: one more character belongs to the tag
    };
    enum class TagKind : std::uint8_t { Other, White, Black, Result, Eco };

    State state = State::Outside;
    // The tag name as far as it matters: its first bytes, up to a zero byte.
    std::string name;
    bool nameEnded = false;
    // The tag value, kept only as far as the tag's kind needs it, up to a zero byte.
    TagKind kind = TagKind::Other;
    std::string value;
    bool valueEnded = false;

    ProgramIndex currentWhite = 0; // program of the most recent White tag, 0 before any
    ProgramIndex currentBlack = 0; // program of the most recent Black tag, 0 before any
    ResultCode lastResultCode = ResultCode::NoResult; // code of the most recent Result tag

    // The two programs named last, most recent first (0 = none): the games of a match follow
    // each other, so most White and Black tags name one of them again.
    ProgramIndex recentPrograms[2] = { 0, 0 };
};

// Scans the next `size` bytes of the file.
void scanBlock(
    TagScanner& scanner, ResultStore& store, Console& console, const char* data, std::size_t size);

// Ends the scan at the end of the file: a tag cut off by it still counts with what was read.
void finishTagScan(TagScanner& scanner, ResultStore& store, Console& console);

constexpr std::size_t DEFAULT_BLOCK_SIZE = 256 * 1024;

enum class ReadStatus { Complete, ReadError };

// Reads the open game file from its current position to its end, in blocks of `blockSize`
// bytes, into the store. A line end "\r\n" counts as "\n".
ReadStatus readPgnTags(ResultStore& store, std::FILE* file, Console& console,
    std::size_t blockSize = DEFAULT_BLOCK_SIZE);

// The same for a text already in memory (tests, tools), fed in blocks of `blockSize`.
void readPgnText(ResultStore& store, std::string_view text, Console& console,
    std::size_t blockSize = DEFAULT_BLOCK_SIZE);

} // namespace varnok
