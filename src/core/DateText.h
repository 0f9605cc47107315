#pragma once

#include <QDate>
#include <QString>

namespace core {

// The one form of a day as the settings store, the date boxes, the run's period and its summary
// write it: two-digit day, two-digit month, four-digit year, never the locale's.
inline constexpr char16_t kDateFormat[] = u"dd.MM.yyyy";

QString dateText(const QDate& date);
// The day a text names; an invalid date for an empty text and for one that names no real day
// ("31.02.2024", "99.99.9999").
QDate readDate(const QString& text);

} // namespace core
