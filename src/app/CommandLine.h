#pragma once

#include <QStringList>

namespace app {

// What the command line asks for. "/AUTOSTART" or "/AS" anywhere, in any case, runs one unattended
// unloading with the stored settings. "--configure-demo <sandbox folder> <unload folder>" points the
// settings store at a sandbox and ends; without its two folders it says what it expects.
struct CommandLine
{
    bool autostart = false;
    bool version = false;
    bool configureDemo = false;
    bool demoFoldersMissing = false; // "--configure-demo" without both folders after it
    QString demoSandbox;
    QString demoFolder;

    static constexpr char16_t kConfigureDemoUsage[] =
        u"--configure-demo ожидает два аргумента: <папка песочницы> <папка выгрузки>";

    static CommandLine parse(const QStringList& arguments);
};

} // namespace app
