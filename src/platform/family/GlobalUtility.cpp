#include "GlobalUtility.h"

#include <cmath>
#include <limits>

#include <QFileInfo>
#include <QStringDecoder>

#include "base/Error.h"
#include "platform/registry/Registry.h"

using namespace Qt::StringLiterals;

namespace platform::family {

namespace {

using registry::Hive;
using registry::Value;
using registry::ValueType;

constexpr int kTypeMismatch = 13;
constexpr int kOverflow = 6;

std::optional<int> numberOf(const Value& value)
{
    switch (registry::typeOf(value)) {
    case ValueType::Dword:
        return static_cast<int>(std::get<quint32>(value));
    case ValueType::Qword: {
        const quint64 number = std::get<quint64>(value);
        if (number <= static_cast<quint64>(std::numeric_limits<int>::max()))
            return static_cast<int>(number);
        return std::nullopt;
    }
    case ValueType::Sz: {
        bool ok = false;
        const int number = std::get<QString>(value).trimmed().toInt(&ok);
        return ok ? std::optional<int>(number) : std::nullopt;
    }
    case ValueType::MultiSz:
    case ValueType::Binary:
        break;
    }
    return std::nullopt;
}

// The credential transform: a keyed byte mask over the UTF-8 text and a check byte, as base64
// behind a marker. It keeps a password out of plain sight in the store; it is no encryption.
const QByteArray kMarker = QByteArrayLiteral("n7c1:");

QByteArray masked(QByteArray bytes)
{
    quint32 state = 0x4E37u;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(static_cast<quint8>(byte) ^ static_cast<quint8>(state >> 16));
    }
    return bytes;
}

quint8 checkByte(const QByteArray& bytes)
{
    quint8 sum = 0x5A;
    for (const char byte : bytes)
        sum = static_cast<quint8>((sum << 1 | sum >> 7) ^ static_cast<quint8>(byte));
    return sum;
}

} // namespace

GlobalUtility::GlobalUtility(registry::Registry& registry)
    : m_registry(registry)
{
}

int GlobalUtility::TextPosition(const QString& phrase, const QString& text) const
{
    return static_cast<int>(text.indexOf(phrase)) + 1;
}

QString GlobalUtility::GetToken(const QString& text, const QString& separator, int index) const
{
    if (index < 1)
        return {};
    if (separator.isEmpty())
        return index == 1 ? text : QString();
    return text.split(separator).value(index - 1);
}

void GlobalUtility::RegistrySetValue(const QString& keyPath, const QString& name, const QVariant& value)
{
    Value stored;
    switch (value.typeId()) {
    case QMetaType::QString:
        stored = value.toString();
        break;
    case QMetaType::Bool:
        stored = static_cast<quint32>(value.toBool() ? -1 : 0);
        break;
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qint64 number = value.toLongLong();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            throw core::Error(kOverflow, u"Overflow"_s, u"GlobalUtility"_s);
        stored = static_cast<quint32>(static_cast<int>(number));
        break;
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = std::nearbyint(value.toDouble()); // halves to even, as the system rounds
        if (!(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()))
            throw core::Error(kOverflow, u"Overflow"_s, u"GlobalUtility"_s);
        stored = static_cast<quint32>(static_cast<int>(number));
        break;
    }
    default:
        throw core::Error(kTypeMismatch, u"Type mismatch"_s, u"GlobalUtility"_s);
    }
    m_registry.write(Hive::User, keyPath, name, stored);
}

void GlobalUtility::RegistryBeginBatch()
{
    m_registry.beginBatch(Hive::User);
}

void GlobalUtility::RegistryCommitBatch()
{
    m_registry.commitBatch();
}

void GlobalUtility::RegistryDiscardBatch() noexcept
{
    m_registry.discardBatch();
}

int GlobalUtility::RegistryGetLong(const QString& keyPath, const QString& name, int defaultValue) const
{
    const auto value = m_registry.read(Hive::User, keyPath, name);
    if (!value)
        return defaultValue;
    return numberOf(*value).value_or(defaultValue);
}

int GlobalUtility::RegistryGetLongVar(const QString& keyPath, const QString& name, const QVariant& defaultValue) const
{
    return RegistryGetLong(keyPath, name, defaultValue.toInt());
}

QString GlobalUtility::RegistryGetString(const QString& keyPath, const QString& name,
                                         const QVariant& defaultValue) const
{
    const auto value = m_registry.read(Hive::User, keyPath, name);
    if (!value)
        return defaultValue.toString();
    switch (registry::typeOf(*value)) {
    case ValueType::Sz:
        return std::get<QString>(*value);
    case ValueType::Dword:
        return QString::number(static_cast<int>(std::get<quint32>(*value)));
    case ValueType::Qword:
        return QString::number(std::get<quint64>(*value));
    case ValueType::MultiSz:
    case ValueType::Binary:
        break;
    }
    return defaultValue.toString();
}

bool GlobalUtility::FileExists(const QString& path) const
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile();
}

int GlobalUtility::QuarterOfDate(const QDate& date) const
{
    return (date.month() - 1) / 3 + 1;
}

QString GlobalUtility::RemoveTrailingChar(const QString& path, const QString& character) const
{
    QString result = path;
    if (character.isEmpty())
        return result;
    while (result.endsWith(character))
        result.chop(character.size());
    return result;
}

QString GlobalUtility::RemoveChars(const QString& characters, QString text, int /*mode*/) const
{
    for (const QChar character : characters)
        text.remove(character);
    return text;
}

QString GlobalUtility::TransformCredential(const QString& text, int mode) const
{
    if (text.isEmpty())
        return {};
    if (mode == 0) {
        QByteArray bytes = text.toUtf8();
        bytes.append(static_cast<char>(checkByte(bytes)));
        return QString::fromLatin1(kMarker + masked(bytes).toBase64());
    }
    const QByteArray stored = text.toLatin1();
    if (!text.startsWith(QLatin1StringView(kMarker)) || QString::fromLatin1(stored) != text)
        return {};
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.mid(kMarker.size()), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || (*decoded).isEmpty())
        return {};
    QByteArray bytes = masked(*decoded);
    const auto check = static_cast<quint8>(bytes.back());
    bytes.chop(1);
    if (check != checkByte(bytes))
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString plain = utf8.decode(bytes);
    if (utf8.hasError())
        return {};
    return plain;
}

} // namespace platform::family
