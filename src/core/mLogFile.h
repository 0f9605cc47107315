#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

namespace core {

class UiServices;

// The optional run log: lines with the local time to the millisecond, in UTF-16LE without a
// byte-order mark, each appended and on the disk before the call returns, so that a crash loses
// at most the line being written. One object serves the whole process; a run starts it anew.
class mLogFile final
{
public:
    using Clock = std::function<QDateTime()>;

    mLogFile(UiServices& ui, Clock localNow);

    // Names the log ("Log_<start time>.txt" when fileName is empty) after the folder, which
    // carries its own closing "/"; an empty folder switches logging off. Writes the first line
    // and answers the full name, built even when logging is off.
    QString StartLogFile(const QString& folder, const QString& fileName);
    // Appends one line while logging is on; does nothing otherwise.
    void WriteLogFile(const QString& text, bool withTime = true, bool withLineEnd = true);
    QString TimeStampText(bool withMilliseconds, const QString& dateSeparator, const QString& dateTimeSeparator,
                          const QString& timeSeparator) const;

    bool isLogging() const { return m_logging; }
    const QString& logFileName() const { return m_fileName; }

private:
    void AppendToFile(const QString& text);
    void showCritical(const QString& message);

    UiServices& m_ui;
    Clock m_localNow;
    QString m_fileName;
    bool m_logging = false;
    // Set while a failure of the log is being told: a box that is itself written to the log (as
    // an unattended run does) must not tell the same failure again, endlessly.
    bool m_reportingFailure = false;
};

} // namespace core
