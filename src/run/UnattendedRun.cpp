#include "UnattendedRun.h"

#include "base/Error.h"
#include "core/Clock.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
constexpr char16_t kModule[] = u"UnattendedRun";
constexpr int kRunRefused = 5;
} // namespace

PrintingObserver::PrintingObserver(std::function<void(const QString&)> print)
    : m_print(std::move(print))
{
}

void PrintingObserver::runEnded(const RunOutcome& outcome)
{
    for (const QString& line : summaryLines(outcome))
        m_print(line);
}

QStringList PrintingObserver::summaryLines(const RunOutcome& outcome)
{
    QStringList lines;
    lines.append(outcome.endText);
    lines.append(u"Папка выгрузки: "_s + outcome.unloadFolder);
    lines.append(u"Период: с %1 по %2; выбрано узлов: %3"_s.arg(outcome.from, outcome.to).arg(outcome.ticked));
    lines.append(u"Списков: %1, документов в списках: %2, выгружено: %3, не выгружено: %4 (из них повторов: %5)"_s
                     .arg(outcome.listRequests)
                     .arg(outcome.listed)
                     .arg(outcome.unloaded)
                     .arg(outcome.ignored)
                     .arg(outcome.repeats));
    lines.append(
        u"Неудачных попыток: списков %1, выгрузок %2"_s.arg(outcome.listFailures).arg(outcome.downloadFailures));
    lines.append(u"Не получено списков (все попытки неудачны): %1, не выгружено из-за ошибок выгрузки: %2"_s
                     .arg(outcome.listsFailed)
                     .arg(outcome.downloadsFailed));
    for (const QString& protocol : outcome.protocols)
        lines.append(u"Протокол: "_s + protocol);
    for (const QString& protocol : outcome.failedProtocols)
        lines.append(u"Протокол не записан: "_s + protocol);
    return lines;
}

UnattendedRun::UnattendedRun(const Services& services, RunObserver& observer, DiskSpaceProbe probe)
    : m_services(services)
    , m_start(services, observer, std::move(probe))
{
}

engine::Fetchling& UnattendedRun::fetchling()
{
    if (m_start.run().engine() == nullptr)
        throw core::objectNotSet();
    return *m_start.run().engine();
}

RunOutcome UnattendedRun::run()
{
    try {
        const auto& options = m_services.options;
        SignIn signIn(options, m_services.diadoc, m_services.ui);
        auto signedIn = signIn.signIn();
        if (signedIn.organisations.persons->isEmpty())
            throw core::Error(kRunRefused, signedIn.text);
        m_organisations = std::move(signedIn.organisations);
        const RunRequest choices =
            StartSequence::storedChoices(options, m_services.clock.currentDateTime().date(), m_organisations.nodes);
        const StartSequence::Result result = m_start.start(choices, m_organisations);
        if (!result.ran)
            throw core::Error(kRunRefused, result.refusal);
        return m_start.run().lastOutcome();
    } catch (...) {
        core::PropagateError(kModule, u"run");
    }
}

} // namespace run
