// The console: formatted output, single-key reads, line and number prompts, end of input.
// Everything the program prints or reads goes through here, so a test can drive the whole
// program through a pipe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#if defined(__GNUC__)
#define VARNOK_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VARNOK_PRINTF(fmt, args)
#endif

namespace varnok {

struct Console {
    std::FILE* in = stdin; // line input and key presses, one buffered stream
    std::FILE* out = stdout;
};

// Formatted output to the console.
void say(Console& console, const char* format, ...) VARNOK_PRINTF(2, 3);

// Makes everything printed so far visible, before a read or a long computation.
void flushConsole(Console& console);

// The next key press: on a terminal without echo and without waiting for Enter, otherwise the
// next byte of the input. EOF at the end of input.
int readKey(Console& console);

// The next byte of line input, EOF at the end of input.
int readChar(Console& console);

// The next non-empty line, without its line end (which stays unread); empty lines are passed
// over. False at the end of input.
bool readLine(Console& console, std::string& line);

// Prints the prompt and reads a whole number in the 32-bit range. Anything else discards the
// rest of the input line and prints the prompt again. Empty at the end of input.
std::optional<std::int32_t> readInt(Console& console, const char* prompt);

// The same for a finite floating-point number.
std::optional<double> readDouble(Console& console, const char* prompt);

} // namespace varnok
