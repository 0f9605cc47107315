#include "QueueModels.h"

#include <algorithm>
#include <exception>

#include "base/Error.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/RecordList.h"
#include "diadoc/VbDate.h"
#include "diadoc/mDiadocDocuments.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "engine/ProtocolTexts.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

const QString kErrorSeparator = u" | "_s;

QString key(const char16_t* tabKey)
{
    return QString::fromUtf16(tabKey);
}

// VB's Trim: blanks only.
QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

diadoc::PersonRecord& personOf(const diadoc::PersonsCollection* persons, const QString& organisationKey)
{
    if (persons == nullptr)
        throw core::objectNotSet();
    return *persons->Item(organisationKey);
}

QString organisationText(const diadoc::PersonsCollection* persons, const QString& organisationKey, bool withDepartment,
                         const QString& departmentName)
{
    const QString& name = personOf(persons, organisationKey).Name;
    return withDepartment ? trimBlanks(name) + u", "_s + departmentName : name;
}

QString dayText(double day)
{
    return diadoc::VbDate::toDateTime(day).toString(u"dd.MM.yyyy"_s);
}

QString describe(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const core::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return u"неизвестная ошибка"_s;
    }
}

} // namespace

QueueTableModel::QueueTableModel(QStringList captions, CellLog log, QObject* parent)
    : QAbstractTableModel(parent)
    , m_captions(std::move(captions))
    , m_log(std::move(log))
{
    if (!m_log)
        m_log = [](const QString& line) { qWarning("%s", qUtf8Printable(line)); };
}

int QueueTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueueTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_captions.size());
}

QVariant QueueTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= listCount())
        return {};
    try {
        return cellText(index.row(), index.column());
    } catch (...) {
        if (!m_logged) {
            m_logged = true;
            m_log(objectName() + u": строка "_s + QString::number(index.row() + 1) + u", столбец "_s
                  + QString::number(index.column()) + u": "_s + describe(std::current_exception()));
        }
        return QString();
    }
}

QVariant QueueTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_captions.size())
        return m_captions.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags QueueTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void QueueTableModel::setRowCount(int count)
{
    count = std::max(0, count);
    if (count > m_rows) {
        beginInsertRows({}, m_rows, count - 1);
        m_rows = count;
        endInsertRows();
    } else if (count < m_rows) {
        beginRemoveRows({}, count, m_rows - 1);
        m_rows = count;
        endRemoveRows();
    }
}

void QueueTableModel::rowsChanged(int first, int last)
{
    first = std::max(0, first);
    last = std::min(last, m_rows - 1);
    if (first <= last)
        emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
}

void QueueTableModel::setColumnCaption(int column, const QString& caption)
{
    if (column < 0 || column >= m_captions.size() || m_captions.at(column) == caption)
        return;
    m_captions[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void QueueTableModel::startShowing(const QString& tabKey)
{
    m_tabKey = tabKey;
    m_logged = false;
    const int before = m_rows;
    setRowCount(listCount());
    rowsChanged(0, std::min(before, m_rows) - 1);
}

TasksQueueModel::TasksQueueModel(PersonsSource persons, CellLog log, QObject* parent)
    : QueueTableModel({u"Количество документов"_s, u"Причина постановки в очередь на повторный запуск"_s,
                       u"Организация, подразделение"_s, u"Период"_s, u"Тип документов"_s, u"Вх., исх., внутренний"_s,
                       u"Статус документов"_s, u"Причина неудачи предыдущей попытки  запроса"_s},
                      std::move(log), parent)
    , m_persons(std::move(persons))
{
}

void TasksQueueModel::showList(const diadoc::AsyncTskList* list, const QString& tabKey)
{
    m_list = list;
    startShowing(tabKey);
}

int TasksQueueModel::listCount() const
{
    return m_list ? m_list->Count() : 0;
}

QString TasksQueueModel::cellText(int row, int column) const
{
    return text(*m_list->Item(row + 1), column, tabKey(), m_persons ? m_persons() : nullptr);
}

QString TasksQueueModel::text(const diadoc::AsyncTskRecord& rec, int column, const QString& tabKey,
                              const diadoc::PersonsCollection* persons)
{
    switch (column) {
    case 0:
        return QString::number(rec.DocumentsCount);
    case 1:
        if (tabKey != key(tabkey::kSecondaryQueue))
            return {};
        return QStringList{rec.ErrorNumber, rec.ErrorDescription, rec.ErrorSource, rec.ErrorPlace}.join(
            kErrorSeparator);
    case 2:
        return organisationText(persons, rec.KeyОрганизацииВКоллекции, !rec.DepartmentId.isEmpty(), rec.DepartmentName);
    case 3: {
        if (rec.DateFrom == 0.0 && rec.DateTo == 0.0)
            return {};
        QString period = dayText(rec.DateFrom);
        if (rec.DateTo != rec.DateFrom)
            period += u" - "_s + dayText(rec.DateTo);
        return period;
    }
    case 4:
        return personOf(persons, rec.KeyОрганизацииВКоллекции).GetDocTypeName(rec.CategoryType);
    case 5:
        return diadoc::mDiadocDocuments::GetDocClass(rec.CategoryClass).Name;
    case 6: {
        const QString status = diadoc::mDiadocStatusTexts::TranslateStatus(rec.CategoryStatus);
        return status.isEmpty() ? u"любой"_s : status;
    }
    case 7:
        return tabKey == key(tabkey::kExecutingList) ? rec.LastErrorDescription : QString();
    default:
        return {};
    }
}

DocsQueueModel::DocsQueueModel(PersonsSource persons, CellLog log, QObject* parent)
    : QueueTableModel({u"Id документа"_s, u"Причина постановки в очередь на повторную попытку выгрузки"_s,
                       u"Получен или отправлен"_s, u"Организация, подразделение"_s, u"Дата документа"_s, u"Номер"_s,
                       u"Название"_s, u"Тип"_s, u"Вх., исх., внутренний"_s, u"Статусы"_s,
                       u"Причина неудачи предыдущей попытки выгрузки"_s},
                      std::move(log), parent)
    , m_persons(std::move(persons))
{
}

void DocsQueueModel::showList(const diadoc::AsyncDocList* list, const QString& tabKey)
{
    m_list = list;
    startShowing(tabKey);
}

int DocsQueueModel::listCount() const
{
    return m_list ? m_list->Count() : 0;
}

QString DocsQueueModel::cellText(int row, int column) const
{
    return text(*m_list->Item(row + 1), column, tabKey(), m_persons ? m_persons() : nullptr);
}

QString DocsQueueModel::statusesText(const diadoc::AsyncDocRecord& rec)
{
    return engine::ProtocolTexts::statusesText(rec, u";\r\n", true);
}

QString DocsQueueModel::text(const diadoc::AsyncDocRecord& rec, int column, const QString& tabKey,
                             const diadoc::PersonsCollection* persons)
{
    switch (column) {
    case 0:
        return rec.DocumentId;
    case 1:
        if (tabKey == key(tabkey::kSecondaryQueue))
            return QStringList{rec.ErrorNumber, rec.ErrorDescription, rec.ErrorSource, rec.ErrorPlace}.join(
                kErrorSeparator);
        if (tabKey == key(tabkey::kIgnoredList)) {
            if (rec.ErrorSource.isEmpty())
                return rec.ErrorDescription;
            return QStringList{rec.ErrorNumber, rec.ErrorDescription, rec.ErrorSource}.join(kErrorSeparator);
        }
        return {};
    case 2:
        return diadoc::mDiadocDocuments::IsDateEmpty(platform::diadoc::Variant(rec.Timestamp)) ? QString()
                                                                                               : rec.Timestamp;
    case 3:
        return organisationText(persons, rec.KeyОрганизацииВКоллекции, !rec.DepartmentName.isEmpty(),
                                rec.DepartmentName);
    case 4:
        return rec.DocumentDate;
    case 5:
        return rec.DocumentNumber;
    case 6:
        return rec.DocumentName;
    case 7:
        return personOf(persons, rec.KeyОрганизацииВКоллекции).GetDocTypeName(rec.TypeNamedId);
    case 8:
        return diadoc::mDiadocDocuments::GetDocClass(rec.Direction).Name;
    case 9:
        return statusesText(rec);
    case 10:
        return tabKey == key(tabkey::kUnloadingList) ? rec.LastErrorDescription : QString();
    default:
        return {};
    }
}

} // namespace mainwindow
