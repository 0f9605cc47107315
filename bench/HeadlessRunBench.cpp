// One whole unloading of a generated sandbox without a window, with zero service latency:
//   bench_headless_run <documents> [work folder]
// Prints the generation time, the run's wall time, its peak resident memory (VmHWM) and growth per
// document, the files written, and for comparison the time of "cp -r" of the unloaded tree.
// Run one size per process, so that the peak memory belongs to that size alone.
#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "app/PeakMemory.h"
#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "core/widgets/QtUiServices.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/family/GlobalUtility.h"
#include "platform/registry/JsonRegistry.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/RunObserver.h"
#include "run/UnattendedRun.h"

using namespace Qt::StringLiterals;

namespace {

// Real time for measuring, but a pause costs nothing: the service answers at once anyway.
class NoWaitClock final : public core::Clock
{
public:
    NoWaitClock() { m_timer.start(); }
    qint64 nowMs() const override { return m_timer.elapsed() + m_skippedMs; }
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime().addMSecs(m_skippedMs); }
    void sleep(int ms) override { m_skippedMs += ms; }

private:
    QElapsedTimer m_timer;
    qint64 m_skippedMs = 0;
};

int filesBelow(const QString& folder, qint64& bytes)
{
    int count = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        bytes += it.nextFileInfo().size();
        ++count;
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int documents = args.value(1, u"10000"_s).toInt();
    QTemporaryDir scratch(args.size() > 2 ? args.at(2) + u"/headless-bench-XXXXXX"_s : QString());
    const QString work = scratch.path();

    try {
        QElapsedTimer timer;
        timer.start();
        platform::diadoc::SandboxGenerator::Settings settings;
        settings.documents = documents;
        settings.extraOrganizations = 3;
        settings.extraCounterparties = 300;
        settings.years = 2;
        settings.hostileTitles = true;
        settings.polls = 0;
        platform::diadoc::SandboxGenerator::write(work + u"/sandbox"_s, settings);
        const qint64 generateMs = timer.elapsed();

        platform::registry::JsonRegistry registry(work + u"/registry"_s);
        platform::family::GlobalUtility utility(registry);
        core::mFetchlingOptions options(utility);
        options.Set_DiadocServerURL(work + u"/sandbox"_s);
        options.Set_TypeDiadocAccount(1);
        options.Set_Login(u"buh@romashka.ru"_s);
        options.Set_Password(u"Ромашка2024"_s);
        options.Set_Path(work + u"/out/"_s);
        options.Set_FromDate(u"01.01.2024"_s);
        options.Set_ToDate(u"31.12.2025"_s);
        options.Set_Finished(0);
        options.Set_Internal(1);
        options.Set_Revoked(1);
        options.Set_SignatureRejected(1);
        options.Set_GroupIntoPackages(1);
        options.Set_HtmlProtocol(1);
        options.Set_ExcelProtocol(1);
        options.Set_CsvProtocol(1);

        NoWaitClock clock;
        platform::diadoc::SandboxClientFactory factory([&clock] { return clock.nowMs(); });
        core::QtUiServices ui(true);
        const long long rssBefore = app::PeakMemory::currentKilobytes();
        timer.restart();
        diadoc::mDiadoc diadoc(factory, options);
        platform::zip::LibzipLibraries zipLibraries;
        core::mUnzipper unzipper(zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle));
        core::mLogFile log(ui, [&clock] { return clock.currentDateTime(); });
        const auto folders = platform::shell::LinuxSpecialFolders::forCurrentUser();
        const core::mAPI api(folders);
        const run::Services services{options, clock, ui, diadoc, unzipper, log, api};
        run::RunObserver quiet;
        run::UnattendedRun run(services, quiet);
        const auto result = run.run();
        const qint64 runMs = timer.elapsed();
        const long long peak = app::PeakMemory::kilobytes();

        qint64 bytes = 0;
        const int files = filesBelow(work + u"/out"_s, bytes);
        timer.restart();
        const int copied = QProcess::execute(u"cp"_s, {u"-r"_s, work + u"/out"_s, work + u"/copy"_s});
        const qint64 copyMs = timer.elapsed();

        std::printf("documents generated %d (generation %.2f s)\n", documents, double(generateMs) / 1000.0);
        std::printf("listed %d, unloaded %d, ignored %d (repeats %d), left %d, stopped %s\n", result.listed,
                    result.unloaded, result.ignored, result.repeats, result.left, result.stopped ? "yes" : "no");
        std::printf("run wall time %.2f s; files written %d (%.1f MB); protocols %lld\n", double(runMs) / 1000.0, files,
                    double(bytes) / 1e6, static_cast<long long>(result.protocols.size()));
        std::printf("cp -r of the same tree %.2f s (exit %d); run / copy = %.1f\n", double(copyMs) / 1000.0, copied,
                    copyMs > 0 ? double(runMs) / double(copyMs) : 0.0);
        std::printf("peak resident memory (VmHWM) %lld KB; before the run %lld KB; growth %.2f KB a document\n", peak,
                    rssBefore, double(peak - rssBefore) / std::max(1, documents));
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
