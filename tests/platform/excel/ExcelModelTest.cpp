#include <gtest/gtest.h>

#include <QStringList>

#include "base/Error.h"
#include "platform/excel/Application.h"
#include "platform/excel/Font.h"
#include "platform/excel/Hyperlinks.h"
#include "platform/excel/R1C1Formula.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using namespace platform::excel;

namespace {

QStringList sheetNames(Workbook& book)
{
    QStringList names;
    for (int i = 1; i <= book.Sheets().Count(); ++i)
        names << book.Sheets().Item(i).Name();
    return names;
}

int errorNumberOf(const std::function<void()>& call, QString* description = nullptr)
{
    try {
        call();
    } catch (const core::Error& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

class ExcelModelTest : public ::testing::Test
{
protected:
    Application app;
    Workbook& book = app.Workbooks().Add();
};

TEST_F(ExcelModelTest, NewWorkbookHasTheConfiguredSheetsAndTheFirstIsActive)
{
    EXPECT_EQ(sheetNames(book), QStringList{u"Лист1"_s});
    ApplicationOptions options;
    options.sheetsInNewWorkbook = 3;
    Application three(options);
    Workbook& other = three.Workbooks().Add();
    EXPECT_EQ(sheetNames(other), (QStringList{u"Лист1"_s, u"Лист2"_s, u"Лист3"_s}));
    EXPECT_EQ(&other.ActiveSheet(), &other.Sheets().Item(1));
    EXPECT_EQ(three.ActiveWorkbook(), &other);
}

TEST_F(ExcelModelTest, SheetsAddedBeforeAfterAndAtTheEndTakeTheirPlaceAndBecomeActive)
{
    // The order the main window and the protocol writer build: three named sheets, queue sheets
    // appended after the last one, the statistics sheet after sheet 1.
    Sheets& sheets = book.Sheets();
    while (sheets.Count() < 3)
        sheets.Add();
    EXPECT_EQ(sheetNames(book), (QStringList{u"Лист3"_s, u"Лист2"_s, u"Лист1"_s}))
        << "Add without a place goes before the active sheet";
    sheets.Item(1).setName(u"Итоги"_s);
    sheets.Item(2).setName(u"Выгружены"_s);
    sheets.Item(3).setName(u"Не выгружены"_s);

    Worksheet& queue = sheets.Add(After{sheets.Item(sheets.Count())});
    queue.setName(u"Документы На выгрузку"_s);
    EXPECT_EQ(&book.ActiveSheet(), &queue);
    Worksheet& statistics = sheets.Add(After{sheets.Item(1)});
    statistics.setName(u"Статистика"_s);
    Worksheet& first = sheets.Add(Before{sheets.Item(1)});

    EXPECT_EQ(sheetNames(book), (QStringList{first.Name(), u"Итоги"_s, u"Статистика"_s, u"Выгружены"_s,
                                             u"Не выгружены"_s, u"Документы На выгрузку"_s}));
    EXPECT_EQ(&book.ActiveSheet(), &first);
    EXPECT_EQ(statistics.Index(), 3);
    EXPECT_EQ(&sheets.Item(u"выгружены"_s), &sheets.Item(4)) << "names are found without regard to case";

    sheets.Item(1).Activate();
    EXPECT_EQ(&book.ActiveSheet(), &first);
    EXPECT_EQ(errorNumberOf([&] { sheets.Item(7); }), 9);
    EXPECT_EQ(errorNumberOf([&] { sheets.Item(u"Нет такого"_s); }), 9);
}

TEST_F(ExcelModelTest, DefaultNamesSkipNamesAlreadyTaken)
{
    book.Sheets().Item(1).setName(u"Лист2"_s);
    EXPECT_EQ(book.Sheets().Add().Name(), u"Лист3"_s);
}

TEST_F(ExcelModelTest, SheetNamesFollowTheSpreadsheetRules)
{
    Worksheet& sheet = book.Sheets().Item(1);
    book.Sheets().Add(After{sheet}).setName(u"Выгружены"_s);
    struct Case
    {
        QString name;
        bool taken;
    };
    const Case invalid[] = {
        {QString(), false}, {QString(32, u'Я'), false}, {u"a:b"_s, false},      {u"a\\b"_s, false}, {u"a/b"_s, false},
        {u"a?b"_s, false},  {u"a*b"_s, false},          {u"a[b"_s, false},      {u"a]b"_s, false},  {u"'ab"_s, false},
        {u"ab'"_s, false},  {u"ВЫГРУЖЕНЫ"_s, true},     {u"выгружены"_s, true},
    };
    for (const Case& c : invalid) {
        SCOPED_TRACE(c.name.toStdString());
        QString description;
        EXPECT_EQ(errorNumberOf([&] { sheet.setName(c.name); }, &description), 1004);
        EXPECT_TRUE(description.startsWith(c.taken ? u"That name is already taken"_s : u"You typed an invalid name"_s))
            << description.toStdString();
        EXPECT_EQ(sheet.Name(), u"Лист1"_s);
    }
    sheet.setName(QString(31, u'Я'));
    EXPECT_EQ(sheet.Name().size(), 31);
    sheet.setName(u"It's fine"_s);
    sheet.setName(u"IT'S FINE"_s); // its own name in another case
    EXPECT_EQ(sheet.Name(), u"IT'S FINE"_s);
}

TEST_F(ExcelModelTest, ValuesKeepTheirTypesAndTextFormatKeepsDigitsAsText)
{
    Worksheet& sheet = book.ActiveSheet();
    sheet.Columns(2).setNumberFormat(u"@"_s);
    sheet.Cells(1, 1).setValue(u"007"_s);
    sheet.Cells(1, 2).setValue(u"007"_s);
    sheet.Cells(2, 1).setValue(2.5);
    sheet.Cells(3, 1).setValue(true);
    const QDateTime moment(QDate(2024, 5, 17), QTime(13, 45));
    sheet.Cells(4, 1).setValue(moment);
    sheet.Cells(5, 1).setValue(u"Контрагент \"Ромашка\""_s);
    sheet.Cells(6, 1).setValue(u"1234567890123456"_s);

    EXPECT_EQ(sheet.Cells(1, 1).Value(), CellValue(7.0)) << "a whole number typed into a general cell";
    EXPECT_EQ(sheet.Cells(1, 2).Value(), CellValue(u"007"_s));
    EXPECT_EQ(sheet.Cells(2, 1).Value(), CellValue(2.5));
    EXPECT_EQ(sheet.Cells(3, 1).Value(), CellValue(true));
    EXPECT_EQ(sheet.Cells(4, 1).Value(), CellValue(moment));
    EXPECT_EQ(sheet.Cells(5, 1).Value(), CellValue(u"Контрагент \"Ромашка\""_s));
    EXPECT_EQ(sheet.Cells(6, 1).Value(), CellValue(u"1234567890123456"_s)) << "too many digits to keep as a number";

    sheet.Cells(5, 1).setValue(QString());
    EXPECT_TRUE(std::holds_alternative<Empty>(sheet.Cells(5, 1).Value()));
    sheet.Cells(7, 1).setValue(QString(40000, u'ж'));
    EXPECT_EQ(std::get<QString>(sheet.Cells(7, 1).Value()).size(), 32767);
}

TEST_F(ExcelModelTest, CellsFarApartCostNothingBetweenThem)
{
    Worksheet& sheet = book.ActiveSheet();
    sheet.Cells(1, 1).setValue(u"first"_s);
    sheet.Cells(1048576, 16384).setValue(u"last"_s);
    sheet.Cells(500000, 3).setValue(1.0);
    ASSERT_EQ(sheet.rows().size(), 3u);
    EXPECT_EQ(sheet.rows().at(1048576).size(), 1u);
    sheet.Cells(500000, 3).setValue(QString());
    EXPECT_EQ(sheet.rows().size(), 2u) << "an emptied row is dropped";
    EXPECT_EQ(errorNumberOf([&] { sheet.Cells(1048577, 1); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { sheet.Cells(1, 0); }), 1004);
}

TEST_F(ExcelModelTest, RowsThatWentToTheTemporaryFileComeBackAsTheyWere)
{
    Worksheet& sheet = book.ActiveSheet();
    const QDateTime local(QDate(2024, 3, 31), QTime(2, 30, 15, 250));
    const QDateTime utc(QDate(2024, 10, 27), QTime(1, 5), Qt::UTC);
    sheet.Cells(1, 1).setValue(u"текст\r\nв две строки"_s);
    sheet.Cells(1, 2).setValue(true);
    sheet.Cells(1, 3).setValue(local);
    sheet.Cells(1, 4).setValue(utc);
    sheet.Cells(1, 5).setFormulaR1C1(u"=R[1]C*2"_s);
    sheet.Cells(1, 6).setValue(-0.125);
    sheet.Cells(1, 7).setNumberFormat(u"0.00"_s);
    sheet.Rows(1).setVerticalAlignment(XlVAlign::Top);
    sheet.Rows(1).setRowHeight(22.5);
    sheet.Cells(1, 8).setValue(QString());
    sheet.Cells(1, 9).setValue(QString(u"x"_s).left(0));
    sheet.Cells(1, 10).setValue(u"ссылка"_s);
    sheet.Hyperlinks().Add(sheet.Cells(1, 10), u"https://diadoc.example/doc?id=1&n=ё"_s);
    const CellValue nullText = sheet.Cells(1, 8).Value();
    const CellValue emptyText = sheet.Cells(1, 9).Value();
    for (int row = 2; row <= 5000; ++row)
        sheet.Cells(row, 1).setValue(row);

    EXPECT_EQ(sheet.Cells(1, 1).Value(), CellValue(u"текст\r\nв две строки"_s));
    EXPECT_EQ(sheet.Cells(1, 2).Value(), CellValue(true));
    EXPECT_EQ(sheet.Cells(1, 3).Value(), CellValue(local));
    EXPECT_EQ(std::get<QDateTime>(sheet.Cells(1, 4).Value()).timeSpec(), Qt::UTC);
    EXPECT_EQ(sheet.Cells(1, 4).Value(), CellValue(utc));
    EXPECT_EQ(sheet.Cells(1, 5).FormulaR1C1(), u"=R[1]C*2"_s);
    EXPECT_EQ(sheet.Cells(1, 6).Value(), CellValue(-0.125));
    EXPECT_EQ(sheet.Cells(1, 7).NumberFormat(), u"0.00"_s);
    EXPECT_EQ(sheet.Cells(1, 6).VerticalAlignment(), XlVAlign::Top);
    EXPECT_EQ(sheet.Rows(1).RowHeight(), 22.5);
    const auto sameText = [](const CellValue& read, const CellValue& written) {
        const auto* text = std::get_if<QString>(&read);
        const auto* original = std::get_if<QString>(&written);
        return read.index() == written.index()
               && (!text || (*text == *original && text->isNull() == original->isNull()));
    };
    EXPECT_TRUE(sameText(sheet.Cells(1, 8).Value(), nullText)) << "a null text stays apart from an empty one";
    EXPECT_TRUE(sameText(sheet.Cells(1, 9).Value(), emptyText));
    EXPECT_EQ(sheet.hyperlinks().at({1, 10}), u"https://diadoc.example/doc?id=1&n=ё"_s);
    EXPECT_TRUE(sheet.Cells(1, 10).format().hyperlink);
    EXPECT_EQ(sheet.Cells(2, 1).Value(), CellValue(2.0));
    EXPECT_EQ(sheet.rowCount(), 5000);
    EXPECT_EQ(sheet.rows().size(), 5000u);
}

TEST_F(ExcelModelTest, RowAndColumnFormatsMeetInTheirCellsTheLaterCallWinning)
{
    Worksheet& sheet = book.ActiveSheet();
    // The list-sheet frame: column formats first, then the header row's formats.
    sheet.Columns(2).setColumnWidth(11);
    sheet.Columns(2).setHorizontalAlignment(XlHAlign::Center);
    sheet.Columns(2).setNumberFormat(u"@"_s);
    sheet.Rows(1).setWrapText(true);
    sheet.Rows(1).setHorizontalAlignment(XlHAlign::Left);
    sheet.Rows(1).setVerticalAlignment(XlVAlign::Center);
    sheet.Rows(1).setRowHeight(30);
    sheet.Rows(1).Font().setBold(true);

    const CellFormat header = sheet.formatAt(1, 2);
    EXPECT_EQ(header.horizontal, XlHAlign::Left) << "the row was formatted after the column";
    EXPECT_EQ(header.vertical, XlVAlign::Center);
    EXPECT_TRUE(header.wrapText);
    EXPECT_TRUE(header.bold);
    EXPECT_EQ(header.numberFormat, u"@"_s) << "kept from the column";
    EXPECT_EQ(sheet.Cells(2, 2).HorizontalAlignment(), XlHAlign::Center);
    EXPECT_FALSE(sheet.Cells(2, 2).Font().Bold());

    sheet.Columns(u"B:B").Font().setBold(false);
    EXPECT_FALSE(sheet.Cells(1, 2).Font().Bold()) << "the column was formatted last";
    EXPECT_TRUE(sheet.Cells(1, 1).Font().Bold());

    EXPECT_EQ(sheet.Columns(2).ColumnWidth(), 11);
    EXPECT_EQ(sheet.Columns(u"C").ColumnWidth(), kStandardColumnWidth);
    EXPECT_EQ(sheet.Rows(1).RowHeight(), 30);
    EXPECT_EQ(sheet.Cells(1, 2).ColumnWidth(), 11);
    EXPECT_EQ(sheet.Rows(1).HorizontalAlignment(), XlHAlign::Left);
    EXPECT_EQ(sheet.Columns(2).NumberFormat(), u"@"_s);

    sheet.Columns(u"C:D").setColumnWidth(40);
    EXPECT_EQ(sheet.Columns(4).ColumnWidth(), 40);
    EXPECT_EQ(errorNumberOf([&] { sheet.Columns(1).setColumnWidth(256); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { sheet.Rows(1).setRowHeight(410); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { sheet.Columns(u"1:2"); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { sheet.Rows(1).Value(); }), 1004);
}

TEST_F(ExcelModelTest, HyperlinksKeepTheCellValueAndStyleTheCell)
{
    Worksheet& sheet = book.ActiveSheet();
    sheet.Cells(2, 13).setValue(u"a1b2-c3"_s);
    sheet.Hyperlinks().Add(sheet.Cells(2, 13), u"https://diadoc.example/doc/a1b2"_s);
    sheet.Hyperlinks().Add(sheet.Cells(3, 13), u"https://diadoc.example/doc/x"_s);
    sheet.Hyperlinks().Add(sheet.Cells(2, 13), u"https://diadoc.example/doc/replaced"_s);

    EXPECT_EQ(sheet.Hyperlinks().Count(), 2);
    EXPECT_EQ(sheet.Cells(2, 13).Value(), CellValue(u"a1b2-c3"_s));
    EXPECT_EQ(sheet.Cells(3, 13).Value(), CellValue(u"https://diadoc.example/doc/x"_s))
        << "an empty anchor shows the address";
    EXPECT_EQ(sheet.hyperlinks().at({2, 13}), u"https://diadoc.example/doc/replaced"_s);
    EXPECT_TRUE(sheet.formatAt(2, 13).hyperlink);
    EXPECT_EQ(errorNumberOf([&] { sheet.Hyperlinks().Add(sheet.Rows(2), u"https://x"_s); }), 1004);
}

TEST_F(ExcelModelTest, FormulasAreKeptInR1C1AndCheckedAgainstTheSheet)
{
    Worksheet& sheet = book.ActiveSheet();
    const QString yearMonth =
        u"=IF(RC[-9]=\"\",IF(RC[-11]=\"\",\"0000/00\",TEXT(YEAR(RC[-11]),\"0000\")&\"/\"&TEXT(MONTH(RC[-11]),\"00\")),"
        u"TEXT(YEAR(RC[-9]),\"0000\")&\"/\"&TEXT(MONTH(RC[-9]),\"00\"))"_s;
    sheet.Cells(2, 11).setFormulaR1C1(yearMonth);
    EXPECT_EQ(sheet.Cells(2, 11).FormulaR1C1(), yearMonth);
    EXPECT_EQ(sheet.Cells(2, 11).Value(), CellValue(Formula{yearMonth}));
    EXPECT_EQ(errorNumberOf([&] { sheet.Cells(2, 5).setFormulaR1C1(u"=R0C1"_s); }), 1004) << "there is no row 0";
    sheet.Cells(3, 1).setFormulaR1C1(u"plain"_s);
    EXPECT_EQ(sheet.Cells(3, 1).Value(), CellValue(u"plain"_s));
}

TEST(R1C1FormulaTest, ReferencesBecomeA1AndQuotedTextsStay)
{
    struct Case
    {
        QString r1c1;
        int row;
        int column;
        QString a1;
    };
    const Case cases[] = {
        {u"=RC[-9]"_s, 2, 11, u"=B2"_s},
        {u"=R1C1+R[1]C[1]"_s, 5, 5, u"=$A$1+F6"_s},
        {u"=R2C+RC3"_s, 4, 28, u"=AB$2+$C4"_s},
        {u"=\"RC[-1]\"&'R1C1 sheet'!R1C1"_s, 1, 1, u"=\"RC[-1]\"&'R1C1 sheet'!$A$1"_s},
        {u"=TEXT(YEAR(RC[-11]),\"0000\")"_s, 3, 12, u"=TEXT(YEAR(A3),\"0000\")"_s},
        {u"=SOURCE+RC"_s, 1, 1, u"=SOURCE+A1"_s},
        // A relative reference off the edge wraps round, as the year-and-month formula's RC[-11]
        // does from column K.
        {u"=RC[-11]"_s, 2, 11, u"=XFD2"_s},
        {u"=R[-2]C"_s, 1, 1, u"=A1048575"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r1c1.toStdString());
        EXPECT_EQ(r1c1ToA1(c.r1c1, c.row, c.column), c.a1);
    }
    EXPECT_FALSE(r1c1ToA1(u"=R1C16385"_s, 1, 1));
    EXPECT_EQ(columnLetters(16384), u"XFD"_s);
}

TEST_F(ExcelModelTest, FreezePanesFreezesAboveAndLeftOfTheSelectedCellOfTheActiveSheet)
{
    Worksheet& statistics = book.Sheets().Add(After{book.Sheets().Item(1)});
    statistics.Cells(3, 1).Select();
    statistics.Activate();
    app.ActiveWindow().setFreezePanes(true);
    EXPECT_TRUE(app.ActiveWindow().FreezePanes());
    EXPECT_EQ(app.ActiveWindow().SplitRow(), 2);
    EXPECT_EQ(app.ActiveWindow().SplitColumn(), 0);
    EXPECT_EQ(statistics.frozenRows(), 2);

    QString description;
    EXPECT_EQ(errorNumberOf([&] { book.Sheets().Item(1).Cells(2, 2).Select(); }, &description), 1004)
        << "a cell of a sheet that is not active cannot be selected";
    app.ActiveWindow().setFreezePanes(false);
    EXPECT_EQ(statistics.frozenRows(), 0);
}

TEST_F(ExcelModelTest, ApplicationReportsAVersionThatSavesXlsx)
{
    EXPECT_FALSE(app.Name().isEmpty());
    EXPECT_GE(app.Version().section(u'.', 0, 0).toInt(), 12);
    EXPECT_GT(app.Build(), 0);
    ApplicationOptions options;
    options.version = u"11.0"_s;
    Application old(options);
    EXPECT_EQ(old.Version(), u"11.0"_s);
}

TEST_F(ExcelModelTest, ClosedWorkbookAndQuitApplicationRaiseInsteadOfDangling)
{
    Worksheet& sheet = book.ActiveSheet();
    sheet.Cells(1, 1).setValue(u"x"_s);
    book.Close(false);
    EXPECT_EQ(app.Workbooks().Count(), 0);
    EXPECT_NE(errorNumberOf([&] { sheet.Cells(1, 1).Value(); }), 0);
    EXPECT_NE(errorNumberOf([&] { book.Sheets(); }), 0);
    app.Quit();
    EXPECT_NE(errorNumberOf([&] { app.Workbooks(); }), 0);
}

} // namespace
