#pragma once

#include <functional>

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include "diadoc/AsyncTasks.h"
#include "diadoc/RecordList.h"

namespace diadoc {
class AsyncDocRecord;
class AsyncTskRecord;
} // namespace diadoc

namespace mainwindow {

// The keys of the queue tabs; each stands for one list of its queue.
namespace tabkey {
inline constexpr char16_t kMainQueue[] = u"MainQueue";
inline constexpr char16_t kSecondaryQueue[] = u"SecondaryQueue";
inline constexpr char16_t kExecutingList[] = u"ExecutingList";
inline constexpr char16_t kExecutedList[] = u"ExecutedList";
inline constexpr char16_t kUnloadingList[] = u"UnloadingList";
inline constexpr char16_t kUnloadedList[] = u"UnloadedList";
inline constexpr char16_t kIgnoredList[] = u"IgnoredList";
} // namespace tabkey

// Where a queue grid finds the organisation of a record: the window's organisations, or nothing.
using PersonsSource = std::function<const diadoc::PersonsCollection*()>;
// Where a queue grid writes the one line about a cell it could not fill.
using CellLog = std::function<void(const QString&)>;

// The rows of a queue grid: the records of one live list of a queue, row i showing item i + 1 of
// the list, each cell read from its record when the grid asks for it. Nothing is copied. The row
// count is set from outside (by the tab update and the queue event handlers), and always at the
// end: a list that changed in its middle shows it through the rows signalled as changed, so that a
// change costs the grid the same at 100 rows as at 100,000. A row beyond the list's count (the list
// shrank since the count was set) is empty, and a cell that cannot be filled is empty too: it is
// logged once for the list shown, and no error dialog opens from painting.
class QueueTableModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueueTableModel)

public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The key of the tab whose list is shown.
    const QString& tabKey() const { return m_tabKey; }
    // The size of the list shown now; 0 without one.
    virtual int listCount() const = 0;

    // Rows are added or taken at the end until there are count of them.
    void setRowCount(int count);
    // Rows first to last (as far as they exist) show other records than before.
    void rowsChanged(int first, int last);
    void setColumnCaption(int column, const QString& caption);

protected:
    QueueTableModel(QStringList captions, CellLog log, QObject* parent);

    // The text of a cell of row (from 0, within the list); may raise an error.
    virtual QString cellText(int row, int column) const = 0;
    // Another list: its rows are read anew, and its first unfillable cell is logged again.
    void startShowing(const QString& tabKey);

private:
    QStringList m_captions;
    CellLog m_log;
    QString m_tabKey;
    int m_rows = 0;
    mutable bool m_logged = false;
};

// theGridTasks: the document-list requests of one list of AsyncTasks.
class TasksQueueModel final : public QueueTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TasksQueueModel)

public:
    static constexpr int kColumnCount = 8;

    explicit TasksQueueModel(PersonsSource persons, CellLog log = {}, QObject* parent = nullptr);

    // Shows the list of the tab with the key; nothing shows an empty list.
    void showList(const diadoc::AsyncTskList* list, const QString& tabKey);
    int listCount() const override;

    // The text of column of a request shown on the tab with the key. Raises an error when the
    // request's organisation is not among persons.
    static QString text(const diadoc::AsyncTskRecord& rec, int column, const QString& tabKey,
                        const diadoc::PersonsCollection* persons);

private:
    QString cellText(int row, int column) const override;

    PersonsSource m_persons;
    const diadoc::AsyncTskList* m_list = nullptr;
};

// theGridDocs: the documents of one list of AsyncContents.
class DocsQueueModel final : public QueueTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocsQueueModel)

public:
    static constexpr int kColumnCount = 11;

    explicit DocsQueueModel(PersonsSource persons, CellLog log = {}, QObject* parent = nullptr);

    void showList(const diadoc::AsyncDocList* list, const QString& tabKey);
    int listCount() const override;

    // The text of column of a document shown on the tab with the key. Raises an error when the
    // document's organisation is not among persons.
    static QString text(const diadoc::AsyncDocRecord& rec, int column, const QString& tabKey,
                        const diadoc::PersonsCollection* persons);
    // The statuses of a document, one to a line.
    static QString statusesText(const diadoc::AsyncDocRecord& rec);

private:
    QString cellText(int row, int column) const override;

    PersonsSource m_persons;
    const diadoc::AsyncDocList* m_list = nullptr;
};

} // namespace mainwindow
