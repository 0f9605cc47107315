#include "EntryName.h"

#include <QStringDecoder>

#include "base/TextCodec.h"

using namespace Qt::StringLiterals;

namespace platform::zip {

namespace {

// An extension longer than this is taken as part of the stem, so that cutting keeps a name.
constexpr int kMaxExtensionBytes = 32;

int utf8Bytes(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

// Keeps whole characters from the front of text while they fit in maxBytes of UTF-8.
QString cutToBytes(const QString& text, int maxBytes)
{
    QString kept;
    int used = 0;
    for (const char32_t c : text.toUcs4()) {
        used += utf8Bytes(c);
        if (used > maxBytes)
            break;
        kept += QString::fromUcs4(&c, 1);
    }
    return kept;
}

bool isForbidden(char32_t c)
{
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return true;
    switch (c) {
    case U'<':
    case U'>':
    case U':':
    case U'"':
    case U'|':
    case U'?':
    case U'*':
    case U'/':
    case U'\\':
        return true;
    default:
        return false;
    }
}

} // namespace

QString EntryName::decode(const QByteArray& raw, bool utf8Flagged)
{
    if (utf8Flagged || isValidUtf8(raw))
        return QString::fromUtf8(raw);
    return core::TextCodec::fromCp866(raw);
}

bool EntryName::isDirectory(const QString& name)
{
    return name.endsWith(u'/') || name.endsWith(u'\\');
}

QStringList EntryName::components(const QString& name)
{
    QString unified = name;
    unified.replace(u'\\', u'/');
    return unified.split(u'/', Qt::SkipEmptyParts);
}

QString EntryName::safeComponent(const QString& component)
{
    QString name = component;
    if (name.size() >= 2 && name[1] == u':' && name[0].isLetter() && name[0].unicode() < 0x80)
        name.remove(0, 2);
    QString cleaned;
    for (const char32_t c : name.toUcs4()) {
        const char32_t kept = isForbidden(c) ? U'_' : c;
        cleaned += QString::fromUcs4(&kept, 1);
    }
    if (cleaned.trimmed().isEmpty() || cleaned == u"."_s || cleaned == u".."_s)
        return {};
    return numbered(cleaned, 1);
}

QString EntryName::numbered(const QString& name, int copy)
{
    QString stem = name;
    QString extension;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0 && utf8Length(name.mid(dot)) <= kMaxExtensionBytes) {
        stem = name.left(dot);
        extension = name.mid(dot);
    }
    const QString tail = (copy >= 2 ? u" ("_s + QString::number(copy) + u')' : QString()) + extension;
    return cutToBytes(stem, kMaxComponentBytes - utf8Length(tail)) + tail;
}

int EntryName::utf8Length(const QString& text)
{
    int bytes = 0;
    for (const char32_t c : text.toUcs4())
        bytes += utf8Bytes(c);
    return bytes;
}

} // namespace platform::zip
