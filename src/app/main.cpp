#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>

#include "AppServices.h"
#include "CommandLine.h"
#include "DemoSettings.h"
#include "LocalTimeZone.h"
#include "PeakMemory.h"
#include "base/Error.h"
#include "core/SystemClock.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/widgets/QtUiServices.h"
#include "diadoc/mDiadoc.h"
#include "mainwindow/Prerequisites.h"
#include "mainwindow/frmDiadocUnloadDocs.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/excel/Application.h"
#include "platform/family/GlobalUtility.h"
#include "platform/family/VersionInfo.h"
#include "platform/registry/JsonRegistry.h"
#include "run/UnattendedRun.h"

using namespace Qt::StringLiterals;

namespace {

void print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

// One unattended unloading with the stored settings; its exit code.
int autostart(core::QtUiServices& ui)
{
    QElapsedTimer wall;
    wall.start();
    app::AppServices services(ui);
    run::PrintingObserver observer(print);
    run::UnattendedRun unattended(services.runServices(), observer);
    ui.setUnattendedSink([&services](const QString& text) { services.log().WriteLogFile(text); });
    run::RunOutcome outcome;
    try {
        outcome = unattended.run();
    } catch (...) {
        // The box that reports the failure comes after the run and its log are gone.
        ui.setUnattendedSink({});
        throw;
    }
    ui.setUnattendedSink({});
    print(u"Время: %1 с; пик памяти (VmHWM): %2 КБ"_s.arg(double(wall.elapsed()) / 1000.0, 0, 'f', 2)
              .arg(app::PeakMemory::kilobytes()));
    return run::UnattendedRun::exitCode(outcome);
}

// Points the default settings store at a sandbox for the demo.
int configureDemo(const app::CommandLine& line)
{
    if (line.demoFoldersMissing || line.demoSandbox.isEmpty() || line.demoFolder.isEmpty()) {
        std::fputs(QString::fromUtf16(app::CommandLine::kConfigureDemoUsage).toLocal8Bit().constData(), stderr);
        std::fputc('\n', stderr);
        return 1;
    }
    platform::registry::JsonRegistry registry(platform::registry::JsonRegistry::defaultFolder());
    platform::family::GlobalUtility utility(registry);
    core::mFetchlingOptions options(utility);
    app::DemoSettings::write(options, line.demoSandbox, line.demoFolder);
    print(u"Настройки: "_s + platform::registry::JsonRegistry::defaultFolder());
    return 0;
}

// The main window over the stored settings, until it closes.
int windowed(core::QtUiServices& ui, const app::CommandLine& line)
{
    app::AppServices app(ui);
    const mainwindow::SystemPrerequisites prerequisites(app.registry(), app.diadoc());
    const platform::family::VersionInfo version;

    mainwindow::MainWindowServices services(app.options(), ui, app.systemClock(), app.registry(), app.diadoc(),
                                            prerequisites);
    services.versionInfo = &version;
    services.runServices = &app.runServices();
    services.excelFactory = [] {
        const platform::excel::Application excel;
        return std::optional<core::ExcelIdentity>(
            core::ExcelIdentity{excel.Name(), excel.Version(), QString::number(excel.Build())});
    };
    services.commandLine = line.text;
    mainwindow::frmDiadocUnloadDocs window(services);
    ui.setParentWindow(&window);
    window.Form_Load();
    window.show();
    const int code = QApplication::exec();
    ui.setParentWindow(nullptr);
    return code;
}

// An unattended run needs no screen: without one, the program draws off screen by itself, so
// that a scheduled run needs no setting of its own.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    app::LocalTimeZone::pin();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const app::CommandLine commandLine = app::CommandLine::parse(arguments);
    if (commandLine.version) {
        std::printf("N7_Fetchling %s\n", PROJECT_VERSION_TEXT);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (commandLine.configureDemo || (commandLine.autostart && !hasDisplay())))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(u"N7_Fetchling"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    core::QtUiServices ui(commandLine.autostart || commandLine.configureDemo);
    try {
        if (commandLine.configureDemo)
            return configureDemo(commandLine);
        if (commandLine.autostart)
            return autostart(ui);
        return windowed(ui, commandLine);
    } catch (...) {
        core::ReportError(ui, u"main", u"main");
        return 1;
    }
    return 0;
}
