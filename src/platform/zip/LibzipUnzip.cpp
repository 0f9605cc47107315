#include "LibzipUnzip.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "EntryName.h"
#include "WildcardMatch.h"

using namespace Qt::StringLiterals;

namespace platform::zip {

namespace {

using namespace unzipcode;

// The password buffer offered to the password callback (80 characters and the zero byte).
constexpr int kPasswordBufferSize = 81;
// Wrong passwords accepted for one entry before it is skipped.
constexpr int kPasswordTries = 3;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

// Archives up to this size are read into memory whole.
constexpr off_t kReadWholeUpTo = 1024 * 1024;

bool readWhole(int fd, off_t size, QByteArray& bytes)
{
    bytes.resize(static_cast<qsizetype>(size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = 0;
            return false; // the archive shrank while it was read: it is damaged for this run
        }
        done += got;
    }
    return true;
}

// The bytes outlive the archive: libzip reads them in place.
Archive openInMemory(const QByteArray& bytes, int& zipError)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        zipError = zip_error_code_zip(&error);
    }
    zip_error_fini(&error);
    return Archive(archive);
}

int codeOfOpenError(int zipError)
{
    switch (zipError) {
    case ZIP_ER_MEMORY:
        return PK_MEM;
    case ZIP_ER_NOZIP:
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return PK_NOZIP;
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return PK_EOF;
    default:
        return PK_BADERR;
    }
}

int codeOfReadError(int zipError)
{
    switch (zipError) {
    case ZIP_ER_MEMORY:
        return PK_MEM;
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return PK_EOF;
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP:
        return IZ_UNSUP;
    default:
        return PK_ERR;
    }
}

bool isDiskFull(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

QStringList patternsOf(int count, char** table)
{
    QStringList patterns;
    for (int i = 0; table && i < count; ++i) {
        if (table[i])
            patterns.append(QString::fromUtf8(table[i]));
    }
    return patterns;
}

const char* methodText(zip_uint16_t method)
{
    switch (method) {
    case ZIP_CM_STORE:
        return "Stored";
    case ZIP_CM_DEFLATE:
        return "Defl:N";
    case ZIP_CM_DEFLATE64:
        return "Def64";
    case ZIP_CM_BZIP2:
        return "BZip2";
    case ZIP_CM_LZMA:
        return "LZMA";
    default:
        return "Unk";
    }
}

// One call of the entry point: the archive, the switches and the callbacks of that call.
class UnzipRun final
{
public:
    UnzipRun(const DCL& options, USERFUNCTIONS& callbacks, QStringList includes, QStringList excludes,
             const ExtractFolder::WriteCall& write)
        : m_options(options)
        , m_callbacks(callbacks)
        , m_includes(std::move(includes))
        , m_excludes(std::move(excludes))
        , m_write(write)
    {
    }

    int run()
    {
        if (!m_options.lpszZipFN || !*m_options.lpszZipFN)
            return PK_PARAM;
        const int fd = ::open(m_options.lpszZipFN, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return errno == ENOMEM ? PK_MEM : PK_NOZIP;
        struct stat archiveStat = {};
        if (::fstat(fd, &archiveStat) != 0 || !S_ISREG(archiveStat.st_mode)) {
            ::close(fd);
            return PK_NOZIP;
        }
        // A small archive (a document's content) is read at once and parsed in memory, which saves
        // the library's own seeks and reads of the file; a large one is read as it is needed.
        QByteArray bytes;
        int zipError = 0;
        Archive archive;
        if (archiveStat.st_size > 0 && archiveStat.st_size <= kReadWholeUpTo) {
            const bool whole = readWhole(fd, archiveStat.st_size, bytes);
            const int readError = errno;
            ::close(fd);
            if (!whole)
                return readError == ENOMEM ? PK_MEM : PK_EOF;
            archive = openInMemory(bytes, zipError);
        } else {
            archive.reset(zip_fdopen(fd, 0, &zipError));
            if (!archive)
                ::close(fd);
        }
        if (!archive)
            return codeOfOpenError(zipError);
        m_archive = archive.get();

        if (m_options.nzflag) {
            int length = 0;
            if (const char* comment = zip_get_archive_comment(m_archive, &length, ZIP_FL_ENC_GUESS); comment)
                print(QByteArray(comment, length));
            return PK_OK;
        }

        const bool extracting = !m_options.nvflag && !m_options.ntflag;
        if (extracting && !m_options.ncflag) {
            if (!m_options.lpszExtractDir || !*m_options.lpszExtractDir)
                return PK_PARAM;
            m_folder = std::make_unique<ExtractFolder>(
                QByteArray(m_options.lpszExtractDir),
                ExtractFolder::FileIdentity{archiveStat.st_dev, archiveStat.st_ino}, m_write);
            if (const int error = m_folder->open(); error != 0)
                return isDiskFull(error) ? PK_DISK : PK_PARAM;
            m_folder->reserveNames(reservedNames());
        }

        const zip_int64_t count = zip_get_num_entries(m_archive, 0);
        int matched = 0;
        for (zip_int64_t index = 0; index < count && !m_stopped; ++index) {
            const QString name = entryName(static_cast<zip_uint64_t>(index));
            if (!selected(name))
                continue;
            ++matched;
            zip_stat_t stat;
            zip_stat_init(&stat);
            if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
                fail(PK_BADERR);
                continue;
            }
            m_callbacks.TotalSize += static_cast<unsigned long>(stat.size);
            m_callbacks.TotalSizeComp += static_cast<unsigned long>(stat.comp_size);
            ++m_callbacks.NumMembers;
            if (m_options.nvflag)
                list(name, stat);
            else
                extractOrTest(static_cast<zip_uint64_t>(index), name, stat);
        }
        if (m_callbacks.TotalSize > 0)
            m_callbacks.CompFactor = static_cast<unsigned>(
                100 - std::min<unsigned long>(100, m_callbacks.TotalSizeComp * 100 / m_callbacks.TotalSize));
        if (matched == 0 && m_code == PK_OK)
            return PK_FIND;
        if (m_code == PK_OK && m_badPasswords > 0)
            return m_done == 0 ? IZ_BADPWD : PK_WARN;
        return m_code;
    }

private:
    QString entryName(zip_uint64_t index) const
    {
        const char* raw = zip_get_name(m_archive, index, ZIP_FL_ENC_RAW);
        if (!raw)
            return {};
        // libzip gives the raw bytes unchanged under ENC_STRICT only when the entry is flagged
        // UTF-8 (or is plain ASCII, which reads the same either way).
        const char* strict = zip_get_name(m_archive, index, ZIP_FL_ENC_STRICT);
        const bool flagged = strict && std::strcmp(raw, strict) == 0;
        return EntryName::decode(QByteArray(raw), flagged);
    }

    QStringList reservedNames() const
    {
        QStringList names;
        for (const char* const* name = m_options.lpszReservedNames; name && *name; ++name)
            names.append(QString::fromUtf8(*name));
        return names;
    }

    bool selected(const QString& name) const
    {
        QString unified = name;
        unified.replace(u'\\', u'/');
        const bool caseInsensitive = m_options.C_flag != 0;
        const auto matches = [&](const QString& pattern) { return wildcardMatch(pattern, unified, caseInsensitive); };
        if (!m_includes.isEmpty() && std::none_of(m_includes.begin(), m_includes.end(), matches))
            return false;
        return std::none_of(m_excludes.begin(), m_excludes.end(), matches);
    }

    void fail(int code)
    {
        // The run answers with the code of its most serious problem: a lesser one met later does not
        // lower it.
        m_code = std::max(m_code, code);
    }

    void print(const QByteArray& text)
    {
        if (m_callbacks.print)
            m_callbacks.print(text.constData(), static_cast<unsigned long>(text.size()));
    }

    void list(const QString& name, const zip_stat_t& stat)
    {
        if (!m_callbacks.message)
            return;
        std::tm local = {};
        const time_t mtime = (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0;
        localtime_r(&mtime, &local);
        const unsigned factor =
            stat.size > 0 ? static_cast<unsigned>(100 - std::min<zip_uint64_t>(100, stat.comp_size * 100 / stat.size))
                          : 0;
        const QByteArray bytes = name.toUtf8();
        const bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
        m_callbacks.message(static_cast<unsigned long>(stat.size), static_cast<unsigned long>(stat.comp_size), factor,
                            static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday),
                            static_cast<unsigned>(local.tm_year % 100), static_cast<unsigned>(local.tm_hour),
                            static_cast<unsigned>(local.tm_min), ' ', bytes.constData(), methodText(stat.comp_method),
                            static_cast<unsigned long>(stat.crc), encrypted ? 'E' : ' ');
    }

    // Opens an entry, asking for a password when it is encrypted. Null when it cannot be read;
    // the run's code then says why.
    Entry openEntry(zip_uint64_t index, const QString& name, const zip_stat_t& stat)
    {
        const bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
        if (!encrypted) {
            Entry entry(zip_fopen_index(m_archive, index, 0));
            if (!entry)
                fail(codeOfReadError(zip_error_code_zip(zip_get_error(m_archive))));
            return entry;
        }
        if (!m_password.isEmpty()) {
            if (Entry entry(zip_fopen_index_encrypted(m_archive, index, 0, m_password.constData())); entry)
                return entry;
        }
        for (int attempt = 0; attempt < kPasswordTries && m_callbacks.password; ++attempt) {
            std::array<char, kPasswordBufferSize> buffer{};
            const QByteArray bytes = name.toUtf8();
            if (m_callbacks.password(buffer.data(), kPasswordBufferSize, "Enter password: ", bytes.constData()) != 0)
                break;
            buffer.back() = '\0';
            const QByteArray password(buffer.data());
            Entry entry(zip_fopen_index_encrypted(m_archive, index, 0, password.constData()));
            if (entry) {
                m_password = password;
                return entry;
            }
            const int error = zip_error_code_zip(zip_get_error(m_archive));
            if (error != ZIP_ER_WRONGPASSWD && error != ZIP_ER_NOPASSWD) {
                fail(codeOfReadError(error));
                return nullptr;
            }
        }
        ++m_badPasswords;
        return nullptr;
    }

    void extractOrTest(zip_uint64_t index, const QString& name, const zip_stat_t& stat)
    {
        const bool directory = EntryName::isDirectory(name);
        QStringList folders;
        if (m_options.ndflag) {
            QStringList parts = EntryName::components(name);
            if (!directory && !parts.isEmpty())
                parts.removeLast();
            for (const QString& part : parts) {
                if (const QString safe = EntryName::safeComponent(part); !safe.isEmpty())
                    folders.append(spaces(safe));
            }
        }
        if (directory) {
            if (m_folder && m_options.ndflag && !m_options.ntflag && m_folder->folderFd(folders) < 0)
                fail(isDiskFull(errno) ? PK_DISK : PK_WARN);
            return;
        }
        const QStringList parts = EntryName::components(name);
        QString fileName = parts.isEmpty() ? QString() : EntryName::safeComponent(parts.last());
        if (fileName.isEmpty())
            fileName = QString::fromUtf16(EntryName::kUnnamed);
        fileName = spaces(fileName);

        const bool testing = m_options.ntflag != 0;
        const bool toPrint = !testing && m_options.ncflag != 0;
        ExtractFolder::Slot slot;
        if (!testing && !toPrint) {
            const int folderFd = m_folder->folderFd(folders);
            if (folderFd < 0) {
                fail(isDiskFull(errno) ? PK_DISK : PK_WARN);
                return;
            }
            slot = m_folder->reserve(folderFd, folders, fileName);
            if (slot.replacesFile && !mayReplace(slot, stat))
                return;
        }

        Entry entry = openEntry(index, name, stat);
        if (!entry)
            return;
        int readError = 0;
        // An entry that gives more than the size it declares is refused before the excess is
        // written, so that a forged size cannot fill the disk.
        const bool sized = (stat.valid & ZIP_STAT_SIZE) != 0;
        zip_uint64_t total = 0;
        auto read = [&](char* buffer, std::size_t size) -> long {
            const zip_int64_t got = zip_fread(entry.get(), buffer, size);
            if (got < 0) {
                readError = zip_error_code_zip(zip_file_get_error(entry.get()));
                return -1;
            }
            total += static_cast<zip_uint64_t>(got);
            if (sized && total > stat.size) {
                readError = ZIP_ER_INCONS;
                return -1;
            }
            return static_cast<long>(got);
        };

        if (testing || toPrint) {
            std::array<char, 64 * 1024> buffer{};
            long got = 0;
            while ((got = read(buffer.data(), buffer.size())) > 0) {
                if (toPrint)
                    print(QByteArray(buffer.data(), got));
            }
            if (got < 0) {
                fail(codeOfReadError(readError));
                return;
            }
            report(name, stat);
            return;
        }

        const qint64 mtime = (stat.valid & ZIP_STAT_MTIME) ? static_cast<qint64>(stat.mtime) : 0;
        const int error = m_folder->write(slot, read, mtime);
        if (error == -1) {
            fail(codeOfReadError(readError));
            return;
        }
        if (error != 0) {
            if (isDiskFull(error)) {
                fail(PK_DISK);
                m_stopped = true;
            } else {
                fail(PK_DISK);
            }
            return;
        }
        report(slot.relativePath, stat);
    }

    QString spaces(const QString& name) const
    {
        if (!m_options.SpaceToUnderscore)
            return name;
        QString replaced = name;
        return replaced.replace(u' ', u'_');
    }

    // Whether an existing file may be replaced, by the switches of the run.
    bool mayReplace(const ExtractFolder::Slot& slot, const zip_stat_t& stat)
    {
        const qint64 entryTime = (stat.valid & ZIP_STAT_MTIME) ? static_cast<qint64>(stat.mtime) : 0;
        if (m_options.nfflag || m_options.ExtractOnlyNewer)
            return entryTime > slot.existingMtime;
        if (m_options.noflag || m_replaceAll)
            return true;
        if (!m_options.PromptToOverwrite || m_replaceNone || !m_callbacks.replace)
            return false;
        const QByteArray bytes = slot.relativePath.toUtf8();
        switch (m_callbacks.replace(bytes.constData())) {
        case replaceanswer::IDM_REPLACE_ALL:
            m_replaceAll = true;
            return true;
        case replaceanswer::IDM_REPLACE_YES:
            return true;
        case replaceanswer::IDM_REPLACE_NONE:
            m_replaceNone = true;
            return false;
        default:
            return false;
        }
    }

    void report(const QString& name, const zip_stat_t& stat)
    {
        ++m_done;
        if (!m_callbacks.service)
            return;
        const QByteArray bytes = name.toUtf8();
        if (m_callbacks.service(bytes.constData(), static_cast<unsigned long>(stat.size)) != 0) {
            fail(IZ_CTRLC);
            m_stopped = true;
        }
    }

    const DCL& m_options;
    USERFUNCTIONS& m_callbacks;
    const QStringList m_includes;
    const QStringList m_excludes;
    const ExtractFolder::WriteCall& m_write;
    zip_t* m_archive = nullptr;
    std::unique_ptr<ExtractFolder> m_folder;
    QByteArray m_password;
    int m_code = PK_OK;
    int m_done = 0;
    int m_badPasswords = 0;
    bool m_stopped = false;
    bool m_replaceAll = false;
    bool m_replaceNone = false;
};

long systemWrite(int fd, const char* data, std::size_t size)
{
    return static_cast<long>(::write(fd, data, size));
}

} // namespace

LibzipUnzip::LibzipUnzip()
    : m_write(systemWrite)
{
}

LibzipUnzip::LibzipUnzip(ExtractFolder::WriteCall write)
    : m_write(std::move(write))
{
}

int LibzipUnzip::Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                      USERFUNCTIONS* lpUserFunctions)
{
    if (!lpDCL)
        return PK_PARAM;
    USERFUNCTIONS none;
    try {
        UnzipRun run(*lpDCL, lpUserFunctions ? *lpUserFunctions : none, patternsOf(ifnc, ifnv), patternsOf(xfnc, xfnv),
                     m_write);
        return run.run();
    } catch (const std::bad_alloc&) {
        return PK_MEM;
    } catch (...) {
        // Nothing raised inside the library may reach its caller, as with a C library.
        return PK_BADERR;
    }
}

} // namespace platform::zip
