#include "TestArchive.h"

#include <algorithm>
#include <memory>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <zip.h>

namespace testsupport {

bool TestArchive::write(const QString& path, const QList<Entry>& entries, QString* error)
{
    QFile::remove(path);
    int zipError = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &zipError);
    auto fail = [&](const char* what) {
        if (error)
            *error = QString::fromUtf8(what) + QStringLiteral(": ")
                     + QString::fromUtf8(archive ? zip_strerror(archive) : "open");
        if (archive)
            zip_discard(archive);
        return false;
    };
    if (!archive)
        return fail("zip_open");
    for (const Entry& entry : entries) {
        const zip_flags_t encoding = entry.utf8Flag ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_GUESS;
        zip_int64_t index = -1;
        if (entry.directory) {
            index = zip_dir_add(archive, entry.name.constData(), encoding);
        } else {
            // The source keeps a pointer to the data: the entry list outlives zip_close.
            zip_source_t* source =
                zip_source_buffer(archive, entry.data.constData(), static_cast<zip_uint64_t>(entry.data.size()), 0);
            if (!source)
                return fail("zip_source_buffer");
            index = zip_file_add(archive, entry.name.constData(), source, encoding);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0)
            return fail("add");
        if (entry.mtime > 0)
            zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), static_cast<time_t>(entry.mtime), 0);
        if (!entry.password.isEmpty()
            && zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                       entry.password.constData())
                   != 0)
            return fail("encryption");
    }
    if (zip_close(archive) != 0)
        return fail("zip_close");
    clearUtf8Flags(path, entries);
    return true;
}

void TestArchive::clearUtf8Flags(const QString& path, const QList<Entry>& entries)
{
    // libzip flags every valid UTF-8 name it writes; an archive of another tool may not, so the
    // flag is taken off again where the entry asks for none.
    QByteArray bytes = read(path);
    const auto unflagged = [&](const QByteArray& name) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const Entry& e) { return !e.utf8Flag && e.name == name; });
    };
    const auto u16 = [&](qsizetype at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]))
               | (static_cast<int>(static_cast<unsigned char>(bytes[at + 1])) << 8);
    };
    struct Header
    {
        QByteArray signature;
        int flagAt;
        int nameLengthAt;
        int nameAt;
    };
    for (const Header& header :
         {Header{QByteArray("PK\x03\x04"), 6, 26, 30}, Header{QByteArray("PK\x01\x02"), 8, 28, 46}}) {
        for (qsizetype at = bytes.indexOf(header.signature); at >= 0; at = bytes.indexOf(header.signature, at + 4)) {
            if (at + header.nameAt > bytes.size())
                break;
            const QByteArray name = bytes.mid(at + header.nameAt, u16(at + header.nameLengthAt));
            if (unflagged(name))
                bytes[at + header.flagAt + 1] = static_cast<char>(bytes[at + header.flagAt + 1] & ~0x08);
        }
    }
    writeFile(path, bytes);
}

QStringList TestArchive::filesBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            continue;
        found.append(base.relativeFilePath(path));
    }
    found.sort();
    return found;
}

QByteArray TestArchive::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestArchive::writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

} // namespace testsupport
