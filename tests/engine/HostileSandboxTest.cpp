#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringList>

#include "FetchlingFixture.h"
#include "XlsxReader.h"
#include "base/TextCodec.h"
#include "diadoc/OwnFileNames.h"
#include "engine/NameCleaning.h"
#include "engine/WebAddresses.h"
#include "platform/diadoc/SandboxData.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/zip/EntryName.h"
#include "support/Office.h"

using namespace fetchlingtest;
using platform::diadoc::SandboxGenerator;

namespace {

const engine::SummaryRows kSummary{
    {u"Программа"_s, u"N7_Fetchling"_s}, {u"Пользователь"_s, u"buh"_s}, {u"Период"_s, u"с 01.01.2024 по 31.12.2024"_s}};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// No byte below the blank but tab and line ends: no NUL and no other control character.
bool holdsOnlyPrintableBytes(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

// The fields of a CSV file of ";"-separated fields, quotes taken off.
QList<QStringList> csvRecords(const QString& text)
{
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u';') {
            fields.append(std::exchange(field, QString()));
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            fields.append(std::exchange(field, QString()));
            records.append(std::exchange(fields, QStringList()));
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

// A generated sandbox whose first documents carry content named like the program's own files,
// and titles, numbers and names with NUL, other control characters and spreadsheet formulas.
class HostileSandboxTest : public FetchlingFixture
{
protected:
    HostileSandboxTest()
    {
        SandboxGenerator::Settings settings;
        settings.documents = 2 * SandboxGenerator::kHostileDocuments;
        settings.hostileContent = true;
        SandboxGenerator::write(sandboxFolder(), settings);
        options.Set_ExcludeMHD(0);
    }

    QString sandboxFolder() const { return dir.filePath(u"hostile-sandbox"_s); }

    // One whole run over every paid organisation with every kind of document let through.
    void unloadAll()
    {
        auto& fetchling = makeEngine();
        prepare({.protocol = true, .deleted = true, .revoked = true, .internal = true, .signatureRejected = true});
        const platform::diadoc::Variant from(QDateTime(QDate(2024, 1, 1), QTime()));
        const platform::diadoc::Variant to(QDateTime(QDate(2024, 12, 31), QTime()));
        for (const auto& person : persons) {
            if (person->DiadocOrganization->Name() == u"ООО «Лютик»"_s)
                continue; // its tariff is not paid
            fetchling.MainДобавлениеЗапросовВОчередь(person->NodeID, person->Name, out, 0, from, to);
            if (person->DiadocOrganization->Name() != u"ООО «Ромашка»"_s)
                continue;
            // Each department of the sample organisation is a node of its own.
            for (const QString& department : {u"dep-sever"_s, u"dep-sever-sklad"_s, u"dep-yug"_s})
                fetchling.MainДобавлениеЗапросовВОчередь(person->NodeID + u"|dep"_s + department, department, out, 0,
                                                         from, to);
        }
        fetchling.ПостановкаДокументовВОчередьНаЗагрузку();
        fetchling.ОбработкаВыгруженныхДокументов();
        ASSERT_FALSE(fetchling.isStopped());
    }

    // Every content file of the document is in its folder with the sandbox's bytes, those named
    // like the program's own files numbered; the program's own files are its own.
    void expectFilesOf(const diadoc::AsyncDocRecord& rec, const platform::diadoc::DocumentData& data)
    {
        SCOPED_TRACE(rec.Path.toStdString());
        QStringList own;
        for (const QString& name : diadoc::OwnFileNames::of(rec.DocumentId))
            own.append(name.toCaseFolded());
        for (const QString& path : data.content) {
            const QString name = QFileInfo(path).fileName();
            const QString kept = own.contains(name.toCaseFolded()) ? platform::zip::EntryName::numbered(name, 2) : name;
            EXPECT_EQ(readAll(rec.PathForDownload + u'/' + kept), readAll(path)) << kept.toStdString();
        }
        const QByteArray metadata = readAll(rec.Path + u"/DCInfo.n7l"_s);
        EXPECT_TRUE(metadata.startsWith("<?xml")) << metadata.left(80).constData();
        EXPECT_TRUE(metadata.contains(QByteArray("<DocumentId>" + rec.DocumentId.toUtf8() + "</DocumentId>")));
        const QByteArray link = readAll(rec.Path + u'/' + diadoc::OwnFileNames::documentLinkName(rec.DocumentId));
        EXPECT_TRUE(link.startsWith(
            QByteArray("[InternetShortcut]\r\nURL=" + QString::fromUtf16(::engine::kDiadocWebAddress).toUtf8())))
            << link.constData();
        EXPECT_EQ(link.count("\r\n"), 1) << link.constData();
        for (const char c : link)
            EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << "ASCII only";
        for (const QString& level : rec.Path.mid(out.size()).split(u'/'))
            EXPECT_LE(::engine::NameCleaning::utf8Size(level), ::engine::NameCleaning::kMaxNameBytes);
    }

    QString writeExcel(const QString& file)
    {
        platform::excel::ApplicationOptions appOptions;
        appOptions.tempPath = dir.path();
        platform::excel::Application app(appOptions);
        app.setSheetsInNewWorkbook(3);
        auto& book = app.Workbooks().Add();
        book.Sheets().Item(1).setName(u"Итоги"_s);
        book.Sheets().Item(2).setName(u"Выгружены"_s);
        book.Sheets().Item(3).setName(u"Не выгружены"_s);
        EXPECT_EQ(engine->WriteProtocolExcel(book, kSummary), QString());
        book.SaveAs(file);
        return file;
    }
};

// Both download modes: nothing of the content is lost to the program's own files, and all three
// protocols hold the titles and names cleaned, with no formula a spreadsheet would run.
TEST_F(HostileSandboxTest, EveryContentFileIsKeptAndTheProtocolsHoldInertCleanedTexts)
{
    signIn(sandboxFolder());
    QHash<QString, const platform::diadoc::DocumentData*> byId;
    QStringList hostile;
    for (const auto& data : service->data().documents) {
        byId.insert(data.documentId, &data);
        if (hostile.size() < SandboxGenerator::kHostileDocuments)
            hostile.append(data.documentId);
    }

    for (const int zip : {0, 1}) {
        SCOPED_TRACE(zip ? "zip" : "folder");
        ASSERT_TRUE(QDir(out).removeRecursively() && QDir().mkpath(out));
        options.Set_LoadContentByZip(zip);
        unloadAll();

        const auto& docs = engine->AsyncDocs();
        // A document that two department nodes list is taken once and named a repeat the second time.
        for (const auto& rec : docs.IgnoredList()) {
            if (hostile.contains(rec->DocumentId)) {
                EXPECT_EQ(rec->ErrorDescription, QString::fromUtf16(diadoc::AsyncContents::kRepeatReason));
            }
        }
        int hostileUnloaded = 0;
        for (const auto& rec : docs.UnloadedList()) {
            expectFilesOf(*rec, *byId.value(rec->DocumentId));
            hostileUnloaded += hostile.contains(rec->DocumentId) ? 1 : 0;
        }
        EXPECT_EQ(hostileUnloaded, hostile.size());

        const QString html = out + u"Протокол.htm"_s;
        const QString csv = out + u"Протокол.csv"_s;
        ASSERT_TRUE(engine->WriteProtocolHtml(html, kSummary));
        ASSERT_TRUE(engine->WriteProtocolCsv(csv));
        const QString xlsx = writeExcel(out + u"Протокол.xlsx"_s);

        const QByteArray page = readAll(html);
        EXPECT_TRUE(holdsOnlyPrintableBytes(page));
        EXPECT_TRUE(core::TextCodec::fromCp1251(page).contains(u">Счёт с нулём</a>"_s));
        EXPECT_TRUE(core::TextCodec::fromCp1251(page).contains(u">Акт с управляющими</a>"_s));

        const QByteArray csvBytes = readAll(csv);
        EXPECT_TRUE(holdsOnlyPrintableBytes(csvBytes));
        const QList<QStringList> records = csvRecords(core::TextCodec::fromCp1251(csvBytes));
        ASSERT_EQ(records.size(), docs.Count(4));
        QStringList titles;
        for (const QStringList& fields : records) {
            ASSERT_EQ(fields.size(), 10) << fields.join(u'|').toStdString();
            titles.append(fields[0]);
            for (const QString& field : fields)
                EXPECT_FALSE(!field.isEmpty() && QStringView(u"=+-@\t\r").contains(field.front()))
                    << field.toStdString();
        }
        for (const QString& title : {u"'=1+1"_s, u"'=HYPERLINK(\"http://example.com/\";\"Счёт\")"_s, u"Счёт с нулём"_s,
                                     u"'+7(495)1234567"_s, u"'-2+3"_s, u"'@SUM(1;2)"_s, u"'\t=1+1"_s, u"'\r=1+1"_s})
            EXPECT_TRUE(titles.contains(title)) << title.toStdString();

        const test::XlsxSheet unloaded = test::readXlsx(xlsx).sheet(u"Выгружены"_s);
        QStringList cells;
        for (const auto& [reference, cell] : unloaded.cells) {
            EXPECT_TRUE(cell.formula.isEmpty()) << reference.toStdString();
            EXPECT_FALSE(cell.text.contains(QChar(0))) << reference.toStdString();
            cells.append(cell.text);
        }
        EXPECT_TRUE(cells.contains(u"Счёт с нулём"_s));
        EXPECT_TRUE(cells.contains(u"=1+1"_s)) << "a title is text in the workbook";
    }
}

// The CSV opened in a real spreadsheet: every text stays text, no cell holds a formula.
TEST_F(HostileSandboxTest, TheCsvProtocolOpensInLibreOfficeWithoutAnyFormula)
{
    const QString office = QStandardPaths::findExecutable(u"soffice"_s);
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    signIn(sandboxFolder());
    unloadAll();
    const QString csv = out + u"protocol.csv"_s;
    ASSERT_TRUE(engine->WriteProtocolCsv(csv));

    // Semicolons, quotes, windows-1251 (34), from the first line.
    const testsupport::OfficeRun converted =
        testsupport::convertWithOffice(office,
                                       {u"--infilter=CSV:59,34,34,1"_s, u"--convert-to"_s, u"xlsx"_s, u"--outdir"_s,
                                        dir.path() + u"/converted"_s, csv},
                                       dir.path() + u"/office-profile"_s);
    ASSERT_TRUE(converted.finished) << "LibreOffice did not finish";
    ASSERT_EQ(converted.exitCode, 0) << converted.output.toStdString();

    const test::XlsxBook book = test::readXlsx(dir.path() + u"/converted/protocol.xlsx"_s);
    ASSERT_EQ(book.sheets.size(), 1u);
    QStringList texts;
    for (const auto& [reference, cell] : book.sheets[0].cells) {
        EXPECT_TRUE(cell.formula.isEmpty()) << reference.toStdString() << " = " << cell.formula.toStdString();
        texts.append(cell.text);
    }
    EXPECT_TRUE(texts.contains(u"'=1+1"_s));
    EXPECT_TRUE(texts.contains(u"'=HYPERLINK(\"http://example.com/\";\"Счёт\")"_s));
    EXPECT_TRUE(texts.contains(u"Счёт с нулём"_s));
}

} // namespace
