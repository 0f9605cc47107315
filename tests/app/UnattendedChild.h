#pragma once

#include <chrono>

#include <QProcessEnvironment>
#include <QString>

#include "support/LimitedChild.h"

namespace apptest {

// What the program says of a stop for want of memory, whichever allocation failed.
inline constexpr char16_t kMemoryCause[] = u"Вероятно исчерпана доступная процессу оперативная память.";

// The program's unattended run (/AUTOSTART) in a child process, as a scheduler starts it: no
// display, and a settings store, unload folder and home of its own below one folder, the store
// pointed at a sandbox by --configure-demo.
class UnattendedChild final
{
public:
    UnattendedChild(const QString& folder, const QString& sandbox);

    // Empty when the settings store was written; else how --configure-demo failed.
    const std::string& setupFailure() const { return m_setupFailure; }
    QString unloadFolder() const;

    // One unattended run to its end under the limits, killed at the deadline.
    testsupport::ChildOutcome run(const testsupport::ProcessLimits& limits, std::chrono::milliseconds deadline) const;

private:
    QString m_folder;
    QProcessEnvironment m_environment;
    std::string m_setupFailure;
};

} // namespace apptest
