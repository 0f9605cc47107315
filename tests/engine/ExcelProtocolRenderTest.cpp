#include <QFile>
#include <QStandardPaths>

#include "ExcelProtocolTestFixture.h"
#include "XlsxReader.h"
#include "engine/ExcelProtocolDocuments.h"
#include "engine/WebAddresses.h"
#include "support/Office.h"

using namespace Qt::StringLiterals;
using engine::ExcelProtocolDocuments;
using exceltest::ExcelProtocolTest;

namespace {

const QString kWeb = QString::fromUtf16(engine::kDiadocWebAddress);

class ExcelProtocolRenderTest : public ExcelProtocolTest
{
protected:
    // Fills and saves the workbook as the main window does: the summary sheet active, then SaveAs.
    QString fillAndSave(const QString& name)
    {
        EXPECT_EQ(run(), QString());
        book->Sheets().Item(1).Activate();
        const QString file = m_dir.path() + u"/"_s + name;
        book->SaveAs(file);
        return file;
    }

    void sampleRun()
    {
        fillEveryList();
        source.unloadedList.append(document(u"u2"_s, u"org2"_s));
        source.unloadedList[0]->PathForDownload = base + u"Ромашка/2024"_s;
        source.ignoredList[0]->ErrorDescription = u"Документ удалён"_s;
    }
};

TEST_F(ExcelProtocolRenderTest, ASavedProtocolReadsBackWithItsSheetsTextsLinksAndPanes)
{
    sampleRun();
    const test::XlsxBook read = test::readXlsx(fillAndSave(u"protocol.xlsx"_s));

    QStringList names;
    for (const test::XlsxSheet& s : read.sheets)
        names.append(s.name);
    EXPECT_EQ(names, sheetNames());
    EXPECT_EQ(read.activeTab, 0);

    const test::XlsxSheet& summarySheet = read.sheet(u"Итоги"_s);
    EXPECT_EQ(summarySheet.cells.at(u"A3"_s).text, u"Запрошены документы по датам:"_s);

    const test::XlsxSheet& unloaded = read.sheet(u"Выгружены"_s);
    EXPECT_EQ(unloaded.cells.at(u"B1"_s).text, u"Получен /\r\nотправлен"_s);
    EXPECT_EQ(unloaded.cells.at(u"E2"_s).text, u"00123"_s);
    EXPECT_EQ(unloaded.cells.at(u"J2"_s).text, u"Ромашка/2024"_s);
    EXPECT_EQ(unloaded.cells.at(u"K2"_s).text, u"2024/03"_s);
    EXPECT_TRUE(unloaded.cells.at(u"K2"_s).formula.isEmpty());
    EXPECT_EQ(unloaded.hyperlinks.at(u"M2"_s), kWeb + u"/Box/Document?id=u1"_s);
    EXPECT_EQ(unloaded.hyperlinks.at(u"M3"_s), kWeb + u"/Box/Document?id=u2"_s);
    EXPECT_NEAR(unloaded.columnWidths.at(1), 35, 1);
    EXPECT_EQ(read.styleOf(unloaded, u"E2"_s).numberFormat, u"@"_s);

    const test::XlsxSheet& ignored = read.sheet(u"Не выгружены"_s);
    EXPECT_EQ(ignored.cells.at(u"J2"_s).text, u"Документ удалён"_s);
    EXPECT_EQ(ignored.hyperlinks.at(u"K2"_s), kWeb + u"/Box/Document?id=i1"_s);

    const test::XlsxSheet& statistics = read.sheet(u"Статистика"_s);
    EXPECT_EQ(statistics.cells.at(u"A1"_s).text, u"Статистика выгрузки за период с 01.03.2024 по 31.03.2024."_s);
    EXPECT_EQ(statistics.cells.at(u"A2"_s).text, u"Количество выгруженных документов по:"_s);
    EXPECT_EQ(statistics.frozenRows, 2);
    EXPECT_EQ(statistics.frozenColumns, 0);
    EXPECT_NEAR(statistics.columnWidths.at(2), 11, 1);

    EXPECT_TRUE(read.sheet(u"Запросы списков На запуск"_s).hyperlinks.empty());
}

TEST_F(ExcelProtocolRenderTest, MoreLinksThanASheetHoldsStillGiveAProtocol)
{
    constexpr int kRecords = 65530 + 6;
    source.ignoredList.reserve(kRecords);
    for (int i = 1; i <= kRecords; ++i)
        source.ignoredList.append(document(u"i"_s + QString::number(i)));

    const test::XlsxBook read = test::readXlsx(fillAndSave(u"links.xlsx"_s));

    const test::XlsxSheet& ignored = read.sheet(u"Не выгружены"_s);
    EXPECT_EQ(ignored.hyperlinks.size(), 65530u);
    EXPECT_EQ(ignored.hyperlinks.at(u"K65531"_s), kWeb + u"/Box/Document?id=i65530"_s);
    const test::XlsxCell& beyond = ignored.cells.at(u"K"_s + QString::number(kRecords + 1));
    EXPECT_EQ(beyond.formula, u"HYPERLINK(\""_s + kWeb + u"/Box/Document?id=i65536\",\"i65536\")"_s);
    EXPECT_EQ(beyond.text, u"i65536"_s);
}

// A protocol that LibreOffice opens and converts, when LibreOffice is installed.
TEST_F(ExcelProtocolRenderTest, ASampleProtocolOpensInLibreOffice)
{
    const QString office = QStandardPaths::findExecutable(u"soffice"_s);
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    sampleRun();
    const QString file = fillAndSave(u"sample.xlsx"_s);

    const testsupport::OfficeRun converted = testsupport::convertWithOffice(
        office,
        {u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"_s,
         u"--outdir"_s, m_dir.path() + u"/converted"_s, file},
        m_dir.path() + u"/office-profile"_s);
    ASSERT_TRUE(converted.finished) << "LibreOffice did not finish";
    ASSERT_EQ(converted.exitCode, 0) << converted.output.toStdString();

    // With every sheet exported, each sheet gets its own file named after it.
    QFile statistics(m_dir.path() + u"/converted/sample-Статистика.csv"_s);
    ASSERT_TRUE(statistics.open(QIODevice::ReadOnly)) << converted.output.toStdString();
    const QString csv = QString::fromUtf8(statistics.readAll());
    EXPECT_TRUE(csv.contains(u"Статистика выгрузки за период с 01.03.2024 по 31.03.2024."_s)) << csv.toStdString();
    EXPECT_TRUE(csv.contains(u"Общий итог"_s));

    QFile unloaded(m_dir.path() + u"/converted/sample-Выгружены.csv"_s);
    ASSERT_TRUE(unloaded.open(QIODevice::ReadOnly));
    const QString unloadedCsv = QString::fromUtf8(unloaded.readAll());
    EXPECT_TRUE(unloadedCsv.contains(u"2024/03"_s));
    EXPECT_TRUE(unloadedCsv.contains(u"00123"_s));
}

} // namespace
