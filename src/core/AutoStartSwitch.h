#pragma once

#include <QString>

namespace core {

// True when the command line (what follows the program's own path) asks for an unattended run:
// "/AUTOSTART" or "/AS" anywhere in it, in any letter case. These are plain substring tests, so
// any word that begins with "/AS" ("/ASK") counts as well.
inline bool IsAutoStartCommandLine(const QString& commandLine)
{
    const QString upper = commandLine.toUpper();
    return upper.contains(QLatin1StringView("/AUTOSTART")) || upper.contains(QLatin1StringView("/AS"));
}

} // namespace core
