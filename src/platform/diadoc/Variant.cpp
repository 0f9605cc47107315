#include "Variant.h"

#include <utility>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace platform::diadoc {

namespace {

constexpr int kTypeMismatch = 13;
constexpr int kInvalidUseOfNull = 94;
// The first year a date value can hold.
constexpr int kFirstYear = 100;

[[noreturn]] void typeMismatch()
{
    throw core::Error(kTypeMismatch, u"Type mismatch"_s);
}

[[noreturn]] void invalidUseOfNull()
{
    throw core::Error(kInvalidUseOfNull, u"Invalid use of Null"_s);
}

} // namespace

Variant Variant::null()
{
    Variant v;
    v.m_kind = Kind::Null;
    return v;
}

Variant Variant::nothing()
{
    return Variant(std::shared_ptr<Object>());
}

Variant::Variant(bool value)
    : m_kind(Kind::Boolean)
    , m_bool(value)
{
}

Variant::Variant(int value)
    : m_kind(Kind::Integer)
    , m_integer(value)
{
}

Variant::Variant(qint64 value)
    : m_kind(Kind::Integer)
    , m_integer(value)
{
}

Variant::Variant(double value)
    : m_kind(Kind::Double)
    , m_double(value)
{
}

Variant::Variant(QDateTime value)
    : m_kind(Kind::Date)
    , m_date(std::move(value))
{
}

Variant::Variant(QString value)
    : m_kind(Kind::Text)
    , m_text(std::move(value))
{
}

Variant::Variant(std::shared_ptr<Object> value)
    : m_kind(Kind::Object)
    , m_object(std::move(value))
{
}

bool Variant::toBool() const
{
    switch (m_kind) {
    case Kind::Empty:
        return false;
    case Kind::Null:
        invalidUseOfNull();
    case Kind::Boolean:
        return m_bool;
    case Kind::Integer:
        return m_integer != 0;
    case Kind::Double:
        return m_double != 0.0;
    case Kind::Text:
        if (m_text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
            return true;
        if (m_text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
            return false;
        typeMismatch();
    case Kind::Date:
    case Kind::Object:
        break;
    }
    typeMismatch();
}

QString Variant::toText() const
{
    switch (m_kind) {
    case Kind::Empty:
        return {};
    case Kind::Null:
        invalidUseOfNull();
    case Kind::Boolean:
        return m_bool ? u"True"_s : u"False"_s;
    case Kind::Integer:
        return QString::number(m_integer);
    case Kind::Double:
        return QString::number(m_double, 'g', 15);
    case Kind::Date:
        return vbDateText(m_date);
    case Kind::Text:
        return m_text;
    case Kind::Object:
        break;
    }
    typeMismatch();
}

double Variant::toDouble() const
{
    switch (m_kind) {
    case Kind::Empty:
        return 0.0;
    case Kind::Null:
        invalidUseOfNull();
    case Kind::Boolean:
        return m_bool ? -1.0 : 0.0;
    case Kind::Integer:
        return static_cast<double>(m_integer);
    case Kind::Double:
        return m_double;
    case Kind::Text: {
        bool ok = false;
        const double value = m_text.trimmed().toDouble(&ok);
        if (ok)
            return value;
        break;
    }
    case Kind::Date:
    case Kind::Object:
        break;
    }
    typeMismatch();
}

QDateTime Variant::toDate() const
{
    switch (m_kind) {
    case Kind::Null:
        invalidUseOfNull();
    case Kind::Date:
        return m_date;
    case Kind::Text: {
        const QDateTime value = parseDateText(m_text);
        if (value.isValid())
            return value;
        break;
    }
    case Kind::Empty:
        return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    case Kind::Boolean:
    case Kind::Integer:
    case Kind::Double:
    case Kind::Object:
        break;
    }
    typeMismatch();
}

QString Variant::typeName() const
{
    switch (m_kind) {
    case Kind::Empty:
        return u"Empty"_s;
    case Kind::Null:
        return u"Null"_s;
    case Kind::Boolean:
        return u"Boolean"_s;
    case Kind::Integer:
        return u"Long"_s;
    case Kind::Double:
        return u"Double"_s;
    case Kind::Date:
        return u"Date"_s;
    case Kind::Text:
        return u"String"_s;
    case Kind::Object:
        return m_object ? u"Object"_s : u"Nothing"_s;
    }
    return {};
}

QString vbDateText(const QDateTime& value)
{
    if (value.time() == QTime(0, 0))
        return value.date().toString(u"dd.MM.yyyy"_s);
    return value.toString(u"dd.MM.yyyy HH:mm:ss"_s);
}

namespace {

// Reads `min` to `max` ASCII digits at the position; false when fewer are there.
bool readDigits(QStringView text, qsizetype& position, int min, int max, int& value)
{
    value = 0;
    int count = 0;
    while (count < max && position < text.size() && text[position] >= u'0' && text[position] <= u'9') {
        value = value * 10 + (text[position].unicode() - u'0');
        ++position;
        ++count;
    }
    return count >= min;
}

bool readChar(QStringView text, qsizetype& position, char16_t c)
{
    if (position >= text.size() || text[position] != c)
        return false;
    ++position;
    return true;
}

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

// The Russian form: day, month and a four-digit year, then optionally the time as hours and
// minutes, with or without seconds, after blanks. Read by hand: a run reads this form for every
// document, and a regular expression costs several times as much.
bool readRussian(QStringView text, QDate& date, QTime& time)
{
    qsizetype position = 0;
    int day = 0;
    int month = 0;
    int year = 0;
    if (!readDigits(text, position, 1, 2, day) || !readChar(text, position, u'.')
        || !readDigits(text, position, 1, 2, month) || !readChar(text, position, u'.')
        || !readDigits(text, position, 4, 4, year))
        return false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (position < text.size()) {
        const qsizetype blanks = position;
        while (position < text.size() && isBlank(text[position]))
            ++position;
        if (position == blanks || !readDigits(text, position, 1, 2, hour) || !readChar(text, position, u':')
            || !readDigits(text, position, 1, 2, minute))
            return false;
        if (readChar(text, position, u':') && !readDigits(text, position, 1, 2, second))
            return false;
        if (position != text.size())
            return false;
    }
    date = QDate(year, month, day);
    time = QTime(hour, minute, second);
    return true;
}

} // namespace

QDateTime parseDateText(const QString& text)
{
    const QString trimmed = text.trimmed();
    // The client's date texts follow the Russian settings. Years before 100 lie outside the range
    // of a date value.
    QDate date;
    QTime time;
    if (readRussian(trimmed, date, time)) {
        if (date.year() < kFirstYear || !date.isValid() || !time.isValid())
            return {};
        return QDateTime(date, time);
    }
    QDateTime iso = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!iso.isValid()) {
        if (const QDate day = QDate::fromString(trimmed, Qt::ISODate); day.isValid())
            iso = QDateTime(day, QTime(0, 0));
    }
    if (!iso.isValid() || iso.date().year() < kFirstYear)
        return {};
    return iso;
}

} // namespace platform::diadoc
