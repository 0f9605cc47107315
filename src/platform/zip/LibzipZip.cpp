#include "LibzipZip.h"

#include <array>
#include <memory>
#include <new>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "EntryName.h"
#include "WildcardMatch.h"
#include "base/TextCodec.h"

using namespace Qt::StringLiterals;

namespace platform::zip {

namespace {

using namespace zipcode;

constexpr int kPasswordBufferSize = 81;
constexpr int kCommentBufferSize = 32 * 1024;

struct ArchiveDiscarder
{
    void operator()(zip_t* archive) const
    {
        if (archive)
            zip_discard(archive);
    }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscarder>;

// One file or folder to put into the archive.
struct Item
{
    QString path;      // on disk
    QString entryName; // in the archive, "/" between folders, a folder ending with "/"
    bool folder = false;
    qint64 mtime = 0;
    qint64 size = 0;
};

// The name an entry gets from the name it was given: "\" made "/", and a drive, leading "/",
// "." and ".." dropped, so that unpacking it elsewhere stays inside the target.
QString entryNameOf(const QString& given)
{
    QStringList kept;
    for (const QString& part : EntryName::components(given)) {
        if (part == u"."_s || part == u".."_s || (kept.isEmpty() && part.size() == 2 && part[1] == u':'))
            continue;
        kept.append(part);
    }
    return kept.join(u'/');
}

std::optional<QDate> parseDate(const char* text)
{
    if (!text || !*text)
        return std::nullopt;
    const QString value = QString::fromUtf8(text);
    for (const QString& format : {u"MM/dd/yy"_s, u"MM/dd/yyyy"_s}) {
        QDate date = QDate::fromString(value, format);
        if (date.isValid()) {
            if (format == u"MM/dd/yy"_s && date.year() < 1970)
                date = date.addYears(100);
            return date;
        }
    }
    return std::nullopt;
}

int codeOfCloseError(int zipError)
{
    switch (zipError) {
    case ZIP_ER_MEMORY:
        return ZE_MEM;
    case ZIP_ER_TMPOPEN:
        return ZE_TEMP;
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
        return ZE_WRITE;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return ZE_READ;
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return ZE_OPEN;
    case ZIP_ER_RENAME:
        return ZE_CREAT;
    default:
        return ZE_LOGIC;
    }
}

// One call of ZpArchive.
class ZipRun final
{
public:
    ZipRun(const ZPOPT& options, const ZIPUSERFUNCTIONS& callbacks)
        : m_options(options)
        , m_callbacks(callbacks)
    {
    }

    int run(int argc, const char* zipFileName, char** argv)
    {
        if (!zipFileName || !*zipFileName)
            return ZE_PARMS;
        if (m_options.fLevel != 0 && (m_options.fLevel < '0' || m_options.fLevel > '9'))
            return ZE_PARMS;
        if (m_options.fIncludeDate || m_options.fExcludeDate) {
            m_date = parseDate(m_options.Date);
            if (!m_date)
                return ZE_PARMS;
        }
        m_root = m_options.szRootDir && *m_options.szRootDir ? QDir(QString::fromUtf8(m_options.szRootDir))
                                                             : QDir::current();
        const QString zipPath = QString::fromUtf8(zipFileName);

        QStringList names;
        for (int i = 0; argv && i < argc; ++i) {
            if (argv[i] && *argv[i])
                names.append(core::TextCodec::fromCp1251(QByteArrayView(argv[i])));
        }
        if (m_options.fDeleteEntries)
            return deleteEntries(zipPath, names);

        for (const QString& name : std::as_const(names))
            collect(name);
        if (m_items.isEmpty())
            return m_code != ZE_OK ? m_code : ZE_NONE;

        if (!QFileInfo(QFileInfo(zipPath).absolutePath()).isDir())
            return ZE_CREAT;
        int zipError = 0;
        Archive archive(zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE, &zipError));
        if (!archive)
            return zipError == ZIP_ER_MEMORY ? ZE_MEM : zipError == ZIP_ER_OPEN ? ZE_CREAT : ZE_FORM;

        QByteArray password;
        if (m_options.fEncrypt) {
            if (!zip_encryption_method_supported(ZIP_EM_AES_256, 1))
                return ZE_PARMS;
            if (!askPassword(zipPath, password))
                return ZE_ABORT;
        }

        QList<Item> added;
        for (const Item& item : std::as_const(m_items)) {
            const int result = add(archive.get(), item, password);
            if (result == ZE_ABORT)
                return ZE_ABORT;
            if (result > 0)
                m_code = std::max(m_code, result);
            else if (result == 0)
                added.append(item);
        }
        if (m_options.fComment)
            askComment(archive.get());

        if (zip_close(archive.get()) != 0)
            return codeOfCloseError(zip_error_code_zip(zip_get_error(archive.get())));
        static_cast<void>(archive.release()); // closed, and freed by closing

        if (m_options.fLatestTime)
            setLatestTime(zipPath, added);
        if (m_options.fMove)
            removeMoved(added);
        return m_code;
    }

private:
    void collect(const QString& given)
    {
        const QString path = m_root.filePath(QString(given).replace(u'\\', u'/'));
        const QFileInfo info(path);
        if (info.exists()) {
            addPath(info, entryNameOf(given));
            return;
        }
        if (!hasWildcards(info.fileName()))
            return; // a name that names nothing is left out; the rest of the list is still added
        const QDir folder = info.dir();
        const QString givenFolder = given.left(given.size() - info.fileName().size());
        const QStringList children =
            folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QString& child : children) {
            if (wildcardMatch(info.fileName(), child, true))
                addPath(QFileInfo(folder.filePath(child)), entryNameOf(givenFolder + child));
        }
    }

    void addPath(const QFileInfo& info, const QString& entryName)
    {
        if (entryName.isEmpty())
            return;
        const QString stored = m_options.fJunkDir ? info.fileName() : entryName;
        if (info.isDir()) {
            if (!m_options.fNoDirEntries && !m_options.fJunkDir)
                push(info, stored + u'/', true);
            if (m_options.fRecurse == 0)
                return;
            QDirIterator it(info.filePath(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            QStringList found;
            while (it.hasNext())
                found.append(it.next());
            found.sort();
            const QDir base(info.filePath());
            for (const QString& child : std::as_const(found)) {
                const QFileInfo childInfo(child);
                const QString relative = stored + u'/' + base.relativeFilePath(child);
                if (childInfo.isDir()) {
                    if (!m_options.fNoDirEntries && !m_options.fJunkDir)
                        push(childInfo, relative + u'/', true);
                } else {
                    push(childInfo, m_options.fJunkDir ? childInfo.fileName() : relative, false);
                }
            }
            return;
        }
        push(info, stored, false);
    }

    void push(const QFileInfo& info, const QString& entryName, bool folder)
    {
        const qint64 mtime = info.lastModified().toSecsSinceEpoch();
        if (!folder && m_date) {
            const qint64 limit = QDateTime(*m_date, QTime(0, 0)).toSecsSinceEpoch();
            if (m_options.fIncludeDate && mtime < limit)
                return;
            if (m_options.fExcludeDate && mtime >= limit)
                return;
        }
        if (m_seen.contains(entryName))
            return;
        m_seen.insert(entryName);
        m_items.append(Item{info.filePath(), entryName, folder, mtime, info.size()});
    }

    // 0 added, -1 left out by the switches, or a code.
    int add(zip_t* archive, const Item& item, const QByteArray& password)
    {
        const QByteArray name = item.entryName.toUtf8();
        const zip_int64_t existing = zip_name_locate(archive, name.constData(), ZIP_FL_ENC_UTF_8);
        if (m_options.fFreshen || m_options.fUpdate) {
            zip_stat_t stat;
            zip_stat_init(&stat);
            const bool present =
                existing >= 0 && zip_stat_index(archive, static_cast<zip_uint64_t>(existing), 0, &stat) == 0;
            if (m_options.fFreshen && !present)
                return -1;
            if (present && (stat.valid & ZIP_STAT_MTIME) && stat.mtime >= item.mtime)
                return -1;
        }
        if (item.folder) {
            if (existing < 0 && zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                return ZE_LOGIC;
            return serviced(item);
        }
        const QByteArray path = QFile::encodeName(item.path);
        const int probe = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (probe < 0)
            return ZE_OPEN;
        ::close(probe);
        zip_source_t* source = zip_source_file(archive, path.constData(), 0, -1);
        if (!source)
            return ZE_OPEN;
        const zip_int64_t index = zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return ZE_LOGIC;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (m_options.fLevel == '0')
            zip_set_file_compression(archive, at, ZIP_CM_STORE, 0);
        else if (m_options.fLevel != 0)
            zip_set_file_compression(archive, at, ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(m_options.fLevel - '0'));
        zip_file_set_mtime(archive, at, static_cast<time_t>(item.mtime), 0);
        if (!password.isEmpty() && zip_file_set_encryption(archive, at, ZIP_EM_AES_256, password.constData()) != 0)
            return ZE_LOGIC;
        return serviced(item);
    }

    int serviced(const Item& item)
    {
        if (!m_callbacks.service)
            return 0;
        const QByteArray name = item.entryName.toUtf8();
        return m_callbacks.service(name.constData(), static_cast<unsigned long>(item.size)) == 0 ? 0 : ZE_ABORT;
    }

    bool askPassword(const QString& zipPath, QByteArray& password)
    {
        if (!m_callbacks.password)
            return false;
        std::array<char, kPasswordBufferSize> buffer{};
        const QByteArray name = QFile::encodeName(zipPath);
        if (m_callbacks.password(buffer.data(), kPasswordBufferSize, "Enter password: ", name.constData()) != 0)
            return false;
        buffer.back() = '\0';
        password = QByteArray(buffer.data());
        return !password.isEmpty();
    }

    void askComment(zip_t* archive)
    {
        if (!m_callbacks.comment)
            return;
        std::array<char, kCommentBufferSize> buffer{};
        m_callbacks.comment(buffer.data(), kCommentBufferSize);
        buffer.back() = '\0';
        const QByteArray comment(buffer.data());
        if (!comment.isEmpty())
            zip_set_archive_comment(archive, comment.constData(), static_cast<zip_uint16_t>(comment.size()));
    }

    int deleteEntries(const QString& zipPath, const QStringList& names)
    {
        if (!QFileInfo::exists(zipPath))
            return ZE_NAME;
        int zipError = 0;
        Archive archive(zip_open(QFile::encodeName(zipPath).constData(), 0, &zipError));
        if (!archive)
            return zipError == ZIP_ER_MEMORY ? ZE_MEM : ZE_FORM;
        int deleted = 0;
        const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* stored = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
            const QString entry = stored ? QString::fromUtf8(stored) : QString();
            for (const QString& name : names) {
                if (wildcardMatch(entryNameOf(name), entry, true)) {
                    zip_delete(archive.get(), static_cast<zip_uint64_t>(i));
                    ++deleted;
                    break;
                }
            }
        }
        if (deleted == 0)
            return ZE_NONE;
        if (zip_close(archive.get()) != 0)
            return codeOfCloseError(zip_error_code_zip(zip_get_error(archive.get())));
        static_cast<void>(archive.release()); // closed, and freed by closing
        return ZE_OK;
    }

    static void setLatestTime(const QString& zipPath, const QList<Item>& added)
    {
        qint64 latest = 0;
        for (const Item& item : added)
            latest = std::max(latest, item.mtime);
        if (latest <= 0)
            return;
        const std::array<timespec, 2> times = {timespec{latest, 0}, timespec{latest, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(zipPath).constData(), times.data(), 0);
    }

    static void removeMoved(const QList<Item>& added)
    {
        for (const Item& item : added) {
            if (!item.folder)
                QFile::remove(item.path);
        }
        // Folders last, deepest first; a folder that still holds something stays.
        for (auto it = added.crbegin(); it != added.crend(); ++it) {
            if (it->folder)
                QDir().rmdir(it->path);
        }
    }

    const ZPOPT& m_options;
    const ZIPUSERFUNCTIONS& m_callbacks;
    std::optional<QDate> m_date;
    QDir m_root;
    QList<Item> m_items;
    QSet<QString> m_seen;
    int m_code = ZE_OK;
};

} // namespace

int LibzipZip::ZpInit(ZIPUSERFUNCTIONS* lpZipUserFunc)
{
    if (!lpZipUserFunc)
        return 0;
    m_callbacks = *lpZipUserFunc;
    return 1;
}

int LibzipZip::ZpSetOptions(ZPOPT* opts)
{
    if (!opts)
        return 0;
    m_options = *opts;
    return 1;
}

int LibzipZip::ZpArchive(int argc, const char* zipFileName, char** argv)
{
    try {
        ZipRun run(m_options, m_callbacks);
        return run.run(argc, zipFileName, argv);
    } catch (const std::bad_alloc&) {
        return ZE_MEM;
    } catch (...) {
        // Nothing raised inside the library may reach its caller, as with a C library.
        return ZE_LOGIC;
    }
}

} // namespace platform::zip
