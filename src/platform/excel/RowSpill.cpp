#include "RowSpill.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

#include <QDataStream>
#include <QTemporaryFile>

#include "ScratchSpace.h"
#include "base/Error.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

// The rows are written as plain bytes in the machine's order: the file lives only as long as the
// sheet, on this machine. A stream of Qt's own took most of the time of spilling and reading rows.
class RowWriter final
{
public:
    explicit RowWriter(QByteArray& bytes)
        : m_bytes(bytes)
    {
    }

    template <typename T> void put(T value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void put(const QString& text)
    {
        // -1 keeps a null text apart from an empty one.
        put(qint32(text.isNull() ? -1 : text.size()));
        m_bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    }
    void put(const QDateTime& dateTime)
    {
        // Rare in a sheet, and with a time zone to keep: Qt's own form.
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << dateTime;
        put(qint32(bytes.size()));
        m_bytes.append(bytes);
    }

private:
    QByteArray& m_bytes;
};

class RowReader final
{
public:
    explicit RowReader(const QByteArray& bytes)
        : m_next(bytes.constData())
        , m_end(bytes.constData() + bytes.size())
    {
    }

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_next == m_end; }
    std::size_t remaining() const { return std::size_t(m_end - m_next); }

    template <typename T> T get()
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        if (const char* data = take(sizeof value))
            std::memcpy(&value, data, sizeof value);
        return value;
    }
    QString getText()
    {
        const qint32 size = get<qint32>();
        if (size < 0)
            return {};
        const char* data = take(qsizetype(size) * qsizetype(sizeof(char16_t)));
        if (!data)
            return {};
        QString text(size, Qt::Uninitialized);
        std::memcpy(text.data(), data, std::size_t(size) * sizeof(char16_t));
        return text;
    }
    QDateTime getDateTime()
    {
        const qint32 size = get<qint32>();
        const char* data = take(size);
        QDateTime dateTime;
        if (!data)
            return dateTime;
        QDataStream in(QByteArray::fromRawData(data, size));
        in.setVersion(QDataStream::Qt_6_4);
        in >> dateTime;
        m_ok = m_ok && in.status() == QDataStream::Ok;
        return dateTime;
    }

private:
    const char* take(qsizetype size)
    {
        if (!m_ok || size < 0 || size > m_end - m_next) {
            m_ok = false;
            return nullptr;
        }
        const char* data = m_next;
        m_next += size;
        return data;
    }

    const char* m_next;
    const char* m_end;
    bool m_ok = true;
};

template <typename T> void writeStamped(RowWriter& out, const Stamped<T>& stamped)
{
    out.put(quint8(stamped.value ? 1 : 0));
    out.put(quint32(stamped.stamp));
    if (!stamped.value)
        return;
    if constexpr (std::is_enum_v<T>)
        out.put(qint32(*stamped.value));
    else if constexpr (std::is_same_v<T, bool>)
        out.put(quint8(*stamped.value ? 1 : 0));
    else
        out.put(*stamped.value);
}

template <typename T> void readStamped(RowReader& in, Stamped<T>& stamped)
{
    const bool present = in.get<quint8>() != 0;
    stamped.stamp = in.get<quint32>();
    if (!present) {
        stamped.value.reset();
        return;
    }
    if constexpr (std::is_enum_v<T>)
        stamped.value = static_cast<T>(in.get<qint32>());
    else if constexpr (std::is_same_v<T, bool>)
        stamped.value = in.get<quint8>() != 0;
    else
        stamped.value = in.getText();
}

void writeLayer(RowWriter& out, const FormatLayer& layer)
{
    writeStamped(out, layer.horizontal);
    writeStamped(out, layer.vertical);
    writeStamped(out, layer.wrapText);
    writeStamped(out, layer.bold);
    writeStamped(out, layer.numberFormat);
    writeStamped(out, layer.hyperlink);
}

void readLayer(RowReader& in, FormatLayer& layer)
{
    readStamped(in, layer.horizontal);
    readStamped(in, layer.vertical);
    readStamped(in, layer.wrapText);
    readStamped(in, layer.bold);
    readStamped(in, layer.numberFormat);
    readStamped(in, layer.hyperlink);
}

void writeValue(RowWriter& out, const CellValue& value)
{
    out.put(quint8(value.index()));
    if (const auto* text = std::get_if<QString>(&value))
        out.put(*text);
    else if (const auto* number = std::get_if<double>(&value))
        out.put(*number);
    else if (const auto* flag = std::get_if<bool>(&value))
        out.put(quint8(*flag ? 1 : 0));
    else if (const auto* dateTime = std::get_if<QDateTime>(&value))
        out.put(*dateTime);
    else if (const auto* formula = std::get_if<Formula>(&value))
        out.put(formula->r1c1);
}

CellValue readValue(RowReader& in)
{
    switch (in.get<quint8>()) {
    case 1:
        return in.getText();
    case 2:
        return in.get<double>();
    case 3:
        return in.get<quint8>() != 0;
    case 4:
        return in.getDateTime();
    case 5:
        return Formula{in.getText()};
    default:
        return Empty{};
    }
}

template <typename T, typename Write>
void writeList(RowWriter& out, const std::vector<std::pair<int, T>>& list, Write write)
{
    out.put(quint32(list.size()));
    for (const auto& [column, item] : list) {
        out.put(qint32(column));
        write(out, item);
    }
}

template <typename T, typename Read> void readList(RowReader& in, std::vector<std::pair<int, T>>& list, Read read)
{
    const quint32 count = in.get<quint32>();
    list.clear();
    list.reserve(std::min<std::size_t>(count, in.remaining() / sizeof(qint32)));
    // Each entry takes at least its column: a count beyond the bytes is a broken row.
    for (quint32 i = 0; i < count && in.ok(); ++i) {
        const int column = in.get<qint32>();
        list.emplace_back(column, read(in));
    }
}

// Room for the whole row at once: growing a row's bytes append by append cost more than writing them.
qsizetype serializedSize(const SheetRow& row)
{
    constexpr qsizetype kLayer = 6 * 9;
    qsizetype size = 16 + kLayer + 12 + qsizetype(row.cellFormats.size()) * (4 + kLayer);
    for (const auto& [column, value] : row.cells) {
        const auto* text = std::get_if<QString>(&value);
        const auto* formula = std::get_if<Formula>(&value);
        size += 9 + 2 * (text ? text->size() : formula ? formula->r1c1.size() : 4);
    }
    for (const auto& [column, link] : row.links)
        size += 8 + 2 * link.size();
    return size;
}

QByteArray serialize(const SheetRow& row)
{
    QByteArray bytes;
    bytes.reserve(serializedSize(row));
    RowWriter out(bytes);
    out.put(quint8(row.formatted ? 1 : 0));
    out.put(quint8(row.height ? 1 : 0));
    out.put(row.height.value_or(0));
    writeLayer(out, row.layer);
    writeList(out, row.cells, writeValue);
    writeList(out, row.cellFormats, writeLayer);
    writeList(out, row.links, [](RowWriter& stream, const QString& link) { stream.put(link); });
    return bytes;
}

SheetRow deserialize(const QByteArray& bytes, bool& ok)
{
    SheetRow row;
    RowReader in(bytes);
    row.formatted = in.get<quint8>() != 0;
    const bool hasHeight = in.get<quint8>() != 0;
    const double height = in.get<double>();
    if (hasHeight)
        row.height = height;
    readLayer(in, row.layer);
    readList(in, row.cells, readValue);
    readList(in, row.cellFormats, [](RowReader& stream) {
        FormatLayer layer;
        readLayer(stream, layer);
        return layer;
    });
    readList(in, row.links, [](RowReader& stream) { return stream.getText(); });
    ok = in.ok() && in.atEnd();
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
        const ScratchSpace scratch(m_folder);
        scratch.removeLeftovers();
        m_file = std::make_unique<QTemporaryFile>(scratch.nameTemplate(u"rows"));
        if (!m_file->open()) {
            m_failed = true;
            return false;
        }
    }
    const QByteArray bytes = serialize(data);
    // Rows mostly go out one after another: seeking would flush the file's buffer every time.
    if (bytes.size() > std::numeric_limits<int>::max() || (m_file->pos() != m_end && !m_file->seek(m_end))
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
    // Rows are mostly read back in the order they went out: a seek to where the file stands
    // would drop its read buffer and ask the system again.
    if ((m_file->pos() != it->offset && !m_file->seek(it->offset)) || m_file->read(bytes.data(), it->size) != it->size)
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
