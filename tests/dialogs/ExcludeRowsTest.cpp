#include <optional>

#include <gtest/gtest.h>

#include "DialogsFixture.h"
#include "dialogs/ExcludeRows.h"
#include "dialogs/UnboundBookmark.h"
#include "dialogs/frmOptions.h"

using namespace Qt::StringLiterals;
using dialogs::ExcludeRows;

namespace {

ExcludeRows::Row row(const QString& name, const QString& folder = u"Все"_s, bool removed = false)
{
    return ExcludeRows::Row{removed, name, folder};
}

// The contexts the grid shows, row by row.
QStringList shown(const ExcludeRows& rows)
{
    QStringList texts;
    for (int n = 1; n <= rows.gridRowCount(); ++n)
        texts.append(rows.read(n, ExcludeRows::kContextColumn));
    return texts;
}

ExcludeRows threeRows()
{
    ExcludeRows rows;
    rows.rebind({row(u"a"_s), row(u"b"_s, u"Входящие"_s), row(u"c"_s)});
    return rows;
}

} // namespace

TEST(ExcludeRows, AnEmptyTableShowsOneEmptyRowForAllFolders)
{
    ExcludeRows rows;
    EXPECT_EQ(rows.rebind({}), 1);
    EXPECT_EQ(rows.gridRowCount(), 1);
    EXPECT_EQ(rows.excludeRowCount(), 1);
    EXPECT_EQ(rows.read(1, 0), QString());
    EXPECT_EQ(rows.read(1, 1), u"Все"_s);

    EXPECT_EQ(rows.rebind({row(u"x"_s, u"Исходящие"_s), row(u"y"_s)}), 1) << "a stored table replaces the rows";
    EXPECT_EQ(shown(rows), (QStringList{u"x"_s, u"y"_s}));
    EXPECT_EQ(rows.read(1, 1), u"Исходящие"_s);
}

TEST(ExcludeRows, CellsOutsideTheRowsReadEmptyAndRefuseWrites)
{
    ExcludeRows rows = threeRows();
    for (const int n : {0, -1, 4}) {
        EXPECT_EQ(rows.read(n, 0), QString()) << n;
        EXPECT_FALSE(rows.write(n, 0, u"z"_s)) << n;
    }
    EXPECT_TRUE(rows.write(2, 1, u"Внутренние"_s));
    EXPECT_EQ(rows.rows().at(1).Folder, u"Внутренние"_s);
}

TEST(ExcludeRows, DeletingKeepsTheRowFlaggedAndMovesTheCurrentRowAsTheEditorSays)
{
    struct Case
    {
        int deleted;
        int current;
        QStringList shown;
    };
    const Case cases[] = {
        {1, 1, {u"b"_s, u"c"_s}},
        {2, 2, {u"a"_s, u"c"_s}},
        {3, 2, {u"a"_s, u"b"_s}}, // the last row: the new last row becomes current
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deleted);
        ExcludeRows rows = threeRows();
        EXPECT_EQ(rows.deleteLine(c.deleted), c.current);
        EXPECT_EQ(shown(rows), c.shown);
        EXPECT_EQ(rows.excludeRowCount(), 3);
        EXPECT_TRUE(rows.rows().at(c.deleted - 1).Remove);
    }

    ExcludeRows rows;
    rows.rebind({row(u"only"_s)});
    EXPECT_EQ(rows.deleteLine(1), 0) << "no row remains, so there is no current row";
    EXPECT_EQ(rows.gridRowCount(), 0);
    EXPECT_EQ(rows.deleteLine(0), 0);
    EXPECT_EQ(rows.insertLine(0), 0) << "nothing to insert above";
    EXPECT_EQ(rows.gridRowCount(), 0);
    EXPECT_EQ(rows.addData(), 1) << "a row can still be added";
    EXPECT_EQ(rows.excludeRowCount(), 2);
    EXPECT_EQ(rows.mapped(1), 2);
}

TEST(ExcludeRows, InsertingAndDuplicatingKeepTheMapRightPastDeletedRows)
{
    ExcludeRows rows;
    rows.rebind({row(u"a"_s), row(u"b"_s), row(u"c"_s), row(u"d"_s)});
    rows.deleteLine(2); // b is flagged and stays between a and c
    ASSERT_EQ(shown(rows), (QStringList{u"a"_s, u"c"_s, u"d"_s}));

    EXPECT_EQ(rows.insertLine(2), 2) << "the empty row stands above the current one, which stays current";
    EXPECT_EQ(shown(rows), (QStringList{u"a"_s, QString(), u"c"_s, u"d"_s}));
    EXPECT_EQ(rows.read(2, 1), u"Все"_s);

    const int source = rows.mapped(3);
    EXPECT_EQ(rows.insertLine(3, source), 4) << "the copy stands below and becomes current";
    EXPECT_EQ(shown(rows), (QStringList{u"a"_s, QString(), u"c"_s, u"c"_s, u"d"_s}));
    rows.write(4, 0, u"c2"_s);
    EXPECT_EQ(rows.read(3, 0), u"c"_s) << "the copy is a row of its own";

    EXPECT_EQ(rows.addData(rows.mapped(1)), 6);
    EXPECT_EQ(shown(rows).last(), u"a"_s);
    int flagged = 0;
    for (const ExcludeRows::Row& r : rows.rows())
        flagged += r.Remove ? 1 : 0;
    EXPECT_EQ(flagged, 1);
    EXPECT_EQ(rows.excludeRowCount(), 7);
}

TEST(ExcludeRows, PastingFillsTheContextColumnLineByLine)
{
    struct Case
    {
        const char* name;
        QString text;
        int current;
        int column;
        int answer;
        QStringList shown;
    };
    const Case cases[] = {
        {"cells of a line beyond the first are not taken", u"a\tb\r\nc"_s, 1, 0, 2, {u"a"_s, u"c"_s}},
        {"column 1 takes no text but rows are still added", u"a\tb\r\nc"_s, 1, 1, 2, {u"old"_s, QString()}},
        {"blank lines do not move to the next row", u"\r\n \t \r\nx\r\r\ny"_s, 1, 0, 2, {u"x"_s, u"y"_s}},
        {"line feeds alone do not end a line", u"p\nq"_s, 1, 0, 1, {u"pq"_s}},
        {"a leading tab puts the text in no column", u"\tz"_s, 1, 0, 1, {QString()}},
        {"without a current row the first line goes nowhere", u"m\rn"_s, 0, 0, 1, {u"n"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExcludeRows rows;
        rows.rebind({row(u"old"_s)});
        EXPECT_EQ(rows.paste(c.current, c.column, c.text), c.answer);
        EXPECT_EQ(shown(rows), c.shown);
        EXPECT_EQ(rows.read(rows.gridRowCount(), 1), u"Все"_s);
    }
}

TEST(UnboundBookmark, StepsWithinTheRowsOrGivesNone)
{
    struct Case
    {
        int count;
        std::optional<int> start;
        int offset;
        std::optional<int> answer;
        int position;
    };
    const Case cases[] = {
        {0, std::nullopt, 1, std::nullopt, -7},
        {0, std::nullopt, -1, std::nullopt, -7},
        {5, std::nullopt, 1, 1, 1},
        {5, std::nullopt, -1, 5, 5},
        {5, 5, 1, std::nullopt, -7},
        {5, 3, -2, 1, 1},
        {5, 3, -3, std::nullopt, -7},
        {5, 2, 3, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " " << c.start.value_or(-99) << " " << c.offset);
        std::optional<int> answer = 42;
        int position = -7;
        dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(c.count, c.start, c.offset, answer, position, 1);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(position, c.position);
    }
    std::optional<int> answer;
    int position = 0;
    EXPECT_THROW(dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(5, 2147483647, 1, answer, position, 1),
                 core::Error);
}
