#pragma once

#include <QList>
#include <QString>
#include <QTime>

namespace run {
struct DocCounts;
struct TaskCounts;
} // namespace run

namespace mainwindow {

// The texts with which the main window shows a run under way: the captions of the queue tabs
// with their counts, the run's time span in status panel 1 and the count of moved-aside folders.
class RunStatus final
{
public:
    struct TabCaption
    {
        QString key;
        QString caption;
        bool operator==(const TabCaption& other) const = default;
    };

    // The captions of the tabs of theTabsTasks, keyed, in the order a change writes them.
    static QList<TabCaption> taskTabs(const run::TaskCounts& counts);
    // The captions of the tabs of theTabsDocs, keyed, in the order a change writes them.
    static QList<TabCaption> docTabs(const run::DocCounts& counts);
    // A count label's text: plain decimal digits, a leading "-" when negative, no grouping.
    static QString countText(int count);
    // Panel 1: the start of the run, " - " and the time of the last status update.
    static QString timeSpan(const QTime& start, const QTime& last);
    // Panel "ProgressBar": the engine's count of deleted, unsuccessfully created folders.
    static QString folderRemovals(int count);
};

} // namespace mainwindow
