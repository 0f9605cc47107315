#pragma once

#include <QStringList>

namespace app {

// What the command line asks for. "/AUTOSTART" or "/AS" anywhere, in any case, runs one unattended
// unloading with the stored settings.
struct CommandLine
{
    bool autostart = false;
    bool version = false;

    static CommandLine parse(const QStringList& arguments);
};

} // namespace app
