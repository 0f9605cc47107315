#include "DateRules.h"

#include "core/DateText.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "run/Run.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

constexpr char16_t kModule[] = u"DateRules";

// The day a stored text names; the fallback when the text names no real day, with a line that
// says so. An empty text is no date and needs no line.
QDate storedDate(const QString& name, const QString& text, const QDate& fallback, QStringList* replaced)
{
    const QDate date = core::readDate(text);
    if (date.isValid() || text.trimmed().isEmpty())
        return date.isValid() ? date : fallback;
    if (replaced != nullptr) {
        const QString instead = fallback.isValid() ? u"заменено значением по умолчанию "_s + core::dateText(fallback)
                                                   : u"не используется"_s;
        replaced->append(u"Сохранённое значение "_s + name + u" \""_s + text + u"\" не является датой и "_s + instead
                         + u'.');
    }
    return fallback;
}

QDate lastDateEnd(const core::mFetchlingOptions& options, QStringList* replaced)
{
    return storedDate(u"LastDateEnd"_s, options.GetDefault_LastDateEnd(), QDate(), replaced);
}

} // namespace

DateRules::Period DateRules::atStart(const core::mFetchlingOptions& options, const QDate& today)
{
    try {
        Period stored;
        stored.from = storedDate(u"FromDate"_s, options.Get_FromDate(), today, &stored.replaced);
        stored.to = storedDate(u"ToDate"_s, options.GetDefault_ToDate(), today, &stored.replaced);
        return moved(options, stored, today);
    } catch (...) {
        core::PropagateError(kModule, u"atStart");
    }
}

DateRules::Period DateRules::moved(const core::mFetchlingOptions& options, const Period& shown, const QDate& today)
{
    try {
        Period period = shown;
        const QDate lastEnd = lastDateEnd(options, &period.replaced);
        if (options.Get_DateBeginMove() != 0 && lastEnd.isValid())
            period.from = lastEnd;
        if (options.Get_DateEndYesterday() == 0) {
            period.oldEnd.clear();
        } else {
            period.oldEnd = u"(ранее по "_s + core::dateText(period.to) + u')';
            period.to = today.addDays(-1);
        }
        period.replaced.removeDuplicates();
        return period;
    } catch (...) {
        core::PropagateError(kModule, u"moved");
    }
}

bool DateRules::keepsEndDate(const RunOutcome& outcome)
{
    return !outcome.stopped && !outcome.protocolsStopped && outcome.listsFailed == 0;
}

QDate DateRules::afterRun(core::mFetchlingOptions& options, const QDate& endDate, bool keep, QStringList* replaced)
{
    try {
        if (keep)
            options.Set_LastDateEnd(core::dateText(endDate));
        const QDate lastEnd = lastDateEnd(options, replaced);
        if (options.Get_DateBeginMove() != 0 && lastEnd.isValid())
            return lastEnd;
        return {};
    } catch (...) {
        core::PropagateError(kModule, u"afterRun");
    }
}

} // namespace run
