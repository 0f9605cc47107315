#pragma once

#include <QAbstractTableModel>

namespace dialogs {

class ExcludeRows;

// The exclusion grid's view of the rows: it holds no copy, asks the rows for every cell and hands
// every finished edit back to them. The folder column shows the display text of its stored value
// and is edited by stored value.
class ExcludeRowsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    ExcludeRowsModel(ExcludeRows& rows, QObject* parent);
    Q_DISABLE_COPY_MOVE(ExcludeRowsModel)

    // The stored folder kinds in the order the list offers them, and the text each is shown as.
    static QStringList folderKinds();
    static QString folderText(const QString& storedValue);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The grid reads its row count and every cell anew.
    void readAnew();
    // The grid reads one row anew (numbered from 1).
    void readRowAnew(int gridRow);

private:
    ExcludeRows& m_rows;
};

} // namespace dialogs
