#include "CommandLine.h"

#include "core/AutoStartSwitch.h"

using namespace Qt::StringLiterals;

namespace app {

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine line;
    QStringList switches;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).trimmed();
        if (argument == u"--version") {
            line.version = true;
        } else if (argument == u"--configure-demo") {
            line.configureDemo = true;
            if (i + 2 < arguments.size()) {
                line.demoSandbox = arguments.at(++i);
                line.demoFolder = arguments.at(++i);
                continue;
            }
            line.demoFoldersMissing = true;
            break;
        }
        switches.append(argument);
    }
    line.text = arguments.mid(1).join(u' ');
    line.autostart = core::IsAutoStartCommandLine(switches.join(u' '));
    return line;
}

} // namespace app
