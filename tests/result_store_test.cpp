#include "store/result_store.h"

#include <gtest/gtest.h>

#include <string>

namespace varnok {
namespace {

    TEST(ResultStore, IndicesFollowFirstAppearanceAndNamesMatchExactly)
    {
        ResultStore store;
        resetStore(store);
        EXPECT_EQ(findOrAddProgram(store, "Beta"), 1);
        EXPECT_EQ(findOrAddProgram(store, "Alpha"), 2);
        EXPECT_EQ(findOrAddProgram(store, "Beta"), 1);
        // Letter case and a trailing blank make another program.
        EXPECT_EQ(findOrAddProgram(store, "beta"), 3);
        EXPECT_EQ(findOrAddProgram(store, "Beta "), 4);
        EXPECT_EQ(findOrAddProgram(store, ""), 5);
        EXPECT_EQ(findOrAddProgram(store, ""), 5);
        EXPECT_EQ(programCount(store), 5);
        EXPECT_EQ(store.names[4], "Beta ");
    }

    TEST(ResultStore, GrowsPastAnyFixedNumberOfPrograms)
    {
        ResultStore store;
        resetStore(store);
        constexpr int COUNT = 5000;
        for (int i = 1; i <= COUNT; ++i) {
            ASSERT_EQ(findOrAddProgram(store, "Engine " + std::to_string(i)), i);
        }
        for (int i = COUNT; i >= 1; --i) {
            ASSERT_EQ(findOrAddProgram(store, "Engine " + std::to_string(i)), i);
        }
        const std::string longName(300, 'x');
        EXPECT_EQ(findOrAddProgram(store, longName), COUNT + 1);
        EXPECT_EQ(store.names[COUNT + 1], longName);
    }

    TEST(ResultStore, PairCellsAreKeptPerColourAssignment)
    {
        ResultStore store;
        resetStore(store);
        for (int i = 0; i < 4; ++i) {
            findOrAddProgram(store, "P" + std::to_string(i));
        }
        ++pairCell(store, 1, 2).whiteWins; // 1 beats 2 with White
        ++pairCell(store, 2, 1).whiteWins; // 2 beats 1 with White
        ++pairCell(store, 2, 1).blackWins; // 1 beats 2 with Black
        ++pairCell(store, 1, 2).drawn;
        ++pairCell(store, 2, 1).drawn;
        ++pairCell(store, 3, 3).whiteWins; // against itself

        EXPECT_EQ(pairWins(store, 1, 2), 2);
        EXPECT_EQ(pairLosses(store, 1, 2), 1);
        EXPECT_EQ(pairDraws(store, 1, 2), 2);
        EXPECT_EQ(pairGames(store, 1, 2), 5);
        EXPECT_EQ(pairWins(store, 2, 1), 1);
        EXPECT_EQ(pairLosses(store, 2, 1), 2);
        EXPECT_EQ(pairGames(store, 1, 4), 0);
        EXPECT_EQ(findPairCell(store, 1, 4), nullptr);
        ASSERT_NE(findPairCell(store, 3, 3), nullptr);
        EXPECT_EQ(findPairCell(store, 3, 3)->whiteWins, 1);
    }

    TEST(ResultStore, PairCellsStayPutWhileTheStoreGrows)
    {
        ResultStore store;
        resetStore(store);
        for (int i = 1; i <= 300; ++i) {
            findOrAddProgram(store, std::to_string(i));
        }
        PairCell& first = pairCell(store, 1, 2);
        first.drawn = 7;
        for (ProgramIndex w = 1; w <= 300; ++w) {
            for (ProgramIndex b = 1; b <= 300; b += 7) {
                ++pairCell(store, w, b).blackWins;
            }
        }
        EXPECT_EQ(&pairCell(store, 1, 2), &first);
        EXPECT_EQ(first.drawn, 7);
        EXPECT_EQ(findPairCell(store, 300, 295)->blackWins, 1);
        EXPECT_EQ(findPairCell(store, 300, 294), nullptr);
    }

    TEST(ResultStore, OpponentListsMergeBothColoursInIndexOrder)
    {
        ResultStore store;
        resetStore(store);
        for (const char* name : { "A", "B", "C", "D" }) {
            findOrAddProgram(store, name);
        }
        // Pairs first met in an order unlike their indices.
        ++pairCell(store, 4, 1).blackWins; // A beats D with Black
        ++pairCell(store, 1, 3).drawn;
        ++pairCell(store, 1, 4).whiteWins; // A beats D with White
        ++pairCell(store, 1, 4).blackWins; // D beats A with Black
        ++pairCell(store, 2, 2).drawn; // B against itself: nobody's opponent
        buildOpponentLists(store);

        const OpponentRange a = opponentsOf(store, 1);
        ASSERT_EQ(a.size(), 2u);
        EXPECT_EQ(a.first[0].index, 3);
        EXPECT_EQ(a.first[0].draws, 1);
        EXPECT_EQ(a.first[1].index, 4);
        EXPECT_EQ(a.first[1].wins, 2);
        EXPECT_EQ(a.first[1].losses, 1);
        EXPECT_EQ(opponentsOf(store, 2).size(), 0u);
        const OpponentRange d = opponentsOf(store, 4);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d.first[0].index, 1);
        EXPECT_EQ(d.first[0].wins, 1);
        EXPECT_EQ(d.first[0].losses, 2);
    }

} // namespace
} // namespace varnok
