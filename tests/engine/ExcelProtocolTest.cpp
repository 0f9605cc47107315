#include <functional>

#include <QRegularExpression>

#include "ExcelProtocolTestFixture.h"
#include "platform/excel/Font.h"

using namespace Qt::StringLiterals;
using engine::ExcelProtocol;
using exceltest::ExcelProtocolTest;
using exceltest::ProtocolRun;
using platform::excel::XlHAlign;

namespace {

const QString kCancelled = QString::fromUtf16(ExcelProtocol::kCancelledText);

TEST_F(ExcelProtocolTest, AnEmptyRunFillsOnlyTheSummaryInTwoSteps)
{
    EXPECT_EQ(run(), QString());

    EXPECT_EQ(progress.events, (QStringList{u"begin"_s, u"step"_s, u"step"_s, u"end"_s}));
    EXPECT_EQ(progress.steps, (QList<std::pair<int, int>>{{2, 1}, {2, 2}}));
    EXPECT_EQ(sheetNames(), (QStringList{u"Итоги"_s, u"Выгружены"_s, u"Не выгружены"_s}));
    EXPECT_TRUE(sheet(u"Выгружены"_s).rows().empty());
    EXPECT_TRUE(sheet(u"Не выгружены"_s).rows().empty());
    EXPECT_TRUE(sheet(u"Выгружены"_s).columnFormats().empty());
    for (int i = 1; i <= summary.size(); ++i) {
        EXPECT_EQ(text(sheet(u"Итоги"_s), i, 1), summary[i - 1].caption);
        EXPECT_EQ(text(sheet(u"Итоги"_s), i, 2), summary[i - 1].value);
    }
}

TEST_F(ExcelProtocolTest, SummarySheetHasItsWidthsAlignmentAndBoldness)
{
    ASSERT_EQ(run(), QString());
    auto& summarySheet = sheet(u"Итоги"_s);
    EXPECT_EQ(summarySheet.Columns(1).ColumnWidth(), 61);
    EXPECT_EQ(summarySheet.Columns(2).ColumnWidth(), 65);
    EXPECT_EQ(summarySheet.Columns(2).HorizontalAlignment(), XlHAlign::Left);
    EXPECT_TRUE(summarySheet.Cells(3, 2).Font().Bold());
    EXPECT_TRUE(summarySheet.Cells(1, 1).Font().Bold());
    EXPECT_FALSE(summarySheet.Cells(2, 1).Font().Bold());
    // The summary sheet holds its values as they are: no text format.
    EXPECT_EQ(summarySheet.Cells(2, 2).NumberFormat(), u"General"_s);
}

TEST_F(ExcelProtocolTest, FullRunWritesTheSheetsInTheirOrderWithOneStepPerRecord)
{
    fillEveryList();
    source.unloadedList.append(document(u"u2"_s));
    // A fourth sheet of the given workbook stays between the given sheets and the added ones.
    book->Sheets().Add(platform::excel::After{book->Sheets().Item(3)}).setName(u"Прочее"_s);

    ASSERT_EQ(run(), QString());

    EXPECT_EQ(sheetNames(),
              (QStringList{u"Итоги"_s, u"Статистика"_s, u"Выгружены"_s, u"Не выгружены"_s, u"Прочее"_s,
                           u"Документы На выгрузку"_s, u"Документы На повтор попытки"_s, u"Документы Выгружаются"_s,
                           u"Запросы списков Выполнены"_s, u"Запросы списков Выполненяются"_s,
                           u"Запросы списков На повтор"_s, u"Запросы списков На запуск"_s}));
    constexpr int kSteps = 10 + 2;
    ASSERT_EQ(progress.steps.size(), kSteps);
    for (int i = 0; i < kSteps; ++i)
        EXPECT_EQ(progress.steps[i], std::make_pair(kSteps, i + 1));
    EXPECT_EQ(progress.events.front(), u"begin"_s);
    EXPECT_EQ(progress.events.back(), u"end"_s);
    EXPECT_EQ(book->ActiveSheet().Name(), u"Статистика"_s);
}

TEST_F(ExcelProtocolTest, EverySheetHasItsColumnsAndCaptions)
{
    fillEveryList();
    ASSERT_EQ(run(), QString());

    const QStringList common{u"Документ"_s,
                             u"Получен /\r\nотправлен"_s,
                             u"Организация,\r\nподразделение"_s,
                             u"Дата\r\nдокумента"_s,
                             u"Номер\r\nдокумента"_s,
                             u"Тип\r\nдокумента"_s,
                             u"Вх. / исх. /\r\nвнутренний"_s,
                             u"Статусы"_s,
                             u"Контрагент"_s};
    const QStringList requestCommon{u"Организация, подразделение"_s, u"Период"_s, u"Тип\r\nдокументов"_s,
                                    u"Вх. / исх. /\r\nвнутренний"_s, u"Статусы"_s};
    const QString link = u"В Диадок\r\n(id документа)"_s;
    const std::pair<QString, QStringList> cases[] = {
        {u"Выгружены"_s, common + QStringList{u"Папка\r\n"_s + base, u"Год /\r\nмесяц"_s, u"Организация"_s, link}},
        {u"Не выгружены"_s, common + QStringList{u"Причина невыгрузки"_s, link}},
        {u"Документы На выгрузку"_s, common},
        {u"Документы На повтор попытки"_s, common + QStringList{u"Причина повтора"_s}},
        {u"Документы Выгружаются"_s, common + QStringList{u"Причина повтора"_s}},
        {u"Запросы списков Выполнены"_s, requestCommon + QStringList{u"Количество\r\nдокументов"_s}},
        {u"Запросы списков Выполненяются"_s, requestCommon + QStringList{u"Причина\r\nповтора"_s}},
        {u"Запросы списков На повтор"_s, requestCommon + QStringList{u"Причина\r\nповтора"_s}},
        {u"Запросы списков На запуск"_s, requestCommon},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name.toStdString());
        auto& target = sheet(name);
        EXPECT_EQ(headers(target), expected);
        EXPECT_EQ(usedColumns(target), expected.size());
        EXPECT_EQ(target.Rows(1).RowHeight(), 30);
        EXPECT_TRUE(target.Cells(1, 1).Font().Bold());
        EXPECT_TRUE(target.Cells(1, 2).WrapText());
        EXPECT_EQ(target.Cells(1, 2).HorizontalAlignment(), XlHAlign::Center);
        EXPECT_EQ(target.Rows(2).RowHeight(), 30);
        EXPECT_TRUE(target.Cells(2, 1).WrapText());
    }
}

TEST_F(ExcelProtocolTest, DocumentColumnsHaveTheirWidthsAlignmentsAndFormats)
{
    fillEveryList();
    ASSERT_EQ(run(), QString());

    auto& unloaded = sheet(u"Выгружены"_s);
    const double widths[] = {35, 11, 23, 11, 15, 20, 11, 30, 30, 50, 11, 23, 46};
    for (int column = 1; column <= 13; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(unloaded.Columns(column).ColumnWidth(), widths[column - 1]);
        EXPECT_EQ(unloaded.Columns(column).NumberFormat(), column == 11 ? u"General"_s : u"@"_s);
        const bool centred = column == 2 || column == 4;
        EXPECT_EQ(unloaded.Columns(column).HorizontalAlignment() == XlHAlign::Center, centred);
    }
    auto& executed = sheet(u"Запросы списков Выполнены"_s);
    const double requestWidths[] = {23, 11, 23, 11, 30, 13};
    for (int column = 1; column <= 6; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(executed.Columns(column).ColumnWidth(), requestWidths[column - 1]);
        EXPECT_EQ(executed.Columns(column).NumberFormat(), u"@"_s);
    }
    EXPECT_EQ(executed.Columns(6).HorizontalAlignment(), XlHAlign::Center);
    EXPECT_EQ(sheet(u"Запросы списков На повтор"_s).Columns(6).ColumnWidth(), 50);
}

struct CancelCase
{
    const char* name;
    int cancelAtStep;
    QString sheet;
    int messageRow;
    int lastRow; // a cell of the last row written before the cancel, and what it holds
    int lastColumn;
    QString lastValue;
    QStringList sheets;
};

TEST_F(ExcelProtocolTest, CancelWritesTheMessageBelowTheCurrentRowAndStops)
{
    const QStringList given{u"Итоги"_s, u"Выгружены"_s, u"Не выгружены"_s};
    const CancelCase cases[] = {
        {"first step", 1, u"Итоги"_s, 1, 0, 0, {}, given},
        {"second step", 2, u"Итоги"_s, 6, 4, 1, u"Путь выгрузки:"_s, given},
        {"first unloaded record", 3, u"Выгружены"_s, 3, 2, 13, u"u1"_s, given},
        {"second ignored record", 6, u"Не выгружены"_s, 4, 3, 11, u"i2"_s, given},
        {"first executing request", 10, u"Запросы списков Выполненяются"_s, 3, 2, 6, u"первая причина"_s,
         given
             + QStringList{u"Документы На выгрузку"_s, u"Запросы списков Выполнены"_s,
                           u"Запросы списков Выполненяются"_s}},
    };
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRun fresh;
        fresh.source.unloadedList = {document(u"u1"_s), document(u"u2"_s)};
        fresh.source.ignoredList = {document(u"i1"_s), document(u"i2"_s), document(u"i3"_s)};
        fresh.source.docsMainQueue = {document(u"m1"_s)};
        fresh.source.executedList = {request()};
        fresh.source.executingList = {request(), request()};
        fresh.source.executingList[0]->LastErrorDescription = u"первая причина"_s;
        fresh.source.tasksMainQueue = {request()};
        fresh.progress.cancelAtStep = c.cancelAtStep;

        EXPECT_EQ(fresh.run(), QString());

        EXPECT_EQ(fresh.sheetNames(), c.sheets);
        auto& target = fresh.sheet(c.sheet);
        EXPECT_EQ(text(target, c.messageRow, 1), kCancelled);
        if (c.lastRow > 0)
            EXPECT_EQ(text(target, c.lastRow, c.lastColumn), c.lastValue);
        else
            EXPECT_EQ(target.rows().size(), 1u) << "no summary row is written";
        EXPECT_EQ(fresh.progress.steps.size(), c.cancelAtStep);
        EXPECT_EQ(fresh.progress.events.back(), u"end"_s);
    }
}

TEST_F(ExcelProtocolTest, FailureTextNamesTheWriterLineNumberAndDescription)
{
    EXPECT_EQ(ExcelProtocol::failureText(17, 9, u"Subscript out of range"_s),
              u"Не удалось сформировать протокол выгрузки в формате Excel-файла.\r\n\r\nПроизошла ошибка:\r\n"
              u"Fetchling.WriteProtocolExcel\r\nСтрока = 17\r\n.Number = 9\r\n"
              u".Description = \"Subscript out of range\"."_s);
}

struct FailureCase
{
    const char* name;
    std::function<void(ProtocolRun&)> arrange;
    int number;
    QString description;
};

TEST_F(ExcelProtocolTest, AFailureReturnsItsTextKeepsWhatWasWrittenAndRaisesNoEnd)
{
    const FailureCase cases[] = {
        {"second sheet not named for the statistics",
         [](ProtocolRun& t) {
             t.source.unloadedList = {document(u"u1"_s)};
             t.book->Sheets().Item(2).setName(u"Другой"_s);
         },
         9, u"Subscript out of range"_s},
        {"fewer than three summary rows",
         [](ProtocolRun& t) {
             t.source.unloadedList = {document(u"u1"_s)};
             t.summary.resize(2);
         },
         9, u"Subscript out of range"_s},
        {"organisation missing in the middle of a sheet",
         [](ProtocolRun& t) {
             t.source.ignoredList = {document(u"i1"_s), document(u"i2"_s, u"nobody"_s), document(u"i3"_s)};
         },
         5, u"Invalid procedure call or argument"_s},
        {"workbook with one sheet",
         [](ProtocolRun& t) {
             t.source.ignoredList = {document(u"i1"_s)};
             t.useBookWithSheets(1);
         },
         9, u"Subscript out of range"_s},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRun fresh;
        c.arrange(fresh);

        const QString result = fresh.run();

        ASSERT_TRUE(result.startsWith(QString::fromUtf16(ExcelProtocol::kFailureHeading))) << result.toStdString();
        if (c.number != 0) {
            static const QRegularExpression line(u"\r\nСтрока = [0-9]+\r\n"_s);
            EXPECT_TRUE(line.match(result).hasMatch());
            EXPECT_TRUE(result.endsWith(u"\r\n.Number = "_s + QString::number(c.number) + u"\r\n.Description = \""_s
                                        + c.description + u"\"."_s))
                << result.toStdString();
        }
        EXPECT_FALSE(fresh.progress.events.contains(u"end"_s));
        EXPECT_EQ(fresh.progress.events.front(), u"begin"_s);
    }
}

TEST_F(ExcelProtocolTest, AFailureInsideAListKeepsTheRowsBeforeIt)
{
    source.ignoredList = {document(u"i1"_s), document(u"i2"_s, u"nobody"_s)};
    source.docsMainQueue = {document(u"m1"_s)};

    EXPECT_FALSE(run().isEmpty());

    EXPECT_EQ(text(sheet(u"Не выгружены"_s), 2, 11), u"i1"_s);
    EXPECT_EQ(sheetNames().size(), 3) << "no sheet after the failing one";
    EXPECT_EQ(progress.steps.size(), 3);
}

} // namespace
