#pragma once

#include <QStringList>

namespace app {

// What the command line asks for. "/AUTOSTART" or "/AS" anywhere after the program's own path, in
// any case and also inside a longer word ("/ASK"), runs one unattended unloading with the stored
// settings. "--configure-demo <sandbox folder> <unload folder>" points the settings store at a
// sandbox and ends; its two folders are no switches, and without them it says what it expects.
struct CommandLine
{
    bool autostart = false;
    bool version = false;
    bool configureDemo = false;
    bool demoFoldersMissing = false; // "--configure-demo" without both folders after it
    QString demoSandbox;
    QString demoFolder;
    // The arguments after the program's own path, joined by blanks, as the main window reads them.
    QString text;

    static constexpr char16_t kConfigureDemoUsage[] =
        u"--configure-demo ожидает два аргумента: <папка песочницы> <папка выгрузки>";

    static CommandLine parse(const QStringList& arguments);
};

} // namespace app
