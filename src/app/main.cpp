#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include "AppServices.h"
#include "CommandLine.h"
#include "DemoSettings.h"
#include "LocalTimeZone.h"
#include "PaintingThreads.h"
#include "PeakMemory.h"
#include "StandardTexts.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
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
#include "run/StartSequence.h"
#include "run/UnattendedRun.h"

using namespace Qt::StringLiterals;

namespace {

void print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
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

void printError(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

// The main window over the stored settings, until it closes. Unattended, the window signs in by
// itself, runs one unloading a second after start-up and closes; the run's end and counts are
// printed, and the exit code tells how it went.
int windowed(core::QtUiServices& ui, const app::CommandLine& line)
{
    QElapsedTimer wall;
    wall.start();
    app::AppServices app(ui);
    const mainwindow::SystemPrerequisites prerequisites(app.registry(), app.diadoc());
    const platform::family::VersionInfo version;
    run::PrintingObserver printing(print);

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
    if (line.autostart) {
        services.runListener = &printing;
        // What would be shown in a box goes to the run log too.
        ui.setUnattendedSink([&app](const QString& text) { app.log().WriteLogFile(text); });
    }
    mainwindow::frmDiadocUnloadDocs window(services);
    ui.setParentWindow(&window);
    window.Form_Load();
    window.show();
    // An unattended start whose start timer could not be armed would never close: it ends here.
    const bool willClose = !line.autostart || window.controls().theStartingTimer->isActive();
    const int code = willClose ? QApplication::exec() : run::StartSequence::kExitRefused;
    ui.setParentWindow(nullptr);
    ui.setUnattendedSink({});
    if (!line.autostart)
        return code;
    const int exitCode = window.autoStartExitCode();
    if (exitCode == run::StartSequence::kExitRefused) {
        // Why there was nothing to unload: the sign-in's own words.
        if (window.controls().theTreeViewPersons->topLevelItemCount() == 0)
            printError(window.controls().theLabelAuthorization->text());
        return exitCode;
    }
    print(u"Время: %1 с; пик памяти (VmHWM): %2 КБ"_s.arg(double(wall.elapsed()) / 1000.0, 0, 'f', 2)
              .arg(app::PeakMemory::kilobytes()));
    return exitCode;
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
    if (!commandLine.configureDemo && !app::PaintingThreads::start()) {
        // Before the application exists: its end would wait for the thread that never came.
        printError(u"Программа не запущена: "_s + QString::fromUtf16(core::failure::kBadAllocation)
                   + u". Вероятно исчерпана доступная процессу оперативная память."_s);
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (commandLine.configureDemo || (commandLine.autostart && !hasDisplay())))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(u"N7_Fetchling"_s);
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
    const app::StandardTexts standardTexts;

    core::QtUiServices ui(commandLine.autostart || commandLine.configureDemo);
    try {
        if (commandLine.configureDemo)
            return configureDemo(commandLine);
        return windowed(ui, commandLine);
    } catch (...) {
        core::ReportError(ui, u"main", u"main");
        return 1;
    }
    return 0;
}
