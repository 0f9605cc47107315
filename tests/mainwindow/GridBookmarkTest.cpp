#include <limits>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "dialogs/UnboundBookmark.h"

namespace {

using GridBookmark = std::optional<int>;

constexpr int kUnchanged = -77;

struct BookmarkCase
{
    int count;
    GridBookmark start;
    int offset;
    int base;
    GridBookmark expected;
    int approximate; // kUnchanged where the answer is Null
};

class GridBookmarkTable : public ::testing::TestWithParam<BookmarkCase>
{
};

TEST_P(GridBookmarkTable, StepsToTheRowOrToNull)
{
    const BookmarkCase& c = GetParam();
    GridBookmark answer = 12345;
    int approximate = kUnchanged;
    dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(c.count, c.start, c.offset, answer, approximate, c.base);
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(approximate, c.approximate);
}

// The cases with rows from 1 are the exclusion grid's; these count from 0 and step to
// the edges.
INSTANTIATE_TEST_SUITE_P(
    Rows, GridBookmarkTable,
    ::testing::Values(BookmarkCase{5, 0, 4, 0, 4, 5}, BookmarkCase{5, 0, 5, 0, std::nullopt, kUnchanged},
                      BookmarkCase{5, std::nullopt, -1, 0, 5, 6}, BookmarkCase{5, std::nullopt, 4, 0, 4, 5},
                      BookmarkCase{5, std::nullopt, -5, 1, 1, 1},
                      BookmarkCase{5, std::nullopt, -6, 1, std::nullopt, kUnchanged},
                      BookmarkCase{5, std::nullopt, 6, 1, std::nullopt, kUnchanged}, BookmarkCase{5, 3, 0, 1, 3, 3}));

TEST(GridBookmarkTest, AnOverflowIsRaisedToTheCaller)
{
    GridBookmark answer;
    int approximate = 0;
    constexpr int max = std::numeric_limits<int>::max();
    EXPECT_THROW(dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(10, max, 1, answer, approximate, 1), core::Error);
    EXPECT_THROW(dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(max, std::nullopt, 1, answer, approximate, 1),
                 core::Error);
    try {
        dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(max, std::nullopt, -1, answer, approximate, 1);
        FAIL() << "Count + 1 leaves the range";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_TRUE(e.description().endsWith(QStringLiteral("Overflow")));
    }
}

} // namespace
