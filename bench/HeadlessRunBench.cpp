// One whole unloading of a generated sandbox without a window:
//   bench_headless_run <documents> [work folder]
//   bench_headless_run --latency <ms> <documents> [work folder]
//   bench_headless_run --no-zip <documents> [work folder]
// The first form runs with zero service latency: the pauses of the polling loops cost nothing. It
// prints the run's processor time (user + system) beside its wall time, the emulated service's
// share of both memory and processor time, the peak resident memory and its growth per document,
// and for comparison the time of the quickest of three "cp -r" of the unloaded tree. On a shared
// machine both vary with the neighbours' load: compare the best of several runs. The second form gives every list and
// download of the service that latency on a real clock and prints documents a second and how many downloads and list
// requests the queues kept busy against DocsLimit and TasksLimit. With --no-zip the service saves each document's files
// into its folder instead of a content.zip that the run unpacks and deletes. Run one size per process, so that the peak
// memory belongs to that size alone. With FETCHLING_BENCH_PERF_FIFO naming the control fifo of a
// "perf record -D -1 --control fifo:<fifo>", perf samples the run alone (not the generator, the copies
// or the clean-up).
#include <algorithm>
#include <cstdio>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "app/LocalTimeZone.h"
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
#include "platform/diadoc/SandboxMeter.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/family/GlobalUtility.h"
#include "platform/registry/JsonRegistry.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/RunObserver.h"
#include "run/UnattendedRun.h"

using namespace Qt::StringLiterals;
using platform::diadoc::SandboxMeter;

namespace {

// How many times the tree is copied for the comparison.
constexpr int kCopies = 3;

// Real time for measuring. Without latency a pause costs nothing, since the service answers at
// once anyway; with latency the pauses are real, as the service's delays are.
class BenchClock final : public core::Clock
{
public:
    explicit BenchClock(bool realPauses)
        : m_realPauses(realPauses)
    {
        m_timer.start();
    }
    qint64 nowMs() const override { return m_timer.elapsed() + m_skippedMs; }
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime().addMSecs(m_skippedMs); }
    void sleep(int ms) override
    {
        if (m_realPauses)
            QThread::msleep(static_cast<unsigned long>(std::max(0, ms)));
        else
            m_skippedMs += ms;
    }

private:
    QElapsedTimer m_timer;
    qint64 m_skippedMs = 0;
    bool m_realPauses = false;
};

// Processor time in seconds, user and system.
struct CpuTime
{
    double user = 0;
    double system = 0;
    double total() const { return user + system; }
};

double seconds(const timeval& value)
{
    return double(value.tv_sec) + double(value.tv_usec) / 1e6;
}

CpuTime cpuTime(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

CpuTime operator-(const CpuTime& a, const CpuTime& b)
{
    return {a.user - b.user, a.system - b.system};
}

// Gives freed memory back to the system and starts the peak anew from the present, so that what
// the generator used before the run counts neither in "before the run" nor in the peak.
void forgetEarlierPeak()
{
    malloc_trim(0);
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        std::fprintf(stderr, "the peak memory could not be reset: it may include the generator's\n");
}

// The heap in use, in KB: what the emulated service keeps, whatever holes its reading left.
long long heapKilobytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>((info.uordblks + info.hblkhd) / 1024);
}

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

// Tells a waiting "perf record" to start or stop sampling; nothing when no fifo is named.
void tellProfiler(const char* command)
{
    const QString fifo = qEnvironmentVariable("FETCHLING_BENCH_PERF_FIFO");
    if (fifo.isEmpty())
        return;
    QFile control(fifo);
    if (control.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        control.write(command);
}

double ratio(double a, double b)
{
    return b > 0 ? a / b : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    app::LocalTimeZone::pin();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int latencyMs = 0;
    bool zip = true;
    for (bool option = true; option;) {
        option = false;
        if (args.value(0) == u"--latency"_s) {
            latencyMs = args.value(1).toInt();
            args = args.mid(2);
            option = true;
        } else if (args.value(0) == u"--no-zip"_s) {
            zip = false;
            args = args.mid(1);
            option = true;
        }
    }
    const int documents = args.value(0, latencyMs > 0 ? u"2000"_s : u"10000"_s).toInt();
    QTemporaryDir scratch(args.size() > 1 ? args.at(1) + u"/headless-bench-XXXXXX"_s : QString());
    if (!scratch.isValid()) {
        // Without this check an empty path would send the sandbox and the tree to the root folder.
        std::fprintf(stderr, "cannot make a work folder%s: %s\n",
                     args.size() > 1 ? qPrintable(u" below "_s + args.at(1)) : "", qPrintable(scratch.errorString()));
        return 2;
    }
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
        settings.delayMs = latencyMs;
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
        options.Set_LoadContentByZip(zip ? 1 : 0);

        BenchClock clock(latencyMs > 0);
        platform::diadoc::SandboxClientFactory factory([&clock] { return clock.nowMs(); });
        core::QtUiServices ui(true);

        // The emulated service reads its data before the run: a real service would not live in
        // this process, so its memory is told apart.
        forgetEarlierPeak();
        const long long rssBeforeService = app::PeakMemory::currentKilobytes();
        const long long heapBeforeService = heapKilobytes();
        const std::shared_ptr<platform::diadoc::SandboxService> service = factory.service(work + u"/sandbox"_s);
        forgetEarlierPeak();
        const long long serviceHeap = heapKilobytes() - heapBeforeService;
        const long long rssBefore = app::PeakMemory::currentKilobytes();
        const qint64 serviceCpuBefore = service->meter().cpuNs();

        tellProfiler("enable\n");
        const CpuTime cpuBefore = cpuTime(RUSAGE_SELF);
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
        const CpuTime runCpu = cpuTime(RUSAGE_SELF) - cpuBefore;
        tellProfiler("disable\n");
        const long long peak = app::PeakMemory::kilobytes();
        const double serviceCpu = double(service->meter().cpuNs() - serviceCpuBefore) / 1e9;
        const double ownCpu = runCpu.total() - serviceCpu;

        qint64 bytes = 0;
        const int files = filesBelow(work + u"/out"_s, bytes);
        // The copy is timed three times and the quickest counts: on a shared machine one copy may
        // be slowed by its neighbours as much as the run itself.
        int copied = 0;
        qint64 copyMs = 0;
        CpuTime copyCpu;
        for (int attempt = 0; attempt < kCopies; ++attempt) {
            const QString copy = work + u"/copy"_s;
            const CpuTime childrenBefore = cpuTime(RUSAGE_CHILDREN);
            timer.restart();
            copied = std::max(copied, QProcess::execute(u"cp"_s, {u"-r"_s, work + u"/out"_s, copy}));
            const qint64 ms = timer.elapsed();
            const CpuTime cpu = cpuTime(RUSAGE_CHILDREN) - childrenBefore;
            if (attempt == 0 || cpu.total() < copyCpu.total()) {
                copyCpu = cpu;
                copyMs = ms;
            }
            QDir(copy).removeRecursively();
        }

        std::printf("documents generated %d (generation %.2f s)%s\n", documents, double(generateMs) / 1000.0,
                    latencyMs > 0 ? qPrintable(u"; service latency %1 ms a list or download"_s.arg(latencyMs)) : "");
        std::printf("listed %d, unloaded %d, ignored %d (repeats %d), left %d, stopped %s\n", result.listed,
                    result.unloaded, result.ignored, result.repeats, result.left, result.stopped ? "yes" : "no");
        std::printf("files written %d (%.1f MB); protocols %lld\n", files, double(bytes) / 1e6,
                    static_cast<long long>(result.protocols.size()));
        std::printf("run: wall %.2f s; CPU %.2f s (user %.2f + system %.2f)\n", double(runMs) / 1000.0, runCpu.total(),
                    runCpu.user, runCpu.system);
        std::printf("  emulated service's calls: CPU %.2f s; the program's own CPU %.2f s\n", serviceCpu, ownCpu);
        std::printf("cp -r of the same tree, the quickest of %d: wall %.2f s (exit %d); CPU %.2f s (user %.2f + "
                    "system %.2f)\n",
                    kCopies, double(copyMs) / 1000.0, copied, copyCpu.total(), copyCpu.user, copyCpu.system);
        std::printf("  run / copy: CPU %.2f (program's own %.2f); wall %.2f\n", ratio(runCpu.total(), copyCpu.total()),
                    ratio(ownCpu, copyCpu.total()), ratio(double(runMs), double(copyMs)));
        std::printf("memory: before the service %lld KB (the generator's freed); the emulated service's data %lld KB "
                    "in use (resident %lld KB more), read before the run\n",
                    rssBeforeService, serviceHeap, rssBefore - rssBeforeService);
        std::printf("  peak resident (VmHWM) %lld KB; growth %.2f KB a document (peak less the memory before the "
                    "service and the service's data)\n",
                    peak, double(peak - rssBeforeService - serviceHeap) / std::max(1, documents));
        if (latencyMs > 0) {
            const SandboxMeter::Activity& downloads = service->meter().activity(SandboxMeter::Operation::Content);
            const SandboxMeter::Activity& lists = service->meter().activity(SandboxMeter::Operation::List);
            const int docsLimit = options.Get_DocsLimit();
            const int tasksLimit = options.Get_TasksLimit();
            std::printf("throughput %.1f documents a second\n", ratio(result.unloaded * 1000.0, double(runMs)));
            std::printf("downloads (%lld): busy at the service %.2f on average = %.0f %% of DocsLimit %d; "
                        "held by the queue %.2f = %.0f %%; download phase %.2f s\n",
                        downloads.count, downloads.averageBusy(), 100 * ratio(downloads.averageBusy(), docsLimit),
                        docsLimit, downloads.averageHeld(), 100 * ratio(downloads.averageHeld(), docsLimit),
                        double(downloads.lastBusyEndMs - downloads.firstStartMs) / 1000.0);
            std::printf("list requests (%lld): busy at the service %.2f on average = %.0f %% of TasksLimit %d; "
                        "held by the queue %.2f = %.0f %%\n",
                        lists.count, lists.averageBusy(), 100 * ratio(lists.averageBusy(), tasksLimit), tasksLimit,
                        lists.averageHeld(), 100 * ratio(lists.averageHeld(), tasksLimit));
        }
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
