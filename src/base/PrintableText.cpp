#include "PrintableText.h"

namespace core {

namespace {

bool isLineCharacter(char16_t unit)
{
    return unit == u'\t' || unit == u'\n' || unit == u'\r';
}

// The length of the character at i when it is to be kept, else 0 for one unit to drop.
qsizetype keptLength(QStringView text, qsizetype i)
{
    const char16_t unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit))
        return i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 0;
    if (QChar::isLowSurrogate(unit) || unit == 0xFFFE || unit == 0xFFFF)
        return 0;
    if (QChar::category(unit) == QChar::Other_Control && !isLineCharacter(unit))
        return 0;
    return 1;
}

} // namespace

bool PrintableText::isPrintable(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = keptLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

QString PrintableText::cleaned(const QString& text)
{
    if (isPrintable(text))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = keptLength(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        result += QStringView(text).sliced(i, length);
        i += length;
    }
    return result;
}

} // namespace core
