// The console's input: answers with "\r\n" line ends read exactly like answers with "\n", on
// every platform, and the odd bytes that are no line end stay what they are.
#include "driver/console.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnok {
namespace {

    using namespace varnok::testing;

    std::string shown(int c)
    {
        if (c == EOF) {
            return "EOF";
        }
        if (c == '\n') {
            return "\\n";
        }
        if (c == '\r') {
            return "\\r";
        }
        return std::string(1, static_cast<char>(c));
    }

    // The reads of a rating run, in its order: the menu key, the file name, two numbers, then
    // two pauses of one byte; what each one got, then what is left of the input.
    std::string dialogueOf(const std::string& input)
    {
        MemoryConsole memory(input);
        Console& console = memory.console;
        std::string got = "key " + shown(readKey(console));
        std::string line;
        got += readLine(console, line) ? " | line [" + line + "]" : " | line EOF";
        for (int i = 0; i < 2; ++i) {
            const std::optional<std::int32_t> number = readInt(console, "");
            got += number ? " | number " + std::to_string(*number) : " | number EOF";
        }
        for (int i = 0; i < 2; ++i) {
            got += " | byte " + shown(readChar(console));
        }
        return got + " | left [" + memory.remainingInput() + "]";
    }

    std::string withWindowsLineEnds(const std::string& text)
    {
        std::string out;
        for (const char c : text) {
            if (c == '\n') {
                out += '\r';
            }
            out += c;
        }
        return out;
    }

    TEST(Console, WindowsLineEndsReadLikeUnixOnes)
    {
        struct Row {
            const char* name;
            std::string input; // with "\n" line ends; read again with "\r\n"
            std::string dialogue;
        };
        const std::vector<Row> rows = {
            { "key and name on one line", "1games\n2000\n20\nxy",
                "key 1 | line [games] | number 2000 | number 20 | byte \\n | byte x | left [y]" },
            { "empty lines before the name", "1\n\ngames\n2000 20\n\n",
                "key 1 | line [games] | number 2000 | number 20 | byte \\n | byte \\n | left []" },
            { "blanks in the name, a refused number", "2\n my games \nabc 5\n7\n8",
                "key 2 | line [ my games ] | number 7 | number 8 | byte EOF | byte EOF | left []" },
            { "input ends at the name", "1\n\n",
                "key 1 | line EOF | number EOF | number EOF | byte EOF | byte EOF | left []" },
            { "the key is a line end", "\ngames\n1\n2\n",
                "key \\n | line [games] | number 1 | number 2 | byte \\n | byte EOF | left []" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(dialogueOf(row.input), row.dialogue);
            EXPECT_EQ(dialogueOf(withWindowsLineEnds(row.input)), row.dialogue);
        }
    }

    TEST(Console, BytesThatAreNoLineEnd)
    {
        struct Row {
            const char* name;
            std::string input;
            std::string dialogue;
        };
        const std::vector<Row> rows = {
            { "a lone \\r inside the name stays", "1a\rb\r\n1\n2\n",
                "key 1 | line [a\rb] | number 1 | number 2 | byte \\n | byte EOF | left []" },
            { "a lone \\r at the end of the input stays", "1games\r",
                "key 1 | line [games\r] | number EOF | number EOF | byte EOF | byte EOF | left "
                "[]" },
            { "a lone \\r ends a number and goes with it", "1g\n12\r34\rx\n",
                "key 1 | line [g] | number 12 | number 34 | byte x | byte \\n | left []" },
            { "\\r\\r\\n is a \\r and a line end", "1g\r\r\n5\n6\n",
                "key 1 | line [g\r] | number 5 | number 6 | byte \\n | byte EOF | left []" },
            { "a Ctrl-Z byte is no end of input", "1\x1a\n5\n6\n\x1a",
                "key 1 | line [\x1a] | number 5 | number 6 | byte \\n | byte \x1a | left []" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(dialogueOf(row.input), row.dialogue);
        }
    }

} // namespace
} // namespace varnok
