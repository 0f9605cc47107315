#pragma once

#include <exception>

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace core {

// The one error type of the program: a number, a description that collects the trail of every
// procedure it passed through, and the source that first raised it.
class Error final : public std::exception
{
public:
    Error(int number, QString description, QString source = {});

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }

    // Puts the place of the handling procedure in front of the description, moves a non-empty
    // source into the text and clears it, as every level of the trail does before raising again.
    void addPlace(QStringView module, QStringView procedure, int line = 0);

    const char* what() const noexcept override;

private:
    int m_number = 0;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// Fixed name at the start of every place in an error trail.
inline constexpr char16_t kApplicationName[] = u"N7_Fetchling";

// Builds the description that a handler at (module, procedure, line) gives to an error.
QString describeAt(QStringView module, QStringView procedure, int line, const QString& source,
                   const QString& description);

// The error of an object that should be there and is not: number 91, failure::kObjectNotSet.
Error objectNotSet();

// The error being handled, whatever its type: call only inside a catch block. Failures of the
// platform are mapped onto the texts that the rest of the program recognises.
Error currentError();

} // namespace core
