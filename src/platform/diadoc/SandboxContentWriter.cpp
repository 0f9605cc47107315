#include "SandboxContentWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Builds a ZIP archive in memory: libzip writes it into a buffer source, so that no scratch folder
// and file are made and removed for every document.
QByteArray buildZip(const QList<std::pair<QString, QByteArray>>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!target) {
        zip_error_fini(&error);
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    }
    // The archive frees its source on close; one more reference keeps the written bytes readable.
    zip_source_keep(target);
    const auto fail = [&target, &error]() {
        zip_source_free(target);
        zip_error_fini(&error);
        SandboxService::raise(QString::fromUtf16(sandboxtext::kCannotOpenFile), kFailure);
    };
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(target); // the reference that the archive would have taken
        fail();
    }
    for (const auto& [name, bytes] : entries) {
        // The entries outlive zip_close, which is when libzip reads them, so they are not copied.
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(archive);
            fail();
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        fail();
    }
    QByteArray bytes;
    if (zip_source_open(target) < 0)
        fail();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(target, &stat) < 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        zip_source_close(target);
        fail();
    }
    bytes.resize(static_cast<qsizetype>(stat.size));
    const zip_int64_t read = zip_source_read(target, bytes.data(), stat.size);
    zip_source_close(target);
    if (read != static_cast<zip_int64_t>(stat.size))
        fail();
    zip_source_free(target);
    zip_error_fini(&error);
    return bytes;
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
