#include "Run.h"

#include <algorithm>

#include <QDateTime>
#include <QFileInfo>
#include <QScopedValueRollback>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/DateText.h"
#include "core/DocTypesProvider.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mOther.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "engine/Fetchling.h"
#include "engine/FetchlingListener.h"
#include "platform/diadoc/Variant.h"
#include "run/FailureWatch.h"
#include "run/Protocols.h"
#include "run/RunObserver.h"
#include "run/UnloadFolderLock.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

constexpr char16_t kModule[] = u"Run";
constexpr int kRunRefused = 5;
const QString kCrLf = u"\r\n"_s;

QString yesNo(bool on)
{
    return on ? u"Да"_s : u"Нет"_s;
}

// Whether the error being handled is a failed allocation: the platform's own, or one that a
// lower layer mapped onto the program's error and passed on. Call only inside a catch block.
bool isMemoryFailure()
{
    return core::currentError().number() == core::failure::kOutOfMemoryNumber;
}

} // namespace

// Hands the engine's events on to the observer, and the person's stop of the protocols to their
// writers. Attached before the watch, so that a stop asked while the observer lets the window's
// messages through is handed back by the same event.
class Run::Relay final : public engine::FetchlingListener
{
public:
    Relay(Run& run, const bool& protocolStop)
        : m_run(run)
        , m_protocolStop(protocolStop)
    {
    }

    void OnChangedTasks(diadoc::AsyncTasks& aTasks, bool&) override
    {
        TaskCounts counts;
        counts.waiting = aTasks.Count(1);
        counts.retrying = aTasks.Count(2);
        counts.executing = aTasks.Count(3);
        counts.executed = aTasks.Count(4);
        counts.empty = aTasks.Count(5);
        counts.documents = aTasks.DocumentsCount();
        m_run.m_observer.tasksChanged(counts);
    }
    void OnChangedDocs(diadoc::AsyncContents& aDocs, bool&) override
    {
        DocCounts counts;
        counts.waiting = aDocs.Count(1);
        counts.retrying = aDocs.Count(2);
        counts.unloading = aDocs.Count(3);
        counts.unloaded = aDocs.Count(4);
        counts.ignored = aDocs.Count(5);
        m_run.m_observer.docsChanged(counts);
    }
    void OnWait(bool&) override { m_run.m_observer.waiting(); }
    void OnBadUnloadDoc(int& count, bool&) override
    {
        m_run.m_folderRemovals = count;
        m_run.m_observer.folderRemovalsCounted(count);
    }
    void OnBeginHtmlProtocol() override { m_run.m_observer.protocolBegins(ProtocolKind::Html); }
    void StepChangeHtmlProtocol(int StepCount, int NumberStep, bool& rCancel) override
    {
        step(ProtocolKind::Html, StepCount, NumberStep, rCancel);
    }
    void OnEndHtmlProtocol() override { m_run.m_observer.protocolEnds(ProtocolKind::Html); }
    void OnBeginExcelProtocol() override { m_run.m_observer.protocolBegins(ProtocolKind::Excel); }
    void StepChangeExcelProtocol(int StepCount, int NumberStep, bool& rCancel) override
    {
        step(ProtocolKind::Excel, StepCount, NumberStep, rCancel);
    }
    void OnEndExcelProtocol() override { m_run.m_observer.protocolEnds(ProtocolKind::Excel); }
    void OnBeginCsvProtocol() override { m_run.m_observer.protocolBegins(ProtocolKind::Csv); }
    void StepChangeCsvProtocol(int StepCount, int NumberStep, bool& rCancel) override
    {
        step(ProtocolKind::Csv, StepCount, NumberStep, rCancel);
    }
    void OnEndCsvProtocol() override { m_run.m_observer.protocolEnds(ProtocolKind::Csv); }

private:
    // The stop is only ever handed over, never taken back.
    void step(ProtocolKind kind, int stepCount, int numberStep, bool& rCancel)
    {
        m_run.m_observer.protocolStep(kind, stepCount, numberStep);
        if (m_protocolStop)
            rCancel = true;
    }

    Run& m_run;
    const bool& m_protocolStop;
};

// One run's engine with its listeners and what it was asked. The engine is declared last so that
// it goes first: its queues call the watch and the relay until they are gone.
struct Run::Session
{
    RunRequest request;
    std::shared_ptr<engine::PersonsCollection> persons;
    bool protocolStop = false;
    std::unique_ptr<Relay> relay;
    std::unique_ptr<FailureWatch> watch;
    std::unique_ptr<engine::Fetchling> engine;
    QDateTime start;
    QDateTime end; // when the queue work was over; invalid before

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { engine.reset(); }
};

Run::Run(const Services& services, RunObserver& observer, DiskSpaceProbe probe)
    : m_services(services)
    , m_observer(observer)
    , m_probe(std::move(probe))
{
}

Run::~Run() = default;

engine::Fetchling* Run::engine()
{
    return m_session ? m_session->engine.get() : nullptr;
}

const engine::Fetchling* Run::engine() const
{
    return m_session ? m_session->engine.get() : nullptr;
}

const FailureWatch* Run::watch() const
{
    return m_session ? m_session->watch.get() : nullptr;
}

QDateTime Run::startedAt() const
{
    return m_session ? m_session->start : QDateTime();
}

void Run::requestStop()
{
    if (m_busy && m_session && m_session->watch)
        m_session->watch->requestStop();
}

bool Run::stopRequested() const
{
    return m_session && m_session->watch && m_session->watch->stopRequested();
}

void Run::requestProtocolStop()
{
    if (m_busy && m_session)
        m_session->protocolStop = true;
}

bool Run::protocolStopRequested() const
{
    return m_session && m_session->protocolStop;
}

void Run::release()
{
    try {
        if (m_busy)
            throw core::Error(kRunRefused, u"Выгрузка документов уже идёт."_s);
        const QScopedValueRollback<bool> busy(m_busy, true);
        replaceSession();
    } catch (...) {
        core::PropagateError(kModule, u"release");
    }
}

void Run::replaceSession()
{
    // The wait lets the window's messages through: the run is busy meanwhile.
    if (m_session && m_session->engine)
        m_session->engine->AsyncDocs().FinishRunningDownloads();
    releaseSession();
}

void Run::releaseSession()
{
    if (m_session && m_session->engine)
        m_observer.releasingEngine(*m_session->engine);
    m_session.reset();
}

QString Run::timeText(const QTime& time)
{
    return time.isValid() ? time.toString(u"H:mm:ss"_s) : QString();
}

QString Run::stopReason() const
{
    return m_session && m_session->watch ? m_session->watch->stopReason() : QString();
}

QString Run::refusalText() const
{
    return u"Последняя выгрузка документов была прервана в связи с критической ошибкой (\""_s + m_outcome.stopReason
           + u"\")."_s + kCrLf + kCrLf
           + u"Чтобы начать новую выгрузку, необходимо выйти из программы, и запустить её снова."_s;
}

RunOutcome Run::execute(const RunRequest& request, const Organisations& organisations)
{
    try {
        if (m_busy)
            throw core::Error(kRunRefused, u"Выгрузка документов уже идёт."_s);
        if (m_refuseNewRuns)
            throw core::Error(kRunRefused, refusalText());
        // The start sequence checks the period; a run is never asked for one without its days.
        if (!request.from.isValid() || !request.to.isValid())
            throw core::Error(kRunRefused, u"Период выгрузки не задан."_s);
        // A second run into the same folder would mix its files, protocols and log with this one's.
        const UnloadFolderLock folderLock(request.unloadFolder);
        const QScopedValueRollback<bool> busy(m_busy, true);

        // The old engine goes before its listeners, and all of them before the new ones are made.
        replaceSession();
        m_outcome = RunOutcome{};
        auto session = std::make_unique<Session>();
        session->request = request;
        session->persons = organisations.persons;
        m_session = std::move(session);
        try {
            runEngine(*m_session);
        } catch (...) {
            if (!isMemoryFailure() || !m_session->watch)
                throw;
            memoryStop(*m_session);
        }
        collect(*m_session);
        finish(*m_session);
        return m_outcome;
    } catch (...) {
        core::PropagateError(kModule, u"execute");
    }
}

void Run::runEngine(Session& session)
{
    const auto& options = m_services.options;
    const RunRequest& request = session.request;
    session.start = m_services.clock.currentDateTime();
    m_observer.runBegins(session.start);
    m_services.log.StartLogFile(options.Get_CreateLogFile() != 0 ? request.unloadFolder : QString(), QString());
    for (const QString& note : request.notes)
        m_services.log.WriteLogFile(note);
    session.relay = std::make_unique<Relay>(*this, session.protocolStop);
    session.watch = std::make_unique<FailureWatch>(options, m_services.clock, m_services.ui, m_observer, m_probe);
    session.engine = std::make_unique<engine::Fetchling>(options, m_services.clock, m_services.ui, m_services.unzipper,
                                                         m_services.log, m_services.diadoc);
    auto& engine = *session.engine;
    auto& watch = *session.watch;
    engine.attach(session.relay.get());
    engine.attach(&watch);
    const RunFlags& flags = request.flags;
    engine.ПодготовкаНовойВыгрузки(*session.persons, request.dateType, flags.withProtocol, flags.withNoSended,
                                   flags.withDeleted, flags.withRevoked, flags.withInternal,
                                   flags.withSignatureRejected, flags.onlyFinished);
    engine.AsyncTasks().attach(&watch);
    engine.AsyncDocs().attach(&watch);
    m_observer.runStarted(engine);

    const platform::diadoc::Variant dateFrom(QDateTime(request.from, QTime(0, 0)));
    const platform::diadoc::Variant dateTo(QDateTime(request.to, QTime(0, 0)));
    const int daysCount = options.Get_DaysCountLimit();
    for (const OrgNode& node : request.nodes) {
        if (watch.stopRequested())
            break;
        if (node.ticked) {
            m_services.ui.processEvents();
            engine.MainДобавлениеЗапросовВОчередь(node.key.text(), node.text, request.unloadFolder, daysCount, dateFrom,
                                                  dateTo);
        }
    }
    if (!watch.stopRequested())
        engine.ПостановкаДокументовВОчередьНаЗагрузку();
    if (!watch.stopRequested())
        engine.ОбработкаВыгруженныхДокументов();
    session.end = m_services.clock.currentDateTime();
}

void Run::memoryStop(Session& session)
{
    // Told as a queue tells a memory failure; the box may itself fail for want of memory, and the
    // stop stands all the same.
    try {
        // Lists and downloads run by turns: the downloads' message once a document was queued.
        session.watch->memoryStop(session.engine && session.engine->AsyncDocs().Count(0) > 0);
    } catch (...) {
        session.watch->requestStop(QString::fromUtf16(core::failure::kBadAllocation));
    }
    if (!session.end.isValid())
        session.end = m_services.clock.currentDateTime();
}

void Run::collect(Session& session)
{
    const auto& engine = *session.engine;
    const auto& watch = *session.watch;
    auto& tasks = session.engine->AsyncTasks();
    auto& docs = session.engine->AsyncDocs();
    RunOutcome& outcome = m_outcome;
    outcome.unloadFolder = session.request.unloadFolder;
    outcome.from = core::dateText(session.request.from);
    outcome.to = core::dateText(session.request.to);
    outcome.ticked = session.request.tickedCount();
    outcome.listRequests = tasks.Count(4);
    for (const auto& rec : tasks.ExecutedList())
        outcome.listed += std::max(0, rec->DocumentsCount);
    outcome.unloaded = docs.Count(4);
    outcome.ignored = docs.Count(5);
    outcome.left = docs.Count(1) + docs.Count(2) + docs.Count(3);
    for (const auto& rec : docs.IgnoredList())
        if (rec->ErrorDescription == QString::fromUtf16(diadoc::AsyncContents::kRepeatReason))
            ++outcome.repeats;
    outcome.listsFailed = tasks.FailedCount();
    outcome.downloadsFailed = docs.FailedCount();
    outcome.listFailures = watch.listFailures();
    outcome.downloadFailures = watch.downloadFailures();
    outcome.folderRemovals = watch.badUnloadCount();
    outcome.stopped = watch.stopRequested() || engine.isStopped();
    outcome.stopReason = watch.stopReason();
    if (outcome.stopReason == QString::fromUtf16(core::failure::kBadAllocation))
        m_refuseNewRuns = true;
}

void Run::finish(Session& session)
{
    auto& ui = m_services.ui;
    m_observer.protocolsStarting();
    Protocols protocols(m_services);
    Protocols::Written written;
    try {
        written = protocols.write(
            *session.engine, session.request.unloadFolder, [&session] { return !session.protocolStop; },
            [this](const QString& kind) { return summaryRows(kind); });
    } catch (...) {
        if (!isMemoryFailure())
            throw;
        // The protocols not yet written are given up; the run still ends and tells its counts.
        memoryStop(session);
        m_outcome.stopped = true;
        m_outcome.stopReason = session.watch->stopReason();
        m_refuseNewRuns = true;
    }
    m_observer.protocolsWritten();
    RunOutcome& outcome = m_outcome;
    outcome.protocolsStopped = session.protocolStop;
    outcome.protocols = written.files;
    outcome.failedProtocols = written.failed;
    outcome.endText = endText(outcome.stopped, outcome.listsFailed, outcome.downloadsFailed);
    outcome.endMessage = Protocols::endMessage(outcome.endText, written);
    m_services.log.WriteLogFile(outcome.endMessage, true, true);

    using namespace core::msgbox;
    if (!written.excelFilled) {
        core::mOther::iMsgBox(ui, outcome.endMessage, vbOKOnly | vbInformation);
    } else if (!written.excelSaved) {
        core::mOther::iMsgBox(ui, outcome.endMessage + kCrLf + Protocols::unsavedWorkbookText(written),
                              vbOKOnly | vbInformation);
    } else if (!ui.isUnattended()) {
        // Unattended, a saved Excel protocol ends the run without a message.
        const int answer = core::mOther::iMsgBox(
            ui, outcome.endMessage + kCrLf + u"Открыть Ms Excel с протоколом выгрузки?"_s, vbYesNo | vbQuestion);
        if (answer == vbYes)
            openProtocol(written.excelFile);
    }
    m_observer.runEnded(outcome);
}

void Run::openProtocol(const QString& file)
{
    if (!QFileInfo::exists(file))
        core::mOther::iMsgBox(m_services.ui,
                              u"Файл "_s + file + u" не найден."_s + kCrLf + u"Вероятно он уже удалён."_s,
                              core::msgbox::vbOKOnly | core::msgbox::vbInformation);
    else if (!m_observer.openProtocol(file))
        core::mOther::iMsgBox(m_services.ui, noProgramText(file), core::msgbox::vbOKOnly | core::msgbox::vbExclamation);
}

QString Run::noProgramText(const QString& file)
{
    return u"Не удалось открыть файл "_s + file + u"."_s + kCrLf
           + u"На компьютере не найдена программа, которая открывает такие файлы."_s;
}

QString Run::endText(bool stopped, int listsFailed, int downloadsFailed)
{
    QString text = stopped ? u"Выгрузка документов прервана."_s
                   : listsFailed > 0 || downloadsFailed > 0 ? u"Выгрузка документов завершена с ошибками."_s
                                                            : u"Выгрузка документов завершена."_s;
    if (listsFailed > 0)
        text += kCrLf + u"Не получено списков документов (все попытки запроса неудачны): "_s
                + QString::number(listsFailed) + u'.';
    if (downloadsFailed > 0)
        text += kCrLf + u"Не выгружено документов из-за ошибок выгрузки: "_s + QString::number(downloadsFailed) + u'.';
    return text;
}

QString Run::caption() const
{
    const auto& options = m_services.options;
    if (m_session && !m_session->request.programCaption.isEmpty())
        return m_session->request.programCaption;
    QString text = QString::fromUtf16(core::kApplicationTitle);
    if (const auto* current = engine())
        text += u' ' + current->versionText();
    if (options.Get_CreateLogFile() != 0) {
        text = u"+Log/ "_s + text;
        if (options.Get_LoadContentByZip() != 0)
            text = u"+Zip/"_s + text;
    }
    return text;
}

engine::SummaryRows Run::summaryRows(const QString& kind) const
{
    try {
        const auto& options = m_services.options;
        const bool xls = kind == u"xls";
        const QDateTime now = m_services.clock.currentDateTime();
        const Session* session = m_session.get();
        const RunRequest request = session ? session->request : RunRequest{};
        const RunFlags& flags = request.flags;
        const FailureWatch* watch = session ? session->watch.get() : nullptr;
        engine::Fetchling* current = session ? session->engine.get() : nullptr;
        const auto sheet = [xls](const QString& name) {
            return xls ? u" (cм. лист \""_s + name + u"\")"_s : QString();
        };
        const int executed = current ? current->AsyncTasks().Count(4) : 0;
        const int found = current ? current->AsyncDocs().Count(0) : 0;
        const int unloaded = current ? current->AsyncDocs().Count(4) : 0;
        const int ignored = current ? current->AsyncDocs().Count(5) : 0;
        const int listsFailed = current ? current->AsyncTasks().FailedCount() : 0;
        const int downloadsFailed = current ? current->AsyncDocs().FailedCount() : 0;
        const int listFailures = watch ? watch->listFailures() : 0;
        const int downloadFailures = watch ? watch->downloadFailures() : 0;
        const int badUnloads = m_folderRemovals;
        const int maxDocs = watch ? std::max(0, watch->maxDocsInOneList()) : 0;
        const bool stopped = (watch && watch->stopRequested()) || (current && current->isStopped());
        const QString stopReason = watch ? watch->stopReason() : QString();
        const QString endTime = session ? timeText(session->end.time()) : QString();

        engine::SummaryRows rows;
        rows.append({u"Протокол выгрузки документов из Диадок от "_s,
                     now.toString(u"yyyy.MM.dd"_s) + u' ' + now.toString(u"HH:mm:ss"_s)});
        rows.append({u"Программа:"_s, caption()});
        rows.append({u"Запрошены документы по датам:"_s,
                     u"с "_s + core::dateText(request.from) + u" по "_s + core::dateText(request.to)});
        rows.append({u"Выгружать только документы с законченным документооборотом:"_s, yesNo(flags.onlyFinished)});
        rows.append({u"Выгружать документы из папки Внутренние:"_s, yesNo(flags.withInternal)});
        rows.append({u"Выгружать аннулированные документы:"_s, yesNo(flags.withRevoked)});
        if (!flags.onlyFinished)
            rows.append({u"Выгружать документы с отказом ответной подписи:"_s, yesNo(flags.withSignatureRejected)});
        rows.append({u"Выгружать файлы протоколов и их подписей:"_s, yesNo(flags.withProtocol)});
        rows.append({u"Выгружать документы только указанных типов:"_s, yesNo(options.Get_SelectiveDocTypes() != 0)});
        rows.append({u"Сохранять файлы МЧД в составе файлов документов (иначе сохранять только ссылки):"_s,
                     yesNo(options.Get_ExcludeMHD() == 0)});
        rows.append({u"Скачивать документы в виде zip-файлов с последующей распаковкой:"_s,
                     yesNo(options.Get_LoadContentByZip() != 0)});
        rows.append({u"Записывать Log-файлы:"_s, yesNo(options.Get_CreateLogFile() != 0)});
        rows.append({u"Путь выгрузки:"_s, request.unloadFolder});
        rows.append({u"Выгрузка начата:"_s, session ? timeText(session->start.time()) : QString()});
        if (stopped && stopReason.isEmpty())
            rows.append({u"Выгрузка остановлена пользователем:"_s, endTime});
        else if (stopped)
            rows.append({u"Выгрузка остановлена:"_s, endTime + u" (прервана в связи с \""_s + stopReason + u"\")"_s});
        else
            rows.append({u"Выгрузка завершена:"_s, endTime});
        rows.append({u"Количество полученных непустых списков документов:"_s, QString::number(executed)});
        if (listsFailed > 0)
            rows.append({u"Количество запросов списков документов, не выполненных после всех попыток:"_s,
                         QString::number(listsFailed)});
        rows.append({u"Максимальное количество документов в одном списке:"_s, QString::number(maxDocs)});
        rows.append({u"Обнаружено документов в полученных списках всего:"_s, QString::number(found)});
        rows.append(
            {u"Количество успешно выгруженных документов:"_s, QString::number(unloaded) + sheet(u"Выгружены"_s)});
        if (ignored > 0)
            rows.append(
                {u"Количество не выгруженных документов:"_s, QString::number(ignored) + sheet(u"Не выгружены"_s)});
        if (downloadsFailed > 0)
            rows.append({u"Из них не выгружено из-за ошибок выгрузки:"_s,
                         QString::number(downloadsFailed) + sheet(u"Не выгружены"_s)});
        if (listFailures != 0)
            rows.append({u"Справочно: Счетчик неудачных попыток запросов списков документов:"_s,
                         QString::number(listFailures)});
        if (downloadFailures != 0)
            rows.append(
                {u"Справочно: Счетчик неудачных попыток выгрузок документов:"_s, QString::number(downloadFailures)});
        if (badUnloads > 0)
            rows.append({u"Справочно: Счетчик удалений папок:"_s, QString::number(badUnloads)});
        rows.append({QString(), QString()});
        rows.append({u"Организации и подразделения, выбранные для выгрузки документов:"_s, QString()});
        for (const OrgNode& node : request.nodes) {
            if (!node.ticked)
                continue;
            QString value;
            if (node.isOrganisation() && session && session->persons) {
                const auto& person = session->persons->Item(node.key.text());
                if (!person->APIPayed())
                    value = u"Нет доступа к Диадок API: "_s + person->GetDocumentTypesError();
            }
            rows.append({u"    "_s + node.fullPath, value});
        }
        if (options.Get_SelectiveDocTypes() != 0) {
            rows.append({QString(), QString()});
            rows.append({u"Типы документов, выбранные для выгрузки документов:"_s, QString()});
            QList<core::DocTypesProvider*> providers;
            if (session && session->persons)
                for (const auto& person : *session->persons)
                    providers.append(person.get());
            for (const auto& type : options.Get_DocTypes(providers, true))
                rows.append({u"    "_s + type.Name, QString()});
        }
        return rows;
    } catch (...) {
        core::PropagateError(kModule, u"GetReportItogToArray");
    }
}

} // namespace run
