#include "CommandLine.h"

using namespace Qt::StringLiterals;

namespace app {

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).trimmed();
        if (argument.compare(u"/AUTOSTART"_s, Qt::CaseInsensitive) == 0
            || argument.compare(u"/AS"_s, Qt::CaseInsensitive) == 0)
            line.autostart = true;
        else if (argument == u"--version")
            line.version = true;
        else if (argument == u"--configure-demo") {
            line.configureDemo = true;
            if (i + 2 < arguments.size()) {
                line.demoSandbox = arguments.at(++i);
                line.demoFolder = arguments.at(++i);
            } else {
                line.demoFoldersMissing = true;
                break;
            }
        }
    }
    return line;
}

} // namespace app
