#include "ExcludeRowsModel.h"

#include "ExcludeRows.h"

using namespace Qt::StringLiterals;

namespace dialogs {

ExcludeRowsModel::ExcludeRowsModel(ExcludeRows& rows, QObject* parent)
    : QAbstractTableModel(parent)
    , m_rows(rows)
{
}

QStringList ExcludeRowsModel::folderKinds()
{
    return {u"Все"_s, u"Входящие"_s, u"Исходящие"_s, u"Внутренние"_s};
}

QString ExcludeRowsModel::folderText(const QString& storedValue)
{
    if (storedValue == u"Входящие")
        return u"Входящий"_s;
    if (storedValue == u"Исходящие")
        return u"Исходящий"_s;
    if (storedValue == u"Внутренние")
        return u"Внутренний"_s;
    return storedValue;
}

int ExcludeRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.gridRowCount();
}

int ExcludeRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ExcludeRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const QString value = m_rows.read(index.row() + 1, index.column());
    if (index.column() == ExcludeRows::kFolderColumn && role == Qt::DisplayRole)
        return folderText(value);
    return value;
}

bool ExcludeRowsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    if (!m_rows.write(index.row() + 1, index.column(), value.toString()))
        return false;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags ExcludeRowsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant ExcludeRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section == ExcludeRows::kContextColumn ? u"Контексты"_s : u"Папки"_s;
}

void ExcludeRowsModel::readAnew()
{
    beginResetModel();
    endResetModel();
}

void ExcludeRowsModel::readRowAnew(int gridRow)
{
    if (gridRow >= 1 && gridRow <= m_rows.gridRowCount())
        emit dataChanged(index(gridRow - 1, 0), index(gridRow - 1, columnCount() - 1));
}

} // namespace dialogs
