// Helpers shared by the tests: an in-memory console, temporary directories, files, and running
// the built program with piped input.
#pragma once

#include "driver/console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Running the built program needs a POSIX shell. A Windows build is run by the Linux tests,
// through VARNOK_COMMAND.
#if !defined(_WIN32)
#define VARNOK_RUNS_PROGRAM 1
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#else
#define VARNOK_RUNS_PROGRAM 0
#endif

namespace varnok::testing {

// A console whose input is a fixed text and whose output is collected.
class MemoryConsole {
public:
    explicit MemoryConsole(const std::string& input = "")
        : input_(input)
    {
        console.in = std::tmpfile();
        console.out = std::tmpfile();
        std::fwrite(input_.data(), 1, input_.size(), console.in);
        std::rewind(console.in);
    }
    ~MemoryConsole()
    {
        std::fclose(console.in);
        std::fclose(console.out);
    }
    MemoryConsole(const MemoryConsole&) = delete;
    MemoryConsole& operator=(const MemoryConsole&) = delete;

    std::string output()
    {
        std::fflush(console.out);
        std::string text;
        std::rewind(console.out);
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, console.out)) > 0) {
            text.append(buffer, got);
        }
        return text;
    }

    // What is left unread of the input.
    std::string remainingInput()
    {
        std::string text;
        int c = 0;
        while ((c = std::getc(console.in)) != EOF) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }

    Console console;

private:
    std::string input_;
};

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TempDir {
public:
    TempDir()
    {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device random;
        // A name that exists already is passed over: create_directory makes only a new one.
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate
                = base / ("varnok-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = candidate;
            }
        }
        EXPECT_FALSE(path_.empty());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reports of a program run elsewhere (another platform) may carry "\r\n" line ends.
inline std::string withUnixLineEnds(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            out.push_back(text[i]);
        }
    }
    return out;
}

// Whether the reports and the console output under test have Windows line ends: in the
// Windows build's own tests, and in the Linux tests run against it (VARNOK_COMMAND) with
// VARNOK_NORMALISE_LINE_ENDS=1.
inline bool normaliseLineEnds()
{
#if defined(_WIN32)
    return true;
#else
    const char* value = std::getenv("VARNOK_NORMALISE_LINE_ENDS");
    return value != nullptr && std::string(value) == "1";
#endif
}

// A report file as the tests compare it.
inline std::string readReport(const std::filesystem::path& path)
{
    const std::string text = readFile(path);
    return normaliseLineEnds() ? withUnixLineEnds(text) : text;
}

#if VARNOK_RUNS_PROGRAM
struct RunResult {
    int exitStatus = -1; // exit status, or -1 when the program did not end by itself
    bool timedOut = false;
    std::string output;
};

// The command that runs the program under test: the built program, or VARNOK_COMMAND (a
// shell command line, for example one that runs another platform's build).
inline std::string programCommand()
{
    const char* command = std::getenv("VARNOK_COMMAND");
    if (command != nullptr && *command != '\0') {
        return command;
    }
    return std::string("'") + VARNOK_PROGRAM + "'";
}

// Runs a shell command in `directory` with `input` on its standard input and collects its
// standard output, within a time limit.
inline RunResult runCommand(const std::filesystem::path& directory, const std::string& input,
    const std::string& command, int timeLimitSeconds = 60)
{
    RunResult result;
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
        ADD_FAILURE() << "pipe failed";
        return result;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[0]);
        close(toChild[1]);
        close(fromChild[0]);
        close(fromChild[1]);
        if (chdir(directory.c_str()) != 0) {
            _exit(127);
        }
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    std::signal(SIGPIPE, SIG_IGN);
    // Feed the input and read the output together, so that neither pipe can fill up.
    std::size_t written = 0;
    if (input.empty()) {
        close(toChild[1]);
        toChild[1] = -1;
    }
    fcntl(fromChild[0], F_SETFL, O_NONBLOCK);
    if (toChild[1] >= 0) {
        fcntl(toChild[1], F_SETFL, O_NONBLOCK);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimitSeconds);
    bool outputOpen = true;
    while (outputOpen) {
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2];
        int count = 0;
        fds[count++] = { fromChild[0], POLLIN, 0 };
        if (toChild[1] >= 0) {
            fds[count++] = { toChild[1], POLLOUT, 0 };
        }
        poll(fds, static_cast<nfds_t>(count), 100);
        if (toChild[1] >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = write(toChild[1], input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (n < 0 || written == input.size()) {
                close(toChild[1]);
                toChild[1] = -1;
            }
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[65536];
            const ssize_t n = read(fromChild[0], buffer, sizeof buffer);
            if (n > 0) {
                result.output.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0) {
                outputOpen = false;
            }
        }
    }
    if (toChild[1] >= 0) {
        close(toChild[1]);
    }
    close(fromChild[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    if (normaliseLineEnds()) {
        result.output = withUnixLineEnds(result.output);
    }
    return result;
}

// Runs the program under test; `shellSetup` runs in the shell first (limits, traps).
inline RunResult runProgram(const std::filesystem::path& directory, const std::string& input,
    int timeLimitSeconds = 60, const std::string& shellSetup = "")
{
    return runCommand(directory, input, shellSetup + "exec " + programCommand(), timeLimitSeconds);
}

// What a terminal shows of the output written to it: without "\r" and escape sequences, but
// with a move of the cursor n columns forward shown as n blanks (wine's console draws blanks
// that way).
inline std::string screenText(const std::string& raw)
{
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1b' && i + 1 < raw.size() && raw[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < raw.size() && !(raw[end] >= '@' && raw[end] <= '~')) {
                ++end;
            }
            if (end < raw.size() && raw[end] == 'C') {
                const std::string count = raw.substr(i + 2, end - i - 2);
                text.append(count.empty() ? 1 : std::stoul(count), ' ');
            }
            i = end;
        } else if (raw[i] == '\x1b' && i + 1 < raw.size() && raw[i + 1] == ']') {
            // A window title, up to BEL or ESC backslash.
            std::size_t end = i + 2;
            while (end < raw.size() && raw[end] != '\a' && raw[end] != '\x1b') {
                ++end;
            }
            i = end < raw.size() && raw[end] == '\x1b' ? end + 1 : end;
        } else if (raw[i] != '\r') {
            text.push_back(raw[i]);
        }
    }
    return text;
}

// One step at a terminal: keys typed as they are ("\r" is the Enter key), then the text the
// screen must show next.
struct TerminalStep {
    std::string keys;
    std::string shows;
    // The keys answer a prompt for a single key: they are typed only once the terminal has
    // stopped echoing, so that they do not arrive before the program is ready for them.
    bool singleKey = false;
};

struct TerminalRun {
    int exitStatus = -1; // exit status, or -1 when the program did not end by itself
    bool timedOut = false;
    std::string screen; // what the terminal showed, as screenText gives it
};

// Runs a shell command in `directory` on a new pseudo-terminal, as a person at a terminal
// would: step by step, the keys and then a wait for what they should bring up. Ends when the
// program ends or the time limit is up.
inline TerminalRun runAtTerminal(const std::filesystem::path& directory, const std::string& command,
    const std::vector<TerminalStep>& steps, int timeLimitSeconds = 60)
{
    TerminalRun result;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return result;
    }
    const std::string terminalName = ptsname(master);
    winsize size {};
    size.ws_row = 25;
    size.ws_col = 80;
    ioctl(master, TIOCSWINSZ, &size);
    // Held open here too, so that reading never fails before the program has opened it.
    const int terminal = open(terminalName.c_str(), O_RDWR | O_NOCTTY);
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        const int controlling = open(terminalName.c_str(), O_RDWR);
        if (controlling < 0 || chdir(directory.c_str()) != 0) {
            _exit(127);
        }
        dup2(controlling, 0);
        dup2(controlling, 1);
        close(controlling);
        close(terminal);
        close(master);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimitSeconds);
    std::string raw;
    int status = 0;
    bool ended = false;
    // Takes what the program wrote within `milliseconds`; notes whether it has ended.
    auto take = [&](int milliseconds) {
        pollfd fd { master, POLLIN, 0 };
        if (poll(&fd, 1, milliseconds) > 0) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                raw.append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (!ended && waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
        }
    };
    std::size_t seen = 0;
    for (const TerminalStep& step : steps) {
        termios mode {};
        while (step.singleKey && tcgetattr(master, &mode) == 0 && (mode.c_lflag & ECHO) != 0
            && !ended && std::chrono::steady_clock::now() < deadline) {
            take(10);
        }
        if (!step.keys.empty() && write(master, step.keys.data(), step.keys.size()) < 0) {
            ADD_FAILURE() << "cannot type " << step.keys;
        }
        std::size_t at = std::string::npos;
        while ((at = screenText(raw).find(step.shows, seen)) == std::string::npos && !ended
            && std::chrono::steady_clock::now() < deadline) {
            take(100);
        }
        if (at == std::string::npos) {
            ADD_FAILURE() << "the screen does not show \"" << step.shows << "\" after \""
                          << step.keys << "\"";
            break;
        }
        seen = at + step.shows.size();
    }
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        take(100);
    }
    if (!ended) {
        result.timedOut = true;
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    // The last output, still on its way through the terminal.
    for (int quiet = 0; quiet < 3;) {
        const std::size_t before = raw.size();
        take(50);
        quiet = raw.size() == before ? quiet + 1 : 0;
    }
    close(terminal);
    close(master);
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.screen = screenText(raw);
    return result;
}
#endif

} // namespace varnok::testing
