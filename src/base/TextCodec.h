#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace core {

// The program's one conversion between its texts and the single-byte code pages of the files it
// writes and reads: windows-1251 for every file but the run log, CP866 for old ZIP entry names.
// Table-driven, so the result never depends on what the platform's converters happen to offer.
class TextCodec final
{
public:
    // Every character that windows-1251 lacks becomes one "?" (a surrogate pair is one character).
    static QByteArray toCp1251(QStringView text);
    // Every character that windows-1251 lacks becomes a numeric character reference "&#NNNN;"
    // with its decimal code point, for XML and HTML files.
    static QByteArray toCp1251WithReferences(QStringView text);
    // True when every character of the text has a windows-1251 byte.
    static bool isCp1251(QStringView text);
    static QString fromCp1251(QByteArrayView bytes);
    static QString fromCp866(QByteArrayView bytes);
};

} // namespace core
