// Micro-benchmarks of the stages of a rating run on generated games held in memory:
//   build/bench/varnok_micro [--benchmark_filter=REGEX]
#include "game_generator.h"

#include "analysis/clusters.h"
#include "analysis/general_statistics.h"
#include "analysis/rating_iteration.h"
#include "pgn/tag_reader.h"
#include "store/result_store.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

using varnok::bench::GeneratorOptions;

// 10,000 games between 300 programs: about 20 MB, more than the caches hold.
const std::string& gameText()
{
    static const std::string text = [] {
        GeneratorOptions options;
        options.games = 10000;
        options.programs = 300;
        return varnok::bench::generateGamesText(options);
    }();
    return text;
}

// A console that prints nothing: the generated files have no bad ECO tag to report.
struct QuietConsole {
    QuietConsole()
    {
        console.in = std::tmpfile();
        console.out = std::tmpfile();
    }
    ~QuietConsole()
    {
        std::fclose(console.in);
        std::fclose(console.out);
    }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;
    varnok::Console console;
};

void readText(varnok::ResultStore& store, const std::string& text, std::size_t blockSize)
{
    QuietConsole quiet;
    varnok::resetStore(store);
    varnok::readPgnText(store, text, quiet.console, blockSize);
}

// The tag reader alone, over the text in blocks of the given size.
void scanGeneratedText(benchmark::State& state)
{
    const std::string& text = gameText();
    const auto blockSize = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        varnok::ResultStore store;
        readText(store, text, blockSize);
        benchmark::DoNotOptimize(store.counters.finishedGames);
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(scanGeneratedText)
    ->Arg(4096)
    ->Arg(64 * 1024)
    ->Arg(static_cast<std::int64_t>(varnok::DEFAULT_BLOCK_SIZE));

// Name lookups in the order the generated file names its programs.
void findPrograms(benchmark::State& state)
{
    const auto programs = static_cast<std::int32_t>(state.range(0));
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < 4096; ++i) {
        const std::uint32_t scattered = i * 2654435761u % static_cast<std::uint32_t>(programs);
        names.push_back(varnok::bench::programName(static_cast<std::int32_t>(scattered)));
    }
    varnok::ResultStore store;
    varnok::resetStore(store);
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(varnok::findOrAddProgram(store, name));
        }
    }
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(names.size()));
}
BENCHMARK(findPrograms)->Arg(300)->Arg(3000)->Arg(20000);

// Totals, clusters and the rating iteration of 3,000 programs, without the reports.
void rateLeague(benchmark::State& state)
{
    GeneratorOptions options;
    options.games = 200000;
    options.programs = 3000;
    const std::string text = varnok::bench::generateGamesText(options);
    for (auto _ : state) {
        state.PauseTiming();
        varnok::ResultStore store;
        readText(store, text, varnok::DEFAULT_BLOCK_SIZE);
        state.ResumeTiming();
        varnok::computeProgramTotals(store);
        varnok::numberClusters(store);
        // The offsets come with the cluster report; zero offsets leave the work the same.
        store.itoffset.assign(static_cast<std::size_t>(store.clusterCount) + 1, 0.0);
        benchmark::DoNotOptimize(varnok::iterateRatings(store));
    }
}
BENCHMARK(rateLeague)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
