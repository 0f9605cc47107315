#include "StartSequence.h"

#include "core/DateText.h"
#include "core/MsgBox.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mOther.h"
#include "run/DateRules.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
constexpr char16_t kModule[] = u"StartSequence";
const QString kCrLf = u"\r\n"_s;
} // namespace

StartSequence::StartSequence(const Services& services, RunObserver& observer, DiskSpaceProbe probe)
    : m_services(services)
    , m_observer(observer)
    , m_run(services, observer, std::move(probe))
{
}

int StartSequence::exitCode(const RunOutcome& outcome)
{
    if (outcome.stopped)
        return kExitStopped;
    if (!outcome.failedProtocols.isEmpty())
        return kExitProtocolsFailed;
    return outcome.complete() ? kExitDone : kExitIncomplete;
}

RunRequest StartSequence::storedChoices(const core::mFetchlingOptions& options, const QDate& today,
                                        std::vector<OrgNode> nodes)
{
    try {
        const DateRules::Period period = DateRules::atStart(options, today);
        RunRequest request;
        request.unloadFolder = options.GetDefault_Path();
        request.from = period.from;
        request.to = period.to;
        request.notes = period.replaced;
        request.flags = RunFlags::fromOptions(options);
        request.nodes = std::move(nodes);
        return request;
    } catch (...) {
        core::PropagateError(kModule, u"storedChoices");
    }
}

StartSequence::Result StartSequence::refuse()
{
    try {
        Result result;
        result.refusal = m_run.refusalText();
        core::mOther::iMsgBox(m_services.ui, result.refusal, core::msgbox::vbOKOnly | core::msgbox::vbInformation);
        result.nextFrom = dateStep(QDate(), false);
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"refuse");
    }
}

StartSequence::Result StartSequence::start(const RunRequest& choices, const Organisations& organisations)
{
    try {
        if (refusesNewRuns())
            return refuse();
        RunRequest request = choices;
        Result result;
        result.refusal = refusalOf(request);
        if (!result.refusal.isEmpty()) {
            result.nextFrom = dateStep(QDate(), false);
            return result;
        }
        const RunOutcome outcome = m_run.execute(request, organisations);
        result.ran = true;
        result.exitCode = exitCode(outcome);
        result.nextFrom = dateStep(request.to, DateRules::keepsEndDate(outcome));
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"start");
    }
}

QString StartSequence::refusalOf(RunRequest& request)
{
    using namespace core::msgbox;
    core::UiServices& ui = m_services.ui;
    const UnloadFolder::Check folder = UnloadFolder::check(request.unloadFolder, m_services.folders, ui);
    if (!folder.folder.isEmpty())
        m_observer.unloadFolderChecked(folder.folder);
    if (!folder.ok()) {
        // A declined question about a folder better avoided was the message.
        if (!folder.asked)
            core::mOther::iMsgBox(ui, folder.refusal, folder.style);
        return folder.refusal;
    }
    request.unloadFolder = folder.folder;

    QString refusal;
    int style = vbOKOnly | vbInformation;
    if (request.nodes.empty()) {
        refusal = u"Нет ни одной организации (ни одного подразделения)."_s;
    } else if (request.tickedCount() == 0) {
        refusal = u"Не выбрано ни одного подразделения."_s;
    } else if (!request.from.isValid() || !request.to.isValid()) {
        refusal = u"Период выгрузки задан неверно: с "_s + core::dateText(request.from) + u" по "_s
                  + core::dateText(request.to) + u'.';
        style = vbOKOnly | vbExclamation;
    } else if (request.from > request.to) {
        // Such a period lists nothing, and its run would still report an unloading done.
        refusal = u"Период выгрузки задан неверно: дата начала ("_s + core::dateText(request.from)
                  + u") позже даты окончания ("_s + core::dateText(request.to) + u")."_s + kCrLf
                  + u"Укажите период, который начинается не позже, чем заканчивается."_s;
        style = vbOKOnly | vbExclamation;
    }
    if (!refusal.isEmpty())
        core::mOther::iMsgBox(ui, refusal, style);
    return refusal;
}

QDate StartSequence::dateStep(const QDate& endDate, bool keep)
{
    QStringList replaced;
    const QDate next = DateRules::afterRun(m_services.options, endDate, keep, &replaced);
    for (const QString& line : replaced)
        m_services.log.WriteLogFile(line);
    return next;
}

} // namespace run
