#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "FetchlingFixture.h"
#include "base/TextCodec.h"
#include "diadoc/AsyncContents.h"
#include "engine/HtmlProtocol.h"
#include "engine/MetadataFile.h"
#include "platform/diadoc/SandboxData.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

using namespace fetchlingtest;

namespace {

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);

using FetchlingRunTest = FetchlingFixture;

// A whole run without any window against the bundled sample: every listed document ends unloaded
// into its pattern folder with its metadata file, or ignored with its reason.
TEST_F(FetchlingRunTest, TickedNodesEndUnloadedOrIgnoredAndNothingIsDropped)
{
    for (const int grouping : {0, 1}) {
        SCOPED_TRACE(grouping);
        options.Set_GroupIntoPackages(grouping);
        if (persons.isEmpty())
            signIn(kSample);
        auto& fetchling = makeEngine();
        prepare({.internal = true, .onlyFinished = true});
        int listed = 0;
        for (const auto& person : persons) {
            if (person->DiadocOrganization->Name() != u"ООО «Ромашка»"_s)
                continue;
            fetchling.MainДобавлениеЗапросовВОчередь(
                person->NodeID, person->Name, out, 0, platform::diadoc::Variant(QDateTime(QDate(2024, 1, 1), QTime())),
                platform::diadoc::Variant(QDateTime(QDate(2024, 12, 31), QTime())));
        }
        fetchling.ПостановкаДокументовВОчередьНаЗагрузку();
        fetchling.ОбработкаВыгруженныхДокументов();
        ASSERT_FALSE(fetchling.isStopped());

        for (const auto& rec : fetchling.AsyncTasks().ExecutedList())
            listed += rec->DocumentsCount;
        const auto& docs = fetchling.AsyncDocs();
        EXPECT_GT(listed, 50);
        EXPECT_EQ(docs.Count(1) + docs.Count(2) + docs.Count(3), 0);
        EXPECT_EQ(docs.Count(4) + docs.Count(5), listed) << "every listed document ends somewhere";
        EXPECT_GT(docs.Count(4), 0);
        EXPECT_GT(docs.Count(5), 0);

        QSet<QString> folders;
        for (const auto& rec : docs.UnloadedList()) {
            EXPECT_TRUE(rec->Path.startsWith(out + u"Ромашка/2024/"_s)) << rec->Path.toStdString();
            EXPECT_TRUE(rec->Path.endsWith(rec->DocumentId.right(4))) << rec->Path.toStdString();
            EXPECT_TRUE(QFile::exists(rec->Path + u'/' + QString::fromUtf16(engine::MetadataFile::kMetadataFileName)));
            EXPECT_TRUE(QFile::exists(rec->Path + u'/' + engine::MetadataFile::documentLinkName(rec->DocumentId)));
            EXPECT_FALSE(folders.contains(rec->Path)) << "two documents in one folder";
            folders.insert(rec->Path);
        }
        for (const auto& rec : docs.IgnoredList())
            EXPECT_FALSE(rec->ErrorDescription.isEmpty()) << rec->DocumentId.toStdString();

        if (grouping != 0) {
            QSet<QString> packages;
            bool packageFolder = false;
            for (const auto& rec : docs.UnloadedList()) {
                if (!rec->PackageId.isEmpty())
                    packages.insert(rec->PackageId);
                packageFolder = packageFolder || rec->Path.contains(u"/Пакет_"_s);
            }
            EXPECT_TRUE(packageFolder);
            EXPECT_LE(fetchling.packageRequests(), packages.size() + docs.Count(5))
                << "a package is asked for once, not once per document";
        }
        QDir(out).removeRecursively();
        QDir().mkpath(out);
    }
}

TEST_F(FetchlingRunTest, UnloadingAgainIntoTheSameTreeReusesEachDocumentsFolder)
{
    for (int i = 1; i <= 3; ++i)
        addDocument(u"same-title-%1-e41b"_s.arg(i), {{u"title"_s, u"Акт"_s}});
    signIn();
    auto& fetchling = makeEngine();
    QStringList first;
    for (int pass = 0; pass < 2; ++pass) {
        prepare({});
        run(nodeKey(u"7701234567"_s, u"770101001"_s));
        QStringList paths;
        for (const auto& rec : fetchling.AsyncDocs().UnloadedList())
            paths.append(rec->DocumentId + u" -> "_s + rec->Path.mid(out.size()));
        paths.sort();
        ASSERT_EQ(paths.size(), 3);
        if (pass == 0)
            first = paths;
        else
            EXPECT_EQ(paths, first);
    }
    EXPECT_EQ(QSet<QString>(first.cbegin(), first.cend()).size(), 3);
    EXPECT_TRUE(first.contains(u"same-title-1-e41b -> Ромашка/2024/Лютик/Акт ~e41b"_s))
        << first.join(u'\n').toStdString();
}

} // namespace

namespace {

const engine::SummaryRows kSummary{{u"Программа"_s, u"N7_Fetchling"_s},
                                   {u"Пользователь"_s, u"buh"_s},
                                   {u"Период"_s, u"с 01.01.2024 по 31.12.2024"_s},
                                   {u"Выгружено"_s, u"1"_s}};

// Counts the Excel protocol's events as the engine relays them.
class ExcelEvents final : public engine::FetchlingListener
{
public:
    void OnBeginExcelProtocol() override { ++begins; }
    void StepChangeExcelProtocol(int count, int step, bool&) override
    {
        lastCount = count;
        lastStep = step;
    }
    void OnEndExcelProtocol() override { ++ends; }
    int begins = 0, ends = 0, lastCount = 0, lastStep = 0;
};

TEST_F(FetchlingRunTest, TheExcelProtocolIsFilledFromTheRunsQueuesWithTheEnginesEvents)
{
    addDocument(u"x1"_s);
    addDocument(u"x2"_s, {{u"deleted"_s, true}});
    signIn();
    auto& fetchling = makeEngine();
    ExcelEvents events;
    fetchling.attach(&events);
    prepare({});
    run(nodeKey(u"7701234567"_s, u"770101001"_s));

    platform::excel::ApplicationOptions appOptions;
    platform::excel::Application app(appOptions);
    app.setSheetsInNewWorkbook(3);
    auto& book = app.Workbooks().Add();
    book.Sheets().Item(1).setName(u"Итоги"_s);
    book.Sheets().Item(2).setName(u"Выгружены"_s);
    book.Sheets().Item(3).setName(u"Не выгружены"_s);
    EXPECT_EQ(fetchling.WriteProtocolExcel(book, kSummary), QString());
    EXPECT_EQ(events.begins, 1);
    EXPECT_EQ(events.ends, 1);
    EXPECT_GE(events.lastCount, 2);
    EXPECT_EQ(events.lastStep, events.lastCount);
    fetchling.detach(&events);
}

// Counts the HTML and CSV protocols' events as the engine relays them.
class TextProtocolEvents final : public engine::FetchlingListener
{
public:
    void OnBeginHtmlProtocol() override { ++htmlBegins; }
    void StepChangeHtmlProtocol(int, int, bool&) override { ++htmlSteps; }
    void OnEndHtmlProtocol() override { ++htmlEnds; }
    void OnBeginCsvProtocol() override { ++csvBegins; }
    void StepChangeCsvProtocol(int, int, bool&) override { ++csvSteps; }
    void OnEndCsvProtocol() override { ++csvEnds; }
    int htmlBegins = 0, htmlSteps = 0, htmlEnds = 0, csvBegins = 0, csvSteps = 0, csvEnds = 0;
};

TEST_F(FetchlingRunTest, TheHtmlAndCsvProtocolsListTheRunsDocumentsWithTheEnginesEvents)
{
    addDocument(u"kept"_s);
    addDocument(u"gone"_s, {{u"deleted"_s, true}});
    signIn();
    auto& fetchling = makeEngine();
    TextProtocolEvents events;
    fetchling.attach(&events);
    prepare({});
    run(nodeKey(u"7701234567"_s, u"770101001"_s));

    QTemporaryDir protocols;
    const QString html = protocols.filePath(u"protocol.htm"_s);
    const QString csv = protocols.filePath(u"protocol.csv"_s);
    ASSERT_TRUE(fetchling.WriteProtocolHtml(html, kSummary));
    ASSERT_TRUE(fetchling.WriteProtocolCsv(csv));
    fetchling.detach(&events);

    EXPECT_EQ(events.htmlBegins, 1);
    EXPECT_EQ(events.htmlEnds, 1);
    EXPECT_GT(events.htmlSteps, 0);
    EXPECT_EQ(events.csvBegins, 1);
    EXPECT_EQ(events.csvEnds, 1);
    QFile page(html);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = core::TextCodec::fromCp1251(page.readAll());
    EXPECT_TRUE(text.contains(u"Удалённый документ"_s)) << "the ignored document is listed with its reason";
    QFile rows(csv);
    ASSERT_TRUE(rows.open(QIODevice::ReadOnly));
    EXPECT_EQ(rows.readAll().count("\r\n"), fetchling.AsyncDocs().UnloadedList().Count())
        << "the CSV lists the unloaded documents, one line each";
    EXPECT_EQ(engine::Fetchling::picturecode(QString()), engine::HtmlProtocol::picturecode(QString()));
}

} // namespace
