#include "FailureWatch.h"

#include <algorithm>

#include <QStringList>

#include "base/FailureTexts.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mOther.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

constexpr char16_t kModule[] = u"FailureWatch";
const QString kCrLf = u"\r\n"_s;
const QString kTasksHead =
    u"Обращение к Диадок API (для запроса списка документов) завершилось с критической ошибкой: "_s;
const QString kContentHead =
    u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической ошибкой: "_s;
// The inline form opens the quotation itself: the error follows it directly.
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

QString join(const QStringList& lines)
{
    return lines.join(kCrLf);
}

QString quoted(const QString& error)
{
    return u'"' + error + u"\"."_s;
}

bool isMemory(const QString& error)
{
    return error == QString::fromUtf16(core::failure::kBadAllocation);
}

bool isServiceBox(const QString& error)
{
    return error.startsWith(kMissingBox) || error.startsWith(kBoxAccess);
}

} // namespace

FailureWatch::FailureWatch(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                           RunObserver& observer, DiskSpaceProbe probe)
    : m_options(options)
    , m_clock(clock)
    , m_ui(ui)
    , m_observer(observer)
    , m_probe(std::move(probe))
{
}

QString FailureWatch::diskFullReason()
{
    return kDiskFullTitle;
}

void FailureWatch::OnBadUnloadDoc(int& count, bool& rCancel)
{
    m_badUnloadCount = count;
    rCancel = m_stop;
}

void FailureWatch::OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rec)
{
    if (rec->DocumentsCount > m_maxDocsInOneList) {
        m_maxDocsInOneList = rec->DocumentsCount;
        m_observer.maxDocsInOneListChanged(m_maxDocsInOneList);
    }
}

QString FailureWatch::listFailureMessage(const QString& error)
{
    if (isMemory(error))
        return join({kTasksHead, quoted(error), kStopLine, {}, kMemoryCause, kMemoryAdvice});
    if (isServiceBox(error))
        return join({kTasksHead, quoted(error), kStopLine, {}, kServiceCause, kServiceAdvice});
    if (error.startsWith(kInvalidType))
        return join({kTasksHead, quoted(error), kStopLine, {}, kServiceAdvice});
    return {};
}

QString FailureWatch::downloadFailureMessage(const QString& error, const QString& path, const DiskSpaceProbe& probe)
{
    if (isMemory(error))
        return join({kContentHead, quoted(error), kStopLine, {}, kMemoryCause, kMemoryAdvice});
    if (isServiceBox(error))
        return join({kContentHead, quoted(error), kStopLine, {}, kServiceCause, kServiceAdvice});
    if (error == QString::fromUtf16(core::failure::kFileWriteError)) {
        QString sentence;
        const QString first = kContentHeadInline + error + u"\"."_s;
        if (probe(path, sentence) < kLowDiskBytes)
            return join({first, kStopLine, {}, kDiskCause, sentence, kDiskAdvice});
        return join({first, kStopLine});
    }
    return {};
}

QString FailureWatch::ignoredMessage(const QString& error, const QString& path, const DiskSpaceProbe& probe)
{
    if (error != QString::fromUtf16(core::failure::kDiskFull))
        return {};
    QString sentence;
    if (probe(path, sentence) >= kLowDiskBytes)
        return {};
    return join({kDiskFullTitle, kStopLine, sentence, u"Рекомендуется:"_s,
                 u"Освободить место на диске или выгружать на другой диск."_s});
}

// The three failure handlers are event procedures: an error inside one is shown and the queue
// goes on; a stop already set stays set.
void FailureWatch::OnAddedInSecondaryQueue(const AsyncTasksListener::Record& rec, int position)
{
    try {
        ++m_listFailures;
        m_observer.failuresCounted(m_listFailures, m_downloadFailures);
        pause();
        m_observer.failureListed(rec, position);
        if (const QString message = listFailureMessage(rec->ErrorDescription); !message.isEmpty())
            fatal(message, rec->ErrorDescription);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"fAsyncTasks_OnAddedInSecondaryQueue");
    }
}

void FailureWatch::OnAddedInSecondaryQueue(const AsyncContentsListener::Record& rec)
{
    try {
        ++m_downloadFailures;
        m_observer.failuresCounted(m_listFailures, m_downloadFailures);
        pause();
        m_observer.failureListed(rec, false);
        if (const QString message = downloadFailureMessage(rec->ErrorDescription, rec->Path, m_probe);
            !message.isEmpty())
            fatal(message, rec->ErrorDescription);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"fAsyncDocs_OnAddedInSecondaryQueue");
    }
}

void FailureWatch::OnAddedInПустыеЗапросы(const AsyncContentsListener::Record& rec)
{
    try {
        m_observer.failureListed(rec, true);
        if (const QString message = ignoredMessage(rec->ErrorDescription, rec->Path, m_probe); !message.isEmpty())
            fatal(message, kDiskFullTitle);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"fAsyncDocs_OnAddedInПустыеЗапросы");
    }
}

void FailureWatch::memoryStop(bool duringDownloads)
{
    const QString error = QString::fromUtf16(core::failure::kBadAllocation);
    fatal(duringDownloads ? downloadFailureMessage(error, QString(), m_probe) : listFailureMessage(error), error);
}

void FailureWatch::pause()
{
    // Slept in slices, so that a stop asked meanwhile (the window answers its messages while the
    // clock sleeps) ends the pause: the run is not held up to ten seconds for nothing.
    const qint64 end = m_clock.nowMs() + qint64(m_options.Get_TimeOut()) * 10;
    for (qint64 left = end - m_clock.nowMs(); left > 0 && !m_stop; left = end - m_clock.nowMs())
        m_clock.sleep(static_cast<int>(std::min<qint64>(left, kPauseSliceMs)));
}

void FailureWatch::fatal(const QString& message, const QString& reason)
{
    // The stop comes before the box: a box that cannot be shown must not let the run go on.
    m_stopReason = reason;
    m_stop = true;
    core::mOther::iMsgBox(m_ui, message, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
}

} // namespace run
