#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace testsupport {

// Builds archives with libzip for the tests, hostile ones included: names are stored as the raw
// bytes given, and the UTF-8 flag is set only where asked.
class TestArchive final
{
public:
    struct Entry
    {
        QByteArray name;
        QByteArray data;
        bool directory = false;
        bool utf8Flag = false;
        QByteArray password{}; // AES-256 when not empty
        qint64 mtime = 0;
    };

    // Writes the archive; false with a message in error when libzip refuses.
    static bool write(const QString& path, const QList<Entry>& entries, QString* error = nullptr);

    // Every regular file and link below folder, as paths relative to it, sorted.
    static QStringList filesBelow(const QString& folder);
    static QByteArray read(const QString& path);
    static void writeFile(const QString& path, const QByteArray& data);

private:
    static void clearUtf8Flags(const QString& path, const QList<Entry>& entries);
};

} // namespace testsupport
