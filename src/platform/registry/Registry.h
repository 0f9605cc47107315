#pragma once

#include <optional>
#include <variant>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::registry {

enum class Hive
{
    User,    // read and write
    Machine, // read only for the program
};

enum class ValueType
{
    Sz,
    Dword,
    Qword,
    MultiSz,
    Binary,
};

// A stored value; the alternative held is its registry type, in the order of ValueType.
using Value = std::variant<QString, quint32, quint64, QStringList, QByteArray>;

ValueType typeOf(const Value& value);

// A key/value store shaped like the Windows registry: key paths are "\"-separated, and key paths
// and value names compare without regard to case. Failures raise core::Error.
class Registry
{
public:
    virtual ~Registry() = default;

    virtual std::optional<Value> read(Hive hive, const QString& keyPath, const QString& name) const = 0;
    // Stores the value, creating the key and its parents when missing.
    virtual void write(Hive hive, const QString& keyPath, const QString& name, const Value& value) = 0;
    // Removing a value that is not there is no failure.
    virtual void removeValue(Hive hive, const QString& keyPath, const QString& name) = 0;

    virtual bool keyExists(Hive hive, const QString& keyPath) const = 0;
    virtual QStringList valueNames(Hive hive, const QString& keyPath) const = 0;
    virtual QStringList subKeys(Hive hive, const QString& keyPath) const = 0;

    // A batch gathers the writes and removals of one hive: until it is committed they are seen by
    // this object's reads only, and the commit stores all of them at once or, when it fails, none
    // of them. One batch at a time; the batch ends with its commit, failed or not, or its discard.
    virtual void beginBatch(Hive hive) = 0;
    virtual void commitBatch() = 0;
    // Drops what the open batch holds; nothing happens without one.
    virtual void discardBatch() noexcept = 0;
};

} // namespace platform::registry
