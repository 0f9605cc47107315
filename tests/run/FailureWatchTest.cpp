#include <functional>
#include <vector>

#include <QStorageInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FailureMessages.h"
#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTskRecord.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"
#include "run/DiskSpace.h"
#include "run/FailureWatch.h"
#include "run/PumpingClock.h"
#include "run/RunObserver.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

using namespace testsupport::failure;

const QString kSentence = u"Свободное место на диске /srv/ = 47,68 МБ из 9,31 ГБ."_s;
const QString kDiskFullTitle = u"Исчерпано свободное место на диске."_s;

const QString kMissingBox = u"##100[Ошибка сервера Диадок]code:404, HTTP error: Unknown box: 4f1e2d3c@diadoc.ru"_s;
const QString kBoxAccess = u"##100[Ошибка сервера Диадок]code:403, HTTP error: Access to Box 4f1e2d3c denied"_s;
const QString kInvalidType = u"##100[Ошибка сервера Диадок]code:400, HTTP error: "
                             u"ReturnInventoryAcceptanceCertificate is not a valid document type (x)"_s;

// Boxes are recorded with what the run's stop looked like while each was open; a box can be made
// to fail as a broken window would.
class RecordingUi final : public core::UiServices
{
public:
    struct Box
    {
        QString prompt;
        int style = 0;
        QString title;
        bool stopWhileOpen = false;
        QString reasonWhileOpen;
    };

    std::function<void(Box&)> onBox;
    bool boxFails = false;
    std::vector<Box> boxes;
    int errorsReported = 0;
    int processEventsCalls = 0;

    bool isUnattended() const override { return false; }
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        Box box{prompt, style, title, false, {}};
        if (onBox)
            onBox(box);
        boxes.push_back(box);
        if (boxFails)
            throw core::Error(5, u"Окно сообщения не открылось"_s, u"RecordingUi"_s);
        return core::msgbox::vbOK;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    core::MousePointer mousePointer() const override { return core::MousePointer::Default; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override { ++processEventsCalls; }
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override
    {
        ++errorsReported;
        return nullptr;
    }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

// Writes down what the watch tells, with the virtual time of each call.
class StepObserver final : public run::RunObserver
{
public:
    explicit StepObserver(const core::Clock& clock)
        : m_clock(clock)
    {
    }
    void failuresCounted(int lists, int downloads) override
    {
        steps.append(u"counted %1/%2 at %3"_s.arg(lists).arg(downloads).arg(m_clock.nowMs()));
    }
    void failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>&, int position) override
    {
        steps.append(u"listed tasks at row %1 at %2"_s.arg(position).arg(m_clock.nowMs()));
    }
    void failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>&, bool ignored) override
    {
        steps.append(u"listed %1 at %2"_s.arg(ignored ? u"ignored"_s : u"docs"_s).arg(m_clock.nowMs()));
    }
    QStringList steps;

private:
    const core::Clock& m_clock;
};

enum class Queue
{
    Tasks,   // a list request in the secondary queue
    Docs,    // a download in the secondary queue
    Ignored, // a document among the ignored
};

class FailureWatchTest : public ::testing::Test
{
protected:
    FailureWatchTest()
    {
        ui.onBox = [this](RecordingUi::Box& box) {
            box.stopWhileOpen = watch.stopRequested();
            box.reasonWhileOpen = watch.stopReason();
        };
    }

    void raise(Queue queue, const QString& error, const QString& path = u"/srv/Выгрузка/Ромашка/2024"_s)
    {
        if (queue == Queue::Tasks) {
            auto rec = std::make_shared<diadoc::AsyncTskRecord>();
            rec->ErrorDescription = error;
            watch.OnAddedInSecondaryQueue(rec, 3);
            return;
        }
        auto rec = std::make_shared<diadoc::AsyncDocRecord>();
        rec->ErrorDescription = error;
        rec->Path = path;
        if (queue == Queue::Docs)
            watch.OnAddedInSecondaryQueue(rec);
        else
            watch.OnAddedInПустыеЗапросы(rec);
    }

    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::VirtualClock clock;
    RecordingUi ui;
    run::PumpingClock pumping{clock, ui};
    StepObserver observer{clock};
    double freeBytes = 1e12;
    QStringList probedPaths;
    run::FailureWatch watch{options, pumping, ui, observer, [this](const QString& path, QString& sentence) {
                                probedPaths.append(path);
                                sentence = kSentence;
                                return freeBytes;
                            }};
};

struct FailureCase
{
    const char* name;
    Queue queue;
    QString error;
    double freeBytes;
    QStringList lines; // empty: the run goes on without a message
    QString reason;
};

QString quoted(const QString& error)
{
    return u'"' + error + u"\"."_s;
}

std::vector<FailureCase> failureCases()
{
    const double low = 49999999.0;
    const double enough = 50000000.0;
    return {
        {"TasksMemory",
         Queue::Tasks,
         kMemory,
         enough,
         {kTasksHead, quoted(kMemory), kStop, {}, kMemoryCause, kMemoryAdvice},
         kMemory},
        {"TasksMissingBox",
         Queue::Tasks,
         kMissingBox,
         enough,
         {kTasksHead, quoted(kMissingBox), kStop, {}, kServiceCause, kServiceAdvice},
         kMissingBox},
        {"TasksBoxAccess",
         Queue::Tasks,
         kBoxAccess,
         enough,
         {kTasksHead, quoted(kBoxAccess), kStop, {}, kServiceCause, kServiceAdvice},
         kBoxAccess},
        {"TasksInvalidTypeHasNoCauseLine",
         Queue::Tasks,
         kInvalidType,
         enough,
         {kTasksHead, quoted(kInvalidType), kStop, {}, kServiceAdvice},
         kInvalidType},
        {"TasksMemoryIsCaseSensitive", Queue::Tasks, u"Bad allocation"_s, enough, {}, {}},
        {"TasksMemoryMustBeWhole", Queue::Tasks, u"bad allocation "_s, enough, {}, {}},
        {"TasksMissingBoxMustStartTheText", Queue::Tasks, u" "_s + kMissingBox, enough, {}, {}},
        {"TasksWriteErrorGoesOn", Queue::Tasks, kWriteError, low, {}, {}},
        {"TasksDiskFullGoesOn", Queue::Tasks, kDiskFull, low, {}, {}},
        {"TasksOtherGoesOn", Queue::Tasks, u"Превышено время ожидания"_s, enough, {}, {}},
        {"DocsMemory",
         Queue::Docs,
         kMemory,
         enough,
         {kContentHead, quoted(kMemory), kStop, {}, kMemoryCause, kMemoryAdvice},
         kMemory},
        {"DocsMissingBox",
         Queue::Docs,
         kMissingBox,
         enough,
         {kContentHead, quoted(kMissingBox), kStop, {}, kServiceCause, kServiceAdvice},
         kMissingBox},
        {"DocsBoxAccess",
         Queue::Docs,
         kBoxAccess,
         enough,
         {kContentHead, quoted(kBoxAccess), kStop, {}, kServiceCause, kServiceAdvice},
         kBoxAccess},
        {"DocsInvalidTypeGoesOn", Queue::Docs, kInvalidType, enough, {}, {}},
        {"DocsWriteErrorOnALowDisk",
         Queue::Docs,
         kWriteError,
         low,
         {kContentInline + kWriteError + u"\"."_s, kStop, {}, kDiskCause, kSentence, kDiskAdvice},
         kWriteError},
        {"DocsWriteErrorWithRoomLeft",
         Queue::Docs,
         kWriteError,
         enough,
         {kContentInline + kWriteError + u"\"."_s, kStop},
         kWriteError},
        {"DocsWriteErrorWithMoreTextGoesOn", Queue::Docs, kWriteError + u": нет доступа"_s, low, {}, {}},
        {"DocsDiskFullGoesOn", Queue::Docs, kDiskFull, low, {}, {}},
        {"IgnoredDiskFullOnALowDisk",
         Queue::Ignored,
         kDiskFull,
         low,
         {kDiskFullTitle, kStop, kSentence, u"Рекомендуется:"_s,
          u"Освободить место на диске или выгружать на другой диск."_s},
         kDiskFullTitle},
        {"IgnoredDiskFullWhenTheSpaceIsUnknown",
         Queue::Ignored,
         kDiskFull,
         0.0,
         {kDiskFullTitle, kStop, kSentence, u"Рекомендуется:"_s,
          u"Освободить место на диске или выгружать на другой диск."_s},
         kDiskFullTitle},
        {"IgnoredDiskFullWithRoomLeftGoesOn", Queue::Ignored, kDiskFull, enough, {}, {}},
        {"IgnoredMemoryGoesOn", Queue::Ignored, kMemory, low, {}, {}},
        {"IgnoredWriteErrorGoesOn", Queue::Ignored, kWriteError, low, {}, {}},
        {"IgnoredDiskFullInLowerCaseGoesOn", Queue::Ignored, u"disk full"_s, low, {}, {}},
    };
}

class FailureTable : public FailureWatchTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FailureTable, TheFailureDecidesMessageStopReasonCounterAndPause)
{
    const FailureCase& c = GetParam();
    freeBytes = c.freeBytes;
    raise(c.queue, c.error);

    const bool stops = !c.lines.isEmpty();
    EXPECT_EQ(watch.stopRequested(), stops);
    EXPECT_EQ(watch.stopReason(), c.reason);
    ASSERT_EQ(ui.boxes.size(), stops ? 1u : 0u);
    if (stops) {
        const auto& box = ui.boxes.front();
        EXPECT_EQ(box.prompt.split(u"\r\n"_s), c.lines);
        EXPECT_FALSE(box.prompt.endsWith(u'\n'));
        EXPECT_EQ(box.style, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
        EXPECT_EQ(box.title, QString::fromUtf16(core::kApplicationTitle));
        EXPECT_TRUE(box.stopWhileOpen) << "the stop is set before the box";
        EXPECT_EQ(box.reasonWhileOpen, c.reason);
    }

    // Secondary queues count and pause TimeOut hundredths before the list is shown again; the
    // ignored list does neither.
    const qint64 pauseMs = c.queue == Queue::Ignored ? 0 : options.Get_TimeOut() * 10;
    QStringList steps;
    if (c.queue == Queue::Tasks)
        steps << u"counted 1/0 at 0"_s << u"listed tasks at row 3 at %1"_s.arg(pauseMs);
    else if (c.queue == Queue::Docs)
        steps << u"counted 0/1 at 0"_s << u"listed docs at %1"_s.arg(pauseMs);
    else
        steps << u"listed ignored at 0"_s;
    EXPECT_EQ(observer.steps, steps);
    EXPECT_EQ(clock.nowMs(), pauseMs);
    EXPECT_EQ(watch.listFailures(), c.queue == Queue::Tasks ? 1 : 0);
    EXPECT_EQ(watch.downloadFailures(), c.queue == Queue::Docs ? 1 : 0);

    // Only a write error of a download and "Disk full" of an ignored document ask for the space.
    const bool probes =
        (c.queue == Queue::Docs && c.error == kWriteError) || (c.queue == Queue::Ignored && c.error == kDiskFull);
    EXPECT_EQ(probedPaths.size(), probes ? 1 : 0);
}

std::string caseName(const ::testing::TestParamInfo<FailureCase>& param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Texts, FailureTable, ::testing::ValuesIn(failureCases()), caseName);

TEST_F(FailureWatchTest, ThePauseLastsTimeOutHundredthsAndKeepsTheWindowPainting)
{
    options.Set_TimeOut(999);
    raise(Queue::Tasks, u"Превышено время ожидания"_s);
    EXPECT_EQ(clock.nowMs(), 9990);
    EXPECT_GE(ui.processEventsCalls, 9990 / run::PumpingClock::kSliceMs);
    EXPECT_FALSE(watch.stopRequested());
}

TEST_F(FailureWatchTest, ABoxThatFailsKeepsTheStopAndTheHandlerReturns)
{
    ui.boxFails = true;
    EXPECT_NO_THROW(raise(Queue::Docs, kMemory));
    EXPECT_TRUE(watch.stopRequested());
    EXPECT_EQ(watch.stopReason(), kMemory);
    EXPECT_EQ(ui.errorsReported, 1);
    bool cancel = false;
    watch.OnWait(cancel);
    EXPECT_TRUE(cancel) << "the engine learns of the stop at its next event";
}

TEST_F(FailureWatchTest, EveryFatalFailureShowsItsBoxAndTheLastOneGivesTheReason)
{
    watch.requestStop();
    raise(Queue::Tasks, kMissingBox);
    freeBytes = 1000.0;
    raise(Queue::Ignored, kDiskFull);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(watch.stopRequested());
    EXPECT_EQ(watch.stopReason(), kDiskFullTitle);
    EXPECT_EQ(ui.boxes[1].reasonWhileOpen, kDiskFullTitle);
}

TEST_F(FailureWatchTest, TheSpaceIsAskedForTheDocumentsFolder)
{
    freeBytes = 0.0;
    raise(Queue::Docs, kWriteError, u"/srv/Выгрузка/Лютик/2024/Q1"_s);
    EXPECT_EQ(probedPaths, QStringList{u"/srv/Выгрузка/Лютик/2024/Q1"_s});
}

TEST(DiskFreeSpaceTest, TheSpaceIsThatOfTheMountOfTheNearestFolderThatExists)
{
    QTemporaryDir dir;
    const QStorageInfo storage(dir.path());
    QString root = storage.rootPath();
    if (!root.endsWith(u'/'))
        root += u'/';
    QString sentence;
    const double free = run::diskFreeSpace(dir.filePath(u"Ромашка/2024/нет такой"_s), sentence);
    EXPECT_GT(free, 0.0);
    EXPECT_TRUE(sentence.startsWith(u"Свободное место на диске "_s + root + u" = "_s)) << sentence.toStdString();
    EXPECT_TRUE(sentence.endsWith(u'.'));

    EXPECT_EQ(run::diskFreeSpace(QString(), sentence), 0.0);
    EXPECT_EQ(sentence, u"Свободное место на диске определить не удалось."_s);
}

} // namespace
