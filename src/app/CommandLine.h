#pragma once

#include <QStringList>

namespace app {

// What the command line asks for. "/AUTOSTART" or "/AS" anywhere, in any case, runs one unattended
// unloading with the stored settings. "--configure-demo <sandbox folder> <unload folder>" points the
// settings store at a sandbox and ends.
struct CommandLine
{
    bool autostart = false;
    bool version = false;
    bool configureDemo = false;
    QString demoSandbox;
    QString demoFolder;

    static CommandLine parse(const QStringList& arguments);
};

} // namespace app
