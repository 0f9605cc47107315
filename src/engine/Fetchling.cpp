#include "Fetchling.h"

#include <algorithm>
#include <utility>

#include "CsvProtocol.h"
#include "ExcelProtocol.h"
#include "FetchlingListener.h"
#include "FolderLayout.h"
#include "HtmlProtocol.h"
#include "MetadataFile.h"
#include "PowerOfAttorneyFiles.h"
#include "base/Error.h"
#include "core/Clock.h"
#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mIO.h"
#include "core/mOther.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTasksListener.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/mDiadoc.h"
#include "diadoc/mDiadocDocuments.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocDocflowStatus.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocStatus.h"
#include "platform/diadoc/Variant.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadocDocuments;
using platform::diadoc::DiadocDocument;
using platform::diadoc::Variant;

namespace engine {

namespace {

constexpr char16_t kModule[] = u"Fetchling";
constexpr int kTypeMismatch = 13;

const QString kNotFinished = u"Документооборот не завершен"_s;
const QString kDeleted = u"Удалённый документ"_s;
const QString kRevoked = u"Аннулирован"_s;
const QString kSignatureRejected = u"Отказано в ответной подписи"_s;
const QString kExcludedTitle = u"Название документа подпадает под исключения, указанные в настройке"_s;

} // namespace

template <typename Method, typename... Args> void Fetchling::raise(Method method, Args&&... args)
{
    m_listeners.raise(method, args...);
}

// The engine's handlers of the request queue's events.
class Fetchling::TasksHandler final : public diadoc::AsyncTasksListener
{
public:
    explicit TasksHandler(Fetchling& owner)
        : m_owner(owner)
    {
    }
    void OnChanged(bool& rCancel) override { m_owner.fAsyncTasks_OnChanged(rCancel); }
    void OnWait(bool& rCancel) override { m_owner.fAsyncTasks_OnWait(rCancel); }
    void OnExecutedTask(const Record& rAsyncTskRecord) override { m_owner.fAsyncTasks_OnExecutedTask(rAsyncTskRecord); }
    void OnAllowNextTaskStart(bool& rAllow) override { m_owner.fAsyncTasks_OnAllowNextTaskStart(rAllow); }

private:
    Fetchling& m_owner;
};

// The engine's handlers of the download queue's events.
class Fetchling::DocsHandler final : public diadoc::AsyncContentsListener
{
public:
    explicit DocsHandler(Fetchling& owner)
        : m_owner(owner)
    {
    }
    void OnChanged(bool& rCancel) override { m_owner.fAsyncDocs_OnChanged(rCancel); }
    void OnWait(bool& rCancel) override { m_owner.fAsyncDocs_OnWait(rCancel); }
    void OnBadUnloadDoc(bool& rCancel) override { m_owner.fAsyncDocs_OnBadUnload(rCancel); }
    void OnBeforeAddInUnloadedList(const Record& rDocRecord, QString& rCancelReason) override
    {
        m_owner.fAsyncDocs_OnBeforeAddInUnloadedList(rDocRecord, rCancelReason);
    }

private:
    Fetchling& m_owner;
};

// Turns a protocol writer's progress into the engine's events of that protocol.
class Fetchling::ProtocolRelay final : public ProtocolProgress
{
public:
    ProtocolRelay(Fetchling& owner, ProtocolKind kind)
        : m_owner(owner)
        , m_kind(kind)
    {
    }
    void OnBegin() override
    {
        switch (m_kind) {
        case ProtocolKind::Html:
            return m_owner.raise(&FetchlingListener::OnBeginHtmlProtocol);
        case ProtocolKind::Excel:
            return m_owner.raise(&FetchlingListener::OnBeginExcelProtocol);
        case ProtocolKind::Csv:
            return m_owner.raise(&FetchlingListener::OnBeginCsvProtocol);
        }
    }
    void StepChange(int StepCount, int NumberStep, bool& rCancel) override
    {
        switch (m_kind) {
        case ProtocolKind::Html:
            return m_owner.raise(&FetchlingListener::StepChangeHtmlProtocol, StepCount, NumberStep, rCancel);
        case ProtocolKind::Excel:
            return m_owner.raise(&FetchlingListener::StepChangeExcelProtocol, StepCount, NumberStep, rCancel);
        case ProtocolKind::Csv:
            return m_owner.raise(&FetchlingListener::StepChangeCsvProtocol, StepCount, NumberStep, rCancel);
        }
    }
    void OnEnd() override
    {
        switch (m_kind) {
        case ProtocolKind::Html:
            return m_owner.raise(&FetchlingListener::OnEndHtmlProtocol);
        case ProtocolKind::Excel:
            return m_owner.raise(&FetchlingListener::OnEndExcelProtocol);
        case ProtocolKind::Csv:
            return m_owner.raise(&FetchlingListener::OnEndCsvProtocol);
        }
    }

private:
    Fetchling& m_owner;
    ProtocolKind m_kind;
};

Fetchling::Fetchling(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                     core::mUnzipper& unzipper, core::mLogFile& log, const diadoc::mDiadoc& diadoc)
    : m_options(options)
    , m_clock(clock)
    , m_ui(ui)
    , m_unzipper(unzipper)
    , m_log(log)
{
    try {
        m_memoryLimit = options.Get_LimitDocsInMemory();
        m_versionText =
            u"Версия "_s + core::mOther::GetVersion() + u" (+DiadocAPI v. "_s + diadoc.GetVersionDiadocAPI() + u")"_s;
        m_layout = std::make_unique<FolderLayout>(options);
        m_powersOfAttorney = std::make_unique<PowerOfAttorneyFiles>(core::mOther::FilesLib());
        m_tasksHandler = std::make_unique<TasksHandler>(*this);
        m_docsHandler = std::make_unique<DocsHandler>(*this);
        m_htmlRelay = std::make_unique<ProtocolRelay>(*this, ProtocolKind::Html);
        m_excelRelay = std::make_unique<ProtocolRelay>(*this, ProtocolKind::Excel);
        m_csvRelay = std::make_unique<ProtocolRelay>(*this, ProtocolKind::Csv);
        ПодготовкаНовойВыгрузки(m_ownPersons, 0, false, false, false, false, false, false, false);
    } catch (...) {
        core::PropagateError(kModule, u"Class_Initialize");
    }
}

Fetchling::~Fetchling()
{
    // The request queue first, then the organisations, then the downloads, as a run is released.
    m_tasks.reset();
    m_persons = &m_ownPersons;
    m_docs.reset();
    m_path.clear();
    m_layout.reset();
}

void Fetchling::takeCancel(bool cancel)
{
    // Only a new preparation clears the stop flag: a later False answer does not resume a run.
    if (cancel)
        m_stop = true;
}

void Fetchling::ПодготовкаНовойВыгрузки(PersonsCollection& aКоллекцияОрганизаций, int aПоКакимДатамВыбирать,
                                        bool aWithProtocol, bool aWithNoSended, bool aWithDeleted, bool aWithRevoked,
                                        bool aWithInternal, bool aWithSignatureRejected, bool aOnlyFinished)
{
    try {
        static_cast<void>(aWithNoSended);
        m_stop = false;
        m_persons = &aКоллекцияОрганизаций;
        m_withProtocol = aWithProtocol;
        m_withNoSended = false;
        m_withDeleted = aWithDeleted;
        m_withRevoked = aWithRevoked;
        m_withInternal = aWithInternal;
        m_withSignatureRejected = aWithSignatureRejected;
        m_onlyFinished = aOnlyFinished;

        m_excludeMHD = m_options.Get_ExcludeMHD() != 0;
        m_exclusions = m_options.Get_DocNamesExclude(true);
        m_layout->startRun(m_options.Get_MaxFolderNameLength(), m_options.Get_ExcludeNegligible() != 0);
        m_layout->setPersons(m_persons);
        m_loadContentByZip = m_options.Get_LoadContentByZip() != 0;
        m_metadata = std::make_unique<MetadataFile>(*m_persons, m_versionText, &m_log,
                                                    [this] { return m_clock.currentDateTime(); });

        // The answers to the two events of a preparation are not read: a new run starts unstopped.
        m_tasks.reset();
        m_tasks = std::make_unique<diadoc::AsyncTasks>(m_options, m_clock, m_ui);
        m_tasks->attach(m_tasksHandler.get());
        bool cancelTasks = false;
        raise(&FetchlingListener::OnChangedTasks, *m_tasks, cancelTasks);
        m_tasks->SetOrg(*m_persons);
        m_tasks->SetDateTypeSelect(aПоКакимДатамВыбирать);

        m_docs.reset();
        m_docs = std::make_unique<diadoc::AsyncContents>(m_options, m_clock, m_ui, m_unzipper, m_log);
        m_docs->attach(m_docsHandler.get());
        bool cancelDocs = false;
        raise(&FetchlingListener::OnChangedDocs, *m_docs, cancelDocs);

        m_folderRemovals = 0;
    } catch (...) {
        core::PropagateError(kModule, u"ПодготовкаНовойВыгрузки");
    }
}

diadoc::AsyncContents& Fetchling::AsyncDocs()
{
    return *m_docs;
}

diadoc::AsyncTasks& Fetchling::AsyncTasks()
{
    return *m_tasks;
}

int Fetchling::packageRequests() const
{
    return m_layout->packageRequests();
}

ProtocolProgress& Fetchling::protocolProgress(ProtocolKind kind)
{
    switch (kind) {
    case ProtocolKind::Excel:
        return *m_excelRelay;
    case ProtocolKind::Csv:
        return *m_csvRelay;
    case ProtocolKind::Html:
        break;
    }
    return *m_htmlRelay;
}

bool Fetchling::WriteProtocolHtml(const QString& aFileName, const SummaryRows& aAddText, ProtocolFolders* folders)
{
    ProtocolSource source = protocolSource();
    source.folders = folders;
    return HtmlProtocol(source, aAddText, *m_htmlRelay, m_ui).write(aFileName);
}

bool Fetchling::WriteProtocolCsv(const QString& aFileName, ProtocolFolders* folders)
{
    ProtocolSource source = protocolSource();
    source.folders = folders;
    return CsvProtocol(source, *m_csvRelay, m_ui).write(aFileName);
}

int Fetchling::picturecode(const QString& sss)
{
    return HtmlProtocol::picturecode(sss);
}

QString Fetchling::WriteProtocolExcel(platform::excel::Workbook& aBook, const SummaryRows& aAddText,
                                      ProtocolFolders* folders)
{
    ProtocolSource source = protocolSource();
    source.folders = folders;
    ExcelProtocol writer(source, *m_excelRelay);
    return writer.WriteProtocolExcel(aBook, aAddText);
}

ProtocolSource Fetchling::protocolSource() const
{
    ProtocolSource source;
    source.path = m_path;
    source.persons = m_persons;
    const auto copy = [](const auto& list, auto& into) {
        for (const auto& rec : list)
            into.append(rec);
    };
    copy(m_docs->UnloadedList(), source.unloadedList);
    copy(m_docs->IgnoredList(), source.ignoredList);
    copy(m_docs->MainQueue(), source.docsMainQueue);
    copy(m_docs->SecondaryQueue(), source.docsSecondaryQueue);
    copy(m_docs->UnloadingList(), source.unloadingList);
    copy(m_tasks->ExecutedList(), source.executedList);
    copy(m_tasks->ExecutingList(), source.executingList);
    copy(m_tasks->SecondaryQueue(), source.tasksSecondaryQueue);
    copy(m_tasks->MainQueue(), source.tasksMainQueue);
    return source;
}

void Fetchling::MainДобавлениеЗапросовВОчередь(const QString& aNodeKey, const QString& aДепартаментName,
                                               const QString& aFolder, int aDaysCount, const Variant& aDateFrom,
                                               const Variant& aDateTo)
{
    try {
        if (!aFolder.isEmpty()) {
            m_path = aFolder;
            m_layout->setUnloadFolder(aFolder);
            m_layout->setPattern(m_options.Get_StructurePath());
        }
        const QString organisationKey = m_options.utility().GetToken(aNodeKey, u"|"_s, 1);
        QString departmentId;
        // A department node's key ends with "|dep" and the department's identifier.
        if (const qsizetype bar = aNodeKey.lastIndexOf(u'|'); bar >= 0)
            departmentId = aNodeKey.mid(bar + 4);
        const auto& classes = mDiadocDocuments::GetDocClassCollection();
        for (int position = 1; position <= classes.Count() && !m_stop; ++position) {
            const QString key = mDiadocDocuments::GetDocClass(position).Key;
            if (key != u"Internal"_s || m_withInternal) {
                m_tasks->ДобавлениеЗапросовВОчередьByDates(organisationKey, departmentId, aДепартаментName, u"Any"_s,
                                                           key, QString(), aDaysCount, aDateFrom, aDateTo, true,
                                                           m_withNoSended);
            }
        }
    } catch (...) {
        core::PropagateError(kModule, u"MainДобавлениеЗапросовВОчередь");
    }
}

int Fetchling::ПостановкаДокументовВОчередьНаЗагрузку()
{
    try {
        int result = 0;
        auto rec = m_tasks->GetFirstResult();
        while (rec) {
            if (rec->TaskObject)
                result = ПостановкаДокументовВОчередьНаВыгрузкуПоОдномуСписку(rec);
            if (m_stop)
                break;
            rec->TaskObject.reset();
            rec = m_tasks->GetNextResult();
        }
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"ПостановкаДокументовВОчередьНаЗагрузку");
    }
}

int Fetchling::ОбработкаВыгруженныхДокументов()
{
    try {
        int n = 0;
        auto rec = m_docs->GetFirstResult();
        while (rec) {
            ++n;
            if (m_stop)
                break;
            rec = m_docs->GetNextResult();
        }
        return n;
    } catch (...) {
        core::PropagateError(kModule, u"ОбработкаВыгруженныхДокументов");
    }
}

void Fetchling::fAsyncTasks_OnAllowNextTaskStart(bool& rAllow)
{
    try {
        m_docs->РазобратьРаботающиеЗапросы();
        // At the memory limit no list request starts until the waiting documents go; with none in
        // flight, only a start of the download queue makes them go: the run never waits on itself.
        m_docs->StartWhenNoneInFlight();
        rAllow = m_docs->Count(1) + m_docs->Count(2) + m_docs->Count(3) < m_memoryLimit;
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncTasks_OnAllowNextTaskStart");
    }
}

void Fetchling::fAsyncTasks_OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rAsyncTskRecord)
{
    try {
        raise(&FetchlingListener::OnExecutedTask, rAsyncTskRecord);
        if (!m_stop) {
            m_docs->РазобратьРаботающиеЗапросы();
            if (rAsyncTskRecord->TaskObject) {
                ПостановкаДокументовВОчередьНаВыгрузкуПоОдномуСписку(rAsyncTskRecord);
                rAsyncTskRecord->TaskObject.reset();
            }
        }
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncTasks_OnExecutedTask");
    }
}

void Fetchling::fAsyncTasks_OnChanged(bool& rCancel)
{
    try {
        raise(&FetchlingListener::OnChangedTasks, *m_tasks, rCancel);
        takeCancel(rCancel);
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncTasks_OnChanged");
    }
}

void Fetchling::fAsyncTasks_OnWait(bool& rCancel)
{
    try {
        raise(&FetchlingListener::OnWait, rCancel);
        takeCancel(rCancel);
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncTasks_OnWait");
    }
}

int Fetchling::ПостановкаДокументовВОчередьНаВыгрузкуПоОдномуСписку(const std::shared_ptr<diadoc::AsyncTskRecord>& rec)
{
    try {
        int result = 0;
        const auto list = rec->TaskObject->Result().as<platform::diadoc::DiadocList>();
        if (!list)
            throw core::Error(kTypeMismatch, u"Type mismatch"_s);
        const int count = list->Count();
        for (int p = 0; p < count; ++p) {
            const auto doc = list->itemAs<DiadocDocument>(p);
            if (!doc)
                throw core::objectNotSet();
            if (const QString reason = ignoreReason(*doc); !reason.isEmpty()) {
                m_docs->AddDocInListIgnored(*rec, doc, reason);
            } else {
                const Variant folderDate = m_layout->DateForPathFolder(*doc);
                const QString path = FolderLayout::joinPath(m_path, m_layout->MoldPath(*rec, *doc, folderDate));
                if (m_docs->AddNewDocInQueue(*rec, doc, path, m_withProtocol, m_loadContentByZip))
                    ++result;
            }
            if (m_stop)
                break;
        }
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"ПостановкаДокументовВОчередьНаВыгрузкуПоОдномуСписку");
    }
}

QString Fetchling::ignoreReason(DiadocDocument& doc) const
{
    if (m_onlyFinished && !mDiadocDocuments::IsFinished(doc)) {
        const auto docflow = doc.DocflowStatus();
        const auto primary = docflow ? docflow->PrimaryStatus() : nullptr;
        return kNotFinished + u"\r\n"_s + (primary ? primary->Text() : QString());
    }
    if (doc.IsDeleted() && !m_withDeleted)
        return kDeleted;
    if (doc.RevocationStatus() == u"RevocationAccepted"_s && !m_withRevoked)
        return kRevoked;
    if (doc.Status().endsWith(u"SignatureRequestRejected"_s) && !m_withSignatureRejected)
        return kSignatureRejected;
    if (IsDocInListExclude(doc.Title(), doc.Direction()))
        return kExcludedTitle;
    return {};
}

bool Fetchling::IsDocInListExclude(const QString& title, const QString& direction) const
{
    try {
        const QString t = core::Trim(core::mIO::FixBadChars(title)).toUpper();
        const auto& utility = m_options.utility();
        for (const auto& row : m_exclusions) {
            if (utility.TextPosition(row.Name, t) < 1)
                continue;
            if (row.Folder == u"Все"_s || (row.Folder == u"Входящие"_s && direction == u"Inbound"_s)
                || (row.Folder == u"Исходящие"_s && direction == u"Outbound"_s)
                || (row.Folder == u"Внутренние"_s && direction == u"Internal"_s))
                return true;
        }
        return false;
    } catch (...) {
        core::PropagateError(kModule, u"IsDocInListExclude");
    }
}

void Fetchling::fAsyncDocs_OnBeforeAddInUnloadedList(const std::shared_ptr<diadoc::AsyncDocRecord>& rDocRecord,
                                                     QString& rCancelReason)
{
    try {
        diadoc::AsyncDocRecord& rec = *rDocRecord;
        if (!rec.DiadocDocument)
            throw core::objectNotSet();
        if (m_excludeMHD)
            m_powersOfAttorney->УдалениеФайловМЧД(rec.Path, rec.PathForDownload, *rec.DiadocDocument);
        const QString text = m_metadata->SaveN7L(rec.Path, *rec.DiadocDocument, rec.KeyОрганизацииВКоллекции);
        if (!text.isEmpty())
            rCancelReason = text;
        rec.DiadocDocument.reset();
    } catch (...) {
        rDocRecord->DiadocDocument.reset();
        core::PropagateError(kModule, u"fAsyncDocs_OnBeforeAddInUnloadedList");
    }
}

void Fetchling::fAsyncDocs_OnChanged(bool& rCancel)
{
    try {
        raise(&FetchlingListener::OnChangedDocs, *m_docs, rCancel);
        takeCancel(rCancel);
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncDocs_OnChanged");
    }
}

void Fetchling::fAsyncDocs_OnWait(bool& rCancel)
{
    try {
        raise(&FetchlingListener::OnWait, rCancel);
        takeCancel(rCancel);
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncDocs_OnWait");
    }
}

void Fetchling::fAsyncDocs_OnBadUnload(bool& rCancel)
{
    try {
        ++m_folderRemovals;
        raise(&FetchlingListener::OnBadUnloadDoc, m_folderRemovals, rCancel);
        takeCancel(rCancel);
    } catch (...) {
        core::PropagateError(kModule, u"fAsyncDocs_OnBadUnload");
    }
}

} // namespace engine
