#include <limits>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/GridBookmark.h"

namespace {

using core::GridBookmark;

constexpr qint32 kUnchanged = -77;

struct BookmarkCase
{
    qint32 count;
    GridBookmark start;
    qint32 offset;
    qint32 base;
    GridBookmark expected;
    qint32 approximate; // kUnchanged where the answer is Null
};

class GridBookmarkTable : public ::testing::TestWithParam<BookmarkCase>
{
};

TEST_P(GridBookmarkTable, StepsToTheRowOrToNull)
{
    const BookmarkCase& c = GetParam();
    GridBookmark answer = 12345;
    qint32 approximate = kUnchanged;
    core::TDBGridArrayed_OnUnboundGetRelativeBookmark(c.count, c.start, c.offset, answer, approximate, c.base);
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(approximate, c.approximate);
}

INSTANTIATE_TEST_SUITE_P(Rows, GridBookmarkTable,
                         ::testing::Values(
                             // An empty list has no row to go to from nowhere.
                             BookmarkCase{0, std::nullopt, 1, 1, std::nullopt, kUnchanged},
                             BookmarkCase{0, std::nullopt, -1, 1, std::nullopt, kUnchanged},
                             // Five rows from 1.
                             BookmarkCase{5, std::nullopt, 1, 1, 1, 1}, BookmarkCase{5, std::nullopt, -1, 1, 5, 5},
                             BookmarkCase{5, std::nullopt, 5, 1, 5, 5},
                             BookmarkCase{5, std::nullopt, 6, 1, std::nullopt, kUnchanged},
                             BookmarkCase{5, std::nullopt, -5, 1, 1, 1},
                             BookmarkCase{5, std::nullopt, -6, 1, std::nullopt, kUnchanged},
                             BookmarkCase{5, 5, 1, 1, std::nullopt, kUnchanged}, BookmarkCase{5, 3, -2, 1, 1, 1},
                             BookmarkCase{5, 3, -3, 1, std::nullopt, kUnchanged}, BookmarkCase{5, 3, 0, 1, 3, 3},
                             BookmarkCase{5, 1, 4, 1, 5, 5},
                             // Rows numbered from 0: the last is 4, and the place still counts from 1.
                             BookmarkCase{5, 0, 4, 0, 4, 5}, BookmarkCase{5, 0, 5, 0, std::nullopt, kUnchanged},
                             BookmarkCase{5, std::nullopt, -1, 0, 5, 6}, BookmarkCase{5, std::nullopt, 4, 0, 4, 5}));

TEST(GridBookmarkTest, AnOverflowIsRaisedToTheCaller)
{
    GridBookmark answer;
    qint32 approximate = 0;
    constexpr qint32 max = std::numeric_limits<qint32>::max();
    EXPECT_THROW(core::TDBGridArrayed_OnUnboundGetRelativeBookmark(10, max, 1, answer, approximate, 1), core::Error);
    EXPECT_THROW(core::TDBGridArrayed_OnUnboundGetRelativeBookmark(max, std::nullopt, 1, answer, approximate, 1),
                 core::Error);
    try {
        core::TDBGridArrayed_OnUnboundGetRelativeBookmark(max, std::nullopt, -1, answer, approximate, 1);
        FAIL() << "Count + 1 leaves the range";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_TRUE(e.description().endsWith(QStringLiteral("Overflow")));
        EXPECT_TRUE(e.description().contains(QStringLiteral("TDBGridArrayed_OnUnboundGetRelativeBookmark")));
    }
}

} // namespace
