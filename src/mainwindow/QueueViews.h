#pragma once

#include <limits>
#include <memory>
#include <optional>

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

#include "QueueModels.h"
#include "core/ListenerList.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncTasksListener.h"

class QTabBar;
class QTableView;

namespace core {
class Clock;
class UiServices;
} // namespace core

namespace diadoc {
class AsyncContents;
class AsyncTasks;
} // namespace diadoc

namespace mainwindow {

// The window's face of a run's two queues: each tab strip over its grid shows the list of the
// selected tab, live. It handles the twelve list events of the queues and the list refresh of the
// three failure events (whose counting, pause and judgement belong to the run), and acts on a
// list event only while that list's tab is selected.
//
// A refresh sets the grid's row count and signals the rows that changed, then lets the window
// process its messages. Both are paced: within kRefreshPaceMs of the last refresh, the change
// waits for a timer instead, so that a stream of events costs the grid and the painting the same at
// 100 rows as at 100,000, and the grid is never more than one pace behind its list.
//
// It listens through attachments that let go by themselves: the queues and this may go in either
// order. A queue that goes while bound leaves both grids empty, as unbind does.
class QueueViews final : public QObject, public diadoc::AsyncTasksListener, public diadoc::AsyncContentsListener
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueueViews)

public:
    static constexpr int kRefreshPaceMs = 40;

    QueueViews(QTabBar& tabsTasks, QTableView& gridTasks, QTabBar& tabsDocs, QTableView& gridDocs, core::UiServices& ui,
               const core::Clock& clock, PersonsSource persons, CellLog log = {}, QObject* parent = nullptr);
    ~QueueViews() override;

    // Shows the queues of a run from now on (and listens to them), with both tab updates.
    void bind(diadoc::AsyncTasks& tasks, diadoc::AsyncContents& docs);
    // Lets go of the queues: the grids show empty lists.
    void unbind();
    bool isBound() const { return m_tasks != nullptr; }

    // The least time between two refreshes of a grid; 0 refreshes at every event.
    void setRefreshPace(int ms) { m_paceMs = ms; }

    // Tab updates: the columns of the selected tab, its list, its rows read anew.
    void TabsTasksUpdate();
    void TabsDocsUpdate();

    // The twelve list handlers.
    void fAsyncTasks_OnAddedInMainQueue(const AsyncTasksListener::Record& rAsyncTskRecord);
    void fAsyncTasks_OnRemovedFromMainQueue(const AsyncTasksListener::Record& rAsyncTskRecord);
    // aPosition: the row the request left, counted from 1.
    void fAsyncTasks_OnRemovedFromSecondaryQueue(const AsyncTasksListener::Record& rAsyncTskRecord, int aPosition);
    void fAsyncTasks_OnAddedInExecutingList(const AsyncTasksListener::Record& rAsyncTskRecord);
    void fAsyncTasks_OnRemovedFromExecutingList(const AsyncTasksListener::Record& rAsyncTskRecord);
    void fAsyncTasks_OnAddedInExecutedList(const AsyncTasksListener::Record& rAsyncTskRecord);
    void fAsyncDocs_OnAddedInMainQueue(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnRemovedFromMainQueue(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnRemovedFromSecondaryQueue(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnAddedInUnloadingList(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnRemovedFromUnloadingList(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnAddedInUnloadedList(const AsyncContentsListener::Record& rDocRecord);
    // The list refresh of the three failure handlers; the run calls them after its count and pause.
    // aPosition: the row the request took, counted from 1.
    void fAsyncTasks_OnAddedInSecondaryQueue(const AsyncTasksListener::Record& rAsyncTskRecord, int aPosition);
    void fAsyncDocs_OnAddedInSecondaryQueue(const AsyncContentsListener::Record& rDocRecord);
    void fAsyncDocs_OnAddedInПустыеЗапросы(const AsyncContentsListener::Record& rDocRecord);

    // The grids' row navigation over the list of their selected tab, rows numbered from 1.
    void theGridTasks_UnboundGetRelativeBookmark(const std::optional<int>& StartLocation, int offset,
                                                 std::optional<int>& NewLocation, int& ApproximatePosition) const;
    void theGridDocs_UnboundGetRelativeBookmark(const std::optional<int>& StartLocation, int offset,
                                                std::optional<int>& NewLocation, int& ApproximatePosition) const;

    // The background colour of a queue tab.
    static QColor tabColour(const QString& key);

    TasksQueueModel& tasksModel() { return *m_tasksModel; }
    DocsQueueModel& docsModel() { return *m_docsModel; }

private:
    // What a grid still has to show of its list: from which row its records changed.
    struct Pending
    {
        bool due = false;
        int firstChanged = std::numeric_limits<int>::max();
    };

    // The list events as the queues raise them.
    void OnAddedInMainQueue(const AsyncTasksListener::Record& rec) override;
    void OnRemovedFromMainQueue(const AsyncTasksListener::Record& rec) override;
    void OnRemovedFromSecondaryQueue(const AsyncTasksListener::Record& rec, int position) override;
    void OnAddedInExecutingList(const AsyncTasksListener::Record& rec) override;
    void OnRemovedFromExecutingList(const AsyncTasksListener::Record& rec) override;
    void OnAddedInExecutedList(const AsyncTasksListener::Record& rec) override;
    void OnAddedInMainQueue(const AsyncContentsListener::Record& rec) override;
    void OnRemovedFromMainQueue(const AsyncContentsListener::Record& rec) override;
    void OnRemovedFromSecondaryQueue(const AsyncContentsListener::Record& rec) override;
    void OnAddedInUnloadingList(const AsyncContentsListener::Record& rec) override;
    void OnRemovedFromUnloadingList(const AsyncContentsListener::Record& rec) override;
    void OnAddedInUnloadedList(const AsyncContentsListener::Record& rec) override;

    const diadoc::AsyncTskList* tasksList(const QString& key) const;
    const diadoc::AsyncDocList* docsList(const QString& key) const;
    // The list refresh: nothing unless the key's tab is selected. The rows change from the place
    // given (from 0), else from an added record's place on; without either every row may show
    // another record.
    void refreshTasks(const char16_t* key, const diadoc::AsyncTskRecord* added, int changedFrom = -1);
    void refreshDocs(const char16_t* key, const diadoc::AsyncDocRecord* added);
    void refreshed();
    void applyPending();
    void guarded(const char16_t* procedure, const std::function<void()>& step);

    QTabBar& m_tabsTasks;
    QTableView& m_gridTasks;
    QTabBar& m_tabsDocs;
    QTableView& m_gridDocs;
    core::UiServices& m_ui;
    const core::Clock& m_clock;
    TasksQueueModel* m_tasksModel = nullptr;
    DocsQueueModel* m_docsModel = nullptr;
    // Set while bound, and cleared the moment either queue goes.
    diadoc::AsyncTasks* m_tasks = nullptr;
    diadoc::AsyncContents* m_docs = nullptr;
    core::ListenerList<diadoc::AsyncTasksListener>::Attachment m_tasksAttachment;
    core::ListenerList<diadoc::AsyncContentsListener>::Attachment m_docsAttachment;
    Pending m_tasksPending;
    Pending m_docsPending;
    int m_paceMs = kRefreshPaceMs;
    qint64 m_lastRefreshMs = -1;
    QTimer m_paceTimer;
};

} // namespace mainwindow
