#include "DateText.h"

namespace core {

QString dateText(const QDate& date)
{
    return date.toString(QString::fromUtf16(kDateFormat));
}

QDate readDate(const QString& text)
{
    return QDate::fromString(text.trimmed(), QString::fromUtf16(kDateFormat));
}

} // namespace core
