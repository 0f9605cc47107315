#include "VbNumbers.h"

#include <cmath>
#include <limits>

#include <QString>

namespace core {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "&H" and "&O" numbers are unsigned bit patterns: up to 32 bits, read as a signed Long the way
// VB reads &HFFFFFFFF as -1.
std::optional<qint32> fromRadix(QStringView digits, int radix)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        int digit = -1;
        if (isAsciiDigit(c))
            digit = c.unicode() - u'0';
        else if (radix == 16 && c.toUpper() >= u'A' && c.toUpper() <= u'F')
            digit = c.toUpper().unicode() - u'A' + 10;
        if (digit < 0 || digit >= radix)
            return std::nullopt;
        value = value * static_cast<quint64>(radix) + static_cast<quint64>(digit);
        if (value > std::numeric_limits<quint32>::max())
            return std::nullopt;
    }
    return static_cast<qint32>(static_cast<quint32>(value));
}

// Checks the decimal form [sign] digits [. or , digits] [E|D [sign] digits] and gives it in the
// spelling that QString::toDouble reads.
std::optional<QString> decimalForm(QStringView text)
{
    QString form;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        form.append(text[i++]);
    qsizetype mantissaDigits = 0;
    while (i < n && isAsciiDigit(text[i])) {
        form.append(text[i++]);
        ++mantissaDigits;
    }
    if (i < n && (text[i] == u'.' || text[i] == u',')) {
        form.append(u'.');
        ++i;
        while (i < n && isAsciiDigit(text[i])) {
            form.append(text[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < n && (text[i].toUpper() == u'E' || text[i].toUpper() == u'D')) {
        form.append(u'e');
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            form.append(text[i++]);
        qsizetype exponentDigits = 0;
        while (i < n && isAsciiDigit(text[i])) {
            form.append(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return form;
}

} // namespace

double vbRoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<qint32> vbLongFromText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const QStringView trimmed = text.sliced(begin, end - begin);
    if (trimmed.size() >= 2 && trimmed[0] == u'&') {
        const QChar kind = trimmed[1].toUpper();
        if (kind == u'H')
            return fromRadix(trimmed.sliced(2), 16);
        if (kind == u'O')
            return fromRadix(trimmed.sliced(2), 8);
        return std::nullopt;
    }
    const std::optional<QString> form = decimalForm(trimmed);
    if (!form)
        return std::nullopt;
    bool ok = false;
    const double value = form->toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = vbRoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<qint32>::min())
        || rounded > static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

} // namespace core
