#pragma once

#include <QDateTime>

namespace platform::diadoc {
class Variant;
}

namespace diadoc {

// Date values as the request records and the date arithmetic of the queues count them: days since
// 30 December 1899, with the time of day as the fraction (its magnitude also before 1899).
class VbDate final
{
public:
    static QDateTime toDateTime(double value);
    static double fromDateTime(const QDateTime& value);
    // The value as a date, as CDate converts it: a date, a number of days, a date text, or Empty
    // (30 December 1899). Null raises "Invalid use of Null" (94), every other value "Type mismatch" (13).
    static QDateTime fromVariant(const platform::diadoc::Variant& value);
};

} // namespace diadoc
