#pragma once

#include <memory>

#include <QStringView>

class QFileDevice;
class QIODevice;
class QString;

namespace engine {

// Where a protocol writer's texts go: each text is converted to windows-1251 and handed to the
// device at once, so that no protocol is held whole in memory. A refusal of the device raises a
// core::Error with the system's text ("Disk full" for a full disk).
class ProtocolOutput final
{
public:
    enum class Missing
    {
        References,    // a character windows-1251 lacks becomes "&#NNNN;" (HTML)
        QuestionMarks, // ... or one "?" (CSV)
    };

    ProtocolOutput(QIODevice& device, Missing missing);

    // The file a protocol is written to: a temporary file that takes the final name only when the
    // protocol is complete, so that a failed or killed writer leaves no partial protocol under it.
    // A device (no plain file) is written directly.
    static std::unique_ptr<QFileDevice> fileFor(const QString& fileName);

    // Opens the device for writing when it is not open yet; an existing file is emptied only when
    // it could be opened.
    static void open(QIODevice& device);
    // Closes a written device; a file from fileFor takes its final name here.
    static void complete(QIODevice& device);
    // Closes a device whose writing failed; a file from fileFor leaves nothing behind.
    static void abandon(QIODevice& device);

    void write(QStringView text);
    // Hands every buffered byte to the system, so that a late failure is still reported.
    void finish();

    qint64 bytesWritten() const { return m_bytesWritten; }

private:
    [[noreturn]] void fail() const;

    QIODevice& m_device;
    Missing m_missing;
    qint64 m_bytesWritten = 0;
};

} // namespace engine
