#include "QueueViews.h"

#include <algorithm>
#include <utility>

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTableView>

#include "core/Clock.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/RecordList.h"
#include "dialogs/UnboundBookmark.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";

QString key(const char16_t* tabKey)
{
    return QString::fromUtf16(tabKey);
}

QString selectedKey(const QTabBar& tabs)
{
    return tabs.tabData(tabs.currentIndex()).toString();
}

// The tabs of a queue strip drawn on their own colours; the labels are drawn over them as usual.
class QueueTabStyle final : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_TabBarTabShape)
            return;
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        const auto* bar = qobject_cast<const QTabBar*>(widget);
        if (tab == nullptr || bar == nullptr)
            return;
        const QColor colour = QueueViews::tabColour(bar->tabData(tab->tabIndex).toString());
        if (colour.isValid())
            painter->fillRect(tab->rect.adjusted(2, 2, -2, (tab->state & State_Selected) ? 0 : -1), colour);
    }
};

// Where an added record stands: at the end as a rule, else looked for from the front.
template <typename List, typename Rec> int positionOf(const List& list, const Rec* rec)
{
    const int count = list.Count();
    if (count > 0 && list.Item(count).get() == rec)
        return count - 1;
    int position = 0;
    for (const auto& item : list) {
        if (item.get() == rec)
            return position;
        ++position;
    }
    return 0;
}

void prepareGrid(QTableView& grid, QAbstractItemModel& model, const QList<int>& widths)
{
    QAbstractItemModel* built = grid.model();
    grid.setModel(&model);
    if (built != nullptr && built->parent() == &grid)
        built->deleteLater();
    QHeaderView* header = grid.horizontalHeader();
    // Captions of two lines: the styles pass the wrap flag on with the alignment.
    header->setDefaultAlignment(Qt::AlignCenter | Qt::Alignment(Qt::TextWordWrap));
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumHeight(2 * QFontMetrics(header->font()).lineSpacing() + 8);
    for (int column = 0; column < widths.size(); ++column)
        header->resizeSection(column, widths.at(column));
    grid.setSortingEnabled(false);
    grid.setWordWrap(false);
}

void colourTabs(QTabBar& tabs)
{
    auto* style = new QueueTabStyle;
    style->setParent(&tabs);
    tabs.setStyle(style);
}

} // namespace

QueueViews::QueueViews(QTabBar& tabsTasks, QTableView& gridTasks, QTabBar& tabsDocs, QTableView& gridDocs,
                       core::UiServices& ui, const core::Clock& clock, PersonsSource persons, CellLog log,
                       QObject* parent)
    : QObject(parent)
    , m_tabsTasks(tabsTasks)
    , m_gridTasks(gridTasks)
    , m_tabsDocs(tabsDocs)
    , m_gridDocs(gridDocs)
    , m_ui(ui)
    , m_clock(clock)
{
    m_tasksModel = new TasksQueueModel(persons, log, this);
    m_tasksModel->setObjectName(u"theGridTasks"_s);
    m_docsModel = new DocsQueueModel(std::move(persons), std::move(log), this);
    m_docsModel->setObjectName(u"theGridDocs"_s);
    prepareGrid(m_gridTasks, *m_tasksModel, {90, 260, 220, 150, 200, 110, 130, 260});
    prepareGrid(m_gridDocs, *m_docsModel, {260, 260, 130, 220, 90, 90, 220, 200, 110, 220, 260});
    colourTabs(m_tabsTasks);
    colourTabs(m_tabsDocs);

    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, [this] {
        guarded(u"theGridsRefresh", [this] {
            applyPending();
            m_lastRefreshMs = m_clock.nowMs();
        });
    });
    connect(&m_tabsTasks, &QTabBar::currentChanged, this,
            [this] { guarded(u"theTabsTasks_TabClick", [this] { TabsTasksUpdate(); }); });
    connect(&m_tabsDocs, &QTabBar::currentChanged, this,
            [this] { guarded(u"theTabsDocs_TabClick", [this] { TabsDocsUpdate(); }); });
    TabsTasksUpdate();
    TabsDocsUpdate();
}

QueueViews::~QueueViews()
{
    // The attachments let go of the queues that still stand. The grids outlive this: they must not
    // ask the models that go with it.
    m_gridTasks.setModel(nullptr);
    m_gridDocs.setModel(nullptr);
}

void QueueViews::guarded(const char16_t* procedure, const std::function<void()>& step)
{
    try {
        step();
    } catch (...) {
        core::ReportError(m_ui, kModule, procedure);
    }
}

void QueueViews::bind(diadoc::AsyncTasks& tasks, diadoc::AsyncContents& docs)
{
    unbind();
    m_tasks = &tasks;
    m_docs = &docs;
    // A queue that goes first takes both views with it: neither grid keeps a list of a run whose
    // queue is gone. Nothing here reaches back into the queue that goes.
    const auto gone = [this] { unbind(); };
    m_tasksAttachment = tasks.listeners().attachScoped(*this, gone);
    m_docsAttachment = docs.listeners().attachScoped(*this, gone);
    TabsTasksUpdate();
    TabsDocsUpdate();
}

void QueueViews::unbind()
{
    m_tasksAttachment.release();
    m_docsAttachment.release();
    m_tasks = nullptr;
    m_docs = nullptr;
    m_paceTimer.stop();
    m_tasksPending = {};
    m_docsPending = {};
    m_tasksModel->showList(nullptr, m_tasksModel->tabKey());
    m_docsModel->showList(nullptr, m_docsModel->tabKey());
}

const diadoc::AsyncTskList* QueueViews::tasksList(const QString& tabKey) const
{
    if (m_tasks == nullptr)
        return nullptr;
    if (tabKey == key(tabkey::kMainQueue))
        return &m_tasks->MainQueue();
    if (tabKey == key(tabkey::kSecondaryQueue))
        return &m_tasks->SecondaryQueue();
    if (tabKey == key(tabkey::kExecutingList))
        return &m_tasks->ExecutingList();
    if (tabKey == key(tabkey::kExecutedList))
        return &m_tasks->ExecutedList();
    return nullptr;
}

const diadoc::AsyncDocList* QueueViews::docsList(const QString& tabKey) const
{
    if (m_docs == nullptr)
        return nullptr;
    if (tabKey == key(tabkey::kMainQueue))
        return &m_docs->MainQueue();
    if (tabKey == key(tabkey::kSecondaryQueue))
        return &m_docs->SecondaryQueue();
    if (tabKey == key(tabkey::kUnloadingList))
        return &m_docs->UnloadingList();
    if (tabKey == key(tabkey::kUnloadedList))
        return &m_docs->UnloadedList();
    if (tabKey == key(tabkey::kIgnoredList))
        return &m_docs->IgnoredList();
    return nullptr;
}

void QueueViews::TabsTasksUpdate()
{
    try {
        const QString tabKey = selectedKey(m_tabsTasks);
        m_gridTasks.setColumnHidden(0, tabKey != key(tabkey::kExecutedList));
        const bool secondary = tabKey == key(tabkey::kSecondaryQueue);
        m_tasksModel->setColumnCaption(1,
                                       secondary ? u"Причина постановки в очередь на повторный запуск"_s : QString());
        m_gridTasks.setColumnHidden(1, !secondary);
        m_gridTasks.setColumnHidden(7, tabKey != key(tabkey::kExecutingList));
        m_tasksPending = {};
        m_tasksModel->showList(tasksList(tabKey), tabKey);
        m_gridTasks.scrollToTop();
        m_gridTasks.viewport()->update();
    } catch (...) {
        core::PropagateError(kModule, u"TabsTasksUpdate");
    }
}

void QueueViews::TabsDocsUpdate()
{
    try {
        const QString tabKey = selectedKey(m_tabsDocs);
        QString reasonCaption;
        if (tabKey == key(tabkey::kSecondaryQueue))
            reasonCaption = u"Причина постановки в очередь на повторную попытку выгрузки"_s;
        else if (tabKey == key(tabkey::kIgnoredList))
            reasonCaption = u"Причина невыгрузки"_s;
        m_docsModel->setColumnCaption(1, reasonCaption);
        m_gridDocs.setColumnHidden(1, reasonCaption.isEmpty());
        m_gridDocs.setColumnHidden(10, tabKey != key(tabkey::kUnloadingList));
        m_docsPending = {};
        m_docsModel->showList(docsList(tabKey), tabKey);
        m_gridDocs.scrollToTop();
        m_gridDocs.viewport()->update();
    } catch (...) {
        core::PropagateError(kModule, u"TabsDocsUpdate");
    }
}

void QueueViews::refreshTasks(const char16_t* tabKey, const diadoc::AsyncTskRecord* added, int changedFrom)
{
    if (selectedKey(m_tabsTasks) != key(tabKey))
        return;
    const diadoc::AsyncTskList* list = tasksList(key(tabKey));
    int first = changedFrom;
    if (first < 0)
        first = list != nullptr && added != nullptr ? positionOf(*list, added) : 0;
    m_tasksPending.due = true;
    m_tasksPending.firstChanged = std::min(m_tasksPending.firstChanged, first);
    refreshed();
}

void QueueViews::refreshDocs(const char16_t* tabKey, const diadoc::AsyncDocRecord* added)
{
    if (selectedKey(m_tabsDocs) != key(tabKey))
        return;
    const diadoc::AsyncDocList* list = docsList(key(tabKey));
    const int first = list != nullptr && added != nullptr ? positionOf(*list, added) : 0;
    m_docsPending.due = true;
    m_docsPending.firstChanged = std::min(m_docsPending.firstChanged, first);
    refreshed();
}

void QueueViews::refreshed()
{
    const qint64 now = m_clock.nowMs();
    if (m_lastRefreshMs < 0 || now - m_lastRefreshMs >= m_paceMs || now < m_lastRefreshMs) {
        m_paceTimer.stop();
        applyPending();
        m_lastRefreshMs = now;
        m_ui.processEvents();
    } else if (!m_paceTimer.isActive()) {
        m_paceTimer.start(static_cast<int>(m_paceMs - (now - m_lastRefreshMs)));
    }
}

void QueueViews::applyPending()
{
    const auto apply = [](QueueTableModel& model, Pending& pending) {
        if (!pending.due)
            return;
        const int before = model.rowCount();
        model.setRowCount(model.listCount());
        model.rowsChanged(pending.firstChanged, std::min(before, model.rowCount()) - 1);
        pending = {};
    };
    apply(*m_tasksModel, m_tasksPending);
    apply(*m_docsModel, m_docsPending);
}

void QueueViews::theGridTasks_UnboundGetRelativeBookmark(const std::optional<int>& StartLocation, int offset,
                                                         std::optional<int>& NewLocation,
                                                         int& ApproximatePosition) const
{
    dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(m_tasksModel->listCount(), StartLocation, offset, NewLocation,
                                                         ApproximatePosition, 1);
}

void QueueViews::theGridDocs_UnboundGetRelativeBookmark(const std::optional<int>& StartLocation, int offset,
                                                        std::optional<int>& NewLocation, int& ApproximatePosition) const
{
    dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(m_docsModel->listCount(), StartLocation, offset, NewLocation,
                                                         ApproximatePosition, 1);
}

QColor QueueViews::tabColour(const QString& tabKey)
{
    if (tabKey == key(tabkey::kMainQueue))
        return QColor(213, 234, 255);
    if (tabKey == key(tabkey::kSecondaryQueue))
        return QColor(255, 230, 230);
    if (tabKey == key(tabkey::kExecutingList) || tabKey == key(tabkey::kUnloadingList))
        return QColor(255, 255, 204);
    if (tabKey == key(tabkey::kExecutedList) || tabKey == key(tabkey::kUnloadedList))
        return QColor(215, 255, 215);
    if (tabKey == key(tabkey::kIgnoredList))
        return QColor(255, 231, 206);
    return {};
}

// The handlers are event procedures: an error inside one is shown, and the queue goes on.
// The handlers are event procedures: an error inside one is shown, and the queue goes on.
void QueueViews::fAsyncTasks_OnAddedInMainQueue(const AsyncTasksListener::Record& rec)
{
    guarded(u"fAsyncTasks_OnAddedInMainQueue", [&] { refreshTasks(tabkey::kMainQueue, rec.get()); });
}

void QueueViews::fAsyncTasks_OnRemovedFromMainQueue(const AsyncTasksListener::Record&)
{
    guarded(u"fAsyncTasks_OnRemovedFromMainQueue", [&] { refreshTasks(tabkey::kMainQueue, nullptr); });
}

void QueueViews::fAsyncTasks_OnRemovedFromSecondaryQueue(const AsyncTasksListener::Record&, int aPosition)
{
    guarded(u"fAsyncTasks_OnRemovedFromSecondaryQueue",
            [&] { refreshTasks(tabkey::kSecondaryQueue, nullptr, std::max(0, aPosition - 1)); });
}

void QueueViews::fAsyncTasks_OnAddedInExecutingList(const AsyncTasksListener::Record& rec)
{
    guarded(u"fAsyncTasks_OnAddedInExecutingList", [&] { refreshTasks(tabkey::kExecutingList, rec.get()); });
}

void QueueViews::fAsyncTasks_OnRemovedFromExecutingList(const AsyncTasksListener::Record&)
{
    guarded(u"fAsyncTasks_OnRemovedFromExecutingList", [&] { refreshTasks(tabkey::kExecutingList, nullptr); });
}

void QueueViews::fAsyncTasks_OnAddedInExecutedList(const AsyncTasksListener::Record& rec)
{
    guarded(u"fAsyncTasks_OnAddedInExecutedList", [&] { refreshTasks(tabkey::kExecutedList, rec.get()); });
}

void QueueViews::fAsyncTasks_OnAddedInSecondaryQueue(const AsyncTasksListener::Record& rec, int aPosition)
{
    guarded(u"fAsyncTasks_OnAddedInSecondaryQueue",
            [&] { refreshTasks(tabkey::kSecondaryQueue, rec.get(), std::max(0, aPosition - 1)); });
}

void QueueViews::fAsyncDocs_OnAddedInMainQueue(const AsyncContentsListener::Record& rec)
{
    guarded(u"fAsyncDocs_OnAddedInMainQueue", [&] { refreshDocs(tabkey::kMainQueue, rec.get()); });
}

void QueueViews::fAsyncDocs_OnRemovedFromMainQueue(const AsyncContentsListener::Record&)
{
    guarded(u"fAsyncDocs_OnRemovedFromMainQueue", [&] { refreshDocs(tabkey::kMainQueue, nullptr); });
}

void QueueViews::fAsyncDocs_OnRemovedFromSecondaryQueue(const AsyncContentsListener::Record&)
{
    guarded(u"fAsyncDocs_OnRemovedFromSecondaryQueue", [&] { refreshDocs(tabkey::kSecondaryQueue, nullptr); });
}

void QueueViews::fAsyncDocs_OnAddedInUnloadingList(const AsyncContentsListener::Record& rec)
{
    guarded(u"fAsyncDocs_OnAddedInUnloadingList", [&] { refreshDocs(tabkey::kUnloadingList, rec.get()); });
}

void QueueViews::fAsyncDocs_OnRemovedFromUnloadingList(const AsyncContentsListener::Record&)
{
    guarded(u"fAsyncDocs_OnRemovedFromUnloadingList", [&] { refreshDocs(tabkey::kUnloadingList, nullptr); });
}

void QueueViews::fAsyncDocs_OnAddedInUnloadedList(const AsyncContentsListener::Record& rec)
{
    guarded(u"fAsyncDocs_OnAddedInUnloadedList", [&] { refreshDocs(tabkey::kUnloadedList, rec.get()); });
}

void QueueViews::fAsyncDocs_OnAddedInSecondaryQueue(const AsyncContentsListener::Record& rec)
{
    guarded(u"fAsyncDocs_OnAddedInSecondaryQueue", [&] { refreshDocs(tabkey::kSecondaryQueue, rec.get()); });
}

void QueueViews::fAsyncDocs_OnAddedInПустыеЗапросы(const AsyncContentsListener::Record& rec)
{
    guarded(u"fAsyncDocs_OnAddedInПустыеЗапросы", [&] { refreshDocs(tabkey::kIgnoredList, rec.get()); });
}

void QueueViews::OnAddedInMainQueue(const AsyncTasksListener::Record& rec)
{
    fAsyncTasks_OnAddedInMainQueue(rec);
}

void QueueViews::OnRemovedFromMainQueue(const AsyncTasksListener::Record& rec)
{
    fAsyncTasks_OnRemovedFromMainQueue(rec);
}

void QueueViews::OnRemovedFromSecondaryQueue(const AsyncTasksListener::Record& rec, int position)
{
    fAsyncTasks_OnRemovedFromSecondaryQueue(rec, position);
}

void QueueViews::OnAddedInExecutingList(const AsyncTasksListener::Record& rec)
{
    fAsyncTasks_OnAddedInExecutingList(rec);
}

void QueueViews::OnRemovedFromExecutingList(const AsyncTasksListener::Record& rec)
{
    fAsyncTasks_OnRemovedFromExecutingList(rec);
}

void QueueViews::OnAddedInExecutedList(const AsyncTasksListener::Record& rec)
{
    fAsyncTasks_OnAddedInExecutedList(rec);
}

void QueueViews::OnAddedInMainQueue(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnAddedInMainQueue(rec);
}

void QueueViews::OnRemovedFromMainQueue(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnRemovedFromMainQueue(rec);
}

void QueueViews::OnRemovedFromSecondaryQueue(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnRemovedFromSecondaryQueue(rec);
}

void QueueViews::OnAddedInUnloadingList(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnAddedInUnloadingList(rec);
}

void QueueViews::OnRemovedFromUnloadingList(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnRemovedFromUnloadingList(rec);
}

void QueueViews::OnAddedInUnloadedList(const AsyncContentsListener::Record& rec)
{
    fAsyncDocs_OnAddedInUnloadedList(rec);
}

} // namespace mainwindow
