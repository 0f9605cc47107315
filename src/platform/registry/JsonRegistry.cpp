#include "JsonRegistry.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/SystemErrorText.h"

using namespace Qt::StringLiterals;

namespace platform::registry {

namespace {

constexpr int kFormatVersion = 1;

QStringList segmentsOf(const QString& keyPath)
{
    return keyPath.split(u'\\', Qt::SkipEmptyParts);
}

QString normalPath(const QString& keyPath)
{
    return segmentsOf(keyPath).join(u'\\');
}

QString folded(const QString& text)
{
    return text.toCaseFolded();
}

QString typeName(ValueType type)
{
    switch (type) {
    case ValueType::Sz:
        return u"SZ"_s;
    case ValueType::Dword:
        return u"DWORD"_s;
    case ValueType::Qword:
        return u"QWORD"_s;
    case ValueType::MultiSz:
        return u"MULTI_SZ"_s;
    case ValueType::Binary:
        return u"BINARY"_s;
    }
    return {};
}

QJsonValue dataOf(const Value& value)
{
    switch (typeOf(value)) {
    case ValueType::Sz:
        return std::get<QString>(value);
    case ValueType::Dword:
        return static_cast<qint64>(std::get<quint32>(value));
    case ValueType::Qword:
        // Kept as digits: a JSON number loses the low bits of a large 64-bit value.
        return QString::number(std::get<quint64>(value));
    case ValueType::MultiSz:
        return QJsonArray::fromStringList(std::get<QStringList>(value));
    case ValueType::Binary:
        return QString::fromLatin1(std::get<QByteArray>(value).toBase64());
    }
    return {};
}

core::Error damaged(const QString& file, const QString& why)
{
    return core::Error(core::failure::kPathFileAccessNumber,
                       u"Файл реестра повреждён: "_s + QDir::toNativeSeparators(file) + u" ("_s + why + u')',
                       u"JsonRegistry"_s);
}

core::Error unreadable(const QString& file, const QString& why)
{
    return core::Error(core::failure::kPathFileAccessNumber,
                       u"Нет доступа к файлу реестра "_s + QDir::toNativeSeparators(file) + u" ("_s + why + u')',
                       u"JsonRegistry"_s);
}

Value valueFromJson(const QString& file, const QString& type, const QJsonValue& data)
{
    if (type == u"SZ" && data.isString())
        return data.toString();
    if (type == u"DWORD" && data.isDouble()) {
        const qint64 number = data.toInteger(-1);
        if (number >= 0 && number <= 0xFFFFFFFFLL)
            return static_cast<quint32>(number);
    }
    if (type == u"QWORD" && data.isString()) {
        bool ok = false;
        const quint64 number = data.toString().toULongLong(&ok);
        if (ok)
            return number;
    }
    if (type == u"MULTI_SZ" && data.isArray()) {
        QStringList texts;
        const QJsonArray items = data.toArray();
        for (const QJsonValue item : items)
            texts.append(item.toString());
        return texts;
    }
    if (type == u"BINARY" && data.isString()) {
        auto decoded =
            QByteArray::fromBase64Encoding(data.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            return *decoded;
    }
    throw damaged(file, u"value of type "_s + type);
}

} // namespace

ValueType typeOf(const Value& value)
{
    return static_cast<ValueType>(value.index());
}

JsonRegistry::JsonRegistry(QString folder, MachineAccess machineAccess)
    : m_folder(std::move(folder))
    , m_machineAccess(machineAccess)
{
}

QString JsonRegistry::defaultFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("N7_REGISTRY_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/N7_Fetchling/registry"_s;
}

QString JsonRegistry::fileOf(Hive hive) const
{
    return m_folder + (hive == Hive::User ? u"/user.json"_s : u"/machine.json"_s);
}

JsonRegistry::Stamp JsonRegistry::stampOf(const QString& file) const
{
    struct stat info = {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0) {
        if (errno == ENOENT)
            return {};
        // A folder that cannot be searched, or a file where the folder should be: the store cannot be
        // read, which is not the same as an empty one.
        throw unreadable(file, core::systemErrorText(errno));
    }
    return {true, static_cast<qint64>(info.st_ino), static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

JsonRegistry::Keys JsonRegistry::loadFile(const QString& file) const
{
    // Opened without waiting, then checked: a pipe or a device put in the file's place would
    // otherwise block the program for ever on the first read.
    const int descriptor = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT)
            return {};
        throw unreadable(file, core::systemErrorText(errno));
    }
    QFile input;
    if (!input.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw unreadable(file, input.errorString());
    }
    struct stat info = {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        throw unreadable(file, u"это не обычный файл"_s);
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw unreadable(file, input.errorString());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw damaged(file, parseError.errorString());
    const QJsonObject root = document.object();
    if (root.value(u"format"_s).toInt() != kFormatVersion)
        throw damaged(file, u"unknown format"_s);
    if (!root.value(u"keys"_s).isArray())
        throw damaged(file, u"нет списка ключей"_s);

    Keys keys;
    const QJsonArray keyValues = root.value(u"keys"_s).toArray();
    for (const QJsonValue keyValue : keyValues) {
        const QJsonObject keyObject = keyValue.toObject();
        if (!keyValue.isObject() || !keyObject.value(u"path"_s).isString() || !keyObject.value(u"values"_s).isArray())
            throw damaged(file, u"ключ без пути или списка значений"_s);
        Key key;
        key.path = normalPath(keyObject.value(u"path"_s).toString());
        const QJsonArray entryValues = keyObject.value(u"values"_s).toArray();
        for (const QJsonValue entryValue : entryValues) {
            const QJsonObject entryObject = entryValue.toObject();
            if (!entryValue.isObject() || !entryObject.value(u"name"_s).isString()
                || !entryObject.value(u"type"_s).isString())
                throw damaged(file, u"значение без имени или типа в ключе "_s + key.path);
            Entry entry{entryObject.value(u"name"_s).toString(),
                        valueFromJson(file, entryObject.value(u"type"_s).toString(), entryObject.value(u"data"_s))};
            key.values.insert(folded(entry.name), entry);
        }
        keys.insert(folded(key.path), key);
    }
    return keys;
}

const JsonRegistry::Keys& JsonRegistry::current(Hive hive) const
{
    if (m_batch && m_batch->hive == hive)
        return m_batch->keys;
    return stored(hive);
}

const JsonRegistry::Keys& JsonRegistry::stored(Hive hive) const
{
    Cache& cache = hive == Hive::User ? m_user : m_machine;
    const QString file = fileOf(hive);
    const Stamp stamp = stampOf(file);
    if (!cache.loaded || !(cache.stamp == stamp)) {
        cache.keys = loadFile(file);
        cache.stamp = stamp;
        cache.loaded = true;
    }
    return cache.keys;
}

void JsonRegistry::ensureFolder() const
{
    QDir dir(m_folder);
    if (dir.exists())
        return;
    if (!dir.mkpath(u"."_s))
        throw core::Error(core::failure::kPathFileAccessNumber,
                          u"Не удалось создать папку реестра "_s + QDir::toNativeSeparators(m_folder),
                          u"JsonRegistry"_s);
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void JsonRegistry::saveFile(Hive hive, const Keys& keys)
{
    QJsonArray keyArray;
    for (const Key& key : keys) {
        QJsonArray valueArray;
        for (const Entry& entry : key.values) {
            valueArray.append(QJsonObject{
                {u"name"_s, entry.name}, {u"type"_s, typeName(typeOf(entry.value))}, {u"data"_s, dataOf(entry.value)}});
        }
        keyArray.append(QJsonObject{{u"path"_s, key.path}, {u"values"_s, valueArray}});
    }
    const QJsonObject root{{u"format"_s, kFormatVersion}, {u"keys"_s, keyArray}};

    const QString file = fileOf(hive);
    QSaveFile output(file);
    const bool written = output.open(QIODevice::WriteOnly)
                         && output.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                         && output.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) >= 0;
    if (written && m_beforeCommit)
        m_beforeCommit();
    if (!written || !output.commit()) {
        if (output.error() == QFileDevice::ResourceError)
            throw core::Error(core::failure::kDiskFullNumber, QString::fromUtf16(core::failure::kDiskFull),
                              u"JsonRegistry"_s);
        throw core::Error(core::failure::kPathFileAccessNumber,
                          QString::fromUtf16(core::failure::kFileWriteError) + u' ' + QDir::toNativeSeparators(file)
                              + u": "_s + output.errorString(),
                          u"JsonRegistry"_s);
    }
}

core::Error JsonRegistry::lockFailure(Hive hive, const QLockFile& lock) const
{
    const QString file = QDir::toNativeSeparators(fileOf(hive));
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return core::Error(core::failure::kPermissionDeniedNumber, u"Файл реестра занят другим процессом: "_s + file,
                           u"JsonRegistry"_s);
    case QLockFile::PermissionError:
        // The lock file is made beside the store: a folder that takes no file (read-only, or
        // without the rights) refuses every change of the store.
        return core::Error(core::failure::kPermissionDeniedNumber,
                           u"Папка реестра доступна только для чтения: "_s + QDir::toNativeSeparators(m_folder),
                           u"JsonRegistry"_s);
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return core::Error(core::failure::kPathFileAccessNumber,
                       u"Не удалось создать файл блокировки реестра для "_s + file, u"JsonRegistry"_s);
}

void JsonRegistry::checkWritable(Hive hive) const
{
    if (hive == Hive::Machine && m_machineAccess == MachineAccess::ReadOnly)
        throw core::Error(core::failure::kPermissionDeniedNumber,
                          u"Раздел реестра компьютера доступен только для чтения"_s, u"JsonRegistry"_s);
}

void JsonRegistry::modify(Hive hive, const std::function<void(Keys&)>& change)
{
    checkWritable(hive);
    ensureFolder();
    QLockFile lock(fileOf(hive) + u".lock"_s);
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(30000))
        throw lockFailure(hive, lock);
    Keys keys = stored(hive);
    change(keys);
    saveFile(hive, keys);
    Cache& cache = hive == Hive::User ? m_user : m_machine;
    cache.keys = std::move(keys);
    cache.stamp = stampOf(fileOf(hive));
    cache.loaded = true;
}

std::optional<Value> JsonRegistry::read(Hive hive, const QString& keyPath, const QString& name) const
{
    const Keys& keys = current(hive);
    const auto key = keys.constFind(folded(normalPath(keyPath)));
    if (key == keys.cend())
        return std::nullopt;
    const auto entry = key->values.constFind(folded(name));
    if (entry == key->values.cend())
        return std::nullopt;
    return entry->value;
}

void JsonRegistry::apply(Keys& keys, const Change& change)
{
    const QString path = normalPath(change.keyPath);
    if (change.remove) {
        const auto key = keys.find(folded(path));
        if (key != keys.end())
            key->values.remove(folded(change.name));
        return;
    }
    Key& key = keys[folded(path)];
    if (key.path.isEmpty())
        key.path = path;
    Entry& entry = key.values[folded(change.name)];
    if (entry.name.isEmpty())
        entry.name = change.name;
    entry.value = change.value;
}

void JsonRegistry::applyOrHold(Hive hive, const Change& change)
{
    checkWritable(hive);
    if (m_batch && m_batch->hive == hive) {
        apply(m_batch->keys, change);
        m_batch->changes.append(change);
        return;
    }
    modify(hive, [&](Keys& keys) { apply(keys, change); });
}

void JsonRegistry::write(Hive hive, const QString& keyPath, const QString& name, const Value& value)
{
    applyOrHold(hive, Change{false, keyPath, name, value});
}

void JsonRegistry::removeValue(Hive hive, const QString& keyPath, const QString& name)
{
    if (!read(hive, keyPath, name))
        return;
    applyOrHold(hive, Change{true, keyPath, name, Value()});
}

void JsonRegistry::beginBatch(Hive hive)
{
    if (m_batch)
        throw core::Error(core::failure::kPermissionDeniedNumber, u"Пакет записей в реестр уже открыт"_s,
                          u"JsonRegistry"_s);
    checkWritable(hive);
    m_batch = Batch{hive, stored(hive), {}};
}

void JsonRegistry::commitBatch()
{
    if (!m_batch)
        return;
    const Batch batch = std::exchange(m_batch, std::nullopt).value();
    if (batch.changes.isEmpty())
        return;
    // Replayed on the file as it is now, so that values another process wrote meanwhile stay.
    modify(batch.hive, [&](Keys& keys) {
        for (const Change& change : batch.changes)
            apply(keys, change);
    });
}

void JsonRegistry::discardBatch() noexcept
{
    m_batch.reset();
}

bool JsonRegistry::keyExists(Hive hive, const QString& keyPath) const
{
    const QString wanted = folded(normalPath(keyPath));
    if (wanted.isEmpty())
        return true;
    const Keys& keys = current(hive);
    if (keys.contains(wanted))
        return true;
    const QString prefix = wanted + u'\\';
    const auto next = keys.lowerBound(prefix);
    return next != keys.cend() && next.key().startsWith(prefix);
}

QStringList JsonRegistry::valueNames(Hive hive, const QString& keyPath) const
{
    const Keys& keys = current(hive);
    const auto key = keys.constFind(folded(normalPath(keyPath)));
    QStringList names;
    if (key != keys.cend()) {
        for (const Entry& entry : key->values)
            names.append(entry.name);
    }
    return names;
}

QStringList JsonRegistry::subKeys(Hive hive, const QString& keyPath) const
{
    const QString parent = normalPath(keyPath);
    const QString prefix = parent.isEmpty() ? QString() : folded(parent) + u'\\';
    const int depth = segmentsOf(parent).size();
    QStringList names;
    QStringList seen;
    const Keys& keys = current(hive);
    for (auto it = keys.lowerBound(prefix); it != keys.cend() && it.key().startsWith(prefix); ++it) {
        const QString child = segmentsOf(it->path).value(depth);
        if (!child.isEmpty() && !seen.contains(folded(child))) {
            seen.append(folded(child));
            names.append(child);
        }
    }
    return names;
}

} // namespace platform::registry
