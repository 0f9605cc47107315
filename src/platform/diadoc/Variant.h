#pragma once

#include <memory>

#include <QDateTime>
#include <QString>

namespace platform::diadoc {

// Base of every object the Diadoc client hands out, so that a Variant can hold any of them.
class Object
{
public:
    virtual ~Object() = default;
};

// A VB-like value of the client's late-bound members: callers test which kind it holds (Empty,
// Null, Nothing, a Boolean, a number, a date, a text or an object) before they read it.
class Variant final
{
public:
    enum class Kind
    {
        Empty,
        Null,
        Boolean,
        Integer,
        Double,
        Date,
        Text,
        Object, // an object reference; a null reference is Nothing
    };

    Variant() = default;
    static Variant null();
    static Variant nothing();
    explicit Variant(bool value);
    explicit Variant(int value);
    explicit Variant(qint64 value);
    explicit Variant(double value);
    explicit Variant(QDateTime value);
    explicit Variant(QString value);
    explicit Variant(std::shared_ptr<Object> value);
    template <typename T>
    explicit Variant(std::shared_ptr<T> value)
        : Variant(std::static_pointer_cast<Object>(std::move(value)))
    {
    }

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    bool isNumber() const { return m_kind == Kind::Integer || m_kind == Kind::Double; }
    bool isDate() const { return m_kind == Kind::Date; }
    bool isText() const { return m_kind == Kind::Text; }
    // VB's IsObject: true for Nothing as well.
    bool isObject() const { return m_kind == Kind::Object; }
    bool isNothing() const { return m_kind == Kind::Object && !m_object; }
    // An object that is neither Nothing nor any other kind of value.
    bool holdsObject() const { return m_kind == Kind::Object && m_object; }

    // Conversions in the manner of CBool, CStr, CDbl and CDate; a value of the wrong kind raises
    // "Type mismatch" (13), and Null raises "Invalid use of Null" (94).
    bool toBool() const;
    QString toText() const;
    double toDouble() const;
    QDateTime toDate() const;

    std::shared_ptr<Object> object() const { return m_object; }
    // The object as one interface, or a null pointer when it is not one.
    template <typename T> std::shared_ptr<T> as() const { return std::dynamic_pointer_cast<T>(m_object); }

    // The kind name as VB's TypeName gives it, for messages.
    QString typeName() const;

private:
    Kind m_kind = Kind::Empty;
    bool m_bool = false;
    qint64 m_integer = 0;
    double m_double = 0.0;
    QDateTime m_date;
    QString m_text;
    std::shared_ptr<Object> m_object;
};

// Fixed text form of dates: "dd.mm.yyyy" for a date without time of day, else with the time.
QString vbDateText(const QDateTime& value);
// Reads "d.m.yyyy" with an optional "h:mm" or "h:mm:ss", and ISO forms; an invalid QDateTime when
// none fits or the year is before 100.
QDateTime parseDateText(const QString& text);

} // namespace platform::diadoc
