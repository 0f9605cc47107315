#include "RowSpill.h"

#include <limits>
#include <type_traits>

#include <QDataStream>
#include <QDir>
#include <QTemporaryFile>

#include "base/Error.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

constexpr auto kStreamVersion = QDataStream::Qt_6_4;

template <typename T> void writeStamped(QDataStream& out, const Stamped<T>& stamped)
{
    out << bool(stamped.value) << stamped.stamp;
    if (!stamped.value)
        return;
    if constexpr (std::is_enum_v<T>)
        out << qint32(*stamped.value);
    else
        out << *stamped.value;
}

template <typename T> void readStamped(QDataStream& in, Stamped<T>& stamped)
{
    bool present = false;
    in >> present >> stamped.stamp;
    if (!present) {
        stamped.value.reset();
        return;
    }
    if constexpr (std::is_enum_v<T>) {
        qint32 value = 0;
        in >> value;
        stamped.value = static_cast<T>(value);
    } else {
        T value{};
        in >> value;
        stamped.value = std::move(value);
    }
}

void writeLayer(QDataStream& out, const FormatLayer& layer)
{
    writeStamped(out, layer.horizontal);
    writeStamped(out, layer.vertical);
    writeStamped(out, layer.wrapText);
    writeStamped(out, layer.bold);
    writeStamped(out, layer.numberFormat);
    writeStamped(out, layer.hyperlink);
}

void readLayer(QDataStream& in, FormatLayer& layer)
{
    readStamped(in, layer.horizontal);
    readStamped(in, layer.vertical);
    readStamped(in, layer.wrapText);
    readStamped(in, layer.bold);
    readStamped(in, layer.numberFormat);
    readStamped(in, layer.hyperlink);
}

void writeValue(QDataStream& out, const CellValue& value)
{
    out << quint8(value.index());
    if (const auto* text = std::get_if<QString>(&value))
        out << *text;
    else if (const auto* number = std::get_if<double>(&value))
        out << *number;
    else if (const auto* flag = std::get_if<bool>(&value))
        out << *flag;
    else if (const auto* dateTime = std::get_if<QDateTime>(&value))
        out << *dateTime;
    else if (const auto* formula = std::get_if<Formula>(&value))
        out << formula->r1c1;
}

CellValue readValue(QDataStream& in)
{
    quint8 index = 0;
    in >> index;
    switch (index) {
    case 1: {
        QString text;
        in >> text;
        return text;
    }
    case 2: {
        double number = 0;
        in >> number;
        return number;
    }
    case 3: {
        bool flag = false;
        in >> flag;
        return flag;
    }
    case 4: {
        QDateTime dateTime;
        in >> dateTime;
        return dateTime;
    }
    case 5: {
        Formula formula;
        in >> formula.r1c1;
        return formula;
    }
    default:
        return Empty{};
    }
}

template <typename T, typename Write>
void writeList(QDataStream& out, const std::vector<std::pair<int, T>>& list, Write write)
{
    out << quint32(list.size());
    for (const auto& [column, item] : list) {
        out << qint32(column);
        write(out, item);
    }
}

template <typename T, typename Read> void readList(QDataStream& in, std::vector<std::pair<int, T>>& list, Read read)
{
    quint32 count = 0;
    in >> count;
    list.clear();
    list.reserve(count);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint32 column = 0;
        in >> column;
        list.emplace_back(column, read(in));
    }
}

QByteArray serialize(const SheetRow& row)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << row.formatted << bool(row.height) << row.height.value_or(0);
    writeLayer(out, row.layer);
    writeList(out, row.cells, writeValue);
    writeList(out, row.cellFormats, writeLayer);
    writeList(out, row.links, [](QDataStream& stream, const QString& link) { stream << link; });
    return bytes;
}

SheetRow deserialize(const QByteArray& bytes, bool& ok)
{
    SheetRow row;
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    bool hasHeight = false;
    double height = 0;
    in >> row.formatted >> hasHeight >> height;
    if (hasHeight)
        row.height = height;
    readLayer(in, row.layer);
    readList(in, row.cells, readValue);
    readList(in, row.cellFormats, [](QDataStream& stream) {
        FormatLayer layer;
        readLayer(stream, layer);
        return layer;
    });
    readList(in, row.links, [](QDataStream& stream) {
        QString link;
        stream >> link;
        return link;
    });
    ok = in.status() == QDataStream::Ok;
    return row;
}

[[noreturn]] void raiseReadFailure(const QString& fileName)
{
    throw core::Error(core::failure::kPathFileAccessNumber, u"Path/File access error"_s, fileName);
}

} // namespace

RowSpill::RowSpill(QString folder)
    : m_folder(std::move(folder))
{
}

RowSpill::~RowSpill() = default;

std::vector<RowSpill::Entry>::const_iterator RowSpill::find(int row) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), row,
                                     [](const Entry& entry, int r) { return entry.row < r; });
    return it != m_entries.end() && it->row == row ? it : m_entries.end();
}

bool RowSpill::put(int row, const SheetRow& data)
{
    if (m_failed)
        return false;
    if (!m_file) {
        const QString folder = m_folder.isEmpty() ? QDir::tempPath() : m_folder;
        m_file = std::make_unique<QTemporaryFile>(QDir(folder).filePath(u"fetchling-rows-XXXXXX"_s));
        if (!m_file->open()) {
            m_failed = true;
            return false;
        }
    }
    const QByteArray bytes = serialize(data);
    if (bytes.size() > std::numeric_limits<int>::max() || !m_file->seek(m_end)
        || m_file->write(bytes) != bytes.size()) {
        m_failed = true;
        return false;
    }
    const Entry entry{row, int(bytes.size()), m_end};
    m_end += bytes.size();
    auto it =
        std::lower_bound(m_entries.begin(), m_entries.end(), row, [](const Entry& e, int r) { return e.row < r; });
    if (it != m_entries.end() && it->row == row)
        *it = entry;
    else
        m_entries.insert(it, entry);
    return true;
}

bool RowSpill::contains(int row) const
{
    return find(row) != m_entries.end();
}

SheetRow RowSpill::get(int row) const
{
    const auto it = find(row);
    if (it == m_entries.end())
        return {};
    QByteArray bytes(it->size, Qt::Uninitialized);
    if (!m_file->seek(it->offset) || m_file->read(bytes.data(), it->size) != it->size)
        raiseReadFailure(m_file->fileName());
    bool ok = false;
    SheetRow data = deserialize(bytes, ok);
    if (!ok)
        raiseReadFailure(m_file->fileName());
    return data;
}

void RowSpill::remove(int row)
{
    const auto it = find(row);
    if (it != m_entries.end())
        m_entries.erase(it);
}

void RowSpill::clear()
{
    m_entries.clear();
    m_file.reset();
    m_end = 0;
    m_failed = false;
}

} // namespace platform::excel
