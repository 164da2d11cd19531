// Writes a deterministic game file for benchmarks and tests:
//   generate_games [--games N] [--programs N] [--clusters N] [--neighbours N] [--spread N]
//                  [--random-pairing] [--draws SHARE] [--unfinished SHARE] [--crlf] [--seed N]
//                  --output FILE
//   generate_games --version   (changes whenever the same options give other bytes)
// The file is written beside its name first and renamed into place when complete.
#include "game_generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char USAGE[]
    = "usage: generate_games [--games N] [--programs N] [--clusters N] [--neighbours N]\n"
      "                      [--spread N] [--random-pairing] [--draws SHARE] [--unfinished SHARE]\n"
      "                      [--crlf] [--seed N] --output FILE\n";

bool parseInteger(const char* text, long long& value)
{
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

bool parseShare(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool parseArguments(
    int argc, char** argv, varnok::bench::GeneratorOptions& options, std::string& output)
{
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--version") {
            std::printf("%d\n", varnok::bench::GENERATOR_VERSION);
            std::exit(0);
        }
        if (flag == "--random-pairing") {
            options.randomPairing = true;
            continue;
        }
        if (flag == "--crlf") {
            options.crlf = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        long long number = 0;
        if (flag == "--output") {
            output = value;
        } else if (flag == "--draws") {
            if (!parseShare(value, options.drawShare)) {
                return false;
            }
        } else if (flag == "--unfinished") {
            if (!parseShare(value, options.unfinishedShare)) {
                return false;
            }
        } else if (!parseInteger(value, number) || number < 0 || number > (1LL << 40)) {
            return false;
        } else if (flag == "--games") {
            options.games = number;
        } else if (flag == "--programs" && number <= 1 << 30) {
            options.programs = static_cast<std::int32_t>(number);
        } else if (flag == "--clusters" && number <= 1 << 30) {
            options.clusters = static_cast<std::int32_t>(number);
        } else if (flag == "--neighbours" && number <= 1 << 30) {
            options.neighbours = static_cast<std::int32_t>(number);
        } else if (flag == "--spread" && number <= 1 << 30) {
            options.spread = static_cast<std::int32_t>(number);
        } else if (flag == "--seed") {
            options.seed = static_cast<std::uint64_t>(number);
        } else {
            return false;
        }
    }
    return !output.empty();
}

} // namespace

int main(int argc, char** argv)
{
    varnok::bench::GeneratorOptions options;
    std::string output;
    if (!parseArguments(argc, argv, options, output)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const std::string partial = output + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "generate_games: cannot create %s: %s\n", partial.c_str(),
            std::strerror(errno));
        return 1;
    }
    bool written = true;
    const bool made = varnok::bench::generateGames(options, [&](std::string_view piece) {
        written = written && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
    });
    written = std::fclose(file) == 0 && written;
    if (!made) {
        std::remove(partial.c_str());
        std::fputs(
            "generate_games: these options make no file (at least two programs per cluster, shares "
            "from 0 to 1)\n",
            stderr);
        return 2;
    }
    // A rename does not replace an existing file everywhere (Windows): the old one goes first.
    std::remove(output.c_str());
    if (!written || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "generate_games: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
