#include <map>
#include <vector>

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "diadoc/AsyncTskRecord.h"
#include "run/FailureWatch.h"
#include "run/NodeKey.h"
#include "run/PumpingClock.h"
#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/UnloadFolderLock.h"

using namespace Qt::StringLiterals;

namespace {

using RunTest = testsupport::RunFixture;

TEST(NodeKeyTest, KeysReadAsTheEngineAndTheSettingsTakeThem)
{
    const run::NodeKey org = run::NodeKey::organisation(u"7701234567"_s, u"770101001"_s);
    const run::NodeKey dep = org.department(u"dep-sever"_s);
    const run::NodeKey sub = dep.department(u"dep-sever-sklad"_s);
    EXPECT_EQ(org.text(), u"org7701234567/770101001"_s);
    EXPECT_EQ(sub.text(), u"org7701234567/770101001|depdep-sever|depdep-sever-sklad"_s);
    EXPECT_EQ(org.storedName(), u"org7701234567/770101001"_s);
    EXPECT_EQ(sub.storedName(), u"depdep-sever-sklad"_s);
    EXPECT_EQ(sub.departmentId(), u"dep-sever-sklad"_s);
    EXPECT_EQ(sub.organisationKey(), org.text());
    EXPECT_EQ(sub.parent(), dep);
    EXPECT_EQ(dep.parent(), org);
    EXPECT_TRUE(sub.isWithin(org));
    EXPECT_FALSE(org.isWithin(dep));
    for (const auto& key : {org, dep, sub})
        EXPECT_EQ(run::NodeKey::parse(key.text()), key);
    EXPECT_TRUE(run::NodeKey::parse(u"dep-x"_s).isEmpty());
    // An organisation without KPP ends with "/" and stays whole.
    EXPECT_EQ(run::NodeKey::parse(u"org123/|depa"_s).organisationKey(), u"org123/"_s);
}

// An observer that can act from inside the run's events, as a window's stop question does.
class ActingObserver final : public run::RunObserver
{
public:
    std::function<void(engine::Fetchling&)> onStart;
    std::function<void()> onList;
    int ended = 0;
    void runStarted(engine::Fetchling& engine) override
    {
        if (onStart)
            onStart(engine);
    }
    void maxDocsInOneListChanged(int) override
    {
        if (onList)
            onList();
    }
    void runEnded(const run::RunOutcome&) override { ++ended; }
};

run::RunRequest requestFor(const run::SignIn::Outcome& signedIn, const QString& folder)
{
    run::RunRequest request;
    request.unloadFolder = folder;
    request.from = QDate(2024, 1, 1);
    request.to = QDate(2024, 12, 31);
    request.nodes = signedIn.organisations.nodes;
    return request;
}

TEST_F(RunTest, SummaryRowsBeforeAnyRunHaveZeroCounts)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto rows = runner.summaryRows(u"html"_s);
    ASSERT_GT(rows.size(), 15);
    EXPECT_EQ(runner.engine(), nullptr);
    bool counted = false;
    for (const auto& row : rows)
        if (row.caption == u"Количество успешно выгруженных документов:"_s)
            counted = row.value == u"0"_s;
    EXPECT_TRUE(counted);
}

TEST_F(RunTest, ARunRefusesToStartFromItsOwnEventsAndTheStopEndsItBeforeTheNextNode)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    ASSERT_FALSE(signedIn.organisations.persons->isEmpty()) << signedIn.text.toStdString();
    const run::RunRequest request = requestFor(signedIn, out());
    QDir().mkpath(out());

    QString refusal;
    acting.onStart = [&](engine::Fetchling&) {
        EXPECT_TRUE(runner.isBusy());
        try {
            runner.execute(request, signedIn.organisations);
        } catch (const core::Error& e) {
            refusal = e.description();
        }
    };
    acting.onList = [&] { runner.requestStop(); };
    const auto outcome = runner.execute(request, signedIn.organisations);

    EXPECT_TRUE(refusal.contains(u"Выгрузка документов уже идёт."_s)) << refusal.toStdString();
    EXPECT_FALSE(runner.isBusy());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.stopReason.isEmpty());
    EXPECT_EQ(outcome.endText, u"Выгрузка документов прервана."_s);
    EXPECT_EQ(acting.ended, 1);
    QStringList captions;
    for (const auto& row : runner.summaryRows(u"html"_s))
        captions.append(row.caption);
    EXPECT_TRUE(captions.contains(u"Выгрузка остановлена пользователем:"_s));

    // A second run of the same object replaces the engine and its watch, and is not stopped.
    acting.onStart = {};
    acting.onList = {};
    const auto second = runner.execute(request, signedIn.organisations);
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(second.left, 0);
    EXPECT_GT(second.unloaded, 100);
}

// Writes down which engine each call names, with the size of its download queue then.
class BindingObserver final : public run::RunObserver
{
public:
    QStringList calls;
    std::vector<const engine::Fetchling*> engines;
    void runStarted(engine::Fetchling& engine) override
    {
        calls.append(u"started"_s);
        engines.push_back(&engine);
    }
    void releasingEngine(engine::Fetchling& engine) override
    {
        calls.append(u"releasing %1"_s.arg(engine.AsyncDocs().Count()));
        engines.push_back(&engine);
    }
};

TEST_F(RunTest, TheQueuesAWindowShowsAreLetGoWhileTheyStillStandBeforeTheNextRun)
{
    BindingObserver binding;
    run::Run runner(services, binding);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    const run::RunRequest request = requestFor(signedIn, out());
    QDir().mkpath(out());
    const auto first = runner.execute(request, signedIn.organisations);
    runner.execute(request, signedIn.organisations);
    const QString documents = QString::number(first.unloaded + first.ignored);
    EXPECT_EQ(binding.calls, (QStringList{u"started"_s, u"releasing "_s + documents, u"started"_s}));
    ASSERT_EQ(binding.engines.size(), 3u);
    EXPECT_EQ(binding.engines[0], binding.engines[1]);
}

TEST_F(RunTest, TheRunsSummaryKeepsTheChoicesItStartedWith)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    run::RunRequest request = requestFor(signedIn, out());
    request.flags.onlyFinished = false;
    request.flags.withRevoked = true;
    QDir().mkpath(out());
    options.Set_Revoked(0);
    runner.execute(request, signedIn.organisations);
    const auto rows = runner.summaryRows(u"html"_s);
    bool revoked = false;
    for (const auto& row : rows)
        if (row.caption == u"Выгружать аннулированные документы:"_s)
            revoked = row.value == u"Да"_s;
    EXPECT_TRUE(revoked);
}

TEST_F(RunTest, AWindowsWaitIsCutIntoSlicesBetweenWhichItsMessagesAreHandled)
{
    run::PumpingClock pumping(clock, ui);
    const qint64 start = clock.nowMs();
    pumping.sleep(1000);
    EXPECT_EQ(clock.nowMs() - start, 1000);
    EXPECT_GE(ui.processEventsCalls, 1000 / run::PumpingClock::kSliceMs);
}

} // namespace

namespace {

// What a run reports at its end (summary, protocols, stop reason) and what of it reaches the next run.
using RunEndAndProtocolsTest = testsupport::RunFixture;

// An observer that records the protocol events and can act when a protocol begins.
class ProtocolObserver final : public run::RunObserver
{
public:
    std::function<void(run::ProtocolKind)> onBegin;
    std::function<void()> onStart;
    QStringList events;
    void runStarted(engine::Fetchling&) override
    {
        if (onStart)
            onStart();
    }
    void protocolBegins(run::ProtocolKind kind) override
    {
        events.append(u"begin"_s);
        if (onBegin)
            onBegin(kind);
    }
    void protocolsWritten() override { events.append(u"written"_s); }
    void runEnded(const run::RunOutcome&) override { events.append(u"ended"_s); }
};

QString rowValue(const engine::SummaryRows& rows, const QString& caption)
{
    for (const auto& row : rows)
        if (row.caption == caption)
            return row.value;
    return u"<missing>"_s;
}

TEST_F(RunEndAndProtocolsTest, ARunStoppedBeforeItsFirstNodeWritesItsProtocolsIntoTheUnloadFolder)
{
    ProtocolObserver watching;
    run::Run runner(services, watching);
    watching.onStart = [&] { runner.requestStop(); };
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    const auto outcome = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(runner.engine()->Path(), QString()) << "no node was handed over";
    ASSERT_EQ(outcome.protocols.size(), 3);
    for (const QString& file : outcome.protocols)
        EXPECT_TRUE(file.startsWith(out() + testsupport::kProtocolPrefix)) << file.toStdString();
    EXPECT_TRUE(outcome.endMessage.contains(u"В папке выгрузки ("_s + out() + u")"_s));
}

TEST_F(RunEndAndProtocolsTest, TheStopReasonOfOneRunDoesNotFollowTheNext)
{
    options.Set_TimeOut(1);
    platform::diadoc::FaultRule rule;
    rule.operation = u"GetDocumentsAsync"_s;
    rule.text = u"##100[Ошибка сервера Диадок]code:404, HTTP error: Unknown box: box-romashka"_s;
    service()->addFault(rule);
    run::RunObserver quiet;
    run::Run runner(services, quiet);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    const auto first = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_TRUE(first.stopped);
    EXPECT_EQ(first.stopReason, rule.text);
    EXPECT_FALSE(runner.refusesNewRuns()) << "only bad allocation refuses new runs";

    service()->clearFaults();
    const auto second = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_FALSE(second.stopped);
    EXPECT_TRUE(second.stopReason.isEmpty());
    EXPECT_TRUE(runner.stopReason().isEmpty());
    const auto rows = runner.summaryRows(u"html"_s);
    EXPECT_NE(rowValue(rows, u"Выгрузка завершена:"_s), u"<missing>"_s);
}

// The summary times read as the status bar does: hours without a leading zero; the program is the
// caller's caption when it names one.
TEST_F(RunEndAndProtocolsTest, TheSummaryTellsTimesAsTheStatusBarAndTheCallersProgram)
{
    run::RunObserver quiet;
    run::Run runner(services, quiet);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    run::RunRequest request = requestFor(signedIn, out());
    request.programCaption = u"+Log/ Ларимо-9: Фетчлинг. Версия 1.2.3"_s;
    QDir().mkpath(out());
    runner.execute(request, signedIn.organisations);
    const auto rows = runner.summaryRows(u"html"_s);
    EXPECT_EQ(rowValue(rows, u"Программа:"_s), request.programCaption);
    EXPECT_EQ(rowValue(rows, u"Выгрузка начата:"_s), u"10:30:00"_s);
    static const QRegularExpression time(u"^\\d{1,2}:\\d{2}:\\d{2}$"_s);
    EXPECT_TRUE(time.match(rowValue(rows, u"Выгрузка завершена:"_s)).hasMatch());
    EXPECT_EQ(run::Run::timeText(QTime(9, 5, 7)), u"9:05:07"_s);
    EXPECT_TRUE(rows.at(0).value.endsWith(u" 10:"_s + rows.at(0).value.right(5))) << "the first row keeps two digits";
}

TEST_F(RunEndAndProtocolsTest, TheProtocolStopLeavesTheWorkbookOutAndIsHandedToEveryLaterRow)
{
    ProtocolObserver watching;
    run::Run runner(services, watching);
    watching.onBegin = [&](run::ProtocolKind kind) {
        if (kind == run::ProtocolKind::Html)
            runner.requestProtocolStop();
    };
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    const auto outcome = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_FALSE(outcome.stopped) << "the unloading itself ended";
    EXPECT_TRUE(runner.protocolStopRequested());
    for (const QString& file : outcome.protocols)
        EXPECT_FALSE(file.endsWith(u".xlsx"_s)) << file.toStdString();
    EXPECT_EQ(watching.events, (QStringList{u"begin"_s, u"begin"_s, u"written"_s, u"ended"_s}))
        << "HTML and CSV begin; the workbook is never made";
}

// Sets an environment variable for the life of the object, and puts back what was there.
class ScopedVariable final
{
public:
    ScopedVariable(const char* name, const QString& value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};

// Where a workbook that the unload folder does not take is kept: the system's temporary folder,
// then the home folder. Each is "ok", "taken" (a folder stands at the workbook's name) or, for the
// home, "file" (a file, no folder).
struct UnsavedCase
{
    const char* name;
    const char* temp;
    const char* home;
    const char* keptIn; // "temp", "home" or nothing
};

void PrintTo(const UnsavedCase& c, std::ostream* out)
{
    *out << c.name;
}

class UnsavedWorkbookTest : public RunEndAndProtocolsTest, public testing::WithParamInterface<UnsavedCase>
{
protected:
    QString folder(const char* kind, const QString& name)
    {
        const QString path = dir.filePath(name);
        if (qstrcmp(kind, "file") == 0) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        } else {
            QDir().mkpath(path);
        }
        return path;
    }

    // The workbook cannot be saved under its name in the folder: a folder stands there.
    static void take(const char* kind, const QString& path, const QString& workbook)
    {
        if (qstrcmp(kind, "taken") == 0)
            QDir(path).mkdir(workbook);
    }
};

// A workbook that was filled but cannot be saved in the unload folder is kept in the first
// fallback folder that takes it, and the end message says where, or that it could not be kept;
// the run log gets the whole end text.
TEST_P(UnsavedWorkbookTest, IsKeptElsewhereAndTheEndMessageSaysWhere)
{
    const UnsavedCase& c = GetParam();
    const QString temp = folder(c.temp, u"temp"_s);
    const QString home = folder(c.home, u"home"_s);
    const ScopedVariable tempVariable("TMPDIR", temp);
    const ScopedVariable homeVariable("HOME", home);
    options.Set_CreateLogFile(1);
    ProtocolObserver watching;
    run::Run runner(services, watching);
    QString workbook;
    watching.onBegin = [&](run::ProtocolKind kind) {
        if (kind != run::ProtocolKind::Excel)
            return;
        // The workbook's name is taken: a folder stands where it would be saved.
        const QStringList pages = QDir(out()).entryList({u"*.htm"_s}, QDir::Files);
        ASSERT_EQ(pages.size(), 1);
        workbook = pages.at(0).chopped(4) + u".xlsx"_s;
        QDir(out()).mkdir(workbook);
        take(c.temp, temp, workbook);
        take(c.home, home, workbook);
    };
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    const auto outcome = runner.execute(requestFor(signedIn, out()), signedIn.organisations);

    ASSERT_EQ(outcome.protocols.size(), 2);
    EXPECT_EQ(outcome.failedProtocols, QStringList{out() + workbook});
    QStringList prompts;
    for (const auto& box : ui.boxes)
        prompts.append(box.prompt);
    EXPECT_TRUE(prompts.contains(u"При сохранении Excel-файла протокола выгрузки со списком выгруженных документов, "_s
                                 u"произошла ошибка."_s));
    const QString keptIn = qstrcmp(c.keptIn, "temp") == 0 ? temp : qstrcmp(c.keptIn, "home") == 0 ? home : QString();
    QString told;
    if (!keptIn.isEmpty()) {
        const QString kept = keptIn + u'/' + workbook;
        EXPECT_TRUE(QFileInfo(kept).isFile()) << kept.toStdString();
        EXPECT_GT(QFileInfo(kept).size(), 0);
        told = u"Протокол выгрузки в формате MS Excel не удалось сохранить в папке выгрузки; он сохранён в файл:"_s
               + u"\r\n"_s + kept;
    } else {
        told = u"Протокол выгрузки в формате MS Excel создан, но не сохранён на диск."_s + u"\r\n"_s
               + u"Сохранить его не удалось ни в папке выгрузки, ни в папках "_s + temp + u" и "_s + home + u"."_s;
    }
    EXPECT_TRUE(prompts.contains(outcome.endMessage + u"\r\n"_s + told)) << prompts.join(u"\n---\n"_s).toStdString();
    EXPECT_FALSE(prompts.join(u'\n').contains(u"Будет открыто окно MS Excel"_s)) << "no window is promised";

    const QStringList logs = QDir(out()).entryList({u"Log_*.txt"_s}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile logFile(out() + logs.at(0));
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = logFile.readAll();
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    for (const QString& line : outcome.endMessage.split(u"\r\n"_s))
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fallbacks, UnsavedWorkbookTest,
                         testing::Values(UnsavedCase{"InTheTemporaryFolder", "ok", "ok", "temp"},
                                         UnsavedCase{"InTheHome", "taken", "ok", "home"},
                                         UnsavedCase{"NowhereAllTaken", "taken", "taken", ""},
                                         UnsavedCase{"NowhereWithAHomeThatIsAFile", "taken", "file", ""}),
                         [](const testing::TestParamInfo<UnsavedCase>& row) { return std::string(row.param.name); });

QByteArray contentOf(const QString& file)
{
    QFile input(file);
    return input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
}

// Two runs whose protocols and logs fall in the same second (stopped at once, they take no time):
// the later one's go under the numbered names, the earlier one's stay as they were.
TEST_F(RunEndAndProtocolsTest, TwoRunsInOneSecondKeepEachOthersProtocolsAndLogs)
{
    options.Set_CreateLogFile(1);
    options.Set_CsvProtocol(1);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    std::vector<run::RunOutcome> outcomes;
    std::map<QString, QByteArray> firstFiles;
    for (int i = 0; i < 2; ++i) {
        ProtocolObserver watching;
        run::Run runner(services, watching);
        watching.onStart = [&] { runner.requestStop(); };
        outcomes.push_back(runner.execute(requestFor(signedIn, out()), signedIn.organisations));
        if (i == 0) {
            for (const QString& file : outcomes[0].protocols)
                firstFiles[file] = contentOf(file);
            for (const QString& logName : QDir(out()).entryList({u"Log_*.txt"_s}, QDir::Files))
                firstFiles[out() + logName] = contentOf(out() + logName);
        }
    }
    const QString stem = out() + testsupport::kProtocolPrefix + u"2025.01.15 10.30.00"_s;
    EXPECT_EQ(outcomes[0].protocols, (QStringList{stem + u".htm"_s, stem + u".xlsx"_s, stem + u".csv"_s}));
    EXPECT_EQ(outcomes[1].protocols, (QStringList{stem + u" (2).htm"_s, stem + u" (2).xlsx"_s, stem + u" (2).csv"_s}));
    EXPECT_TRUE(outcomes[1].endMessage.contains(testsupport::kProtocolPrefix + u"2025.01.15 10.30.00 (2).xlsx"_s));
    for (const QString& file : outcomes[1].protocols)
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    for (const auto& [file, bytes] : firstFiles)
        EXPECT_EQ(contentOf(file), bytes) << "the first run's file changed: " << file.toStdString();

    const QStringList logs = QDir(out()).entryList({u"Log_*.txt"_s}, QDir::Files, QDir::Name);
    ASSERT_EQ(logs, (QStringList{u"Log_2025-01-15_10-30-00 (2).txt"_s, u"Log_2025-01-15_10-30-00.txt"_s}));
    for (const QString& logName : logs) {
        const QByteArray bytes = contentOf(out() + logName);
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        EXPECT_EQ(text.count(u"Начало процесса"_s), 1) << logName.toStdString();
    }
}

// While a run writes into a folder, another run into the same folder is refused at once, also from
// another Run (another window, another process); once the first is over the folder is free again.
TEST_F(RunEndAndProtocolsTest, ASecondRunIntoTheSameFolderIsRefusedWhileTheFirstGoesOn)
{
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    run::RunObserver quiet;
    run::Run second(services, quiet);
    ProtocolObserver watching;
    run::Run first(services, watching);
    QString refusal;
    watching.onStart = [&] {
        try {
            second.execute(requestFor(signedIn, out()), signedIn.organisations);
        } catch (const core::Error& e) {
            refusal = e.description();
        }
        first.requestStop();
    };
    first.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_TRUE(refusal.contains(run::UnloadFolderLock::refusalText(out()))) << refusal.toStdString();
    EXPECT_EQ(second.engine(), nullptr) << "the refused run made nothing";

    const auto later = second.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_FALSE(later.stopped);
    EXPECT_FALSE(QFile::exists(out() + QString::fromUtf16(run::UnloadFolderLock::kFileName)));
}

// Kept as it always was: the count of moved-aside folders is not reset when a run starts.
TEST_F(RunEndAndProtocolsTest, TheFolderRemovalCountCarriesOverToTheNextRunsSummary)
{
    options.Set_TimeOut(1);
    // A download that cannot even start has its new folder moved aside.
    for (const QString& operation : {u"SaveAllContentAsync"_s, u"SaveAllContentZipAsync"_s}) {
        platform::diadoc::FaultRule rule;
        rule.operation = operation;
        rule.text = u"COM1C[0x80004005]Unspecified error"_s;
        service()->addFault(rule);
    }
    run::RunObserver quiet;
    run::Run runner(services, quiet);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    QDir().mkpath(out());
    const auto first = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    ASSERT_GT(first.folderRemovals, 0) << "the fault moves folders aside";
    const QString caption = u"Справочно: Счетчик удалений папок:"_s;
    EXPECT_EQ(rowValue(runner.summaryRows(u"html"_s), caption), QString::number(first.folderRemovals));

    service()->clearFaults();
    const auto second = runner.execute(requestFor(signedIn, out()), signedIn.organisations);
    EXPECT_EQ(second.folderRemovals, 0);
    EXPECT_EQ(rowValue(runner.summaryRows(u"html"_s), caption), QString::number(first.folderRemovals));
}

} // namespace

namespace {

TEST_F(RunTest, APauseBeforeARetryEndsWhenTheRunIsStopped)
{
    options.Set_TimeOut(999);
    testsupport::VirtualClock pausing;
    run::RunObserver quiet;
    run::FailureWatch watch(options, pausing, ui, quiet, run::diskFreeSpace);
    auto record = std::make_shared<diadoc::AsyncTskRecord>();
    record->ErrorDescription = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;

    watch.OnAddedInSecondaryQueue(record, 1);
    EXPECT_EQ(pausing.nowMs(), 9990) << "unstopped, the whole pause";

    const qint64 before = pausing.nowMs();
    // The person asks to stop while the run sleeps.
    pausing.duringSleep = [&] { watch.requestStop(); };
    watch.OnAddedInSecondaryQueue(record, 1);
    EXPECT_EQ(pausing.nowMs() - before, run::FailureWatch::kPauseSliceMs);
    EXPECT_EQ(watch.listFailures(), 2);
}

} // namespace
