#include "analysis/clusters.h"

#include "analysis/formulas.h"

#include <vector>

namespace varnok {

namespace {

    // Gives cluster `cluster` to every program without one that is reachable from `start`.
    // An explicit stack instead of recursion: a chain of many thousand programs is one
    // cluster and must not exhaust the call stack. Only the groups show, not the order.
    void fillCluster(ResultStore& store, ProgramIndex start, std::vector<ProgramIndex>& stack)
    {
        const std::int32_t cluster = store.clusterOf[static_cast<std::size_t>(start)];
        stack.assign(1, start);
        while (!stack.empty()) {
            const ProgramIndex p = stack.back();
            stack.pop_back();
            if (store.visited[static_cast<std::size_t>(p)] == 1) {
                continue;
            }
            for (const Opponent& o : opponentsOf(store, p)) {
                const auto j = static_cast<std::size_t>(o.index);
                if (store.visited[j] == 0 && store.clusterOf[j] == 0) {
                    store.clusterOf[j] = cluster;
                    stack.push_back(o.index);
                }
            }
            store.visited[static_cast<std::size_t>(p)] = 1;
        }
    }

    // Members of every cluster in increasing index order: members[start[c] .. start[c + 1]).
    struct ClusterMembers {
        std::vector<std::size_t> start;
        std::vector<ProgramIndex> members;
    };

    ClusterMembers membersByCluster(const ResultStore& store)
    {
        const auto clusters = static_cast<std::size_t>(store.clusterCount);
        ClusterMembers result;
        result.start.assign(clusters + 2, 0);
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            ++result.start[static_cast<std::size_t>(store.clusterOf[static_cast<std::size_t>(i)])
                + 1];
        }
        for (std::size_t c = 1; c < result.start.size(); ++c) {
            result.start[c] += result.start[c - 1];
        }
        result.members.resize(result.start.back());
        std::vector<std::size_t> fill(result.start.begin(), result.start.end() - 1);
        for (ProgramIndex i = 1; i <= programCount(store); ++i) {
            result.members[fill[static_cast<std::size_t>(
                store.clusterOf[static_cast<std::size_t>(i)])]++]
                = i;
        }
        return result;
    }

} // namespace

void numberClusters(ResultStore& store)
{
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        store.visited[at] = store.games[at] == 0 ? 1 : 0;
        store.clusterOf[at] = 0;
    }
    store.clusterCount = 0;
    std::vector<ProgramIndex> stack;
    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (store.clusterOf[at] == 0 && store.visited[at] == 0) {
            ++store.clusterCount;
            store.clusterOf[at] = store.clusterCount;
            fillCluster(store, i, stack);
        }
    }
}

ReportFailure analyseClusters(ResultStore& store, Console& console)
{
    say(console, "Analysing database structure... ");
    flushConsole(console);
    numberClusters(store);
    say(console, "%d cluster(s)\n", store.clusterCount);

    for (ProgramIndex i = 1; i <= programCount(store); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (store.games[at] != 0) {
            store.opponentCount[at] = static_cast<std::int32_t>(opponentsOf(store, i).size());
        }
    }

    const auto clusters = static_cast<std::size_t>(store.clusterCount);
    store.clusterSize.assign(clusters + 1, 0);
    store.clusterGames.assign(clusters + 1, 0);
    store.itoffset.assign(clusters + 1, 0.0);
    const ClusterMembers members = membersByCluster(store);

    ReportFile report;
    if (ReportFailure failure = openReport(report, "cluster.dat")) {
        return failure;
    }
    for (std::size_t c = 1; c <= clusters; ++c) {
        reportf(report, "Cluster No. %d:\n\n", static_cast<int>(c));
        for (std::size_t m = members.start[c]; m < members.start[c + 1]; ++m) {
            const auto i = static_cast<std::size_t>(members.members[m]);
            ++store.clusterSize[c];
            reportf(report, "%-30s (%d)\n", store.names[i].c_str(), store.opponentCount[i]);
            store.clusterGames[c] += store.games[i];
            store.scoreFraction[i] = (static_cast<double>(store.wins[i]) * 1.0
                                         + static_cast<double>(store.draws[i]) * 0.5)
                / static_cast<double>(store.games[i]);
            // Summed in increasing index order, product first, as the printed offset and
            // every rating depend on the last bit.
            store.itoffset[c]
                = performanceDelta(store.scoreFraction[i]) * static_cast<double>(store.games[i])
                + store.itoffset[c];
        }
        store.itoffset[c] = store.itoffset[c] / static_cast<double>(store.clusterGames[c]);
        reportf(report, "\n%d programs, %ld games\n", store.clusterSize[c],
            static_cast<long>(store.clusterGames[c] / 2));
        reportf(report, "\nitoffset = %f\n\n\n", store.itoffset[c]);
    }
    return finishReport(report);
}

} // namespace varnok
