#include "engine/ExcelProtocolStatistics.h"
#include "ExcelProtocolTestFixture.h"
#include "platform/excel/Font.h"

using namespace Qt::StringLiterals;
using engine::ExcelProtocolStatistics;
using exceltest::ExcelProtocolTest;

namespace {

const QString kPartyA = u"7701000001-770101001 | АО Василёк"_s;
const QString kPartyB = u"7702000002-770201001 | ООО Клевер"_s;

class ExcelProtocolStatisticsTest : public ExcelProtocolTest
{
protected:
    void addUnloaded(const QString& org, const QString& party, const QString& timestamp, const QString& direction,
                     const QString& department = {})
    {
        auto record = document(u"d"_s + QString::number(source.unloadedList.size() + 1), org);
        record->Counteragent = party;
        record->Timestamp = timestamp;
        record->Direction = direction;
        record->DepartmentName = department;
        source.unloadedList.append(record);
    }

    // The statistics sheet from row 2 on: each row's cells up to the last column, "" for an empty one.
    QList<QStringList> statisticsRows(int columns)
    {
        auto& statistics = sheet(u"Статистика"_s);
        QList<QStringList> rows;
        const int last = statistics.rows().rbegin()->first;
        for (int row = 2; row <= last; ++row) {
            QStringList cells;
            for (int column = 1; column <= columns; ++column)
                cells.append(text(statistics, row, column));
            rows.append(cells);
        }
        return rows;
    }
};

TEST_F(ExcelProtocolStatisticsTest, CountsBy_Organisation_Counterparty_AndMonth_WithSubtotals)
{
    addUnloaded(u"org1"_s, kPartyA, u"05.03.2024 10:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org1"_s, kPartyA, u"06.03.2024 11:00:00"_s, u"Outbound"_s);
    addUnloaded(u"org1"_s, kPartyA, u"29.02.2024 12:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org1"_s, kPartyB, u"01.03.2024 09:00:00"_s, u"Inbound"_s);
    // A document without a name still counts.
    source.unloadedList.last()->DocumentName.clear();
    source.ignoredList = {document(u"i1"_s)};

    ASSERT_EQ(run(), QString());

    const QList<QStringList> expected{
        {u"Количество выгруженных документов по:"_s, u"Исходящий"_s, u"Входящий"_s, u"Общий итог"_s},
        {u"ООО Ромашка"_s, u"1"_s, u"3"_s, u"4"_s},
        {u"    "_s + kPartyA, u"1"_s, u"2"_s, u"3"_s},
        {u"        2024/02"_s, QString(), u"1"_s, u"1"_s},
        {u"        2024/03"_s, u"1"_s, u"1"_s, u"2"_s},
        {u"    "_s + kPartyB, QString(), u"1"_s, u"1"_s},
        {u"        2024/03"_s, QString(), u"1"_s, u"1"_s},
        {u"Общий итог"_s, u"1"_s, u"3"_s, u"4"_s},
    };
    EXPECT_EQ(statisticsRows(4), expected);

    auto& statistics = sheet(u"Статистика"_s);
    EXPECT_EQ(text(statistics, 1, 1), u"Статистика выгрузки за период с 01.03.2024 по 31.03.2024."_s);
    EXPECT_EQ(text(statistics, 1, 2), QString());
    EXPECT_EQ(statistics.Columns(2).ColumnWidth(), 11);
    EXPECT_TRUE(statistics.Cells(9, 1).Font().Bold()) << "the grand total row";
    EXPECT_EQ(book->ActiveSheet().Name(), u"Статистика"_s);
    EXPECT_EQ(statistics.frozenRows(), 2);
    EXPECT_EQ(statistics.frozenColumns(), 0);
    EXPECT_EQ(statistics.Index(), 2);
}

TEST_F(ExcelProtocolStatisticsTest, WithDepartmentsTheOrganisationIsTheOutermostRowField)
{
    addUnloaded(u"org2"_s, kPartyA, u"05.03.2024 10:00:00"_s, u"Internal"_s, u"Склад"_s);
    addUnloaded(u"org1"_s, kPartyA, u"05.03.2024 10:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org2"_s, kPartyB, QString(), u"Outbound"_s);

    ASSERT_EQ(run(), QString());

    const QList<QStringList> expected{
        {u"Количество выгруженных документов по:"_s, u"Исходящий"_s, u"Входящий"_s, u"Внутренний"_s, u"Общий итог"_s},
        {u"  ООО Ромашка "_s, QString(), u"1"_s, QString(), u"1"_s},
        {u"    ООО Ромашка"_s, QString(), u"1"_s, QString(), u"1"_s},
        {u"        "_s + kPartyA, QString(), u"1"_s, QString(), u"1"_s},
        {u"            2024/03"_s, QString(), u"1"_s, QString(), u"1"_s},
        {u"ПАО Лютик"_s, u"1"_s, QString(), u"1"_s, u"2"_s},
        {u"    ПАО Лютик, Головное подразделение"_s, u"1"_s, QString(), QString(), u"1"_s},
        {u"        "_s + kPartyB, u"1"_s, QString(), QString(), u"1"_s},
        {u"            0000/00"_s, u"1"_s, QString(), QString(), u"1"_s},
        {u"    ПАО Лютик, Склад"_s, QString(), QString(), u"1"_s, u"1"_s},
        {u"        "_s + kPartyA, QString(), QString(), u"1"_s, u"1"_s},
        {u"            2024/03"_s, QString(), QString(), u"1"_s, u"1"_s},
        {u"Общий итог"_s, u"1"_s, u"1"_s, u"1"_s, u"3"_s},
    };
    EXPECT_EQ(statisticsRows(5), expected);
}

TEST_F(ExcelProtocolStatisticsTest, ItemsDifferingOnlyInCaseShareAGroupNamedByTheFirstAndBlanksComeLast)
{
    const QString lowerA = u"7701000001-770101001 | ао василёк"_s;
    addUnloaded(u"org1"_s, QString(), u"04.03.2024 10:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org1"_s, lowerA, u"05.03.2024 10:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org1"_s, kPartyB, u"05.03.2024 11:00:00"_s, u"Inbound"_s);
    addUnloaded(u"org1"_s, kPartyA, u"06.03.2024 10:00:00"_s, u"Inbound"_s);

    ASSERT_EQ(run(), QString());

    const QString blank = QString::fromUtf16(ExcelProtocolStatistics::kBlankItem);
    const QList<QStringList> expected{
        {u"Количество выгруженных документов по:"_s, u"Входящий"_s, u"Общий итог"_s},
        {u"ООО Ромашка"_s, u"4"_s, u"4"_s},
        {u"    "_s + lowerA, u"2"_s, u"2"_s},
        {u"        2024/03"_s, u"2"_s, u"2"_s},
        {u"    "_s + kPartyB, u"1"_s, u"1"_s},
        {u"        2024/03"_s, u"1"_s, u"1"_s},
        {u"    "_s + blank, u"1"_s, u"1"_s},
        {u"        2024/03"_s, u"1"_s, u"1"_s},
        {u"Общий итог"_s, u"4"_s, u"4"_s},
    };
    EXPECT_EQ(statisticsRows(3), expected);
}

TEST_F(ExcelProtocolStatisticsTest, NoUnloadedDocumentMeansNoStatisticsSheet)
{
    source.ignoredList = {document(u"i1"_s)};
    ASSERT_EQ(run(), QString());
    EXPECT_EQ(sheetNames(), (QStringList{u"Итоги"_s, u"Выгружены"_s, u"Не выгружены"_s}));
}

TEST_F(ExcelProtocolStatisticsTest, AMissingFieldInTheSourceFails)
{
    addUnloaded(u"org1"_s, kPartyA, u"05.03.2024 10:00:00"_s, u"Inbound"_s);
    ASSERT_EQ(run(), QString());
    auto& unloaded = sheet(u"Выгружены"_s);
    unloaded.Cells(1, 9).setValue(u"Контрагенты"_s);

    EXPECT_THROW(ExcelProtocolStatistics::compute(unloaded, 1, false), core::Error);
}

} // namespace
