#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::zip {

// Turns the name an archive gives an entry into names that are safe to create inside the target
// folder: the archive comes from another organisation, so it never chooses where a file lands.
class EntryName final
{
public:
    // Longest name of one path component, in bytes of UTF-8.
    static constexpr int kMaxComponentBytes = 255;
    // What an entry whose own name is unusable ("", ".", "..") is written as.
    static constexpr char16_t kUnnamed[] = u"unnamed";

    // Decodes the stored bytes: UTF-8 when the entry is flagged as UTF-8 or the bytes are valid
    // UTF-8, else CP866.
    static QString decode(const QByteArray& raw, bool utf8Flagged);

    static bool isDirectory(const QString& name);
    // The path components of a name split at "/" and "\", without empty ones.
    static QStringList components(const QString& name);

    // One component made safe: a leading drive ("C:") dropped, control characters and the
    // characters Windows forbids in names replaced by "_", cut to kMaxComponentBytes. Empty when
    // nothing usable is left (also for "." and "..").
    static QString safeComponent(const QString& component);

    // name, or for copy >= 2 "stem (copy).ext", kept within kMaxComponentBytes by cutting the stem.
    static QString numbered(const QString& name, int copy);

    static int utf8Length(const QString& text);
};

} // namespace platform::zip
