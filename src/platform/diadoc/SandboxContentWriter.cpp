#include "SandboxContentWriter.h"

#include <cstdlib>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <new>

#include <zip.h>

#include "SandboxService.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kFailure = -2147467259;

QByteArray readContent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
}

void requireFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        SandboxService::raise(QString::fromUtf16(sandboxtext::kPathNotFound), kFailure);
}

QList<std::pair<QString, QByteArray>> entriesOf(const DocumentData& document)
{
    QList<std::pair<QString, QByteArray>> entries;
    for (const QString& path : document.content)
        entries.append({QFileInfo(path).fileName(), readContent(path)});
    return entries;
}

// Builds a ZIP archive in memory through a temporary file, libzip's natural target.
QByteArray buildZip(const QList<std::pair<QString, QByteArray>>& entries)
{
    QTemporaryDir scratch;
    const QByteArray path = QFile::encodeName(scratch.filePath(u"content.zip"_s));
    int error = 0;
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    for (const auto& [name, bytes] : entries) {
        // libzip reads the buffer at zip_close, so each source keeps a copy it frees itself.
        void* copy = std::malloc(static_cast<size_t>(bytes.size()) + 1);
        if (!copy)
            throw std::bad_alloc();
        std::memcpy(copy, bytes.constData(), static_cast<size_t>(bytes.size()));
        zip_source_t* source = zip_source_buffer(archive, copy, static_cast<zip_uint64_t>(bytes.size()), 1);
        if (!source)
            std::free(copy);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(archive);
            SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    }
    QFile file(scratch.filePath(u"content.zip"_s));
    if (!file.open(QIODevice::ReadOnly))
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    return file.readAll();
}

} // namespace

void SandboxContentWriter::writeFolder(const DocumentData& document, const QString& folder, bool withProtocol)
{
    requireFolder(folder);
    QList<std::pair<QString, QByteArray>> entries = entriesOf(document);
    if (withProtocol && !document.protocolFile.isEmpty())
        entries.append({QFileInfo(document.protocolFile).fileName(), readContent(document.protocolFile)});
    for (const auto& [name, bytes] : entries)
        writeFile(QDir(folder).filePath(name), bytes);
}

void SandboxContentWriter::writeZip(const DocumentData& document, const QString& zipPath, FaultEffect damage)
{
    requireFolder(QFileInfo(zipPath).absolutePath());
    QList<std::pair<QString, QByteArray>> entries = entriesOf(document);
    if (damage == FaultEffect::Hostile) {
        entries.append({u"../вне папки.txt"_s, QByteArrayLiteral("escaped")});
        entries.append({u"/tmp/absolute.txt"_s, QByteArrayLiteral("absolute")});
        entries.append({u"sub/../../climb.txt"_s, QByteArrayLiteral("climb")});
    }
    QByteArray bytes;
    if (damage == FaultEffect::Corrupt) {
        bytes = QByteArrayLiteral("PK\x03\x04 this is not a ZIP archive at all");
    } else {
        bytes = buildZip(entries);
        if (damage == FaultEffect::Truncated)
            bytes.truncate(bytes.size() / 2);
    }
    writeFile(zipPath, bytes);
}

} // namespace platform::diadoc
