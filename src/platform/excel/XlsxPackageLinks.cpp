#include "XlsxPackageLinks.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <new>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include "DeflateSplice.h"
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
// zlib's default level (Z_DEFAULT_COMPRESSION), as a level libzip takes.
constexpr zip_uint32_t kDefaultLevel = 6;

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

// The part of a sheet as a raw deflate stream in a file, with what the zip's directory tells of it.
struct PackedPart
{
    QString file;
    quint32 crc = 0;
    zip_uint64_t size = 0;
};

// Writes the sheet's part, with the <hyperlinks> element before the page margins, as a raw
// deflate stream into the file. The part is large and the element comes near its end: only the
// end is packed again (DeflateSplice).
PackedPart packSheetWithLinks(zip_t* archive, zip_uint64_t index, const QString& elementFile, const QString& fileName)
{
    const std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, ZIP_FL_COMPRESSED));
    if (!entry)
        raiseZip(fileName, archive);
    QFile target(fileName);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseFile(target);
    QFile element(elementFile);
    if (!element.open(QIODevice::ReadOnly))
        raiseFile(element);
    const auto read = [&](char* buffer, qint64 size) {
        const zip_int64_t taken = zip_fread(entry.get(), buffer, zip_uint64_t(size));
        if (taken < 0)
            raiseZip(fileName, archive);
        return qint64(taken);
    };
    const auto write = [&](const char* data, qint64 size) { writeAll(target, data, size); };
    const DeflateSplice::Result spliced =
        DeflateSplice::splice(read, write, QByteArrayView(kMarker, kMarkerLength), element);
    if (element.error() != QFileDevice::NoError)
        raiseFile(element);
    if (!target.flush())
        raiseFile(target);
    PackedPart part;
    part.file = fileName;
    part.crc = spliced.crc;
    part.size = spliced.size;
    return part;
}

// Hands a packed part to libzip as it stands: libzip copies it without packing it again.
class PackedSource final
{
public:
    explicit PackedSource(PackedPart part)
        : m_part(std::move(part))
        , m_file(m_part.file)
    {
        zip_error_init(&m_error);
    }
    ~PackedSource() { zip_error_fini(&m_error); }
    PackedSource(const PackedSource&) = delete;
    PackedSource& operator=(const PackedSource&) = delete;

    static zip_int64_t callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* source = static_cast<PackedSource*>(self);
        if (command == ZIP_SOURCE_FREE) {
            const std::unique_ptr<PackedSource> owned(source);
            return 0;
        }
        return source->handle(data, length, command);
    }

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            if (!m_file.open(QIODevice::ReadOnly))
                return failed();
            return 0;
        case ZIP_SOURCE_READ: {
            const qint64 read = m_file.read(static_cast<char*>(data), qint64(length));
            return read < 0 ? failed() : read;
        }
        case ZIP_SOURCE_CLOSE:
            m_file.close();
            return 0;
        case ZIP_SOURCE_STAT: {
            zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!stat)
                return -1;
            zip_stat_init(stat);
            stat->valid =
                ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
            stat->size = m_part.size;
            stat->comp_size = zip_uint64_t(QFileInfo(m_part.file).size());
            stat->comp_method = ZIP_CM_DEFLATE;
            stat->encryption_method = ZIP_EM_NONE;
            stat->crc = zip_uint32_t(m_part.crc);
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    zip_int64_t failed()
    {
        zip_error_set(&m_error, ZIP_ER_READ, m_file.error() == QFileDevice::ResourceError ? ENOSPC : EIO);
        return -1;
    }

    PackedPart m_part;
    QFile m_file;
    zip_error_t m_error;
};

void addPacked(zip_t* archive, const QString& name, PackedPart part, time_t mtime)
{
    const QString fileName = part.file;
    auto state = std::make_unique<PackedSource>(std::move(part));
    zip_source_t* source = zip_source_function(archive, &PackedSource::callback, state.get());
    if (!source)
        raiseZip(fileName, archive);
    static_cast<void>(state.release()); // the source owns it now and frees it with itself
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        raiseZip(fileName, archive);
    }
    zip_file_set_mtime(archive, zip_uint64_t(index), mtime, 0);
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
            // At zlib's default level, as libxlsxwriter packs its parts: libzip's own default is
            // the slowest level, for a few percent less on a part of very like lines.
            addFile(target.get(), SheetLinks::relationshipsPart(links->sheet()), links->relationshipsFile(), mtime,
                    kDefaultLevel);
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
            const QString sheetFile = QDir(tempFolder).filePath(u"sheet%1.xml"_s.arg(found->second->sheet()));
            if (stat.comp_method == ZIP_CM_DEFLATE) {
                addPacked(target.get(), name,
                          packSheetWithLinks(source.get(), index, found->second->elementFile(), sheetFile), mtime);
                continue;
            }
            writeSheetWithLinks(source.get(), index, found->second->elementFile(), sheetFile);
            // Packed as libxlsxwriter packs its parts (zlib's default level): the file keeps its size.
            addFile(target.get(), name, sheetFile, mtime, kDefaultLevel);
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
    static_cast<void>(target.release()); // closed, and freed by closing
    errno = 0;
    if (std::rename(QFile::encodeName(linkedPath).constData(), QFile::encodeName(path).constData()) != 0)
        raiseFailure(path, errno);
}

} // namespace platform::excel
