#include "game_generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace varnok::bench {

namespace {

    constexpr std::size_t FLUSH_SIZE = 1 << 20; // bytes handed to the sink at a time
    constexpr int MIN_PLIES = 60;
    constexpr int MAX_PLIES = 120;
    constexpr int LINE_WIDTH = 79; // move text is wrapped before this column
    constexpr double COMMENT_SHARE = 0.92; // moves after the book with an engine comment
    constexpr double WEAKEST = 2000.0; // strength of a cluster's weakest program, Elo
    constexpr double STRENGTH_SPAN = 1400.0; // from a cluster's weakest to its strongest
    constexpr double WHITE_ADVANTAGE = 30.0; // Elo
    constexpr int MATCH_PAIRS = 5; // a match is up to this many pairs of games, colours swapped
    constexpr int GAMES_PER_DAY = 500; // how fast the Date tag moves on

    // splitmix64: small, fast, and the same sequence on every platform, unlike the
    // distributions of <random>.
    struct Random {
        std::uint64_t state;

        std::uint64_t next()
        {
            std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
            return z ^ (z >> 31);
        }
        // 0 .. n-1
        std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
        // [0, 1)
        double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    };

    struct Program {
        std::string name;
        double strength = 0.0;
    };

    // What the whole file is drawn from: the programs, their clusters and who meets whom.
    struct League {
        std::vector<Program> programs;
        std::vector<std::vector<std::int32_t>> clusters; // members, weakest first
        std::vector<std::pair<std::int32_t, std::int32_t>>
            pairs; // neighbour pairings, in playing order
        std::size_t nextPair = 0; // the pairing of the next match in `pairs`
    };

    template <typename T> void shuffle(std::vector<T>& items, Random& random)
    {
        for (std::size_t k = items.size(); k > 1; --k) {
            std::swap(items[k - 1], items[random.below(static_cast<std::uint32_t>(k))]);
        }
    }

    const char* const NAME_STARTS[]
        = { "Ar", "Bel", "Cor", "Dra", "Em", "Fal", "Gyr", "Hal", "Ib", "Jor", "Kes", "Lum", "Mor",
              "Nex", "Or", "Pyr", "Quil", "Rav", "Sol", "Tor", "Ul", "Vex", "Wyr", "Zen" };
    const char* const NAME_ENDS[]
        = { "cturus", "ber", "dex", "gon", "is", "con", "e", "ix", "ra", "tal", "trel", "en", "ana",
              "us", "ion", "ite", "ark", "os", "ace", "ven", "tar", "ade", "oth", "ith" };
    constexpr std::int32_t NAME_STARTS_COUNT = static_cast<std::int32_t>(std::size(NAME_STARTS));
    constexpr std::int32_t NAME_ENDS_COUNT = static_cast<std::int32_t>(std::size(NAME_ENDS));
    constexpr std::int32_t NAME_BASES = NAME_STARTS_COUNT * NAME_ENDS_COUNT;

    bool validOptions(const GeneratorOptions& o)
    {
        return o.games >= 0 && o.clusters >= 1 && o.programs >= 2 * o.clusters && o.neighbours >= 1
            && o.drawShare >= 0.0 && o.drawShare <= 1.0 && o.unfinishedShare >= 0.0
            && o.unfinishedShare <= 1.0;
    }

    League makeLeague(const GeneratorOptions& options, Random& random)
    {
        League league;
        for (std::int32_t i = 0; i < options.programs; ++i) {
            league.programs.push_back(Program { programName(i), 0.0 });
        }
        // Programs are dealt to the clusters in turn, then ranked in a random order.
        league.clusters.resize(static_cast<std::size_t>(options.clusters));
        for (std::int32_t i = 0; i < options.programs; ++i) {
            league.clusters[static_cast<std::size_t>(i % options.clusters)].push_back(i);
        }
        for (std::vector<std::int32_t>& members : league.clusters) {
            shuffle(members, random);
            const double step = STRENGTH_SPAN / static_cast<double>(members.size() - 1);
            for (std::size_t rank = 0; rank < members.size(); ++rank) {
                league.programs[static_cast<std::size_t>(members[rank])].strength
                    = WEAKEST + step * static_cast<double>(rank);
            }
            const std::size_t size = members.size();
            const auto neighbours = static_cast<std::size_t>(options.neighbours);
            const std::size_t spread = std::max(neighbours,
                options.spread > 0 ? static_cast<std::size_t>(options.spread) : size / 4);
            std::vector<std::size_t> above;
            bool strongestMet = false;
            for (std::size_t rank = 0; rank + 1 < size; ++rank) {
                above.clear();
                for (std::size_t d = 1; d <= spread && rank + d < size; ++d) {
                    above.push_back(rank + d);
                }
                // The first `neighbours` of a partial shuffle: distinct, drawn at random.
                const std::size_t taken = std::min(neighbours, above.size());
                for (std::size_t k = 0; k < taken; ++k) {
                    std::swap(above[k],
                        above[k + random.below(static_cast<std::uint32_t>(above.size() - k))]);
                    league.pairs.emplace_back(members[rank], members[above[k]]);
                    strongestMet = strongestMet || above[k] == size - 1;
                }
            }
            // The strongest program has nobody above it: it meets the next one down at least.
            if (!strongestMet) {
                league.pairs.emplace_back(members[size - 2], members[size - 1]);
            }
        }
        league.nextPair = league.pairs.size();
        return league;
    }

    // The two programs of the next match, in the colours of its first game.
    std::pair<std::int32_t, std::int32_t> pickPairing(
        const GeneratorOptions& options, League& league, Random& random)
    {
        std::pair<std::int32_t, std::int32_t> pairing;
        if (options.randomPairing) {
            const auto& members = league.clusters[static_cast<std::size_t>(
                random.below(static_cast<std::uint32_t>(options.programs))
                % static_cast<std::uint32_t>(options.clusters))];
            const auto size = static_cast<std::uint32_t>(members.size());
            const std::uint32_t a = random.below(size);
            const std::uint32_t b = (a + 1 + random.below(size - 1)) % size;
            pairing = { members[a], members[b] };
        } else {
            // Every pair plays a match before any pair plays its next one, as in a schedule.
            if (league.nextPair == league.pairs.size()) {
                shuffle(league.pairs, random);
                league.nextPair = 0;
            }
            pairing = league.pairs[league.nextPair++];
        }
        if (random.below(2) == 1) {
            std::swap(pairing.first, pairing.second);
        }
        return pairing;
    }

    const char* drawResult(
        const GeneratorOptions& options, const Program& white, const Program& black, Random& random)
    {
        if (random.unit() < options.unfinishedShare) {
            return "*";
        }
        const double expected = 1.0
            / (1.0 + std::pow(10.0, -(white.strength - black.strength + WHITE_ADVANTAGE) / 400.0));
        const double r = random.unit();
        if (r < options.drawShare) {
            return "1/2-1/2";
        }
        return (r - options.drawShare) < (1.0 - options.drawShare) * expected ? "1-0" : "0-1";
    }

    void appendNumber(std::string& out, std::int64_t value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out.append(digits, end);
    }

    // Appends value / 100 with two decimals, as engines print evaluations.
    void appendHundredths(std::string& out, std::uint32_t value)
    {
        appendNumber(out, value / 100);
        out += '.';
        out += static_cast<char>('0' + value / 10 % 10);
        out += static_cast<char>('0' + value % 10);
    }

    // A move in algebraic notation that looks like one; legality is not checked.
    void appendMove(std::string& out, Random& random)
    {
        const std::uint32_t fileIndex = random.below(8);
        const char file = static_cast<char>('a' + fileIndex);
        const std::uint32_t kind = random.below(100);
        if (kind < 3) {
            out += random.below(4) == 0 ? "O-O-O" : "O-O";
        } else if (kind < 33) {
            if (random.below(4) == 0) {
                // A pawn captures from a neighbouring file.
                out += static_cast<char>(fileIndex == 0 ? 'b'
                        : fileIndex == 7                ? 'g'
                                                        : file + (random.below(2) == 0 ? -1 : 1));
                out += 'x';
            }
            out += file;
            if (random.below(40) == 0) {
                out += random.below(2) == 0 ? "8=Q" : "1=Q";
            } else {
                out += static_cast<char>('3' + random.below(4));
            }
        } else {
            const char piece = "NNNBBBRRQK"[random.below(10)];
            out += piece;
            if ((piece == 'N' || piece == 'R') && random.below(12) == 0) {
                out += static_cast<char>('a' + random.below(8));
            }
            if (random.below(5) == 0) {
                out += 'x';
            }
            out += file;
            out += static_cast<char>('1' + random.below(8));
        }
        if (random.below(12) == 0) {
            out += '+';
        }
    }

    // An engine comment such as {+0.31/18 1.2s}: evaluation, search depth and time.
    void appendComment(std::string& out, Random& random)
    {
        out += '{';
        out += random.below(2) == 0 ? '+' : '-';
        appendHundredths(out, random.below(random.below(4) == 0 ? 900 : 150));
        out += '/';
        appendNumber(out, 10 + random.below(31));
        out += ' ';
        const std::uint32_t tenths = 1 + random.below(40);
        appendNumber(out, tenths / 10);
        out += '.';
        out += static_cast<char>('0' + tenths % 10);
        out += "s}";
    }

    // Collects the tokens of the move text into lines no wider than LINE_WIDTH.
    struct MoveText {
        std::string& out;
        const char* lineEnd;
        std::size_t lineStart;

        void add(std::string_view token)
        {
            if (out.size() > lineStart) {
                if (out.size() - lineStart + 1 + token.size() > LINE_WIDTH) {
                    out += lineEnd;
                    lineStart = out.size();
                } else {
                    out += ' ';
                }
            }
            out += token;
        }
    };

    void appendTag(std::string& out, const char* name, std::string_view value, const char* lineEnd)
    {
        out += '[';
        out += name;
        out += " \"";
        out += value;
        out += "\"]";
        out += lineEnd;
    }

    void appendGame(std::string& out, const GeneratorOptions& options, const League& league,
        Random& random, std::int64_t gameNumber, std::int64_t matchNumber, std::int32_t matchGame,
        std::int32_t white, std::int32_t black)
    {
        const char* lineEnd = options.crlf ? "\r\n" : "\n";
        const Program& w = league.programs[static_cast<std::size_t>(white)];
        const Program& b = league.programs[static_cast<std::size_t>(black)];
        const char* result = drawResult(options, w, b, random);
        const int plies = MIN_PLIES + static_cast<int>(random.below(MAX_PLIES - MIN_PLIES + 1));
        const int bookPlies = 4 + static_cast<int>(random.below(9));

        std::string value;
        appendTag(out, "Event", "Engine Rating Test", lineEnd);
        appendTag(out, "Site", "Test machine", lineEnd);
        const std::int64_t day = gameNumber / GAMES_PER_DAY;
        value = "20";
        appendNumber(value, 20 + day / 336);
        value += '.';
        value += day / 28 % 12 < 9 ? "0" : "";
        appendNumber(value, day / 28 % 12 + 1);
        value += '.';
        value += day % 28 < 9 ? "0" : "";
        appendNumber(value, day % 28 + 1);
        appendTag(out, "Date", value, lineEnd);
        value.clear();
        appendNumber(value, matchNumber);
        value += '.';
        appendNumber(value, matchGame);
        appendTag(out, "Round", value, lineEnd);
        appendTag(out, "White", w.name, lineEnd);
        appendTag(out, "Black", b.name, lineEnd);
        appendTag(out, "Result", result, lineEnd);
        value = static_cast<char>('A' + random.below(5));
        value += static_cast<char>('0' + random.below(10));
        value += static_cast<char>('0' + random.below(10));
        appendTag(out, "ECO", value, lineEnd);
        appendTag(out, "TimeControl", "60+0.6", lineEnd);
        value.clear();
        appendNumber(value, plies);
        appendTag(out, "PlyCount", value, lineEnd);
        out += lineEnd;

        MoveText text { out, lineEnd, out.size() };
        std::string token;
        for (int ply = 0; ply < plies; ++ply) {
            if (ply % 2 == 0) {
                token.clear();
                appendNumber(token, ply / 2 + 1);
                token += '.';
                text.add(token);
            }
            token.clear();
            appendMove(token, random);
            text.add(token);
            if (ply == 0) {
                text.add("{book}");
            } else if (ply >= bookPlies && random.unit() < COMMENT_SHARE) {
                token.clear();
                appendComment(token, random);
                text.add(token);
            }
        }
        text.add(result);
        out += lineEnd;
        out += lineEnd;
    }

} // namespace

std::string programName(std::int32_t index)
{
    // The base names run through every start before a start repeats, so that neighbouring
    // indices read differently; the version tells the rounds of base names apart.
    const std::int32_t base = index % NAME_BASES;
    const std::int32_t round = index / NAME_BASES;
    std::string name = NAME_STARTS[base % NAME_STARTS_COUNT];
    name += NAME_ENDS[(base / NAME_STARTS_COUNT + base) % NAME_ENDS_COUNT];
    name += ' ';
    name += std::to_string(1 + round / 10);
    name += '.';
    name += std::to_string(round % 10);
    return name;
}

bool generateGames(const GeneratorOptions& options, const TextSink& sink)
{
    if (!validOptions(options)) {
        return false;
    }
    Random random { options.seed };
    League league = makeLeague(options, random);
    std::string out;
    out.reserve(FLUSH_SIZE + FLUSH_SIZE / 4);
    std::int64_t gameNumber = 0;
    std::int64_t matchNumber = 0;
    while (gameNumber < options.games) {
        ++matchNumber;
        auto [white, black] = pickPairing(options, league, random);
        const std::int32_t matchGames
            = 2 * (1 + static_cast<std::int32_t>(random.below(MATCH_PAIRS)));
        for (std::int32_t g = 1; g <= matchGames && gameNumber < options.games; ++g) {
            appendGame(out, options, league, random, gameNumber, matchNumber, g, white, black);
            std::swap(white, black);
            ++gameNumber;
            if (out.size() >= FLUSH_SIZE) {
                sink(out);
                out.clear();
            }
        }
    }
    if (!out.empty()) {
        sink(out);
    }
    return true;
}

std::string generateGamesText(const GeneratorOptions& options)
{
    std::string text;
    generateGames(options, [&text](std::string_view piece) { text.append(piece); });
    return text;
}

} // namespace varnok::bench
