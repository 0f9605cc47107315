#include "HeadlessRun.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mIO.h"
#include "core/mLogFile.h"
#include "core/mOther.h"
#include "core/mSystem.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTasksListener.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadoc.h"
#include "diadoc/mDiadocErrors.h"
#include "engine/Fetchling.h"
#include "engine/FetchlingListener.h"
#include "engine/ProtocolTexts.h"
#include "platform/diadoc/DiadocConnection.h"
#include "platform/diadoc/DiadocDepartment.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/Variant.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/zip/LibzipLibraries.h"

using namespace Qt::StringLiterals;

namespace app {

namespace {

constexpr char16_t kModule[] = u"HeadlessRun";
constexpr int kRunRefused = 5;

const QString kCrLf = u"\r\n"_s;
const QString kTasksHead =
    u"Обращение к Диадок API (для запроса списка документов) завершилось с критической ошибкой: "_s;
const QString kContentHead =
    u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической ошибкой: "_s;
// The inline form opens the quotation itself: the error follows directly.
const QString kContentHeadInline =
    u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической ошибкой \""_s;
const QString kStopLine = u"Процесс выгрузки документов будет остановлен."_s;
const QString kMemoryCause = u"Вероятно исчерпана доступная процессу оперативная память."_s;
const QString kMemoryAdvice = u"Рекомендуется: За один запуск программы выгружать меньшее количество документов. "
                              u"Например, выбирая меньший диапазон дат документов."_s;
const QString kServiceCause = u"Вероятно проблема с Diadoc (DiadocAPI)."_s;
const QString kServiceAdvice = u"Рекомендуется: Обратиться к разработчикам программы."_s;
const QString kDiskCause = u"Вероятно исчерпано свободное место на диске."_s;
const QString kDiskAdvice = u"Рекомендуется: Освободить место на диске или выгружать на другой диск."_s;
const QString kDiskFullTitle = u"Исчерпано свободное место на диске."_s;
const QString kMissingBox = u"##100[Ошибка сервера Диадок]code:404, HTTP error: Unknown box:"_s;
const QString kBoxAccess = u"##100[Ошибка сервера Диадок]code:403, HTTP error: Access to Box"_s;
const QString kInvalidType = u"##100[Ошибка сервера Диадок]code:400, HTTP error: ReturnInventoryAcceptanceCertificate "
                             u"is not a valid document type"_s;
constexpr double kLowDiskBytes = 50000000.0;

QString yesNo(bool on)
{
    return on ? u"Да"_s : u"Нет"_s;
}

QString quoted(const QString& error)
{
    return u'"' + error + u"\"."_s;
}

// The drive text of a storage: its root with a closing separator.
QString driveText(const QStorageInfo& storage)
{
    QString root = storage.rootPath();
    if (!root.endsWith(u'/'))
        root += u'/';
    return root;
}

// Free bytes for this user on the drive of a path, and the sentence about them that the failure
// messages show; 0 when they cannot be had.
double diskFreeSpace(const QString& path, QString& sentence)
{
    QString probe = path;
    while (!probe.isEmpty() && !QFileInfo::exists(probe))
        probe = QFileInfo(probe).path() == probe ? QString() : QFileInfo(probe).path();
    if (probe.isEmpty()) {
        sentence = u"Свободное место на диске определить не удалось."_s;
        return 0;
    }
    const QStorageInfo storage(probe);
    if (!storage.isValid() || !storage.isReady()) {
        const int code = errno;
        sentence = u"Свободное место на диске "_s + probe + u" определить не удалось. Причина: "_s
                   + (code != 0 ? core::mSystem::GetApiErrorMessage(code) : QString());
        return 0;
    }
    const auto available = static_cast<double>(storage.bytesAvailable());
    const auto total = static_cast<double>(storage.bytesTotal());
    const auto free = static_cast<double>(storage.bytesFree());
    QString allFree;
    if (std::abs(available - free) > 100000.0)
        allFree = u" (всего свободно "_s + core::mSystem::MemCStr(free, false) + u')';
    sentence = u"Свободное место на диске "_s + driveText(storage) + u" = "_s + core::mSystem::MemCStr(available, true)
               + u" из "_s + core::mSystem::MemCStr(total, true) + allFree + u'.';
    return available;
}

} // namespace

// The window's part of a run without a window: it counts the failed attempts, pauses before a
// retry, stops the run on a failure after which it cannot go on, and hands the stop to the engine.
class HeadlessRun::Watch final : public engine::FetchlingListener,
                                 public diadoc::AsyncTasksListener,
                                 public diadoc::AsyncContentsListener
{
public:
    Watch(core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui)
        : m_options(options)
        , m_clock(clock)
        , m_ui(ui)
    {
    }

    void OnChangedTasks(diadoc::AsyncTasks&, bool& rCancel) override { rCancel = stop; }
    void OnChangedDocs(diadoc::AsyncContents&, bool& rCancel) override { rCancel = stop; }
    void OnWait(bool& rCancel) override { rCancel = stop; }
    void OnBadUnloadDoc(int& count, bool& rCancel) override
    {
        badUnloadCount = count;
        rCancel = stop;
    }
    void OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rec) override
    {
        maxDocsInOneList = std::max(maxDocsInOneList, rec->DocumentsCount);
    }

    void OnAddedInSecondaryQueue(const AsyncTasksListener::Record& rec) override
    {
        ++listFailures;
        pause();
        const QString& error = rec->ErrorDescription;
        QString message;
        if (error == QString::fromUtf16(core::failure::kBadAllocation))
            message = join({kTasksHead, quoted(error), kStopLine, {}, kMemoryCause, kMemoryAdvice});
        else if (error.startsWith(kMissingBox) || error.startsWith(kBoxAccess))
            message = join({kTasksHead, quoted(error), kStopLine, {}, kServiceCause, kServiceAdvice});
        else if (error.startsWith(kInvalidType))
            message = join({kTasksHead, quoted(error), kStopLine, {}, kServiceAdvice});
        else
            return;
        fatal(message, rec->ErrorDescription);
    }

    void OnAddedInSecondaryQueue(const AsyncContentsListener::Record& rec) override
    {
        ++downloadFailures;
        pause();
        const QString& error = rec->ErrorDescription;
        QString message;
        if (error == QString::fromUtf16(core::failure::kBadAllocation)) {
            message = join({kContentHead, quoted(error), kStopLine, {}, kMemoryCause, kMemoryAdvice});
        } else if (error.startsWith(kMissingBox) || error.startsWith(kBoxAccess)) {
            message = join({kContentHead, quoted(error), kStopLine, {}, kServiceCause, kServiceAdvice});
        } else if (error == QString::fromUtf16(core::failure::kFileWriteError)) {
            QString sentence;
            if (diskFreeSpace(rec->Path, sentence) < kLowDiskBytes)
                message =
                    join({kContentHeadInline + error + u"\"."_s, kStopLine, {}, kDiskCause, sentence, kDiskAdvice});
            else
                message = join({kContentHeadInline + error + u"\"."_s, kStopLine});
        } else {
            return;
        }
        fatal(message, rec->ErrorDescription);
    }

    void OnAddedInПустыеЗапросы(const AsyncContentsListener::Record& rec) override
    {
        if (rec->ErrorDescription != QString::fromUtf16(core::failure::kDiskFull))
            return;
        QString sentence;
        if (diskFreeSpace(rec->Path, sentence) >= kLowDiskBytes)
            return;
        fatal(join({kDiskFullTitle, kStopLine, sentence, u"Рекомендуется:"_s,
                    u"Освободить место на диске или выгружать на другой диск."_s}),
              kDiskFullTitle);
    }

    bool stop = false;
    QString stopReason;
    int listFailures = 0;
    int downloadFailures = 0;
    int badUnloadCount = 0;
    int maxDocsInOneList = -1;

private:
    static QString join(const QStringList& lines) { return lines.join(kCrLf); }

    // The delay before a failed request or download is tried again (TimeOut is in hundredths).
    void pause() { m_clock.sleep(m_options.Get_TimeOut() * 10); }

    void fatal(const QString& message, const QString& reason)
    {
        core::mOther::iMsgBox(m_ui, message, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
        stopReason = reason;
        stop = true;
    }

    core::mFetchlingOptions& m_options;
    core::Clock& m_clock;
    core::UiServices& m_ui;
};

HeadlessRun::HeadlessRun(core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                         platform::diadoc::DiadocClientFactory& factory)
    : m_options(options)
    , m_clock(clock)
    , m_ui(ui)
    , m_zipLibraries(std::make_unique<platform::zip::LibzipLibraries>())
    , m_unzipper(std::make_unique<core::mUnzipper>(*m_zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)))
    , m_log(std::make_unique<core::mLogFile>(ui, [&clock] { return clock.currentDateTime(); }))
    , m_diadoc(std::make_unique<diadoc::mDiadoc>(factory, options))
    , m_watch(std::make_unique<Watch>(options, clock, ui))
{
}

HeadlessRun::~HeadlessRun()
{
    // The engine holds the persons and the queues that the watch listens to.
    m_fetchling.reset();
}

engine::Fetchling& HeadlessRun::fetchling()
{
    if (!m_fetchling)
        throw core::Error(91, u"Object variable or With block variable not set"_s);
    return *m_fetchling;
}

core::mLogFile& HeadlessRun::log()
{
    return *m_log;
}

void HeadlessRun::signIn()
{
    try {
        const int kind = m_options.Get_TypeDiadocAccount();
        const QString login = m_options.Get_Login();
        const QString thumbprint = m_options.GetDefault_Certificate();
        if ((kind == 1 && login.isEmpty()) || (kind != 1 && thumbprint.isEmpty()))
            throw core::Error(kRunRefused, u"Вы не авторизованы в Диадок. Требуется авторизация."_s);

        const QString apiKey = m_options.Get_KeyDiadocAPI().trimmed();
        QString connectionError;
        const auto connection = m_diadoc->GetConnectionDiadocAPIEx(apiKey, connectionError);
        QString who;
        if (kind == 1) {
            who = u"с логином \""_s + login + u'"';
        } else {
            QString ignored;
            who = u"по сертификату "_s + m_diadoc->GetDiadocPersonalCertificateName(thumbprint, ignored);
        }
        if (!connection) {
            throw core::Error(kRunRefused,
                              u"Вы не авторизованы в Диадок. Требуется авторизация."_s + kCrLf
                                  + u"Попытка авторизации "_s + who + u" завершилась с ошибкой \""_s
                                  + diadoc::mDiadocErrors(m_options.utility()).DiadocErrorTranslate(connectionError)
                                  + u"\"."_s);
        }
        QString listError;
        std::shared_ptr<platform::diadoc::DiadocList> list;
        try {
            list = connection->GetOrganizationList();
        } catch (const core::Error& e) {
            listError = e.description();
        }
        if (list)
            addOrganisations(*list, apiKey);
        if (m_persons.isEmpty()) {
            QString text = u"Авторизация в Диадок "_s + who + u" прошла успешно."_s + kCrLf;
            if (listError.isEmpty())
                text += u"Но, запрос списка организаций не вернул ни одной организации."_s;
            else
                text += u"Но, запрос списка организаций завершился с ошибкой \""_s
                        + diadoc::mDiadocErrors(m_options.utility()).DiadocErrorTranslate(listError) + u"\"."_s;
            throw core::Error(kRunRefused, text);
        }
    } catch (...) {
        core::PropagateError(kModule, u"signIn");
    }
}

void HeadlessRun::addOrganisations(const platform::diadoc::DiadocList& list, const QString& apiKey)
{
    for (int i = 0; i < list.Count(); ++i) {
        const auto organization = list.itemAs<platform::diadoc::DiadocOrganization>(i);
        if (!organization)
            continue;
        const QString key = u"org"_s + organization->Inn() + u'/' + organization->Kpp();
        auto person = std::make_shared<diadoc::PersonRecord>(m_ui);
        person->DiadocOrganization = organization;
        person->NodeID = key;
        person->Name = organization->Name();
        person->KeyDiadocAPI = apiKey;
        if (m_persons.Contains(key)) {
            // Two boxes with one INN and KPP: the one with API access wins, the first one else.
            if (m_persons.Item(key)->APIPayed() || !person->APIPayed())
                continue;
            m_persons.Remove(key);
            std::erase_if(m_nodes,
                          [&key](const Node& node) { return node.key == key || node.key.startsWith(key + u"|"_s); });
        }
        const auto departments = organization->Departments();
        person->IsChildren = departments && departments->Count() > 0;
        m_persons.Add(person, key);
        const QString text = person->Name + u" ("_s + organization->Inn() + u'/' + organization->Kpp() + u')';
        const bool paid = person->APIPayed();
        m_nodes.push_back({key, text, text, paid && m_options.Get_OrgChecked(key) != 0, true});
        if (paid && departments)
            addDepartments(*departments, key, text, apiKey);
    }
}

void HeadlessRun::addDepartments(const platform::diadoc::DiadocList& list, const QString& parentKey,
                                 const QString& parentPath, const QString& apiKey)
{
    static_cast<void>(apiKey);
    for (int i = 0; i < list.Count(); ++i) {
        const auto department = list.itemAs<platform::diadoc::DiadocDepartment>(i);
        if (!department)
            continue;
        const QString key = parentKey + u"|dep"_s + department->id();
        const QString path = parentPath + u'\\' + department->Name();
        m_nodes.push_back(
            {key, department->Name(), path, m_options.Get_OrgChecked(u"dep"_s + department->id()) != 0, false});
        if (const auto below = department->Subdepartments())
            addDepartments(*below, key, path, apiKey);
    }
}

QString HeadlessRun::prepareUnloadFolder() const
{
    QString path = m_options.GetDefault_Path();
    if (path.isEmpty())
        throw core::Error(kRunRefused, u"Выберите папку для сохранения файлов Диадок."_s);
    path.replace(u'\\', u'/');
    if (path.endsWith(u"//"_s))
        path.chop(1);
    if (!path.endsWith(u'/'))
        path += u'/';
    core::mOther::CreateFolderTree(path + u'*');
    if (!QFileInfo(path).isDir())
        throw core::Error(kRunRefused, u"Не удалось создать папку \""_s + path + u"\" для сохранения файлов Диадок."_s);
    return path;
}

HeadlessRun::Result HeadlessRun::run()
{
    try {
        m_result = Result{};
        m_persons = engine::PersonsCollection();
        m_nodes.clear();
        signIn();
        m_result.ticked = static_cast<int>(
            std::count_if(m_nodes.cbegin(), m_nodes.cend(), [](const Node& node) { return node.ticked; }));
        if (m_nodes.empty())
            throw core::Error(kRunRefused, u"Нет ни одной организации (ни одного подразделения)."_s);
        if (m_result.ticked == 0)
            throw core::Error(kRunRefused, u"Не выбрано ни одного подразделения."_s);

        m_result.unloadFolder = prepareUnloadFolder();
        m_result.from = m_options.Get_FromDate();
        m_result.to = m_options.GetDefault_ToDate();
        const QDate from = QDate::fromString(m_result.from, u"dd.MM.yyyy"_s);
        const QDate to = QDate::fromString(m_result.to, u"dd.MM.yyyy"_s);
        if (!from.isValid() || !to.isValid())
            throw core::Error(kRunRefused,
                              u"Период выгрузки задан неверно: с "_s + m_result.from + u" по "_s + m_result.to + u'.');

        m_startTime = m_clock.currentDateTime().toString(u"HH:mm:ss"_s);
        m_log->StartLogFile(m_options.Get_CreateLogFile() != 0 ? m_result.unloadFolder : QString(), QString());
        m_watch = std::make_unique<Watch>(m_options, m_clock, m_ui);
        m_fetchling.reset();
        m_fetchling = std::make_unique<engine::Fetchling>(m_options, m_clock, m_ui, *m_unzipper, *m_log, *m_diadoc);
        m_fetchling->attach(m_watch.get());
        const auto flag = [](int value) { return value == 1; };
        // The hidden "deleted" box is always ticked; the date type stays on its first item.
        m_fetchling->ПодготовкаНовойВыгрузки(
            m_persons, 0, flag(m_options.GetDefault_Protocol()), flag(m_options.Get_NoSended()), true,
            flag(m_options.GetDefault_Revoked()), flag(m_options.Get_Internal()),
            flag(m_options.GetDefault_SignatureRejected()), flag(m_options.Get_Finished()));
        m_fetchling->AsyncTasks().attach(m_watch.get());
        m_fetchling->AsyncDocs().attach(m_watch.get());

        const platform::diadoc::Variant dateFrom(QDateTime(from, QTime(0, 0)));
        const platform::diadoc::Variant dateTo(QDateTime(to, QTime(0, 0)));
        for (const Node& node : m_nodes) {
            if (m_watch->stop)
                break;
            if (node.ticked)
                m_fetchling->MainДобавлениеЗапросовВОчередь(node.key, node.text, m_result.unloadFolder,
                                                            m_options.Get_DaysCountLimit(), dateFrom, dateTo);
        }
        if (!m_watch->stop)
            m_fetchling->ПостановкаДокументовВОчередьНаЗагрузку();
        if (!m_watch->stop)
            m_fetchling->ОбработкаВыгруженныхДокументов();
        m_endTime = m_clock.currentDateTime().toString(u"HH:mm:ss"_s);

        const auto& tasks = m_fetchling->AsyncTasks();
        const auto& docs = m_fetchling->AsyncDocs();
        m_result.listRequests = tasks.Count(4);
        for (const auto& rec : tasks.ExecutedList())
            m_result.listed += std::max(0, rec->DocumentsCount);
        m_result.unloaded = docs.Count(4);
        m_result.ignored = docs.Count(5);
        m_result.left = docs.Count(1) + docs.Count(2) + docs.Count(3);
        for (const auto& rec : docs.IgnoredList())
            if (rec->ErrorDescription == QString::fromUtf16(diadoc::AsyncContents::kRepeatReason))
                ++m_result.repeats;
        m_result.listFailures = m_watch->listFailures;
        m_result.downloadFailures = m_watch->downloadFailures;
        m_result.folderRemovals = m_watch->badUnloadCount;
        m_result.stopped = m_watch->stop || m_fetchling->isStopped();
        m_result.stopReason = m_watch->stopReason;

        writeProtocols();
        return m_result;
    } catch (...) {
        core::PropagateError(kModule, u"run");
    }
}

void HeadlessRun::writeProtocols()
{
    const QString path = m_fetchling->Path().isEmpty() ? m_result.unloadFolder : m_fetchling->Path();
    const QString base = path + engine::ProtocolTexts::protocolBaseName(m_clock.currentDateTime());
    if (m_options.Get_HtmlProtocol() != 0) {
        const QString file = base + QString::fromUtf16(engine::ProtocolTexts::kHtmlExtension);
        if (m_fetchling->WriteProtocolHtml(file, summaryRows(u"html"_s)))
            m_result.protocols.append(file);
    }
    bool excelSaved = true;
    if (m_options.Get_ExcelProtocol() != 0)
        excelSaved = writeExcelProtocol(base);
    if (m_options.Get_CsvProtocol() != 0) {
        const QString file = base + QString::fromUtf16(engine::ProtocolTexts::kCsvExtension);
        if (m_fetchling->WriteProtocolCsv(file))
            m_result.protocols.append(file);
    }

    m_result.endText = m_result.stopped ? u"Выгрузка документов прервана."_s : u"Выгрузка документов завершена."_s;
    QString endText = m_result.endText;
    if (!m_result.protocols.isEmpty()) {
        endText +=
            kCrLf + u"В папке выгрузки ("_s + path
            + (m_result.protocols.size() == 1 ? u") создан файл протокола:"_s : u") созданы файлы протоколов:"_s);
        for (const QString& file : m_result.protocols)
            endText += kCrLf + QFileInfo(file).fileName();
    }
    m_log->WriteLogFile(m_result.endText, true, true);
    // Unattended, a saved Excel protocol ends the run without a message; otherwise the end text
    // is shown, which an unattended run writes to standard error and the run log.
    if (m_options.Get_ExcelProtocol() == 0 || !excelSaved)
        core::mOther::iMsgBox(m_ui, endText, core::msgbox::vbOKOnly | core::msgbox::vbInformation);
}

bool HeadlessRun::writeExcelProtocol(const QString& base)
{
    platform::excel::Application excel;
    const int major = excel.Version().section(u'.', 0, 0).toInt();
    const QString file = base + (major < 12 ? u".xls"_s : u".xlsx"_s);
    auto& book = excel.Workbooks().Add();
    while (book.Sheets().Count() < 3)
        book.Sheets().Add();
    book.Sheets().Item(1).setName(u"Итоги"_s);
    book.Sheets().Item(2).setName(u"Выгружены"_s);
    book.Sheets().Item(3).setName(u"Не выгружены"_s);
    const QString error = m_fetchling->WriteProtocolExcel(book, summaryRows(u"xls"_s));
    book.Sheets().Item(1).Activate();
    if (!error.isEmpty()) {
        core::mOther::iMsgBox(m_ui, error, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
        return false;
    }
    bool saved = false;
    try {
        QFile::remove(file);
        book.SaveAs(file);
        saved = true;
        book.Close(false);
        excel.Quit();
    } catch (const core::Error&) {
        // The message below tells of it; the workbook is simply dropped without a window.
    }
    if (!saved) {
        core::mOther::iMsgBox(
            m_ui,
            u"При сохранении Excel-файла протокола выгрузки со списком выгруженных документов, произошла ошибка."_s,
            core::msgbox::vbOKOnly | core::msgbox::vbExclamation);
        return false;
    }
    m_result.protocols.append(file);
    return true;
}

QString HeadlessRun::caption() const
{
    QString text = QString::fromUtf16(core::kApplicationTitle) + u' ' + m_fetchling->versionText();
    if (m_options.Get_CreateLogFile() != 0) {
        text = u"+Log/ "_s + text;
        if (m_options.Get_LoadContentByZip() != 0)
            text = u"+Zip/"_s + text;
    }
    return text;
}

engine::SummaryRows HeadlessRun::summaryRows(const QString& kind) const
{
    try {
        const bool xls = kind == u"xls";
        const QDateTime now = m_clock.currentDateTime();
        const auto flag = [](int value) { return value == 1; };
        const bool finished = flag(m_options.Get_Finished());
        const auto& tasks = m_fetchling->AsyncTasks();
        const auto& docs = m_fetchling->AsyncDocs();
        const auto sheet = [xls](const QString& name) {
            return xls ? u" (cм. лист \""_s + name + u"\")"_s : QString();
        };

        engine::SummaryRows rows;
        rows.append({u"Протокол выгрузки документов из Диадок от "_s,
                     now.toString(u"yyyy.MM.dd"_s) + u' ' + now.toString(u"HH:mm:ss"_s)});
        rows.append({u"Программа:"_s, caption()});
        rows.append({u"Запрошены документы по датам:"_s, u"с "_s + m_result.from + u" по "_s + m_result.to});
        rows.append({u"Выгружать только документы с законченным документооборотом:"_s, yesNo(finished)});
        rows.append({u"Выгружать документы из папки Внутренние:"_s, yesNo(flag(m_options.Get_Internal()))});
        rows.append({u"Выгружать аннулированные документы:"_s, yesNo(flag(m_options.GetDefault_Revoked()))});
        if (!finished)
            rows.append({u"Выгружать документы с отказом ответной подписи:"_s,
                         yesNo(flag(m_options.GetDefault_SignatureRejected()))});
        rows.append({u"Выгружать файлы протоколов и их подписей:"_s, yesNo(flag(m_options.GetDefault_Protocol()))});
        rows.append({u"Выгружать документы только указанных типов:"_s, yesNo(m_options.Get_SelectiveDocTypes() != 0)});
        rows.append({u"Сохранять файлы МЧД в составе файлов документов (иначе сохранять только ссылки):"_s,
                     yesNo(m_options.Get_ExcludeMHD() == 0)});
        rows.append({u"Скачивать документы в виде zip-файлов с последующей распаковкой:"_s,
                     yesNo(m_options.Get_LoadContentByZip() != 0)});
        rows.append({u"Записывать Log-файлы:"_s, yesNo(m_options.Get_CreateLogFile() != 0)});
        rows.append({u"Путь выгрузки:"_s, m_result.unloadFolder});
        rows.append({u"Выгрузка начата:"_s, m_startTime});
        if (m_result.stopped && m_result.stopReason.isEmpty())
            rows.append({u"Выгрузка остановлена пользователем:"_s, m_endTime});
        else if (m_result.stopped)
            rows.append({u"Выгрузка остановлена:"_s,
                         m_endTime + u" (прервана в связи с \""_s + m_result.stopReason + u"\")"_s});
        else
            rows.append({u"Выгрузка завершена:"_s, m_endTime});
        rows.append({u"Количество полученных непустых списков документов:"_s, QString::number(tasks.Count(4))});
        rows.append({u"Максимальное количество документов в одном списке:"_s,
                     QString::number(std::max(0, m_watch->maxDocsInOneList))});
        rows.append({u"Обнаружено документов в полученных списках всего:"_s, QString::number(docs.Count(0))});
        rows.append(
            {u"Количество успешно выгруженных документов:"_s, QString::number(docs.Count(4)) + sheet(u"Выгружены"_s)});
        if (docs.Count(5) > 0)
            rows.append({u"Количество не выгруженных документов:"_s,
                         QString::number(docs.Count(5)) + sheet(u"Не выгружены"_s)});
        if (m_watch->listFailures != 0)
            rows.append({u"Справочно: Счетчик неудачных попыток запросов списков документов:"_s,
                         QString::number(m_watch->listFailures)});
        if (m_watch->downloadFailures != 0)
            rows.append({u"Справочно: Счетчик неудачных попыток выгрузок документов:"_s,
                         QString::number(m_watch->downloadFailures)});
        if (m_watch->badUnloadCount > 0)
            rows.append({u"Справочно: Счетчик удалений папок:"_s, QString::number(m_watch->badUnloadCount)});
        rows.append({QString(), QString()});
        rows.append({u"Организации и подразделения, выбранные для выгрузки документов:"_s, QString()});
        for (const Node& node : m_nodes) {
            if (!node.ticked)
                continue;
            QString value;
            if (node.organisation) {
                const auto& person = m_persons.Item(node.key);
                if (!person->APIPayed())
                    value = u"Нет доступа к Диадок API: "_s + person->GetDocumentTypesError();
            }
            rows.append({u"    "_s + node.fullPath, value});
        }
        if (m_options.Get_SelectiveDocTypes() != 0) {
            rows.append({QString(), QString()});
            rows.append({u"Типы документов, выбранные для выгрузки документов:"_s, QString()});
            QList<core::DocTypesProvider*> providers;
            for (const auto& person : m_persons)
                providers.append(person.get());
            for (const auto& type : m_options.Get_DocTypes(providers, true))
                rows.append({u"    "_s + type.Name, QString()});
        }
        return rows;
    } catch (...) {
        core::PropagateError(kModule, u"GetReportItogToArray");
    }
}

} // namespace app
