#include "XlsxPackageLinks.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>

#include <QDir>
#include <QFile>

#include <zip.h>

#include "ExcelError.h"
#include "SheetLinks.h"
#include "base/Error.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

// libxlsxwriter writes the page margins of every sheet, right after its hyperlinks.
constexpr char kMarker[] = "<pageMargins";
constexpr qsizetype kMarkerLength = sizeof kMarker - 1;
constexpr qint64 kChunk = 256 * 1024;

[[noreturn]] void raiseFailure(const QString& what, int errorNumber)
{
    if (errorNumber == ENOSPC || errorNumber == EDQUOT)
        throw core::Error(core::failure::kDiskFullNumber, QString::fromUtf16(core::failure::kDiskFull));
    throw core::Error(core::failure::kPathFileAccessNumber, QString::fromUtf16(core::failure::kFileWriteError), what);
}

[[noreturn]] void raiseZip(const QString& what, zip_t* archive)
{
    zip_error_t* error = archive ? zip_get_error(archive) : nullptr;
    const int system = error ? zip_error_code_system(error) : 0;
    raiseFailure(what + u": "_s + QString::fromLocal8Bit(error ? zip_error_strerror(error) : ""), system);
}

[[noreturn]] void raiseFile(const QFile& file)
{
    raiseFailure(file.fileName() + u": "_s + file.errorString(),
                 file.error() == QFileDevice::ResourceError ? ENOSPC : 0);
}

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

void writeAll(QFile& target, const char* data, qint64 size)
{
    if (target.write(data, size) != size)
        raiseFile(target);
}

void copyFileInto(QFile& target, const QString& sourceName)
{
    QFile source(sourceName);
    if (!source.open(QIODevice::ReadOnly))
        raiseFile(source);
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (qint64 read; (read = source.read(chunk.data(), chunk.size())) > 0;)
        writeAll(target, chunk.constData(), read);
}

// Unpacks the sheet's part into the file, with the <hyperlinks> element before the page margins.
void writeSheetWithLinks(zip_t* archive, zip_uint64_t index, const QString& elementFile, const QString& fileName)
{
    const std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
    if (!entry)
        raiseZip(fileName, archive);
    QFile target(fileName);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseFile(target);
    QByteArray pending;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    bool inserted = false;
    for (;;) {
        const zip_int64_t read = zip_fread(entry.get(), chunk.data(), zip_uint64_t(chunk.size()));
        if (read < 0)
            raiseZip(fileName, archive);
        if (read == 0)
            break;
        pending.append(chunk.constData(), read);
        if (!inserted) {
            if (const qsizetype at = pending.indexOf(kMarker); at >= 0) {
                writeAll(target, pending.constData(), at);
                copyFileInto(target, elementFile);
                pending.remove(0, at);
                inserted = true;
            }
        }
        // Keep what could be the start of the marker cut in two by the chunks.
        const qsizetype keep = inserted ? 0 : std::min(pending.size(), kMarkerLength - 1);
        writeAll(target, pending.constData(), pending.size() - keep);
        pending.remove(0, pending.size() - keep);
    }
    writeAll(target, pending.constData(), pending.size());
    if (!inserted)
        error::raise(error::kApplicationDefined, u"The sheet has no place for its hyperlinks"_s);
    if (!target.flush())
        raiseFile(target);
}

void addFile(zip_t* archive, const QString& name, const QString& fileName, time_t mtime, zip_uint32_t level = 0)
{
    zip_source_t* source = zip_source_file(archive, QFile::encodeName(fileName).constData(), 0, -1);
    if (!source)
        raiseZip(fileName, archive);
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        raiseZip(fileName, archive);
    }
    zip_file_set_mtime(archive, zip_uint64_t(index), mtime, 0);
    if (level > 0)
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, level);
}

} // namespace

void XlsxPackageLinks::insert(const QString& path, const QString& tempFolder,
                              const std::vector<const SheetLinks*>& sheets)
{
    std::map<QString, const SheetLinks*> bySheetPart;
    for (const SheetLinks* links : sheets)
        bySheetPart.emplace(SheetLinks::sheetPart(links->sheet()), links);

    int error = 0;
    const Archive source(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error));
    if (!source)
        raiseFailure(path, 0);
    const QString linkedPath = QDir(tempFolder).filePath(u"linked.xlsx"_s);
    Archive target(zip_open(QFile::encodeName(linkedPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!target)
        raiseFailure(linkedPath, 0);

    bool relationshipsAdded = false;
    time_t mtime = 0;
    const auto addRelationships = [&] {
        for (const SheetLinks* links : sheets) {
            if (zip_name_locate(source.get(), SheetLinks::relationshipsPart(links->sheet()).toUtf8().constData(), 0)
                >= 0)
                error::raise(error::kApplicationDefined, u"The sheet has relationships of its own"_s);
            addFile(target.get(), SheetLinks::relationshipsPart(links->sheet()), links->relationshipsFile(), mtime);
        }
        relationshipsAdded = true;
    };

    const zip_int64_t count = zip_get_num_entries(source.get(), 0);
    for (zip_uint64_t index = 0; index < zip_uint64_t(count); ++index) {
        zip_stat_t stat;
        if (zip_stat_index(source.get(), index, 0, &stat) != 0)
            raiseZip(path, source.get());
        const QString name = QString::fromUtf8(stat.name);
        mtime = stat.mtime;
        // libxlsxwriter packs the sheets' relationships just before the document properties.
        if (!relationshipsAdded && name.startsWith(u"docProps/"_s))
            addRelationships();
        if (const auto found = bySheetPart.find(name); found != bySheetPart.end()) {
            const QString unpacked = QDir(tempFolder).filePath(u"sheet%1.xml"_s.arg(found->second->sheet()));
            writeSheetWithLinks(source.get(), index, found->second->elementFile(), unpacked);
            // Packed as libxlsxwriter packs its parts (zlib's default level): the file keeps its size.
            addFile(target.get(), name, unpacked, mtime, 6);
            continue;
        }
        zip_source_t* copy = zip_source_zip(target.get(), source.get(), index, 0, 0, -1);
        if (!copy)
            raiseZip(path, target.get());
        const zip_int64_t added = zip_file_add(target.get(), stat.name, copy, 0);
        if (added < 0) {
            zip_source_free(copy);
            raiseZip(path, target.get());
        }
        zip_file_set_mtime(target.get(), zip_uint64_t(added), mtime, 0);
    }
    if (!relationshipsAdded)
        addRelationships();

    errno = 0;
    if (zip_close(target.get()) != 0)
        raiseZip(linkedPath, target.get());
    target.release();
    errno = 0;
    if (std::rename(QFile::encodeName(linkedPath).constData(), QFile::encodeName(path).constData()) != 0)
        raiseFailure(path, errno);
}

} // namespace platform::excel
