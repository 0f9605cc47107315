#include "mRegistryTools.h"

#include "VbNumbers.h"

using namespace Qt::StringLiterals;

namespace core {

using platform::registry::Hive;
using platform::registry::ValueType;

mRegistryTools::mRegistryTools(const platform::registry::Registry& registry)
    : m_registry(registry)
{
}

quint32 mRegistryTools::accessMaskFor(int viewFlags)
{
    if (viewFlags & 1)
        return KEY_QUERY_VALUE | KEY_WOW64_64KEY;
    if (viewFlags & 2)
        return KEY_QUERY_VALUE | KEY_WOW64_32KEY;
    return KEY_QUERY_VALUE;
}

int mRegistryTools::OpenRegistryKey(quint32 root, const QString& keyPath, quint32 accessMask, quintptr& keyHandle)
{
    keyHandle = 0;
    Hive hive = Hive::User;
    if (root == HKEY_LOCAL_MACHINE)
        hive = Hive::Machine;
    else if (root != HKEY_CURRENT_USER)
        return ERROR_INVALID_HANDLE;
    if (!m_registry.keyExists(hive, keyPath))
        return ERROR_FILE_NOT_FOUND;
    keyHandle = m_nextHandle++;
    m_openKeys.emplace(keyHandle, OpenKey{hive, keyPath, accessMask});
    return ERROR_SUCCESS;
}

int mRegistryTools::CloseRegistryKey(quintptr keyHandle)
{
    return m_openKeys.erase(keyHandle) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int mRegistryTools::QueryRegistryValue(quintptr keyHandle, const QString& valueName, int& valueType,
                                       Variant& value) const
{
    const auto key = m_openKeys.find(keyHandle);
    if (key == m_openKeys.end()) {
        valueType = REG_NONE;
        value = std::monostate{};
        return ERROR_INVALID_HANDLE;
    }
    const std::optional<platform::registry::Value> stored =
        m_registry.read(key->second.hive, key->second.path, valueName);
    if (!stored) {
        valueType = REG_NONE;
        value = std::monostate{};
        return ERROR_FILE_NOT_FOUND;
    }
    switch (platform::registry::typeOf(*stored)) {
    case ValueType::Dword:
        valueType = REG_DWORD;
        // The data lands in a signed Long, so 0xFFFFFFFF reads as -1.
        value = static_cast<qint32>(std::get<quint32>(*stored));
        break;
    case ValueType::Sz:
        valueType = REG_SZ;
        value = std::get<QString>(*stored);
        break;
    case ValueType::MultiSz: {
        valueType = REG_MULTI_SZ;
        const QStringList& texts = std::get<QStringList>(*stored);
        if (texts.isEmpty()) {
            value = QStringList();
        } else {
            // The data holds every text with its zero and one more zero at the end; the reader
            // drops the last zero and splits the rest, so the array ends with one empty text.
            QStringList parts = texts;
            parts.append(QString());
            value = parts;
        }
        break;
    }
    case ValueType::Binary: {
        valueType = REG_BINARY;
        QByteArray bytes = std::get<QByteArray>(*stored);
        if (!bytes.isEmpty())
            bytes.append('\0'); // the reader's array runs from 0 to the data length
        value = bytes;
        break;
    }
    case ValueType::Qword:
        // A 64-bit value is not converted: the value stays as the caller had it.
        valueType = REG_QWORD;
        break;
    }
    return ERROR_SUCCESS;
}

bool mRegistryTools::ReadRegistryValue(quint32 root, const QString& keyPath, const QString& valueName, Variant& value,
                                       int& valueType, int viewFlags)
{
    value = std::monostate{};
    valueType = REG_NONE;
    quintptr key = 0;
    if (OpenRegistryKey(root, keyPath, accessMaskFor(viewFlags), key) != ERROR_SUCCESS)
        return false;
    int result = ERROR_FILE_NOT_FOUND;
    try {
        result = QueryRegistryValue(key, valueName, valueType, value);
    } catch (...) {
        CloseRegistryKey(key);
        throw;
    }
    CloseRegistryKey(key);
    return result == ERROR_SUCCESS;
}

QString mRegistryTools::ReadRegistryString(quint32 root, QString keyPath, QString valueName, QString defaultValue)
{
    Variant value;
    int valueType = REG_NONE;
    if (!ReadRegistryValue(root, keyPath, valueName, value, valueType, 0))
        return defaultValue;
    if (const auto* number = std::get_if<qint32>(&value))
        return QString::number(*number);
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    // Null and arrays do not convert to a text.
    return defaultValue;
}

qint32 mRegistryTools::ReadRegistryLong(quint32 root, QString keyPath, QString valueName, qint32 defaultValue,
                                        int viewFlags)
{
    Variant value;
    int valueType = REG_NONE;
    if (!ReadRegistryValue(root, keyPath, valueName, value, valueType, viewFlags))
        return defaultValue;
    if (const auto* number = std::get_if<qint32>(&value))
        return *number;
    if (const auto* text = std::get_if<QString>(&value))
        return vbLongFromText(*text).value_or(defaultValue);
    return defaultValue;
}

} // namespace core
