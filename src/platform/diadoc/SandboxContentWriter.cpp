#include "SandboxContentWriter.h"

#include <cerrno>
#include <ctime>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <zip.h>

#include "SandboxService.h"
#include "base/FailureTexts.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kFailure = -2147467259;

// A full disk gives the text that the program's own file layer gives for it; any other failure
// the client's own text for the step that failed.
[[noreturn]] void raiseFileFailure(int error, const char16_t* text, int number)
{
    if (error == ENOSPC || error == EDQUOT)
        SandboxService::raise(QString::fromUtf16(core::failure::kDiskFull), core::failure::kDiskFullNumber);
    SandboxService::raise(QString::fromUtf16(text), number);
}

// A file that takes its name only when it is complete: a save that fails or is killed leaves no
// partial file, and a file of an earlier save stays whole until it is replaced. The content goes
// to an unnamed file where the file system has them, else to a hidden one beside the target.
class PendingFile final
{
public:
    explicit PendingFile(const QString& path)
        : m_target(QFile::encodeName(path))
    {
    }
    ~PendingFile()
    {
        if (!m_name.isEmpty())
            ::unlink(m_name.constData());
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void write(const QByteArray& bytes)
    {
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(m_target)).absolutePath());
        m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL))
            m_fd = openNamed();
        if (m_fd < 0)
            raiseFileFailure(errno, sandboxtext::kCannotOpenFile, kFailure);
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t put = ::write(m_fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                raiseFileFailure(put < 0 ? errno : ENOSPC, core::failure::kFileWriteError,
                                 core::failure::kPathFileAccessNumber);
            done += put;
        }
    }

    // Gives the content the target's name, replacing a file there in one step.
    void commit()
    {
        if (m_name.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, m_target.constData(), AT_SYMLINK_FOLLOW) == 0)
                return;
            // A file is there: the content gets a name of its own, which then replaces it.
            for (int attempt = 0; errno == EEXIST && attempt < 100 && m_name.isEmpty(); ++attempt) {
                const QByteArray name = uniqueName();
                if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                    m_name = name;
            }
            if (m_name.isEmpty())
                raiseFileFailure(errno, sandboxtext::kCannotOpenFile, kFailure);
        }
        if (::rename(m_name.constData(), m_target.constData()) != 0)
            raiseFileFailure(errno, sandboxtext::kCannotOpenFile, kFailure);
        m_name.clear();
    }

private:
    QByteArray uniqueName() const
    {
        const qsizetype slash = m_target.lastIndexOf('/');
        return m_target.left(slash + 1) + '.' + m_target.mid(slash + 1) + '.'
               + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
    }

    int openNamed()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = uniqueName();
            const int fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0) {
                m_name = name;
                return fd;
            }
            if (errno != EEXIST)
                return -1;
        }
        return -1;
    }

    QByteArray m_target;
    int m_fd = -1;
    QByteArray m_name;
};

// Writes every file before any takes its name, so that a failed save leaves none of them.
void writeFiles(const QList<std::pair<QString, QByteArray>>& files)
{
    std::vector<std::unique_ptr<PendingFile>> pending;
    pending.reserve(static_cast<std::size_t>(files.size()));
    for (const auto& [path, bytes] : files) {
        pending.push_back(std::make_unique<PendingFile>(path));
        pending.back()->write(bytes);
    }
    for (const auto& file : pending)
        file->commit();
}

void requireFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        SandboxService::raise(QString::fromUtf16(sandboxtext::kPathNotFound), kFailure);
}

QList<std::pair<QString, QByteArray>> entriesOf(const DocumentData& document, SandboxService& service)
{
    QList<std::pair<QString, QByteArray>> entries;
    for (const QString& path : document.content)
        entries.append({QFileInfo(path).fileName(), service.contentBytes(path)});
    return entries;
}

// Builds a ZIP archive in memory: libzip writes it into a buffer source, so that no scratch folder
// and file are made and removed for every document. Every entry bears the given moment.
QByteArray buildZip(const QList<std::pair<QString, QByteArray>>& entries, time_t modified)
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
        const zip_int64_t index =
            source ? zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(archive);
            fail();
        }
        if (zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), modified, 0) < 0) {
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

void SandboxContentWriter::writeFolder(const DocumentData& document, const QString& folder, bool withProtocol,
                                       SandboxService& service)
{
    requireFolder(folder);
    QList<std::pair<QString, QByteArray>> entries = entriesOf(document, service);
    if (withProtocol && !document.protocolFile.isEmpty())
        entries.append({QFileInfo(document.protocolFile).fileName(), service.contentBytes(document.protocolFile)});
    QList<std::pair<QString, QByteArray>> files;
    for (const auto& [name, bytes] : entries)
        files.append({QDir(folder).filePath(name), bytes});
    writeFiles(files);
}

void SandboxContentWriter::writeZip(const DocumentData& document, const QString& zipPath, FaultEffect damage,
                                    SandboxService& service)
{
    requireFolder(QFileInfo(zipPath).absolutePath());
    const time_t now = std::time(nullptr);
    QByteArray bytes;
    if (damage == FaultEffect::Corrupt) {
        bytes = QByteArrayLiteral("PK\x03\x04 this is not a ZIP archive at all");
    } else if (damage == FaultEffect::Hostile) {
        QList<std::pair<QString, QByteArray>> entries = entriesOf(document, service);
        entries.append({u"../вне папки.txt"_s, QByteArrayLiteral("escaped")});
        entries.append({u"/tmp/absolute.txt"_s, QByteArrayLiteral("absolute")});
        entries.append({u"sub/../../climb.txt"_s, QByteArrayLiteral("climb")});
        bytes = buildZip(entries, now);
    } else {
        bytes = service.archiveOf(document.content, now,
                                  [&document, &service, now] { return buildZip(entriesOf(document, service), now); });
        if (damage == FaultEffect::Truncated)
            bytes.truncate(bytes.size() / 2);
    }
    writeFiles({{zipPath, bytes}});
}

} // namespace platform::diadoc
