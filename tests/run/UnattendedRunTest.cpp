#include <filesystem>

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/OperationTimeOut.h"
#include "run/DateRules.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultEffect;
using platform::diadoc::FaultRule;
using testsupport::kProtocolPrefix;
using testsupport::kSample;

namespace {

using UnattendedRunTest = testsupport::RunFixture;

TEST_F(UnattendedRunTest, TheSampleEndsUnloadedOrIgnoredWithEveryChosenProtocol)
{
    auto run = makeRun();
    const auto result = run->run();

    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.endText, u"Выгрузка документов завершена."_s);
    EXPECT_EQ(result.unloadFolder, out());
    EXPECT_EQ(result.ticked, 5) << "two paid organisations and three departments; the unpaid one stays unticked";
    EXPECT_EQ(result.listed, documentsForTickedNodes(*run));
    EXPECT_EQ(result.left, 0);
    EXPECT_EQ(result.unloaded + result.ignored, result.listed) << "nothing is dropped";
    EXPECT_GT(result.unloaded, 100);
    EXPECT_GT(result.ignored, 0);
    expectFiled(run->fetchling(), out());

    ASSERT_EQ(result.protocols.size(), 3);
    EXPECT_TRUE(result.protocols.at(0).endsWith(u".htm"_s));
    EXPECT_TRUE(result.protocols.at(1).endsWith(u".xlsx"_s));
    EXPECT_TRUE(result.protocols.at(2).endsWith(u".csv"_s));
    for (const QString& file : result.protocols) {
        EXPECT_TRUE(file.startsWith(out() + kProtocolPrefix)) << file.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 0) << file.toStdString();
    }
    QFile html(result.protocols.at(0));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString page = core::TextCodec::fromCp1251(html.readAll());
    EXPECT_TRUE(page.contains(u"Количество успешно выгруженных документов:"_s));
    EXPECT_TRUE(page.contains(u"ООО «Ромашка» (7701234567/770101001)\\Филиал «Север»"_s)
                || page.contains(u"ООО &laquo;Ромашка&raquo; (7701234567/770101001)\\"_s))
        << "the ticked department is listed with its full path";
    EXPECT_TRUE(ui.boxes.empty()) << "a saved Excel protocol ends an unattended run without a message";
}

TEST_F(UnattendedRunTest, TheSummaryRowsFollowTheRunsChoicesAndCounts)
{
    options.Set_Finished(0);
    options.Set_OrgChecked(u"org5003012345/500301001"_s, 0);
    auto run = makeRun();
    const auto result = run->run();

    const auto html = run->summaryRows(u"html"_s);
    const auto xls = run->summaryRows(u"xls"_s);
    QStringList captions;
    for (const auto& row : html)
        captions.append(row.caption);
    EXPECT_EQ(html.at(2).value, u"с 01.01.2024 по 31.12.2024"_s);
    EXPECT_TRUE(captions.contains(u"Выгружать документы с отказом ответной подписи:"_s))
        << "the rejected-signature row shows when not only finished documents are asked for";
    EXPECT_TRUE(captions.contains(u"Выгрузка завершена:"_s));
    EXPECT_FALSE(captions.contains(u"Справочно: Счетчик неудачных попыток запросов списков документов:"_s));
    EXPECT_TRUE(captions.contains(u"    ООО «Ромашка» (7701234567/770101001)\\Филиал «Север»\\Склад г. Архангельск"_s));
    EXPECT_FALSE(captions.contains(u"    АО «Василёк» (5003012345/500301001)"_s)) << "an unticked organisation";
    EXPECT_EQ(captions.at(captions.size() - 5), u"Организации и подразделения, выбранные для выгрузки документов:"_s);
    ASSERT_EQ(html.size(), xls.size());
    for (qsizetype i = 1; i < html.size(); ++i) {
        if (html.at(i).caption == u"Количество успешно выгруженных документов:"_s) {
            EXPECT_EQ(html.at(i).value, QString::number(result.unloaded));
            EXPECT_EQ(xls.at(i).value, QString::number(result.unloaded) + u" (cм. лист \"Выгружены\")"_s);
        } else if (html.at(i).caption == u"Количество не выгруженных документов:"_s) {
            EXPECT_EQ(xls.at(i).value, QString::number(result.ignored) + u" (cм. лист \"Не выгружены\")"_s);
        } else {
            EXPECT_EQ(html.at(i).value, xls.at(i).value) << html.at(i).caption.toStdString();
        }
    }
}

TEST_F(UnattendedRunTest, ASecondRunOverTheSameTreeGivesTheSameTree)
{
    options.Set_GroupIntoPackages(1);
    makeRun()->run();
    const auto first = tree();
    ASSERT_GT(first.size(), 300);
    clock.sleep(60000);
    makeRun()->run();
    const auto second = tree();
    EXPECT_EQ(second.keys(), first.keys());
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        EXPECT_EQ(second.value(it.key()), it.value()) << it.key().toStdString();
    int protocols = 0;
    for (const QString& name : QDir(out()).entryList(QDir::Files))
        protocols += name.startsWith(kProtocolPrefix) ? 1 : 0;
    EXPECT_EQ(protocols, 6) << "each run adds its own three protocols";
}

TEST_F(UnattendedRunTest, ARunThatCannotStartRaisesItsReason)
{
    struct Case
    {
        const char* name;
        std::function<void(core::mFetchlingOptions&)> change;
        QString text;
    } cases[] = {
        {"wrong password", [](auto& o) { o.Set_Password(u"не тот"_s); },
         u"Попытка авторизации с логином \"buh@romashka.ru\" завершилась с ошибкой \"Неверный логин или пароль\"."_s},
        {"no login", [](auto& o) { o.Set_Login(QString()); }, u"Вы не авторизованы в Диадок. Требуется авторизация."_s},
        {"no folder", [](auto& o) { o.Set_Path(QString()); }, u"Выберите папку для сохранения файлов Диадок."_s},
        {"system folder", [](auto& o) { o.Set_Path(u"/var/lib/n7-fetchling-out"_s); },
         u"В системные папки выгрузка запрещена.\r\nУкажите другую папку для выгрузки."_s},
        {"home folder", [this](auto& o) { o.Set_Path(dir.filePath(u"users/me/out"_s)); },
         u"\" крайне не рекомендуется.\r\nЖелательно выбрать папки вне специальных папок Windows."_s},
        {"folder that cannot be made",
         [this](auto& o) {
             QFile plain(dir.filePath(u"plain"_s));
             EXPECT_TRUE(plain.open(QIODevice::WriteOnly));
             o.Set_Path(plain.fileName() + u"/out"_s);
         },
         u"\" для сохранения файлов Диадок."_s},
        // A stored start that is no date is today's, after the stored end.
        {"bad period", [](auto& o) { o.Set_FromDate(u"31.02.2024"_s); },
         u"Период выгрузки задан неверно: дата начала (15.01.2025) позже даты окончания (31.12.2024)."_s},
        {"period that ends before it starts",
         [](auto& o) {
             o.Set_FromDate(u"01.02.2024"_s);
             o.Set_ToDate(u"31.01.2024"_s);
         },
         u"дата начала (01.02.2024) позже даты окончания (31.01.2024)."_s},
        {"no sandbox", [](auto& o) { o.Set_DiadocServerURL(u"https://example.invalid"_s); },
         u"Вы не авторизованы в Диадок."_s},
        {"nothing ticked",
         [](auto& o) {
             o.Set_OrgChecked(u"org7701234567/770101001"_s, 0);
             o.Set_OrgChecked(u"org5003012345/500301001"_s, 0);
             for (const auto* dep : {u"depdep-sever", u"depdep-sever-sklad", u"depdep-yug"})
                 o.Set_OrgChecked(QString::fromUtf16(dep), 0);
         },
         u"Не выбрано ни одного подразделения."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app::DemoSettings::write(options, kSample, out());
        c.change(options);
        try {
            makeRun()->run();
            ADD_FAILURE() << "the run started";
        } catch (const core::Error& e) {
            EXPECT_TRUE(e.description().contains(c.text)) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(u"UnattendedRun"_s)) << "the error carries its place";
        }
        EXPECT_FALSE(QDir(out()).exists() && !QDir(out()).isEmpty()) << "nothing was unloaded";
    }
    EXPECT_FALSE(QDir(u"/var/lib/n7-fetchling-out"_s).exists());
}

// The period comes from the date rules as a window would offer it; the end date is kept for the
// next run only after a run that went to its end with every list.
TEST_F(UnattendedRunTest, TheDateRulesGiveThePeriodAndTheEndDateIsKeptOnlyAfterAWholeRun)
{
    options.Set_TimeOut(1);
    options.Set_DateBeginMove(1);
    options.Set_DateEndYesterday(1);
    options.Set_LastDateEnd(u"01.07.2024"_s);
    const auto runWith = [&](std::optional<FaultRule> rule) {
        service()->clearFaults();
        if (rule)
            service()->addFault(*rule);
        return makeRun()->run();
    };

    FaultRule writeError;
    writeError.operation = u"SaveContentResult"_s;
    writeError.text = u"Ошибка записи в файл"_s;
    const auto stopped = runWith(writeError);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.from, u"01.07.2024"_s);
    EXPECT_EQ(stopped.to, u"14.01.2025"_s) << "yesterday of the clock's 15 January 2025";
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"01.07.2024"_s);

    FaultRule listError;
    listError.operation = u"GetDocumentsAsync"_s;
    listError.organization = u"box-vasilek"_s;
    listError.text = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
    const auto incomplete = runWith(listError);
    EXPECT_FALSE(incomplete.stopped);
    EXPECT_GT(incomplete.listsFailed, 0);
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"01.07.2024"_s);

    const auto whole = runWith(std::nullopt);
    EXPECT_TRUE(whole.complete());
    EXPECT_GT(whole.unloaded, 0);
    EXPECT_EQ(whole.from, u"01.07.2024"_s);
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"14.01.2025"_s);
    EXPECT_EQ(run::DateRules::atStart(options, QDate(2025, 1, 16)).from, QDate(2025, 1, 14))
        << "the next run starts where this one ended";
}

// A folder that this process cannot write to is refused before the run: no run of nothing.
TEST_F(UnattendedRunTest, AReadOnlyUnloadFolderIsRefused)
{
    const QString path = dir.filePath(u"readonly"_s);
    const testsupport::ReadOnlyFolder readOnly(path);
    if (!readOnly.ready())
        GTEST_SKIP() << "no folder refuses files to this user here";
    options.Set_Path(path);
    try {
        makeRun()->run();
        ADD_FAILURE() << "the run started";
    } catch (const core::Error& e) {
        EXPECT_TRUE(e.description().contains(u"Не удалось создать папку \""_s + path + u"/\""_s))
            << e.description().toStdString();
    }
}

// A write error from the service stops the run with its message and still gives the protocols.
TEST_F(UnattendedRunTest, AWriteErrorStopsTheRunWithItsMessageAndTheProtocols)
{
    options.Set_TimeOut(1);
    FaultRule rule;
    rule.operation = u"SaveContentResult"_s;
    rule.text = u"Ошибка записи в файл"_s;
    service()->addFault(rule);

    auto run = makeRun();
    const auto result = run->run();

    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.stopReason, u"Ошибка записи в файл"_s);
    ASSERT_FALSE(ui.boxes.empty());
    const QStringList lines = ui.boxes.front().prompt.split(u"\r\n"_s);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.at(0), u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической "
                           u"ошибкой \"Ошибка записи в файл\"."_s);
    EXPECT_EQ(lines.at(1), u"Процесс выгрузки документов будет остановлен."_s);
    if (lines.size() > 2) {
        EXPECT_EQ(lines.size(), 6);
        EXPECT_TRUE(lines.at(4).startsWith(u"Свободное место на диске "_s)) << lines.at(4).toStdString();
    }
    EXPECT_EQ(result.endText, u"Выгрузка документов прервана."_s);
    EXPECT_EQ(result.protocols.size(), 3);
}

// Lists and downloads that fail at every attempt are given up at the cap: the run goes to its end,
// but its end text, printed summary, protocols and exit code say what was given up.
TEST_F(UnattendedRunTest, WhatFailedForGoodIsCountedAndTheRunEndsWithItsOwnExitCode)
{
    options.Set_TimeOut(1);
    QString target;
    {
        auto clean = makeRun();
        const auto result = clean->run();
        ASSERT_TRUE(result.complete());
        EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitDone);
        target = clean->fetchling().AsyncDocs().UnloadedList().Item(5)->DocumentId;
        QDir(out()).removeRecursively();
    }
    FaultRule lists;
    lists.operation = u"GetDocumentsAsync"_s;
    lists.organization = u"box-vasilek"_s;
    lists.text = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
    service()->addFault(lists);
    FaultRule download;
    download.operation = u"SaveContentResult"_s;
    download.document = target;
    download.text = u"COM1C[0x80004005]Unspecified error"_s;
    service()->addFault(download);

    auto run = makeRun();
    const auto result = run->run();

    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.left, 0);
    const auto& tasks = run->fetchling().AsyncTasks();
    EXPECT_GT(result.listsFailed, 0);
    EXPECT_EQ(result.listsFailed, tasks.Count(2)) << "only requests failed for good stay in the secondary queue";
    for (const auto& rec : tasks.SecondaryQueue())
        EXPECT_EQ(rec->KeyОрганизацииВКоллекции, u"org5003012345/500301001"_s);
    EXPECT_LT(result.listed, documentsForTickedNodes(*run));
    EXPECT_EQ(result.downloadsFailed, 1);
    EXPECT_EQ(result.listFailures, result.listsFailed * diadoc::AsyncTasks::kMaxAttempts);
    EXPECT_EQ(result.downloadFailures, diadoc::AsyncContents::kMaxAttempts - 1);
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitIncomplete);

    const QStringList end = result.endText.split(u"\r\n"_s);
    ASSERT_EQ(end.size(), 3) << result.endText.toStdString();
    EXPECT_EQ(end.at(0), u"Выгрузка документов завершена с ошибками."_s);
    EXPECT_EQ(end.at(1), u"Не получено списков документов (все попытки запроса неудачны): "_s
                             + QString::number(result.listsFailed) + u'.');
    EXPECT_EQ(end.at(2), u"Не выгружено документов из-за ошибок выгрузки: 1."_s);
    EXPECT_TRUE(result.endMessage.startsWith(result.endText));
    EXPECT_TRUE(run::PrintingObserver::summaryLines(result).contains(
        u"Не получено списков (все попытки неудачны): %1, не выгружено из-за ошибок выгрузки: 1"_s.arg(
            result.listsFailed)));

    QHash<QString, QString> rows;
    for (const auto& row : run->summaryRows(u"xls"_s))
        rows.insert(row.caption, row.value);
    EXPECT_EQ(rows.value(u"Количество запросов списков документов, не выполненных после всех попыток:"_s),
              QString::number(result.listsFailed));
    EXPECT_EQ(rows.value(u"Из них не выгружено из-за ошибок выгрузки:"_s), u"1 (cм. лист \"Не выгружены\")"_s);
    ASSERT_EQ(result.protocols.size(), 3);
    QFile html(result.protocols.at(0));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    EXPECT_TRUE(core::TextCodec::fromCp1251(html.readAll())
                    .contains(u"Количество запросов списков документов, не выполненных после всех попыток:"_s));
}

// Operations that never complete, a list of one box and one document's archive, are judged failed
// at the time-out and given up at the cap: the run ends, with its protocols and exit code 3.
TEST_F(UnattendedRunTest, OperationsThatNeverCompleteAreGivenUpAndTheRunEnds)
{
    options.Set_TimeOut(1);
    options.Set_LoadContentByZip(1);
    QString target;
    {
        auto clean = makeRun();
        clean->run();
        target = clean->fetchling().AsyncDocs().UnloadedList().Item(3)->DocumentId;
        QDir(out()).removeRecursively();
    }
    FaultRule list;
    list.operation = u"GetDocumentsResult"_s;
    list.organization = u"box-vasilek"_s;
    list.effect = FaultEffect::Never;
    service()->addFault(list);
    FaultRule download;
    download.operation = u"SaveAllContentZipAsync"_s;
    download.document = target;
    download.effect = FaultEffect::Never;
    service()->addFault(download);
    clock.deadlineMs = clock.nowMs() + 6LL * 3600 * 1000;

    auto run = makeRun();
    const auto result = run->run();

    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.left, 0);
    EXPECT_GT(result.listsFailed, 0);
    EXPECT_EQ(result.downloadsFailed, 1);
    for (const auto& rec : run->fetchling().AsyncTasks().SecondaryQueue())
        EXPECT_EQ(rec->ErrorDescription, QString::fromUtf16(diadoc::kOperationTimeOutText));
    for (const auto& rec : run->fetchling().AsyncDocs().IgnoredList()) {
        if (rec->DocumentId == target) {
            EXPECT_EQ(rec->ErrorDescription, QString::fromUtf16(diadoc::kOperationTimeOutText));
        }
    }
    EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitIncomplete);
    EXPECT_EQ(result.protocols.size(), 3);
    EXPECT_TRUE(ui.boxes.empty()) << "a time-out is no fatal failure";
}

// A copy of the sample whose downloads complete on the given poll.
QString sampleCopy(const QString& folder, int contentPolls)
{
    std::filesystem::copy(QFile::encodeName(kSample).toStdString(), QFile::encodeName(folder).toStdString(),
                          std::filesystem::copy_options::recursive);
    QFile file(folder + u"/sandbox.json"_s);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    root.insert(u"contentAsync"_s, QJsonObject{{u"polls"_s, contentPolls}});
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(root).toJson());
    return folder;
}

// Downloads that cannot start (a plain file stands where a counterparty's folder should go) leave
// no download in flight while the waiting documents are at the memory limit: the download queue
// still starts, and the run goes to its end.
TEST_F(UnattendedRunTest, AtTheMemoryLimitWithNoDownloadInFlightTheDownloadsStillStart)
{
    const QString sandbox = sampleCopy(dir.filePath(u"slow-sample"_s), 4);
    const auto configure = [&] {
        app::DemoSettings::write(options, sandbox, out());
        options.Set_LimitDocsInMemory(3);
        options.Set_DocsLimit(1);
        options.Set_TasksLimit(1);
        options.Set_TimeOut(1);
    };
    configure();
    QString counterparty;
    int total = 0;
    {
        auto clean = makeRun();
        const auto result = clean->run();
        ASSERT_TRUE(result.complete());
        total = result.listed;
        // The counterparty folder of the first document unloaded: below it the document's own folder.
        counterparty = QFileInfo(clean->fetchling().AsyncDocs().UnloadedList().Item(1)->Path).path();
        QDir(out()).removeRecursively();
    }
    ASSERT_TRUE(counterparty.startsWith(out())) << counterparty.toStdString();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(counterparty).path()));
    QFile plain(counterparty);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    configure();
    clock.deadlineMs = clock.nowMs() + 24LL * 3600 * 1000;

    auto run = makeRun();
    const auto result = run->run();

    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.left, 0);
    EXPECT_EQ(result.listed, total);
    EXPECT_EQ(result.unloaded + result.ignored, result.listed);
    EXPECT_GT(result.downloadsFailed, 0) << "the documents of that counterparty could not be filed";
    int refused = 0;
    for (const auto& rec : run->fetchling().AsyncDocs().IgnoredList())
        refused += rec->ErrorDescription == u"Не удалось создать папку: "_s + rec->Path ? 1 : 0;
    EXPECT_EQ(refused, result.downloadsFailed);
}

// A generated sandbox of several organisations over two years, with hostile titles.
class GeneratedSandboxTest : public UnattendedRunTest
{
protected:
    run::RunOutcome runGenerated()
    {
        platform::diadoc::SandboxGenerator::Settings settings;
        settings.documents = 1000;
        settings.extraOrganizations = 2;
        settings.extraCounterparties = 40;
        settings.years = 2;
        settings.hostileTitles = true;
        settings.polls = 0;
        sandbox = dir.filePath(u"generated"_s);
        platform::diadoc::SandboxGenerator::write(sandbox, settings);
        app::DemoSettings::write(options, sandbox, out(), u"01.01.2024"_s, u"31.12.2025"_s);
        options.Set_Finished(0);
        run = makeRun();
        return run->run();
    }

    QString sandbox;
    std::unique_ptr<run::UnattendedRun> run;
};

TEST_F(GeneratedSandboxTest, EveryListedDocumentIsFiledInsideTheUnloadFolder)
{
    const auto result = runGenerated();
    EXPECT_GT(result.listed, 700);
    EXPECT_EQ(result.unloaded + result.ignored, result.listed);
    EXPECT_EQ(result.left, 0);
    expectFiled(run->fetchling(), out());
    QDirIterator everything(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (everything.hasNext()) {
        const QString path = everything.next();
        EXPECT_TRUE(path.startsWith(out()) || path.startsWith(sandbox)) << path.toStdString();
    }
}

// Every document of the period is in some list: the two types listed by send date by the day it was
// sent, every other type by its own date.
TEST_F(GeneratedSandboxTest, EveryDocumentOfTheTickedNodesIsListed)
{
    const auto result = runGenerated();
    QSet<QString> listed;
    for (const auto& rec : run->fetchling().AsyncDocs().UnloadedList())
        listed.insert(rec->DocumentId);
    for (const auto& rec : run->fetchling().AsyncDocs().IgnoredList())
        listed.insert(rec->DocumentId);
    QStringList missing;
    for (const auto& doc : service()->data().documents)
        if (doc.direction != u"Internal"_s && inPeriod(doc, QDate(2025, 12, 31)) && !listed.contains(doc.documentId))
            missing.append(doc.documentId + u' ' + doc.organizationId + u' ' + doc.departmentId + u' '
                           + doc.timestamp.toString(Qt::ISODate) + u' ' + doc.type + u' '
                           + (doc.documentDate.isDate() ? doc.documentDate.toDate().toString(Qt::ISODate)
                                                        : doc.documentDate.toText()));
    EXPECT_TRUE(missing.isEmpty()) << missing.join(u'\n').toStdString();
    EXPECT_EQ(result.listed, documentsForTickedNodes(*run, QDate(2025, 12, 31)));
}

// The sample with faults on: list requests that fail once, downloads that fail and are retried,
// downloads that keep failing, a hostile and a truncated archive, content that writes no files.
class UnattendedFaultsTest : public UnattendedRunTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(UnattendedFaultsTest, EveryListedDocumentEndsUnloadedOrIgnoredWithItsReason)
{
    const bool zip = GetParam();
    options.Set_LoadContentByZip(zip ? 1 : 0);
    options.Set_TimeOut(5);
    // A clean pass names the documents that would be unloaded; the faults go to those.
    QStringList targets;
    {
        auto clean = makeRun();
        clean->run();
        for (const auto& rec : clean->fetchling().AsyncDocs().UnloadedList())
            targets.append(rec->DocumentId);
        QDir(out()).removeRecursively();
    }
    ASSERT_GT(targets.size(), 60);
    const QString saveAll = zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s;
    const auto fault = [&](int n, const QString& operation, FaultEffect effect, const QString& text,
                           int firstAttempts) {
        FaultRule rule;
        rule.operation = operation;
        rule.document = targets.at(n);
        rule.effect = effect;
        rule.text = text;
        rule.firstAttempts = firstAttempts;
        service()->addFault(rule);
    };
    const QString unspecified = u"COM1C[0x80004005]Unspecified error"_s;
    const QString denied = u"WIN32[0x00000005]Access is denied."_s;
    // Retried, then unloaded.
    fault(3, saveAll, FaultEffect::Error, unspecified, 1);
    fault(5, u"SaveContentResult"_s, FaultEffect::False, {}, 1);
    fault(7, saveAll, FaultEffect::Nothing, {}, 1);
    // Never unloaded; a truncated archive only in ZIP mode, where there is an archive.
    QStringList lost{targets.at(11), targets.at(19), targets.at(23)};
    fault(11, u"SaveContentResult"_s, FaultEffect::Error, denied, 0);
    fault(19, u"SaveContentResult"_s, FaultEffect::NoFiles, {}, 0);
    fault(23, u"SaveContentResult"_s, FaultEffect::False, {}, 0);
    fault(17, u"SaveContentResult"_s, FaultEffect::Truncated, {}, 0);
    if (zip)
        lost.append(targets.at(17));
    // A hostile archive is unpacked flat inside the document's folder.
    fault(13, u"SaveContentResult"_s, FaultEffect::Hostile, {}, 0);
    // Some list requests fail once.
    for (const QString& box : {u"box-vasilek"_s, u"box-romashka"_s}) {
        FaultRule rule;
        rule.operation = u"GetDocumentsAsync"_s;
        rule.organization = box;
        rule.text = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
        rule.firstAttempts = 1;
        service()->addFault(rule);
    }
    FaultRule late;
    late.operation = u"GetDocumentsResult"_s;
    late.organization = u"box-vasilek"_s;
    late.effect = FaultEffect::Nothing;
    late.attempt = 2;
    service()->addFault(late);

    auto run = makeRun();
    const auto result = run->run();

    EXPECT_FALSE(result.stopped) << result.stopReason.toStdString();
    EXPECT_EQ(result.left, 0);
    EXPECT_EQ(result.listed, documentsForTickedNodes(*run)) << "failed list requests were asked again";
    EXPECT_EQ(result.unloaded + result.ignored, result.listed) << "nothing is dropped";
    EXPECT_GE(result.listFailures, 3);
    EXPECT_GE(result.downloadFailures, 3);
    EXPECT_EQ(result.unloaded, targets.size() - lost.size());
    EXPECT_EQ(result.downloadsFailed, lost.size()) << "the documents left out by the run's rules are not counted";
    EXPECT_EQ(result.listsFailed, 0);
    EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitIncomplete);
    expectFiled(run->fetchling(), out());

    QHash<QString, QString> reasons;
    for (const auto& rec : run->fetchling().AsyncDocs().IgnoredList())
        reasons.insert(rec->DocumentId, rec->ErrorDescription);
    for (const QString& id : lost)
        EXPECT_FALSE(reasons.value(id).isEmpty()) << targets.indexOf(id);
    EXPECT_TRUE(reasons.value(targets.at(11)).contains(denied)) << reasons.value(targets.at(11)).toStdString();

    // Nothing escaped the unload folder, nor the document's own folder.
    QDirIterator everything(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (everything.hasNext()) {
        const QString path = everything.next();
        EXPECT_TRUE(path.startsWith(out())) << path.toStdString();
    }
    EXPECT_FALSE(QFile::exists(u"/tmp/absolute.txt"_s));
    if (zip) {
        QString hostileFolder;
        for (const auto& rec : run->fetchling().AsyncDocs().UnloadedList())
            if (rec->DocumentId == targets.at(13))
                hostileFolder = rec->Path;
        ASSERT_FALSE(hostileFolder.isEmpty()) << "the hostile archive's document is unloaded";
        QDirIterator inside(hostileFolder, QDir::Files, QDirIterator::Subdirectories);
        QStringList names;
        while (inside.hasNext())
            names.append(inside.next().mid(hostileFolder.size() + 1));
        EXPECT_TRUE(names.contains(u"climb.txt"_s)) << names.join(u", "_s).toStdString();
        for (const QString& name : names)
            EXPECT_FALSE(name.contains(u'/')) << "entries are flattened: " << name.toStdString();
    }
    ASSERT_EQ(result.protocols.size(), 3);
    const auto rows = run->summaryRows(u"html"_s);
    const bool counted = std::any_of(rows.cbegin(), rows.cend(), [&](const engine::SummaryRow& row) {
        return row.caption == u"Справочно: Счетчик неудачных попыток выгрузок документов:"_s
               && row.value == QString::number(result.downloadFailures);
    });
    EXPECT_TRUE(counted);
}

INSTANTIATE_TEST_SUITE_P(BothModes, UnattendedFaultsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

} // namespace
