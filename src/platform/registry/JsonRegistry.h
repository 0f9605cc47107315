#pragma once

#include <functional>
#include <optional>
#include <utility>

#include <QList>

#include <QMap>

#include "Registry.h"

class QLockFile;

namespace core {
class Error;
}

namespace platform::registry {

// The registry kept as one JSON file per hive in a folder of its own. Every read checks whether
// the file changed since it was loaded, so a write by another process is seen at once; every write
// reloads, changes and replaces the file whole (QSaveFile) under a lock file, so a crash in the
// middle of a write leaves the old file as it was.
class JsonRegistry final : public Registry
{
public:
    enum class MachineAccess
    {
        ReadOnly,
        ReadWrite, // for set-up tools and tests that seed the machine hive
    };

    explicit JsonRegistry(QString folder, MachineAccess machineAccess = MachineAccess::ReadOnly);

    // N7_REGISTRY_DIR when set, else a folder below the user's configuration folder.
    static QString defaultFolder();

    std::optional<Value> read(Hive hive, const QString& keyPath, const QString& name) const override;
    void write(Hive hive, const QString& keyPath, const QString& name, const Value& value) override;
    void removeValue(Hive hive, const QString& keyPath, const QString& name) override;
    bool keyExists(Hive hive, const QString& keyPath) const override;
    QStringList valueNames(Hive hive, const QString& keyPath) const override;
    QStringList subKeys(Hive hive, const QString& keyPath) const override;
    // The batch is held in memory; its commit replays its changes on the file as it then is, under
    // the lock, and replaces the file once.
    void beginBatch(Hive hive) override;
    void commitBatch() override;
    void discardBatch() noexcept override;

    QString fileOf(Hive hive) const;

    // Called after the new content is written and before it replaces the old file.
    void setBeforeCommitHook(std::function<void()> hook) { m_beforeCommit = std::move(hook); }

private:
    struct Entry
    {
        QString name;
        Value value;
    };
    struct Key
    {
        QString path;
        QMap<QString, Entry> values; // by folded name
    };
    using Keys = QMap<QString, Key>; // by folded path

    struct Change
    {
        bool remove = false;
        QString keyPath;
        QString name;
        Value value;
    };
    struct Batch
    {
        Hive hive = Hive::User;
        Keys keys; // the hive as this object sees it while the batch is open
        QList<Change> changes;
    };

    struct Stamp
    {
        bool exists = false;
        qint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Cache
    {
        bool loaded = false;
        Stamp stamp;
        Keys keys;
    };

    const Keys& current(Hive hive) const;
    const Keys& stored(Hive hive) const;
    static void apply(Keys& keys, const Change& change);
    void applyOrHold(Hive hive, const Change& change);
    void checkWritable(Hive hive) const;
    // Why the store's lock could not be taken: another process holds it, or its folder takes no file.
    core::Error lockFailure(Hive hive, const QLockFile& lock) const;
    Keys loadFile(const QString& file) const;
    void saveFile(Hive hive, const Keys& keys);
    void modify(Hive hive, const std::function<void(Keys&)>& change);
    Stamp stampOf(const QString& file) const;
    void ensureFolder() const;

    QString m_folder;
    MachineAccess m_machineAccess;
    mutable Cache m_user;
    mutable Cache m_machine;
    std::function<void()> m_beforeCommit;
    std::optional<Batch> m_batch;
};

} // namespace platform::registry
