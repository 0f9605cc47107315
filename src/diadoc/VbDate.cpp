#include "VbDate.h"

#include <cmath>

#include "base/Error.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using platform::diadoc::Variant;

namespace diadoc {

namespace {

constexpr double kMsPerDay = 86400000.0;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

} // namespace

QDateTime VbDate::toDateTime(double value)
{
    const double days = std::trunc(value);
    // A fraction that rounds up to a whole day belongs to the next day.
    qint64 ms = std::llround(std::fabs(value - days) * kMsPerDay);
    qint64 wholeDays = static_cast<qint64>(days);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ms -= static_cast<qint64>(kMsPerDay);
        wholeDays += value < 0 ? -1 : 1;
    }
    return QDateTime(epoch().addDays(wholeDays), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double VbDate::fromDateTime(const QDateTime& value)
{
    const double days = static_cast<double>(epoch().daysTo(value.date()));
    const double fraction = value.time().msecsSinceStartOfDay() / kMsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime VbDate::fromVariant(const Variant& value)
{
    switch (value.kind()) {
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
        return toDateTime(value.toDouble());
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
    case Variant::Kind::Date:
    case Variant::Kind::Text:
        return value.toDate();
    case Variant::Kind::Boolean:
    case Variant::Kind::Object:
        break;
    }
    throw core::Error(13, u"Type mismatch"_s);
}

} // namespace diadoc
