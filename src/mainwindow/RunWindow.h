#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "RunStatus.h"
#include "run/RunRequest.h"

namespace core {
class DProgressBar;
}

namespace mainwindow {

class QueueViews;

// What the window's side of a run reaches of the main window: the choices it shows, its busy
// mode, the queue tabs, the counters and the status texts. Nothing of the run's state lives on
// the window's side of this line.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // Busy mode 0 idle, 2 unloading, 3 writing protocols.
    virtual int busyMode() const = 0;
    virtual void SetBusyMode(int mode) = 0;
    virtual void SaveParameters() = 0;
    // The choices as the window shows them: the folder as typed, the period, the filters, the
    // tree with its ticks, the caption; and the organisations of the last sign-in.
    virtual run::RunRequest runChoices() const = 0;
    virtual run::Organisations signedIn() const = 0;
    // What the start changed of the choices shown: the normalised folder, the next run's start.
    virtual void showUnloadFolder(const QString& folder) = 0;
    virtual void showNextStart(const QDate& from) = 0;

    virtual void setExecuteEnabled(bool enabled) = 0;
    virtual void selectQueueTabs(const QString& tasksKey, const QString& docsKey) = 0;
    virtual void showTabCaptions(const QList<RunStatus::TabCaption>& tasks,
                                 const QList<RunStatus::TabCaption>& docs) = 0;
    virtual void showTaskCounts(int empty, int documents) = 0;
    // The counters of failed attempts and the largest list, each written when it changed.
    virtual void showFailureCounts(int listFailures, int downloadFailures) = 0;
    virtual void UpdateMaxDocsCountInOneList(int count) = 0;
    // Zeroes the three counters when a run starts.
    virtual void resetCounters() = 0;
    // Panel 1 to 4 of the status bar.
    virtual void showStatusText(int panel, const QString& text) = 0;
    virtual core::DProgressBar& progressBar() = 0;
    virtual QueueViews& queueViews() = 0;
};

} // namespace mainwindow
