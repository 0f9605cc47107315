// The main window's queue grids at work: a real download queue, filled with 1,000, 10,000 and
// 100,000 documents, raises its events into the real handlers, models and grids of the window's
// controls, shown off screen. Prints what one event costs the handler (wall time, and user-space
// instructions where the processor's counter can be read) while the list on the selected tab
// holds that many documents:
//   append  the list grows at its end (the ignored list, as the run's failure handler shows it)
//   front   the list loses its first document (the main queue as downloads start)
//   hidden  an event of a list whose tab is not selected
// "paced" is the window's refresh: an event within the pace of the last refresh only notes the
// change, and the next refresh (with its painting) serves them all, so the mean per event also
// depends on how fast the queue itself moves; the events without refresh and the refreshes are
// therefore printed apart. "every" refreshes and paints at every event (pace 0), as the handlers
// would without the pace.
//   bench_queue_views [documents ...] [paced|every] [append|front]
// Without a readable instruction counter (many virtual machines), run one size under
// valgrind --tool=callgrind --collect-atstart=no (with FETCHLING_BENCH_EVENTS=200, say): collection
// is switched on around each measured handler call only, so the total of instructions divided by
// the events printed is the cost per event.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define FETCHLING_COLLECT() CALLGRIND_TOGGLE_COLLECT
#else
#define FETCHLING_COLLECT()
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>

#include "FakeDiadoc.h"
#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/SystemClock.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "core/widgets/QtUiServices.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "mainwindow/MainWindowControls.h"
#include "mainwindow/QueueViews.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/GlobalUtility.h"
#include "platform/family/SplashWindow.h"
#include "platform/registry/JsonRegistry.h"
#include "platform/zip/LibzipLibraries.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

// Events measured in each scenario; FETCHLING_BENCH_EVENTS sets another number (fewer under
// callgrind).
const int kMeasured = qEnvironmentVariableIsSet("FETCHLING_BENCH_EVENTS")
                          ? std::max(10, qEnvironmentVariableIntValue("FETCHLING_BENCH_EVENTS"))
                          : 3000;
const QString kOrg = u"box-romashka"_s;
using Record = diadoc::AsyncContentsListener::Record;

// User-space instructions of this thread, when the processor lets them be counted.
class InstructionCounter final
{
public:
    InstructionCounter()
    {
        perf_event_attr attr{};
        attr.type = PERF_TYPE_HARDWARE;
        attr.size = sizeof(attr);
        attr.config = PERF_COUNT_HW_INSTRUCTIONS;
        attr.exclude_kernel = 1;
        attr.exclude_hv = 1;
        m_fd = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
    }
    ~InstructionCounter()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    InstructionCounter(const InstructionCounter&) = delete;
    InstructionCounter& operator=(const InstructionCounter&) = delete;

    bool available() const { return m_fd >= 0; }
    long long read() const
    {
        long long value = 0;
        if (m_fd < 0 || ::read(m_fd, &value, sizeof(value)) != static_cast<ssize_t>(sizeof(value)))
            return 0;
        return value;
    }

private:
    int m_fd = -1;
};

long long threadCpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The cost of the handler calls made while it measures.
struct Cost
{
    long long events = 0;
    long long nanoseconds = 0;
    long long cpuNanoseconds = 0; // of this thread: what other processes took from it left out
    long long instructions = 0;
    long long refreshes = 0; // events whose handler refreshed the grid and let the window paint
    long long refreshNanoseconds = 0;
};

// The window's services, counting how often the handlers let the window process its messages.
class CountingUi final : public core::UiServices
{
public:
    explicit CountingUi(core::UiServices& inner)
        : m_inner(inner)
    {
    }
    long long pumps = 0;
    bool isUnattended() const override { return m_inner.isUnattended(); }
    int msgBox(const QString& p, int style, const QString& t) override { return m_inner.msgBox(p, style, t); }
    QString inputBox(const QString& p, const QString& t, const QString& d) override
    {
        return m_inner.inputBox(p, t, d);
    }
    QString browseForFolder(const QString& t, const QString& f) override { return m_inner.browseForFolder(t, f); }
    core::MousePointer mousePointer() const override { return m_inner.mousePointer(); }
    void setMousePointer(core::MousePointer pointer) override { m_inner.setMousePointer(pointer); }
    void processEvents() override
    {
        ++pumps;
        m_inner.processEvents();
    }
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return m_inner.createErrorDialog(); }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override
    {
        return m_inner.createSplashWindow();
    }

private:
    core::UiServices& m_inner;
};

// Hands the queue's events to the window's handlers, as the queue (list events) and the run's
// failure watch (the ignored list) do. While measuring, each call is counted as an event of the
// shown list or of a list whose tab is not selected.
class Forward final : public diadoc::AsyncContentsListener
{
public:
    Forward(mainwindow::QueueViews& views, const QTabBar& tabs, const InstructionCounter& counter, const CountingUi& ui)
        : m_views(views)
        , m_tabs(tabs)
        , m_counter(counter)
        , m_ui(ui)
    {
    }
    void measure(Cost* shown, Cost* hidden)
    {
        m_shown = shown;
        m_hidden = hidden;
    }

    void OnAddedInMainQueue(const Record& r) override
    {
        call(u"MainQueue", [&] { m_views.fAsyncDocs_OnAddedInMainQueue(r); });
    }
    void OnRemovedFromMainQueue(const Record& r) override
    {
        call(u"MainQueue", [&] { m_views.fAsyncDocs_OnRemovedFromMainQueue(r); });
    }
    void OnAddedInSecondaryQueue(const Record& r) override
    {
        call(u"SecondaryQueue", [&] { m_views.fAsyncDocs_OnAddedInSecondaryQueue(r); });
    }
    void OnRemovedFromSecondaryQueue(const Record& r) override
    {
        call(u"SecondaryQueue", [&] { m_views.fAsyncDocs_OnRemovedFromSecondaryQueue(r); });
    }
    void OnAddedInUnloadingList(const Record& r) override
    {
        call(u"UnloadingList", [&] { m_views.fAsyncDocs_OnAddedInUnloadingList(r); });
    }
    void OnRemovedFromUnloadingList(const Record& r) override
    {
        call(u"UnloadingList", [&] { m_views.fAsyncDocs_OnRemovedFromUnloadingList(r); });
    }
    void OnAddedInUnloadedList(const Record& r) override
    {
        call(u"UnloadedList", [&] { m_views.fAsyncDocs_OnAddedInUnloadedList(r); });
    }
    void OnAddedInПустыеЗапросы(const Record& r) override
    {
        call(u"IgnoredList", [&] { m_views.fAsyncDocs_OnAddedInПустыеЗапросы(r); });
    }

private:
    void call(const char16_t* key, const std::function<void()>& handler)
    {
        const bool shown = m_tabs.tabData(m_tabs.currentIndex()).toString() == QStringView(key);
        Cost* cost = shown ? m_shown : m_hidden;
        if (cost == nullptr) {
            handler();
            return;
        }
        QElapsedTimer timer;
        const long long pumps = m_ui.pumps;
        const long long before = m_counter.read();
        const long long cpuBefore = threadCpuNanoseconds();
        timer.start();
        FETCHLING_COLLECT();
        handler();
        FETCHLING_COLLECT();
        const long long elapsed = timer.nsecsElapsed();
        const long long cpu = threadCpuNanoseconds() - cpuBefore;
        const long long after = m_counter.read();
        ++cost->events;
        cost->nanoseconds += elapsed;
        cost->cpuNanoseconds += cpu;
        if (m_ui.pumps != pumps) {
            ++cost->refreshes;
            cost->refreshNanoseconds += elapsed;
        }
        cost->instructions += after - before;
    }

    mainwindow::QueueViews& m_views;
    const QTabBar& m_tabs;
    const InstructionCounter& m_counter;
    const CountingUi& m_ui;
    Cost* m_shown = nullptr;
    Cost* m_hidden = nullptr;
};

// Holds the downloads back while closed; opened, it lets a number of documents leave the main
// queue and then stops the queue.
class Gate final : public diadoc::AsyncContentsListener
{
public:
    void open(int documents) { m_left = documents; }
    void OnChanged(bool& rCancel) override { rCancel = m_left <= 0; }
    void OnWait(bool& rCancel) override { rCancel = m_left <= 0; }
    void OnRemovedFromMainQueue(const Record&) override { --m_left; }

private:
    int m_left = 0;
};

// The window's queue controls shown off screen over one download queue on a virtual clock; the
// refresh is paced on the real clock, as in the window.
class Stage final
{
public:
    explicit Stage(const QString& work)
        : m_registry(work + u"/registry"_s)
        , m_utility(m_registry)
        , m_options(m_utility)
        , m_work(work)
    {
        m_options.Set_DocsLimit(30);
        m_controls = mainwindow::MainWindowControls::build(m_window);
        m_window.resize(1400, 800);
        m_window.show();
        auto organisation = std::make_shared<fakediadoc::FakeOrganization>();
        organisation->types = {{u"Contract"_s, u"Договор"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(m_ui);
        person->Name = u"ООО «Ромашка»"_s;
        person->DiadocOrganization = organisation;
        m_persons.Add(person, kOrg);
        m_task.KeyОрганизацииВКоллекции = kOrg;

        m_views = std::make_unique<mainwindow::QueueViews>(*m_controls.theTabsTasks, *m_controls.theGridTasks,
                                                           *m_controls.theTabsDocs, *m_controls.theGridDocs, m_viewsUi,
                                                           m_paceClock, [this] { return &m_persons; });
        m_views->bind(m_tasks, m_docs);
        // The bench hands the events over itself, so that it can measure each call.
        m_docs.detach(m_views.get());
        m_forward = std::make_unique<Forward>(*m_views, *m_controls.theTabsDocs, m_counter, m_viewsUi);
        m_docs.attach(&m_gate);
        m_docs.attach(m_forward.get());
    }
    ~Stage()
    {
        m_docs.detach(m_forward.get());
        m_views.reset();
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Ignored documents, each shown by the failure handler's refresh; the ones that come after the
    // list holds the given number are measured with the given pace.
    Cost append(int documents, int paceMs, bool measured = true)
    {
        Cost cost;
        // Filled while another tab is selected, which costs the grid nothing; then the list is
        // shown, as a click on its tab would.
        select(u"MainQueue"_s);
        for (int n = 0; n < documents + kMeasured; ++n) {
            if (n == documents) {
                select(u"IgnoredList"_s);
                settle();
                m_views->setRefreshPace(paceMs);
                if (measured)
                    m_forward->measure(&cost, nullptr);
            }
            m_docs.AddDocInListIgnored(m_task, document(n),
                                       u"Документ не выгружается: причина "_s + QString::number(n));
        }
        m_forward->measure(nullptr, nullptr);
        settle();
        return cost;
    }

    // Documents queued and held, then started one after another from the front of the main
    // queue while it holds at least the given number: the removals from the shown list, and the
    // events of the lists not shown, measured.
    std::pair<Cost, Cost> front(int documents, int paceMs)
    {
        select(u"UnloadedList"_s);
        for (int n = 0; n < documents + kMeasured; ++n)
            m_docs.AddNewDocInQueue(m_task, document(n), m_work + u"/out/"_s + QString::number(n), false, false);
        select(u"MainQueue"_s);
        settle();
        m_views->setRefreshPace(paceMs);
        Cost shown;
        Cost hidden;
        m_forward->measure(&shown, &hidden);
        m_gate.open(kMeasured);
        // One more document sets the held queue going again.
        m_docs.AddNewDocInQueue(m_task, document(documents + kMeasured), m_work + u"/out/last"_s, false, false);
        for (auto rec = m_docs.GetFirstResult(); rec; rec = m_docs.GetNextResult()) {
        }
        m_forward->measure(nullptr, nullptr);
        settle();
        return {shown, hidden};
    }

    int rows() const { return m_controls.theGridDocs->model()->rowCount(); }

private:
    static std::shared_ptr<fakediadoc::FakeDocument> document(int n)
    {
        auto doc = std::make_shared<fakediadoc::FakeDocument>();
        doc->documentId = u"doc-"_s + QString::number(n);
        doc->organizationId = u"org-1"_s;
        doc->typeNamedId = u"Contract"_s;
        doc->documentNumber = QString::number(n);
        doc->title = u"Счёт-фактура № "_s + QString::number(n);
        return doc;
    }

    void select(const QString& key)
    {
        QTabBar& tabs = *m_controls.theTabsDocs;
        for (int i = 0; i < tabs.count(); ++i)
            if (tabs.tabData(i).toString() == key)
                tabs.setCurrentIndex(i);
    }

    // Lets the last paced refresh happen, so that one phase leaves no work to the next.
    static void settle()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 2 * mainwindow::QueueViews::kRefreshPaceMs)
            QCoreApplication::processEvents();
    }

    InstructionCounter m_counter;
    platform::registry::JsonRegistry m_registry;
    platform::family::GlobalUtility m_utility;
    core::mFetchlingOptions m_options;
    QString m_work;
    core::QtUiServices m_ui{true};
    CountingUi m_viewsUi{m_ui};
    testsupport::VirtualClock m_queueClock;
    core::SystemClock m_paceClock;
    platform::zip::LibzipLibraries m_libraries;
    core::mUnzipper m_unzipper{m_libraries, m_ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile m_log{m_ui, [this] { return m_queueClock.currentDateTime(); }};
    diadoc::PersonsCollection m_persons;
    diadoc::AsyncTskRecord m_task;
    QMainWindow m_window;
    mainwindow::MainWindowControls m_controls;
    diadoc::AsyncTasks m_tasks{m_options, m_queueClock, m_ui};
    diadoc::AsyncContents m_docs{m_options, m_queueClock, m_ui, m_unzipper, m_log};
    std::unique_ptr<mainwindow::QueueViews> m_views;
    Gate m_gate;
    std::unique_ptr<Forward> m_forward;
};

void print(const char* refresh, int documents, const char* scenario, const Cost& cost, bool instructions)
{
    const double events = static_cast<double>(std::max<long long>(1, cost.events));
    const long long quick = cost.events - cost.refreshes;
    std::printf("%-6s %8d  %-6s %5lld events %9.2f us/event (thread CPU %8.2f)  %5lld without refresh %6.2f us  "
                "%5lld refreshes %8.1f us",
                refresh, documents, scenario, cost.events, static_cast<double>(cost.nanoseconds) / events / 1000.0,
                static_cast<double>(cost.cpuNanoseconds) / events / 1000.0, quick,
                static_cast<double>(cost.nanoseconds - cost.refreshNanoseconds) / std::max(1LL, quick) / 1000.0,
                cost.refreshes, static_cast<double>(cost.refreshNanoseconds) / std::max(1LL, cost.refreshes) / 1000.0);
    if (instructions)
        std::printf("  %11.0f instructions/event", static_cast<double>(cost.instructions) / events);
    std::printf("\n");
    std::fflush(stdout);
}

struct Row
{
    Cost append;
    Cost front;
    Cost hidden;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Numbers are sizes; "paced" or "every" picks the refresh, "append" or "front" the scenario.
    std::vector<int> sizes;
    QStringList only;
    for (const QString& arg : QCoreApplication::arguments().mid(1)) {
        bool number = false;
        const int size = arg.toInt(&number);
        if (number)
            sizes.push_back(std::max(1, size));
        else
            only.append(arg);
    }
    if (sizes.empty())
        sizes = {1000, 10000, 100000};
    const auto wanted = [&only](const char* name, const QStringList& kind) {
        bool any = false;
        for (const QString& k : kind)
            any = any || only.contains(k);
        return !any || only.contains(QString::fromLatin1(name));
    };
    const QStringList refreshes{u"paced"_s, u"every"_s};
    const QStringList scenarios{u"append"_s, u"front"_s};

    const bool instructions = InstructionCounter().available();
    if (!instructions)
        std::printf("(no instruction counter here: see the comment at the top for callgrind)\n");
    try {
        {
            // The first window of the process pays for fonts and caches: not measured.
            QTemporaryDir work;
            Stage(work.path()).append(kMeasured, mainwindow::QueueViews::kRefreshPaceMs, false);
        }
        for (const auto& [refresh, pace] : {std::pair{"paced", mainwindow::QueueViews::kRefreshPaceMs}, {"every", 0}}) {
            if (!wanted(refresh, refreshes))
                continue;
            std::vector<Row> rows;
            for (const int documents : sizes) {
                QTemporaryDir work;
                Row row;
                if (wanted("append", scenarios)) {
                    Stage stage(work.path());
                    row.append = stage.append(documents, pace);
                    if (stage.rows() != documents + kMeasured)
                        throw core::Error(5, u"the ignored list's grid has "_s + QString::number(stage.rows())
                                                 + u" rows"_s);
                    print(refresh, documents, "append", row.append, instructions);
                }
                if (wanted("front", scenarios)) {
                    Stage stage(work.path());
                    std::tie(row.front, row.hidden) = stage.front(documents, pace);
                    print(refresh, documents, "front", row.front, instructions);
                    print(refresh, documents, "hidden", row.hidden, instructions);
                }
                rows.push_back(row);
            }
            // Time per event, per event without a refresh, and per refresh.
            const auto perEvent = [](const Cost& c) {
                return static_cast<double>(c.nanoseconds) / static_cast<double>(std::max(1LL, c.events));
            };
            const auto perQuick = [](const Cost& c) {
                return static_cast<double>(c.nanoseconds - c.refreshNanoseconds)
                       / static_cast<double>(std::max(1LL, c.events - c.refreshes));
            };
            const auto perRefresh = [](const Cost& c) {
                return static_cast<double>(c.refreshNanoseconds) / static_cast<double>(std::max(1LL, c.refreshes));
            };
            const auto ratio = [](double last, double first) { return first > 0 ? last / first : 0.0; };
            const Row& first = rows.front();
            const Row& last = rows.back();
            std::printf("%-6s at %d / at %d documents: append %.2f (without refresh %.2f, refresh %.2f), "
                        "front %.2f (without refresh %.2f, refresh %.2f)\n",
                        refresh, sizes.back(), sizes.front(), ratio(perEvent(last.append), perEvent(first.append)),
                        ratio(perQuick(last.append), perQuick(first.append)),
                        ratio(perRefresh(last.append), perRefresh(first.append)),
                        ratio(perEvent(last.front), perEvent(first.front)),
                        ratio(perQuick(last.front), perQuick(first.front)),
                        ratio(perRefresh(last.front), perRefresh(first.front)));
        }
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
