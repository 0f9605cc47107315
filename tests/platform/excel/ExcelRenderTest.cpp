#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pugixml.hpp>
#include <zip.h>

#include "XlsxReader.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "platform/excel/Application.h"
#include "platform/excel/Font.h"
#include "platform/excel/Hyperlinks.h"
#include "platform/excel/Range.h"
#include "platform/excel/SheetLinks.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsxRenderer.h"
#include "support/Office.h"
#include "support/RussianLocale.h"

using namespace Qt::StringLiterals;
using namespace platform::excel;

namespace {

const QString kDocumentHeader = u"Получен /\r\nотправлен"_s;

class ExcelRenderTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // A small protocol workbook, built with the calls the protocol writer makes.
    Workbook& protocolBook()
    {
        Workbook& book = m_app.Workbooks().Add();
        Sheets& sheets = book.Sheets();
        while (sheets.Count() < 3)
            sheets.Add(After{sheets.Item(sheets.Count())});
        sheets.Item(1).setName(u"Итоги"_s);
        sheets.Item(2).setName(u"Выгружены"_s);
        sheets.Item(3).setName(u"Не выгружены"_s);

        Worksheet& summary = sheets.Item(1);
        summary.Columns(1).setColumnWidth(61);
        summary.Columns(2).setColumnWidth(65);
        summary.Columns(2).setHorizontalAlignment(XlHAlign::Left);
        summary.Columns(2).Font().setBold(true);
        summary.Rows(1).Font().setBold(true);
        summary.Cells(1, 1).setValue(u"Протокол выгрузки документов из Диадок от "_s);
        summary.Cells(1, 2).setValue(u"2024.05.17 13:45:00"_s);
        summary.Cells(2, 1).setValue(u"Количество успешно выгруженных документов:"_s);
        summary.Cells(2, 2).setValue(u"42"_s);

        Worksheet& unloaded = sheets.Item(2);
        unloaded.Cells(1, 1).setValue(u"Документ"_s);
        unloaded.Cells(1, 2).setValue(kDocumentHeader);
        unloaded.Columns(1).setColumnWidth(35);
        unloaded.Columns(2).setColumnWidth(11);
        unloaded.Columns(2).setHorizontalAlignment(XlHAlign::Center);
        unloaded.Columns(1).setNumberFormat(u"@"_s);
        unloaded.Columns(2).setNumberFormat(u"@"_s);
        unloaded.Rows(1).setWrapText(true);
        unloaded.Rows(1).setHorizontalAlignment(XlHAlign::Center);
        unloaded.Rows(1).setVerticalAlignment(XlVAlign::Center);
        unloaded.Rows(1).setRowHeight(30);
        unloaded.Rows(1).Font().setBold(true);
        unloaded.Rows(2).setWrapText(true);
        unloaded.Rows(2).setRowHeight(30);
        unloaded.Rows(2).setVerticalAlignment(XlVAlign::Center);
        unloaded.Cells(2, 1).setValue(u"007"_s);
        unloaded.Cells(2, 3).setFormulaR1C1(u"=RC[-1]&\"RC\""_s);
        unloaded.Cells(2, 13).setValue(u"a1b2c3"_s);
        unloaded.Hyperlinks().Add(unloaded.Cells(2, 13), u"https://diadoc.example/Box/doc?id=a1b2c3"_s);

        Worksheet& statistics = sheets.Add(After{sheets.Item(1)});
        statistics.setName(u"Статистика"_s);
        statistics.Cells(1, 1).setValue(u"Статистика выгрузки за период с 01.05.2024 по 17.05.2024."_s);
        statistics.Cells(1, 2).setValue(QString());
        statistics.Cells(2, 1).setValue(u"Количество выгруженных документов по:"_s);
        statistics.Cells(3, 4).setValue(3.25);
        statistics.Columns(u"B:B").setColumnWidth(11);
        statistics.Cells(3, 1).Select();
        statistics.Activate();
        m_app.ActiveWindow().setFreezePanes(true);
        return book;
    }

    ApplicationOptions options()
    {
        ApplicationOptions result;
        result.tempPath = m_dir.path();
        result.showFile = [this](const QString& file) { m_shown << file; };
        return result;
    }

    QTemporaryDir m_dir;
    QStringList m_shown;
    Application m_app{options()};
};

TEST_F(ExcelRenderTest, SavedWorkbookReadsBackWithSheetsTextsFormatsLinksAndPanes)
{
    Workbook& book = protocolBook();
    const QString file = path(u"Протокол.xlsx"_s);
    book.SaveAs(file);
    EXPECT_EQ(book.FullName(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(book.Name(), u"Протокол.xlsx"_s);

    const test::XlsxBook read = test::readXlsx(file);
    ASSERT_EQ(read.sheets.size(), 4u);
    EXPECT_EQ(read.sheets[0].name, u"Итоги"_s);
    EXPECT_EQ(read.sheets[1].name, u"Статистика"_s);
    EXPECT_EQ(read.sheets[2].name, u"Выгружены"_s);
    EXPECT_EQ(read.sheets[3].name, u"Не выгружены"_s);
    EXPECT_EQ(read.activeTab, 1);

    const test::XlsxSheet& summary = read.sheet(u"Итоги"_s);
    EXPECT_EQ(summary.cells.at(u"A1"_s).text, u"Протокол выгрузки документов из Диадок от "_s);
    EXPECT_TRUE(summary.cells.at(u"B2"_s).type.isEmpty()) << "a whole number in a general cell is a number";
    EXPECT_EQ(summary.cells.at(u"B2"_s).text, u"42"_s);
    EXPECT_NEAR(summary.columnWidths.at(1), 61.71, 0.01) << "the stored width holds the cell padding";
    EXPECT_TRUE(read.styleOf(summary, u"A1"_s).bold) << "row 1 bold";
    EXPECT_TRUE(read.styleOf(summary, u"B2"_s).bold) << "column 2 bold";
    EXPECT_EQ(read.styleOf(summary, u"B2"_s).horizontal, u"left"_s);
    EXPECT_FALSE(read.styleOf(summary, u"A2"_s).bold);

    const test::XlsxSheet& unloaded = read.sheet(u"Выгружены"_s);
    EXPECT_EQ(unloaded.cells.at(u"B1"_s).text, kDocumentHeader) << "the line break stays CR LF";
    const test::XlsxStyle header = read.styleOf(unloaded, u"B1"_s);
    EXPECT_TRUE(header.bold);
    EXPECT_TRUE(header.wrap);
    EXPECT_EQ(header.horizontal, u"center"_s);
    EXPECT_EQ(header.vertical, u"center"_s);
    EXPECT_EQ(header.numberFormat, u"@"_s);
    EXPECT_EQ(unloaded.rows.at(1).height, 30);
    EXPECT_EQ(unloaded.cells.at(u"A2"_s).text, u"007"_s) << "text format keeps the leading zeros";
    EXPECT_FALSE(unloaded.cells.at(u"A2"_s).type.isEmpty()) << "a string, not a number";
    EXPECT_EQ(unloaded.cells.at(u"C2"_s).formula, u"B2&\"RC\""_s);
    EXPECT_EQ(unloaded.hyperlinks.at(u"M2"_s), u"https://diadoc.example/Box/doc?id=a1b2c3"_s);
    EXPECT_EQ(unloaded.cells.at(u"M2"_s).text, u"a1b2c3"_s);
    EXPECT_TRUE(read.styleOf(unloaded, u"M2"_s).underline);
    // The empty cell where the formatted row 2 meets the centred text column 2 keeps both formats.
    ASSERT_EQ(unloaded.cells.count(u"B2"_s), 1u);
    EXPECT_EQ(read.styleOf(unloaded, u"B2"_s).horizontal, u"center"_s);
    EXPECT_EQ(read.styleOf(unloaded, u"B2"_s).vertical, u"center"_s);

    const test::XlsxSheet& statistics = read.sheet(u"Статистика"_s);
    EXPECT_TRUE(statistics.tabSelected);
    EXPECT_EQ(statistics.frozenRows, 2);
    EXPECT_EQ(statistics.frozenColumns, 0);
    EXPECT_EQ(statistics.paneTopLeft, u"A3"_s);
    EXPECT_EQ(statistics.cells.count(u"B1"_s), 0u) << "an empty text leaves no cell";
    EXPECT_EQ(statistics.cells.at(u"D3"_s).text, u"3.25"_s);
    EXPECT_NEAR(statistics.columnWidths.at(2), 11.71, 0.01);
}

TEST_F(ExcelRenderTest, NumbersAndSizesKeepThePointUnderRussianSettings)
{
    Workbook& book = protocolBook();
    const QString file = path(u"Протокол.xlsx"_s);
    {
        const testsupport::RussianLocale russian;
        if (!russian.available())
            GTEST_SKIP() << "the ru_RU.UTF-8 locale is not generated here (scripts/setup.sh does it)";
        book.SaveAs(file);
    }
    const test::XlsxBook read = test::readXlsx(file);
    const test::XlsxSheet& statistics = read.sheet(u"Статистика"_s);
    EXPECT_EQ(statistics.cells.at(u"D3"_s).text, u"3.25"_s);
    EXPECT_NEAR(statistics.columnWidths.at(2), 11.71, 0.01);
    EXPECT_EQ(read.sheet(u"Выгружены"_s).rows.at(1).height, 30);
}

// libxlsxwriter takes zero-terminated texts, so a NUL would cut a cell short; it and the other
// control characters are dropped from every cell text, tab and line ends kept.
TEST_F(ExcelRenderTest, CellsLoseWhatNoProtocolHoldsAndKeepTheRest)
{
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    const struct
    {
        QString value;
        QString read;
    } cases[] = {
        {u"Акт"_s + QChar(0) + u" 12 и дальше"_s, u"Акт 12 и дальше"_s},
        {u"\x01\x02А\x1F\x7F\u0085Б\x1B"_s, u"АБ"_s},
        {u"А"_s + QChar(0xD800) + u"Б\uFFFE"_s, u"АБ"_s},
        {u"А\tБ\nВ"_s, u"А\tБ\nВ"_s},
    };
    int row = 0;
    for (const auto& c : cases)
        sheet.Cells(++row, 1).setValue(c.value);
    sheet.Cells(1, 2).setValue(u"ссылка"_s + QChar(0) + u"\x01 дальше"_s);
    sheet.Hyperlinks().Add(sheet.Cells(1, 2), u"https://diadoc.example/doc/1"_s);
    book.SaveAs(path(u"cleaned.xlsx"_s));

    const test::XlsxSheet read = test::readXlsx(path(u"cleaned.xlsx"_s)).sheets.at(0);
    row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        EXPECT_EQ(read.cells.at(u"A"_s + QString::number(++row)).text, c.read);
    }
    EXPECT_EQ(read.cells.at(u"B1"_s).text, u"ссылка дальше"_s);
}

TEST_F(ExcelRenderTest, EachDistinctFormatIsOneStyle)
{
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    sheet.Columns(1).setNumberFormat(u"@"_s);
    for (int row = 1; row <= 200; ++row) {
        sheet.Rows(row).setWrapText(true);
        sheet.Cells(row, 1).setValue(u"текст"_s);
        sheet.Cells(row, 2).setValue(u"текст"_s);
    }
    book.SaveAs(path(u"styles.xlsx"_s));
    const test::XlsxBook read = test::readXlsx(path(u"styles.xlsx"_s));
    // Default, the text column, wrapped rows, and wrapped text where they meet.
    EXPECT_EQ(read.styles.size(), 4u);
}

TEST_F(ExcelRenderTest, LinksBeyondTheSheetLimitBecomeHyperlinkFormulas)
{
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    constexpr int kLinks = 65530 + 5;
    for (int row = 1; row <= kLinks; ++row) {
        sheet.Cells(row, 1).setValue(u"id-"_s + QString::number(row));
        sheet.Hyperlinks().Add(sheet.Cells(row, 1), u"https://diadoc.example/doc/"_s + QString::number(row));
    }
    book.SaveAs(path(u"links.xlsx"_s));

    const test::XlsxSheet read = test::readXlsx(path(u"links.xlsx"_s)).sheets.at(0);
    EXPECT_EQ(read.hyperlinks.size(), 65530u);
    EXPECT_EQ(read.hyperlinks.at(u"A65530"_s), u"https://diadoc.example/doc/65530"_s);
    const test::XlsxCell& beyond = read.cells.at(u"A65535"_s);
    EXPECT_EQ(beyond.formula, u"HYPERLINK(\"https://diadoc.example/doc/65535\",\"id-65535\")"_s);
    EXPECT_EQ(beyond.text, u"id-65535"_s);
}

TEST_F(ExcelRenderTest, ALongSheetKeepsItsFirstRowsInATemporaryFileAndRendersThemAll)
{
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    sheet.Columns(2).setNumberFormat(u"@"_s);
    constexpr int kRows = 3000;
    for (int row = 1; row <= kRows; ++row) {
        sheet.Rows(row).setWrapText(true);
        sheet.Rows(row).setRowHeight(30);
        sheet.Cells(row, 1).setValue(u"Счёт № "_s + QString::number(row));
        sheet.Cells(row, 2).setValue(u"00"_s + QString::number(row));
        sheet.Cells(row, 3).setValue(row * 0.5);
        sheet.Cells(row, 4).setFormulaR1C1(u"=RC[-1]*2"_s);
        sheet.Cells(row, 5).setValue(u"id-"_s + QString::number(row));
        sheet.Hyperlinks().Add(sheet.Cells(row, 5), u"https://diadoc.example/doc/"_s + QString::number(row));
    }
    EXPECT_LE(sheet.rowsInMemory(), 512) << "the first rows went to a temporary file";

    // The first rows are still there to read and change.
    EXPECT_EQ(sheet.Cells(2, 1).Value(), CellValue(u"Счёт № 2"_s));
    EXPECT_EQ(sheet.Cells(2, 3).Value(), CellValue(1.0));
    EXPECT_TRUE(sheet.Cells(2, 5).format().hyperlink);
    EXPECT_EQ(sheet.Rows(2).RowHeight(), 30);
    sheet.Cells(3, 1).setValue(u"изменён"_s);
    sheet.Cells(3, 1).Font().setBold(true);
    sheet.Cells(4, 3).setValue(QString());
    EXPECT_EQ(sheet.Hyperlinks().Count(), kRows);

    book.SaveAs(path(u"long.xlsx"_s));
    const test::XlsxBook read = test::readXlsx(path(u"long.xlsx"_s));
    const test::XlsxSheet& written = read.sheets.at(0);
    EXPECT_EQ(written.hyperlinks.size(), std::size_t(kRows));
    for (const int row : {1, 2, 500, 1500, 2999, kRows}) {
        const QString n = QString::number(row);
        EXPECT_EQ(written.cells.at(u"A"_s + n).text, u"Счёт № "_s + n);
        EXPECT_EQ(written.cells.at(u"B"_s + n).text, u"00"_s + n) << "the text column keeps its zeros";
        EXPECT_EQ(written.cells.at(u"D"_s + n).formula, u"C"_s + n + u"*2"_s);
        EXPECT_EQ(written.hyperlinks.at(u"E"_s + n), u"https://diadoc.example/doc/"_s + n);
        EXPECT_EQ(written.rows.at(row).height, 30);
        EXPECT_TRUE(read.styleOf(written, u"A"_s + n).wrap);
    }
    EXPECT_EQ(written.cells.at(u"A3"_s).text, u"изменён"_s);
    EXPECT_TRUE(read.styleOf(written, u"A3"_s).bold);
    EXPECT_FALSE(read.styleOf(written, u"A2"_s).bold);
    EXPECT_EQ(written.cells.count(u"C4"_s), 0u) << "an emptied cell of a spilled row stays empty";

    book.Close(false);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"long.xlsx"_s})
        << "nothing is left behind";
}

// Every part of an .xlsx file by its name, unpacked.
std::map<QString, QByteArray> partsOf(const QString& fileName)
{
    std::map<QString, QByteArray> parts;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        // Reading on to the end has libzip check the part against its checksum.
        char more = 0;
        if (!file || zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size)
            || zip_fread(file, &more, 1) != 0)
            ADD_FAILURE() << "the part cannot be read whole: " << stat.name;
        if (file)
            zip_fclose(file);
        parts.emplace(QString::fromUtf8(stat.name), bytes);
    }
    zip_close(archive);
    return parts;
}

TEST_F(ExcelRenderTest, LinksTheRendererWritesItselfAreThoseLibxlsxwriterWrites)
{
    // A sheet packed in one deflate block, and one of many blocks whose texts hardly repeat: its
    // links go in after the last block boundary before the page margins.
    for (const int rows : {1200, 12000}) {
        SCOPED_TRACE(rows);
        Workbook& book = protocolBook();
        Worksheet& sheet = book.Sheets().Item(3);
        const QStringList addresses = {u"https://diadoc.example/Box/Document?letterId=1&documentId=2"_s,
                                       u"http://example.org/путь/файл"_s, u"mailto:buh@romashka.ru"_s,
                                       u"ftp://files.example/a'b"_s};
        quint64 noise = 88172645463325252ULL;
        for (int row = 2; row <= rows; ++row) {
            noise ^= noise << 13;
            noise ^= noise >> 7;
            noise ^= noise << 17;
            sheet.Rows(row).setWrapText(true);
            sheet.Cells(row, 1).setValue(u"документ "_s + QString::number(row) + u' ' + QString::number(noise, 36));
            const int column = row % 3 == 0 ? 11 : 13;
            sheet.Cells(row, column).setValue(u"id-"_s + QString::number(row));
            sheet.Hyperlinks().Add(sheet.Cells(row, column),
                                   addresses.at(row % addresses.size()) + QString::number(row));
            if (row % 7 == 0)
                sheet.Hyperlinks().Add(sheet.Cells(row, 2), addresses.at(0)); // a link on a number-like text
        }
        ASSERT_EQ(sheet.unusualHyperlinkCount(), 0);

        const QString library = path(u"library.xlsx"_s);
        const QString own = path(u"own.xlsx"_s);
        QTemporaryDir scratch;
        XlsxRenderer(book, std::numeric_limits<int>::max()).render(library, scratch.path());
        XlsxRenderer(book, 1).render(own, scratch.path());
        ASSERT_TRUE(QFile::exists(scratch.filePath(u"hyperlinks3.xml"_s))) << "the renderer wrote the links itself";

        std::map<QString, QByteArray> expected = partsOf(library);
        std::map<QString, QByteArray> written = partsOf(own);
        ASSERT_FALSE(expected.empty());
        expected.erase(u"docProps/core.xml"_s); // holds the moment of writing
        written.erase(u"docProps/core.xml"_s);
        ASSERT_EQ(expected.count(u"xl/worksheets/_rels/sheet3.xml.rels"_s), 1u);
        for (const auto& [name, bytes] : expected)
            EXPECT_EQ(written[name], bytes) << name.toStdString();
        EXPECT_EQ(written.size(), expected.size());
        book.Close(false);
    }
}

// A link address goes into the sheet's relationships part, which takes no control character and
// folds a line end: both writers percent-encode it as the document's Internet shortcut holds it.
TEST_F(ExcelRenderTest, LinkAddressesArePercentEncodedByBothWriters)
{
    const struct
    {
        QString address;
        QString target;
    } cases[] = {
        {u"https://diadoc.example/Document?id=1\r\n2"_s, u"https://diadoc.example/Document?id=1%0D%0A2"_s},
        {u"https://diadoc.example/Document?id=\x01\x08\x1F"_s, u"https://diadoc.example/Document?id=%01%08%1F"_s},
        {u"https://diadoc.example/Document?id=\t"_s + QChar(0), u"https://diadoc.example/Document?id=%09%00"_s},
        {u"https://diadoc.example/\x7F\u0085\u009F"_s, u"https://diadoc.example/%7F%C2%85%C2%9F"_s},
        {u"https://diadoc.example/путь"_s, u"https://diadoc.example/%D0%BF%D1%83%D1%82%D1%8C"_s},
        {u"mailto:buh@romashka.ru"_s, u"mailto:buh@romashka.ru"_s},
        {u"https://diadoc.example/Box?a=1&b=%20"_s, u"https://diadoc.example/Box?a=1&b=%20"_s},
    };
    for (const int ownLinksFrom : {std::numeric_limits<int>::max(), 1}) {
        const bool own = ownLinksFrom == 1;
        SCOPED_TRACE(own ? "the renderer's own links" : "libxlsxwriter's links");
        Workbook& book = m_app.Workbooks().Add();
        Worksheet& sheet = book.ActiveSheet();
        int row = 0;
        for (const auto& c : cases) {
            ++row;
            sheet.Cells(row, 1).setValue(u"id-"_s + QString::number(row));
            sheet.Hyperlinks().Add(sheet.Cells(row, 1), c.address);
        }
        ASSERT_EQ(sheet.unusualHyperlinkCount(), 0) << "every address is one the renderer may write itself";
        const QString file = path(own ? u"own.xlsx"_s : u"library.xlsx"_s);
        QTemporaryDir scratch;
        XlsxRenderer(book, ownLinksFrom).render(file, scratch.path());
        EXPECT_EQ(QFile::exists(scratch.filePath(u"hyperlinks1.xml"_s)), own);

        const QByteArray relationships = partsOf(file)[u"xl/worksheets/_rels/sheet1.xml.rels"_s];
        ASSERT_FALSE(relationships.isEmpty());
        pugi::xml_document parsed;
        EXPECT_TRUE(parsed.load_buffer(relationships.constData(), std::size_t(relationships.size())));
        EXPECT_FALSE(relationships.contains("&#xA;"));
        EXPECT_FALSE(relationships.contains("\r"));
        EXPECT_TRUE(std::all_of(relationships.cbegin(), relationships.cend(), [](char c) {
            return (c >= 0x20 && c < 0x7F) || c == '\n';
        })) << "nothing but plain ASCII in the part";

        const test::XlsxSheet read = test::readXlsx(file).sheets.at(0);
        row = 0;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.address.toStdString());
            EXPECT_EQ(read.hyperlinks.at(u"A"_s + QString::number(++row)), c.target);
        }
        book.Close(false);
    }
}

// A workbook's text names a character as "_xHHHH_": a text that holds such a sequence keeps it, its
// "_" written as "_x005F_", so that a reader shows it as written.
TEST_F(ExcelRenderTest, ATextThatLooksLikeAnEscapeIsShownAsWritten)
{
    const struct
    {
        QString value;
        QByteArray stored;
    } cases[] = {
        {u"_x0041_"_s, "_x005F_x0041_"},
        {u"Акт_x00e9_1"_s, "Акт_x005F_x00e9_1"},
        {u"_x0041_x0042_"_s, "_x005F_x0041_x005F_x0042_"},
        {u"_x004_"_s, "_x004_"},
        {u"_xZZZZ_"_s, "_xZZZZ_"},
        {u"_X0041_"_s, "_X0041_"},
        {u"_x0041"_s, "_x0041"},
        {u"_x005F_"_s, "_x005F_x005F_"},
    };
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    int row = 0;
    for (const auto& c : cases)
        sheet.Cells(++row, 1).setValue(c.value);
    sheet.Cells(1, 2).setValue(u"_x0041_"_s);
    sheet.Hyperlinks().Add(sheet.Cells(1, 2), u"https://diadoc.example/doc/1"_s);
    book.SaveAs(path(u"escapes.xlsx"_s));

    const QByteArray part = partsOf(path(u"escapes.xlsx"_s))[u"xl/worksheets/sheet1.xml"_s];
    const test::XlsxSheet read = test::readXlsx(path(u"escapes.xlsx"_s)).sheets.at(0);
    row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        EXPECT_TRUE(part.contains(QByteArray("<t>" + c.stored + "</t>"))) << part.toStdString();
        EXPECT_EQ(read.cells.at(u"A"_s + QString::number(++row)).text, c.value);
    }
    EXPECT_EQ(read.cells.at(u"B1"_s).text, u"_x0041_"_s);
}

TEST_F(ExcelRenderTest, AnAddressLibxlsxwriterWouldChangeLeavesTheSheetsLinksToIt)
{
    // Judged as the writers get them, percent-encoded: a blank or a control character is no hindrance.
    for (const QString& address : {u"https://diadoc.kontur.ru/Box/Document?id=1&letter=2"_s,
                                   u"https://example.org/a b"_s, QString(u"https://example.org/a\r\n"_s + QChar(0))})
        EXPECT_TRUE(SheetLinks::takes(address)) << address.toStdString();
    for (const QString& address :
         {u"https://example.org/a\"b"_s, u"https://example.org/page#part"_s, u"#Лист1!A1"_s, u"C:\\Отчёт.xlsx"_s,
          u"https://example.org/{x}"_s, QString(u"https://example.org/"_s + QString(300, u'a'))})
        EXPECT_FALSE(SheetLinks::takes(address)) << address.toStdString();

    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    for (int row = 1; row <= 1100; ++row) {
        sheet.Cells(row, 1).setValue(u"id-"_s + QString::number(row));
        sheet.Hyperlinks().Add(sheet.Cells(row, 1), u"https://diadoc.example/doc/"_s + QString::number(row));
    }
    sheet.Hyperlinks().Add(sheet.Cells(7, 1), u"https://diadoc.example/doc#7"_s);
    EXPECT_EQ(sheet.unusualHyperlinkCount(), 1);
    book.SaveAs(path(u"mixed.xlsx"_s));
    const test::XlsxSheet read = test::readXlsx(path(u"mixed.xlsx"_s)).sheets.at(0);
    EXPECT_EQ(read.hyperlinks.size(), 1100u);
    EXPECT_EQ(read.hyperlinks.at(u"A8"_s), u"https://diadoc.example/doc/8"_s);

    sheet.Hyperlinks().Add(sheet.Cells(7, 1), u"https://diadoc.example/doc/7"_s);
    EXPECT_EQ(sheet.unusualHyperlinkCount(), 0) << "a replaced address no longer counts";
}

TEST_F(ExcelRenderTest, SaveToAFullDiskAnswersDiskFull)
{
    Workbook& book = protocolBook();
    try {
        book.SaveAs(u"/dev/full"_s);
        FAIL() << "the save succeeded";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), core::failure::kDiskFullNumber);
        EXPECT_EQ(e.description(), QString::fromUtf16(core::failure::kDiskFull));
    }
}

TEST_F(ExcelRenderTest, SaveIntoAMissingFolderFailsWithAWriteErrorAndLeavesNothing)
{
    Workbook& book = protocolBook();
    const QString file = path(u"missing/book.xlsx"_s);
    try {
        book.SaveAs(file);
        FAIL() << "the save succeeded";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.description(), QString::fromUtf16(core::failure::kFileWriteError));
        EXPECT_TRUE(e.source().contains(file));
    }
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(book.FullName(), u"Книга1"_s);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{})
        << "no temporary file is left behind";
}

TEST_F(ExcelRenderTest, SaveReplacesAnExistingFile)
{
    const QString file = path(u"book.xlsx"_s);
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content");
    old.close();
    protocolBook().SaveAs(file);
    EXPECT_EQ(test::readXlsx(file).sheets.size(), 4u);
}

TEST_F(ExcelRenderTest, VisibleApplicationShowsSavedAndOpenedWorkbooksAndACopyOfAnUnsavedOne)
{
    Workbook& unsaved = protocolBook();
    m_app.setVisible(true);
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_EQ(test::readXlsx(m_shown[0]).sheets.size(), 4u);
    unsaved.Close(false);

    const QString file = path(u"saved.xlsx"_s);
    protocolBook().SaveAs(file);
    ApplicationOptions options;
    options.showFile = [this](const QString& shown) { m_shown << shown; };
    Application viewer(options);
    Workbook& opened = viewer.Workbooks().Open(file, true);
    opened.Activate();
    viewer.setVisible(true);
    EXPECT_EQ(m_shown.last(), QFileInfo(file).absoluteFilePath());
    EXPECT_TRUE(opened.ReadOnly());

    opened.SaveAs(path(u"copy.xlsx"_s));
    EXPECT_EQ(test::readXlsx(path(u"copy.xlsx"_s)).sheets.size(), 4u);
    EXPECT_THROW(viewer.Workbooks().Open(path(u"gone.xlsx"_s), true), core::Error);
}

TEST_F(ExcelRenderTest, LibreOfficeReadsTheRenderedTexts)
{
    const QString office = QStandardPaths::findExecutable(u"libreoffice"_s);
    if (office.isEmpty())
        GTEST_SKIP() << "libreoffice is not installed";
    Workbook& book = m_app.Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
    sheet.Columns(1).setNumberFormat(u"@"_s);
    sheet.Cells(1, 1).setValue(u"Организация, подразделение"_s);
    sheet.Cells(2, 1).setValue(u"007"_s);
    sheet.Cells(2, 2).setValue(12.5);
    const QString file = path(u"office.xlsx"_s);
    book.SaveAs(file);

    // The office suite writes numbers in its own user's settings: a fixed locale keeps the point.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    const testsupport::OfficeRun converted = testsupport::convertWithOffice(
        office, {u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s, path(u"out"_s), file},
        path(u"profile"_s), environment);
    ASSERT_TRUE(converted.finished) << "LibreOffice did not finish";
    QFile csv(path(u"out/office.csv"_s));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << converted.output.toStdString();
    const QString content = QString::fromUtf8(csv.readAll());
    EXPECT_EQ(content.split(u'\n', Qt::SkipEmptyParts).value(0).trimmed(), u"\"Организация, подразделение\","_s);
    EXPECT_EQ(content.split(u'\n', Qt::SkipEmptyParts).value(1).trimmed(), u"007,12.5"_s);
}

} // namespace
