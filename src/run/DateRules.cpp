#include "DateRules.h"

#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "run/Run.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {
constexpr char16_t kModule[] = u"DateRules";
const QString kDateFormat = u"dd.MM.yyyy"_s;
} // namespace

DateRules::Period DateRules::atStart(const core::mFetchlingOptions& options, const QDate& today)
{
    try {
        Period stored;
        stored.from = options.Get_FromDate();
        stored.to = options.GetDefault_ToDate();
        return moved(options, stored, today);
    } catch (...) {
        core::PropagateError(kModule, u"atStart");
    }
}

DateRules::Period DateRules::moved(const core::mFetchlingOptions& options, const Period& shown, const QDate& today)
{
    try {
        Period period = shown;
        const QString lastDateEnd = options.GetDefault_LastDateEnd();
        if (options.Get_DateBeginMove() != 0 && !lastDateEnd.isEmpty())
            period.from = lastDateEnd;
        if (options.Get_DateEndYesterday() == 0) {
            period.oldEnd.clear();
        } else {
            period.oldEnd = u"(ранее по "_s + period.to + u')';
            period.to = today.addDays(-1).toString(kDateFormat);
        }
        return period;
    } catch (...) {
        core::PropagateError(kModule, u"moved");
    }
}

bool DateRules::keepsEndDate(const RunOutcome& outcome)
{
    return !outcome.stopped && outcome.listsFailed == 0;
}

QString DateRules::afterRun(core::mFetchlingOptions& options, const QString& endDate, bool keep)
{
    try {
        if (keep)
            options.Set_LastDateEnd(endDate);
        const QString lastDateEnd = options.GetDefault_LastDateEnd();
        if (options.Get_DateBeginMove() != 0 && !lastDateEnd.isEmpty())
            return lastDateEnd;
        return {};
    } catch (...) {
        core::PropagateError(kModule, u"afterRun");
    }
}

} // namespace run
