#include "driver/console.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>

#if defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace varnok {

namespace {

    // A number is never longer than this; a longer word is not a number.
    constexpr std::size_t MAX_NUMBER_TEXT = 64;

#if !defined(_WIN32)
    // The terminal settings to restore, kept where a signal handler can reach them.
    struct termios savedTerminal;
    volatile std::sig_atomic_t terminalChanged = 0;
    constexpr int RESTORE_SIGNALS[] = { SIGINT, SIGTERM, SIGQUIT, SIGHUP };
    struct sigaction savedActions[std::size(RESTORE_SIGNALS)];

    // An interrupt while a key is awaited: give the terminal back its echo, then die of the
    // signal as the program would have without the handler.
    extern "C" void restoreTerminalAndRaise(int signalNumber)
    {
        if (terminalChanged != 0) {
            tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        }
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
    }

    int readKeyFromTerminal(std::FILE* in)
    {
        const int fd = fileno(in);
        if (tcgetattr(fd, &savedTerminal) != 0) {
            return std::getc(in);
        }
        struct sigaction action { };
        action.sa_handler = restoreTerminalAndRaise;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(RESTORE_SIGNALS); ++i) {
            sigaction(RESTORE_SIGNALS[i], &action, &savedActions[i]);
        }
        struct termios raw = savedTerminal;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        terminalChanged = 1;
        tcsetattr(fd, TCSANOW, &raw);
        const int key = std::getc(in);
        tcsetattr(fd, TCSANOW, &savedTerminal);
        terminalChanged = 0;
        for (std::size_t i = 0; i < std::size(RESTORE_SIGNALS); ++i) {
            sigaction(RESTORE_SIGNALS[i], &savedActions[i], nullptr);
        }
        return key;
    }

    bool isTerminal(std::FILE* in)
    {
        return isatty(fileno(in)) != 0;
    }
#else
    // A console window. _isatty would also count the NUL device and serial ports, where
    // _getch would wait for a key on a console that may not even exist.
    bool isTerminal(std::FILE* in)
    {
        const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(in)));
        DWORD mode = 0;
        return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
    }

    // _getch takes one key press straight from the console, without echo and without Enter.
    // A function or arrow key arrives as two codes, 0 or 0xE0 and then the key's own code: it
    // answers no prompt, and its second code could pass for a digit or a letter, so both go.
    // The second code is already waiting then; a lone 0xE0 is a typed character.
    int readKeyFromTerminal(std::FILE*)
    {
        for (;;) {
            const int key = _getch();
            if ((key != 0 && key != 0xE0) || _kbhit() == 0) {
                return key;
            }
            _getch();
        }
    }
#endif

    // The next byte of input, with a line end "\r\n" read as "\n", so that answers typed or
    // saved on Windows read alike on every platform. After a lone "\r" the byte behind it is
    // pushed back onto the stream.
    int nextByte(std::FILE* in)
    {
        const int c = std::getc(in);
        if (c != '\r') {
            return c;
        }
        const int next = std::getc(in);
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            std::ungetc(next, in);
        }
        return '\r';
    }

    bool isBlank(int c)
    {
        return c != EOF && std::isspace(c) != 0;
    }

    enum class WordRead { Word, TooLong, EndOfInput };

    // Skips white space (line ends included) and reads the next word: the bytes up to the
    // next white space, which stays unread.
    WordRead readWord(Console& console, std::string& word)
    {
        word.clear();
        int c = nextByte(console.in);
        while (isBlank(c)) {
            c = nextByte(console.in);
        }
        if (c == EOF) {
            return WordRead::EndOfInput;
        }
        bool tooLong = false;
        while (c != EOF && !isBlank(c)) {
            if (word.size() < MAX_NUMBER_TEXT) {
                word.push_back(static_cast<char>(c));
            } else {
                tooLong = true;
            }
            c = nextByte(console.in);
        }
        // A lone "\r" ending the word is dropped: the stream already holds the byte after it,
        // and it can hold only one.
        if (c != EOF && c != '\r') {
            std::ungetc(c, console.in);
        }
        return tooLong ? WordRead::TooLong : WordRead::Word;
    }

    // Drops the rest of the current input line, its line end included.
    void discardLine(Console& console)
    {
        int c = nextByte(console.in);
        while (c != EOF && c != '\n') {
            c = nextByte(console.in);
        }
    }

    std::optional<std::int32_t> parseInt(const std::string& word)
    {
        std::size_t at = (word[0] == '+' || word[0] == '-') ? 1 : 0;
        if (at == word.size()) {
            return std::nullopt;
        }
        for (std::size_t i = at; i < word.size(); ++i) {
            if (word[i] < '0' || word[i] > '9') {
                return std::nullopt;
            }
        }
        errno = 0;
        const long long value = std::strtoll(word.c_str(), nullptr, 10);
        if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(value);
    }

    // A decimal number, as a user types a rating: no hexadecimal, no infinity, no "nan".
    std::optional<double> parseDouble(const std::string& word)
    {
        if (word.find_first_not_of("0123456789+-.eE") != std::string::npos) {
            return std::nullopt;
        }
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end != word.c_str() + word.size() || !std::isfinite(value)) {
            return std::nullopt; // not wholly a number, or too large for a double
        }
        return value;
    }

    template <typename Parse>
    auto readNumber(Console& console, const char* prompt, Parse parse)
        -> decltype(parse(std::string {}))
    {
        std::string word;
        for (;;) {
            std::fputs(prompt, console.out);
            flushConsole(console);
            const WordRead read = readWord(console, word);
            if (read == WordRead::EndOfInput) {
                return std::nullopt;
            }
            if (read == WordRead::Word) {
                if (auto value = parse(word)) {
                    return value;
                }
            }
            discardLine(console);
        }
    }

} // namespace

void prepareConsole(Console& console)
{
#if defined(_WIN32)
    if (!isTerminal(console.in)) {
        _setmode(_fileno(console.in), _O_BINARY);
    }
#else
    (void)console;
#endif
}

void say(Console& console, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(console.out, format, args);
    va_end(args);
}

void flushConsole(Console& console)
{
    std::fflush(console.out);
}

int readKey(Console& console)
{
    flushConsole(console);
    if (isTerminal(console.in)) {
        return readKeyFromTerminal(console.in);
    }
    return nextByte(console.in);
}

int readChar(Console& console)
{
    flushConsole(console);
    return nextByte(console.in);
}

bool readLine(Console& console, std::string& line)
{
    flushConsole(console);
    line.clear();
    int c = nextByte(console.in);
    while (c == '\n') {
        c = nextByte(console.in);
    }
    if (c == EOF) {
        return false;
    }
    while (c != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
        c = nextByte(console.in);
    }
    if (c != EOF) {
        std::ungetc(c, console.in);
    }
    return true;
}

std::optional<std::int32_t> readInt(Console& console, const char* prompt)
{
    return readNumber(console, prompt, parseInt);
}

std::optional<double> readDouble(Console& console, const char* prompt)
{
    return readNumber(console, prompt, parseDouble);
}

} // namespace varnok
