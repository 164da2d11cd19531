// The console: formatted output, single-key reads, line and number prompts, end of input.
// Everything the program prints or reads goes through here, so a test can drive the whole
// program through a pipe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// Every number is printed by the C runtime's printf, rounded from its exact binary value,
// half to even on a tie. Microsoft's older runtime (msvcrt.dll, which MinGW links by
// default) rounds otherwise; MinGW's own printf does it right, and the build selects it.
#if defined(__MINGW32__) && !__USE_MINGW_ANSI_STDIO
#error "Build with __USE_MINGW_ANSI_STDIO=1: the printf of msvcrt.dll rounds differently"
#endif

#if defined(__MINGW32__)
// Checked against MinGW's own printf, not the Microsoft one ("printf" means that there).
#define VARNOK_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define VARNOK_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VARNOK_PRINTF(fmt, args)
#endif

namespace varnok {

struct Console {
    std::FILE* in = stdin; // line input and key presses, one buffered stream
    std::FILE* out = stdout;
};

// Readies the console's input before the first read: on Windows a pipe or a file is then
// read byte for byte, as everywhere else (text mode would end it at a Ctrl-Z byte); line
// ends "\r\n" are this layer's business on every platform. A console window stays as it is.
void prepareConsole(Console& console);

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
