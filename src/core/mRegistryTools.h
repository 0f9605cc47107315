#pragma once

#include <map>
#include <variant>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/registry/Registry.h"

namespace core {

// Reads single values of the registry directly, outside the program's own key tree, in the manner
// of the Win32 registry functions: whole-number roots, error codes, key handles and the loosely
// typed value that a reader gets. Nothing here writes to the registry.
class mRegistryTools final
{
public:
    // The value a reader gets: Null, a 32-bit number, a text, an array of texts or of bytes.
    using Variant = std::variant<std::monostate, qint32, QString, QStringList, QByteArray>;

    static constexpr quint32 HKEY_CURRENT_USER = 0x80000001U;
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002U;

    static constexpr quint32 KEY_QUERY_VALUE = 0x1;
    static constexpr quint32 KEY_WOW64_64KEY = 0x100;
    static constexpr quint32 KEY_WOW64_32KEY = 0x200;

    static constexpr int REG_NONE = 0;
    static constexpr int REG_SZ = 1;
    static constexpr int REG_EXPAND_SZ = 2;
    static constexpr int REG_BINARY = 3;
    static constexpr int REG_DWORD = 4;
    static constexpr int REG_MULTI_SZ = 7;
    static constexpr int REG_QWORD = 11;

    static constexpr int ERROR_SUCCESS = 0;
    static constexpr int ERROR_FILE_NOT_FOUND = 2;
    static constexpr int ERROR_INVALID_HANDLE = 6;

    explicit mRegistryTools(const platform::registry::Registry& registry);

    // Bit 1 of the view flags asks for the 64-bit view, bit 2 (without bit 1) for the 32-bit
    // view. The store behind this class has one view only, so the mask is kept for its meaning.
    static quint32 accessMaskFor(int viewFlags);

    int OpenRegistryKey(quint32 root, const QString& keyPath, quint32 accessMask, quintptr& keyHandle);
    int CloseRegistryKey(quintptr keyHandle);
    int QueryRegistryValue(quintptr keyHandle, const QString& valueName, int& valueType, Variant& value) const;

    bool ReadRegistryValue(quint32 root, const QString& keyPath, const QString& valueName, Variant& value,
                           int& valueType, int viewFlags);
    QString ReadRegistryString(quint32 root, QString keyPath, QString valueName, QString defaultValue);
    qint32 ReadRegistryLong(quint32 root, QString keyPath, QString valueName, qint32 defaultValue, int viewFlags);

    // Number of keys opened and not yet closed.
    int openKeyCount() const { return static_cast<int>(m_openKeys.size()); }

private:
    struct OpenKey
    {
        platform::registry::Hive hive;
        QString path;
        quint32 accessMask;
    };

    const platform::registry::Registry& m_registry;
    std::map<quintptr, OpenKey> m_openKeys;
    quintptr m_nextHandle = 0x100;
};

} // namespace core
