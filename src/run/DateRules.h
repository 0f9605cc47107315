#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace core {
class mFetchlingOptions;
}

namespace run {

struct RunOutcome;

// The dates a run is offered and the end date kept for the next run, the same for the window and
// the unattended start. A stored date that names no real day counts as not stored: the setting's
// default takes its place (today for the period, nothing for the last end date), and the period
// says which value was replaced, so that the run log can tell it.
class DateRules final
{
public:
    struct Period
    {
        QDate from;
        QDate to;
        // "(ранее по …)" with the end date that the end-yesterday rule replaced; empty when that
        // rule is off (the label is then hidden).
        QString oldEnd;
        // One line for each stored value that was no date, with what took its place.
        QStringList replaced;
    };

    // The three rules of a start: the stored period; then, when DateBeginMove is on and an end
    // date was kept, the start moves to it; then, when DateEndYesterday is on, the end becomes
    // yesterday and the replaced end is kept in oldEnd.
    static Period atStart(const core::mFetchlingOptions& options, const QDate& today);
    // The last two rules again over the dates shown, as after the options were changed.
    static Period moved(const core::mFetchlingOptions& options, const Period& shown, const QDate& today);

    // Whether the run's end date is kept for the next run: only when the run went to its end and
    // every list of its period came. After a stop (by the person, of the run or of its protocols,
    // or by a failure) or a list given up, the next run starts where this one started, so that no
    // part of the period is skipped. Documents given up one by one do not hold it back: the
    // protocols name each of them.
    static bool keepsEndDate(const RunOutcome& outcome);

    // The date step after a run: when keep is true, the end date is stored as LastDateEnd; then,
    // when DateBeginMove is on and an end date is stored, that date is the start the next run is
    // offered. An invalid date when the start stays as it is.
    static QDate afterRun(core::mFetchlingOptions& options, const QDate& endDate, bool keep,
                          QStringList* replaced = nullptr);
};

} // namespace run
