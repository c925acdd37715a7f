#include "objdb/ui/RowCache.h"
#include <gtest/gtest.h>
#include <numeric>

using gridcache::Range;
using gridcache::RowCache;
using gridcache::trimToMissing;

namespace {
std::vector<int> rows(int first, int count)
{
    std::vector<int> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), first);
    return v;
}
}

TEST(TrimToMissing, CutsLoadedHeadAndTailOnly)
{
    struct Case {
        const char* name;
        std::vector<Range> loaded;
        Range wanted;
        Range expected;
    };
    const Case cases[] = {
        {"nothing loaded", {}, {10, 20}, {10, 20}},
        {"all loaded", {{0, 100}}, {10, 20}, {10, 10}},
        {"head loaded", {{0, 15}}, {10, 20}, {15, 20}},
        {"tail loaded", {{15, 40}}, {10, 20}, {10, 15}},
        {"both ends loaded, a hole between", {{0, 12}, {18, 30}}, {10, 20}, {12, 18}},
        {"loaded in the middle only: read whole", {{13, 16}}, {10, 20}, {10, 20}},
        {"touching ranges cover it", {{10, 14}, {14, 20}}, {10, 20}, {14, 14}},
        {"loaded out of order", {{18, 30}, {0, 12}}, {10, 20}, {12, 18}},
        {"loaded elsewhere", {{50, 60}}, {10, 20}, {10, 20}},
        {"empty request", {}, {5, 5}, {5, 5}},
    };
    for (const Case& c : cases) {
        const Range got = trimToMissing(c.loaded, c.wanted);
        EXPECT_EQ(got.size(), c.expected.size()) << c.name;
        if (!c.expected.empty()) {
            EXPECT_EQ(got, c.expected) << c.name;
        }
    }
}

TEST(RowCache, SegmentsMergeAndOverlapsAreReplaced)
{
    RowCache<int> cache;
    cache.put(0, rows(0, 10));
    cache.put(20, rows(20, 10));
    EXPECT_EQ(cache.segmentCount(), 2u);
    EXPECT_FALSE(cache.has(15));
    // Fills the hole and touches both: one segment.
    cache.put(10, rows(10, 10));
    EXPECT_EQ(cache.segmentCount(), 1u);
    EXPECT_EQ(cache.rowsHeld(), 30);
    // A read again over part of it replaces those rows only.
    cache.put(5, {-5, -6, -7});
    EXPECT_EQ(*cache.at(4), 4);
    EXPECT_EQ(*cache.at(5), -5);
    EXPECT_EQ(*cache.at(7), -7);
    EXPECT_EQ(*cache.at(8), 8);
    EXPECT_EQ(cache.rowsHeld(), 30);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(cache.has(i)) << i;
}

TEST(RowCache, MissingAndWhereToReadFrom)
{
    RowCache<int> cache;
    cache.put(0, rows(0, 100));
    EXPECT_TRUE(cache.missing({0, 100}).empty());
    EXPECT_EQ(cache.missing({90, 160}), (Range {100, 160}));
    EXPECT_EQ(cache.lastHeldBefore(100), std::optional<int64_t>(99));
    EXPECT_EQ(cache.lastHeldBefore(500), std::optional<int64_t>(99));
    EXPECT_EQ(cache.lastHeldBefore(0), std::nullopt);
    EXPECT_EQ(cache.find([](int v) { return v == 42; }), std::optional<int64_t>(42));
}

TEST(RowCache, ShrinkDropsTheFarthestAndKeepsTheRowInUse)
{
    RowCache<int> cache;
    cache.put(0, rows(0, 100));
    cache.put(1000, rows(1000, 100));
    cache.put(5000, rows(5000, 100));
    cache.shrink(150, 1050);
    EXPECT_LE(cache.rowsHeld(), 150);
    EXPECT_TRUE(cache.has(1050));
    EXPECT_FALSE(cache.has(5000));   // the farthest went first
    // Down to a few rows: the one in use stays.
    cache.shrink(1, 1050);
    EXPECT_EQ(cache.rowsHeld(), 1);
    EXPECT_EQ(*cache.at(1050), 1050);
}

TEST(RowCache, TruncateForgetsRowsPastTheEnd)
{
    RowCache<int> cache;
    cache.put(0, rows(0, 50));
    cache.put(80, rows(80, 50));
    cache.truncate(40);
    EXPECT_EQ(cache.rowsHeld(), 40);
    EXPECT_FALSE(cache.has(40));
    EXPECT_FALSE(cache.has(80));
}
