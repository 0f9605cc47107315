#include "FilesLib.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "base/Error.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::family {

namespace {

// How many UTF-16 units the character at `at` takes: a "?" stands for a whole character.
qsizetype characterLength(QStringView text, qsizetype at)
{
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

bool matchesMask(const QString& name, const QString& mask)
{
    // A file mask knows only "*" and "?": brackets and the like are plain characters of a name.
    // Matched by hand, as it runs for every file of every document's folder: a star first takes
    // nothing and, when the rest fails, one more unit of the name each time.
    const QString foldedName = name.toCaseFolded();
    const QString foldedMask = mask.toCaseFolded();
    const QStringView text(foldedName);
    const QStringView pattern(foldedMask);
    qsizetype at = 0;
    qsizetype in = 0;
    qsizetype starIn = -1;
    qsizetype starAt = 0;
    while (at < text.size()) {
        if (in < pattern.size() && pattern[in] == u'*') {
            starIn = ++in;
            starAt = at;
        } else if (in < pattern.size() && pattern[in] == u'?') {
            at += characterLength(text, at);
            ++in;
        } else if (in < pattern.size() && pattern[in] == text[at]) {
            ++at;
            ++in;
        } else if (starIn >= 0) {
            in = starIn;
            at = ++starAt;
        } else {
            return false;
        }
    }
    while (in < pattern.size() && pattern[in] == u'*')
        ++in;
    return in == pattern.size();
}

QString FilesLib::DriveRoot(const QString& path) const
{
    if (path.isEmpty())
        return {};
    QFileInfo info(path);
    while (!info.exists() && !info.isRoot() && info.absolutePath() != info.absoluteFilePath())
        info.setFile(info.absolutePath());
    const QStorageInfo storage(info.absoluteFilePath());
    return storage.isValid() ? storage.rootPath() : QString();
}

QStringList FilesLib::FindFiles(const QString& folder, const QString& mask, int /*attributes*/, bool /*sorted*/) const
{
    QStringList found;
    const QDir dir(folder);
    if (!dir.exists())
        return found;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink() && matchesMask(entry.fileName(), mask))
            found.append(entry.absoluteFilePath());
    }
    return found;
}

QString FilesLib::ExistingFilePath(const QString& path) const
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return {};
    return info.absoluteFilePath();
}

void FilesLib::RemoveFile(const QString& path, bool /*force*/) const
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    QFile file(path);
    if (!file.remove())
        throw core::Error(core::failure::kPermissionDeniedNumber,
                          u"Не удалось удалить файл "_s + path + u": "_s + file.errorString(), u"FilesLib"_s);
}

QString FilesLib::RenameFolder(const QString& folder, int /*flags*/, int /*options*/) const
{
    QString trimmed = folder;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = trimmed + u'~' + QString::number(n);
        if (QFileInfo::exists(candidate))
            continue;
        if (QDir().rename(trimmed, candidate))
            return candidate;
        break;
    }
    throw core::Error(core::failure::kPathFileAccessNumber, u"Не удалось переименовать папку "_s + folder,
                      u"FilesLib"_s);
}

} // namespace platform::family
