#include "mN7CommonCalc.h"

#include <cmath>
#include <limits>
#include <optional>

#include <QDateTime>

#include "MsgBox.h"
#include "UiServices.h"
#include "VbNumbers.h"
#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace core::mN7CommonCalc {

namespace {

constexpr int kSubscriptOutOfRange = 9;

std::optional<int> fromWhole(qint64 value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return static_cast<int>(rounded);
}

// A date as a number: whole days since 30 December 1899, the time of day as the fraction (taken
// away from the days before that date, as a date value counts them).
double dateNumber(const QDate& date, const QTime& time)
{
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// Negative when a < b, 0 when equal, positive when a > b.
int compareValues(const QVariant& a, const QVariant& b)
{
    const bool aNumber = isNumber(a) || !a.isValid();
    const bool bNumber = isNumber(b) || !b.isValid();
    if (aNumber && bNumber) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (aNumber != bNumber)
        return aNumber ? -1 : 1;
    return QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
}

QVariant pick(const QVariantList& values, int wanted)
{
    if (values.isEmpty())
        throw Error(kSubscriptOutOfRange, u"Subscript out of range"_s);
    QVariant result = values.front();
    for (const QVariant& value : values) {
        if (compareValues(value, result) * wanted > 0)
            result = value;
    }
    return result;
}

int boxKeepingPointer(UiServices& ui, const QString& prompt, int style, const QString& title)
{
    const MousePointer remembered = ui.mousePointer();
    ui.setMousePointer(MousePointer::Default);
    const int answer = ui.msgBox(prompt, style, title);
    ui.setMousePointer(remembered);
    return answer;
}

} // namespace

int CLngDef(const QVariant& value, int defaultValue)
{
    if (!value.isValid())
        return 0;
    std::optional<int> result;
    switch (value.typeId()) {
    case QMetaType::Nullptr:
        break;
    case QMetaType::Bool:
        result = value.toBool() ? -1 : 0;
        break;
    case QMetaType::QString:
        result = vbLongFromText(value.toString());
        break;
    case QMetaType::QByteArray:
        result = vbLongFromText(QString::fromLatin1(value.toByteArray()));
        break;
    case QMetaType::Float:
    case QMetaType::Double:
        result = fromDouble(value.toDouble());
        break;
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (dateTime.isValid())
            result = fromDouble(dateNumber(dateTime.date(), dateTime.time()));
        break;
    }
    case QMetaType::QDate:
        if (const QDate date = value.toDate(); date.isValid())
            result = fromDouble(dateNumber(date, QTime(0, 0)));
        break;
    case QMetaType::ULongLong:
    case QMetaType::ULong: {
        const qulonglong whole = value.toULongLong();
        if (whole <= static_cast<qulonglong>(std::numeric_limits<int>::max()))
            result = static_cast<int>(whole);
        break;
    }
    default:
        if (isNumber(value))
            result = fromWhole(value.toLongLong());
        break;
    }
    return result.value_or(defaultValue);
}

QVariant MaxOfList(const QVariantList& values)
{
    return pick(values, 1);
}

QVariant MinOfList(const QVariantList& values)
{
    return pick(values, -1);
}

void WarningMsgBox(UiServices& ui, const QString& prompt, const QString& title)
{
    boxKeepingPointer(ui, prompt, msgbox::vbExclamation | msgbox::vbOKOnly, title);
}

int QuestionMsgBox(UiServices& ui, const QString& prompt, const QString& title)
{
    return boxKeepingPointer(ui, prompt, msgbox::vbQuestion | msgbox::vbYesNoCancel, title);
}

} // namespace core::mN7CommonCalc
