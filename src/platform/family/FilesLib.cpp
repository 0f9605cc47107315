#include "FilesLib.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include "base/Error.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::family {

bool matchesMask(const QString& name, const QString& mask)
{
    // Built by hand: a file mask knows only "*" and "?", so brackets and the like are plain
    // characters of a name.
    QString pattern;
    QString literal;
    for (const QChar character : mask) {
        if (character != u'*' && character != u'?') {
            literal += character;
            continue;
        }
        pattern += QRegularExpression::escape(std::exchange(literal, QString()));
        pattern += character == u'*' ? u".*"_s : u"."_s;
    }
    pattern += QRegularExpression::escape(literal);
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern),
                                        QRegularExpression::CaseInsensitiveOption
                                            | QRegularExpression::DotMatchesEverythingOption);
    return expression.match(name).hasMatch();
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
