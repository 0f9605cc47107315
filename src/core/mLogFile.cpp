#include "mLogFile.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "MsgBox.h"
#include "mOther.h"
#include "platform/zip/EntryName.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

QString padded(int value, int width)
{
    return u"%1"_s.arg(value, width, 10, QChar(u'0'));
}

// The text's UTF-16 code units as they are, low byte first, without a byte-order mark.
QByteArray utf16le(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar unit : text) {
        bytes.append(static_cast<char>(unit.unicode() & 0xFF));
        bytes.append(static_cast<char>(unit.unicode() >> 8));
    }
    return bytes;
}

// Closes the descriptor however the write ends.
class Descriptor final
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

mLogFile::mLogFile(UiServices& ui, Clock localNow)
    : m_ui(ui)
    , m_localNow(std::move(localNow))
{
}

QString mLogFile::StartLogFile(const QString& folder, const QString& fileName)
{
    QString name = fileName;
    if (name.isEmpty()) {
        const QString stamped = u"Log_"_s + TimeStampText(false, u"-"_s, u"_"_s, u"-"_s) + u".txt"_s;
        // The log of an earlier run of the same second stands under the name: this run's lines go
        // to the first free numbered name, as a second content file of one name does, never
        // among the other run's.
        name = stamped;
        for (int copy = 2; !folder.isEmpty() && QFileInfo::exists(folder + name); ++copy)
            name = platform::zip::EntryName::numbered(stamped, copy);
    }
    m_fileName = folder + name;
    m_logging = !folder.isEmpty();
    WriteLogFile(u"Начало процесса"_s, true, true);
    return m_fileName;
}

void mLogFile::WriteLogFile(const QString& text, bool withTime, bool withLineEnd)
{
    if (!m_logging || m_fileName.isEmpty())
        return;
    QString line = text;
    if (withTime)
        line.prepend(TimeStampText(true, u"-"_s, u" "_s, u":"_s) + u": "_s);
    if (withLineEnd)
        line += u"\r\n"_s;
    AppendToFile(line);
}

QString mLogFile::TimeStampText(bool withMilliseconds, const QString& dateSeparator, const QString& dateTimeSeparator,
                                const QString& timeSeparator) const
{
    const QDateTime now = m_localNow();
    const QDate date = now.date();
    const QTime time = now.time();
    QString text = padded(date.year(), 4) + dateSeparator + padded(date.month(), 2) + dateSeparator
                   + padded(date.day(), 2) + dateTimeSeparator + padded(time.hour(), 2) + timeSeparator
                   + padded(time.minute(), 2) + timeSeparator + padded(time.second(), 2);
    if (withMilliseconds)
        text += u'.' + padded(time.msec(), 3);
    return text;
}

void mLogFile::AppendToFile(const QString& text)
{
    // Opened for each line and written through, so that the line is on the disk when the call
    // returns and other programs may read the log meanwhile.
    const Descriptor file(
        ::open(QFile::encodeName(m_fileName).constData(), O_WRONLY | O_CREAT | O_DSYNC | O_CLOEXEC, 0644));
    if (file.get() < 0) {
        const int code = errno;
        showCritical(u"Не удалось открыть или создать файл. Ошибка: "_s + QString::number(code));
        return;
    }
    if (::lseek(file.get(), 0, SEEK_END) < 0) {
        showCritical(u"Не удалось переместить указатель в конец файла."_s);
        return;
    }
    const QByteArray bytes = utf16le(text);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            showCritical(u"Ошибка при записи в файл."_s);
            return;
        }
        written += n;
    }
}

void mLogFile::showCritical(const QString& message)
{
    if (m_reportingFailure)
        return;
    m_reportingFailure = true;
    try {
        mOther::iMsgBox(m_ui, message, msgbox::vbCritical | msgbox::vbOKOnly);
    } catch (...) {
        // A log that cannot tell about its own failure must still not stop the run.
    }
    m_reportingFailure = false;
}

} // namespace core
