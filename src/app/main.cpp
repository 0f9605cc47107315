#include <cstdio>

#include <QApplication>

#include "CommandLine.h"
#include "core/Error.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/widgets/QtUiServices.h"
#include "platform/family/GlobalUtility.h"
#include "platform/registry/JsonRegistry.h"

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const app::CommandLine commandLine = app::CommandLine::parse(arguments);
    if (commandLine.autostart && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(u"N7_Fetchling"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    core::QtUiServices ui(commandLine.autostart);
    if (commandLine.version) {
        std::printf("N7_Fetchling %s\n", PROJECT_VERSION_TEXT);
        return 0;
    }
    try {
        platform::registry::JsonRegistry registry(platform::registry::JsonRegistry::defaultFolder());
        platform::family::GlobalUtility utility(registry);
        const core::mFetchlingOptions options(utility);
        std::printf("N7_Fetchling %s: unload folder \"%s\"\n", PROJECT_VERSION_TEXT,
                    options.GetDefault_Path().toLocal8Bit().constData());
    } catch (...) {
        core::ReportError(ui, u"main", u"main");
        return 1;
    }
    return 0;
}
