// Every branch of the run's handling of failed list requests and downloads, through whole runs of
// the sample: the failure text against the queue it comes from decides whether the run stops, the
// message's lines, the stop reason and the exit code.

#include <gtest/gtest.h>

#include "FailureMessages.h"
#include "RunFixture.h"
#include "core/MsgBox.h"
#include "run/FailureWatch.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultRule;

namespace {

using namespace testsupport::failure;

enum class Queue
{
    Lists,     // a list request of one box fails at its start, every time
    Downloads, // one document's download fails, every time (at the cap it goes among the ignored)
};

const QString kProbeSentence = u"Свободное место на диске /srv/ = 1,00 МБ из 10,0 ГБ."_s;

const QString kMissingBox = u"##100[Ошибка сервера Диадок]code:404, HTTP error: Unknown box: box-404"_s;
const QString kBoxAccess = u"##100[Ошибка сервера Диадок]code:403, HTTP error: Access to Box box-1 is denied"_s;
const QString kInvalidType = u"##100[Ошибка сервера Диадок]code:400, HTTP error: ReturnInventoryAcceptanceCertificate "
                             u"is not a valid document type"_s;

struct Case
{
    const char* name;
    Queue queue;
    QString error;
    double freeBytes;    // what the free-space probe answers
    QStringList message; // the lines of the message box; empty: no message and no stop
    QString stopReason;
};

QStringList withCause(const QString& head, const QString& error, const QString& cause, const QString& advice)
{
    QStringList lines{head, u'"' + error + u"\"."_s, kStop, QString()};
    if (!cause.isEmpty())
        lines.append(cause);
    lines.append(advice);
    return lines;
}

using FatalFailuresTest = testsupport::RunFixture;

TEST_F(FatalFailuresTest, TheFailureTextAndItsQueueDecideTheStopTheMessageAndTheExitCode)
{
    constexpr double kLow = run::FailureWatch::kLowDiskBytes - 1;
    constexpr double kPlenty = run::FailureWatch::kLowDiskBytes;
    const Case cases[] = {
        // List requests.
        {"lists: memory", Queue::Lists, kMemory, kPlenty, withCause(kTasksHead, kMemory, kMemoryCause, kMemoryAdvice),
         kMemory},
        {"lists: missing box", Queue::Lists, kMissingBox, kPlenty,
         withCause(kTasksHead, kMissingBox, kServiceCause, kServiceAdvice), kMissingBox},
        {"lists: box access", Queue::Lists, kBoxAccess, kPlenty,
         withCause(kTasksHead, kBoxAccess, kServiceCause, kServiceAdvice), kBoxAccess},
        {"lists: invalid type", Queue::Lists, kInvalidType, kPlenty,
         withCause(kTasksHead, kInvalidType, {}, kServiceAdvice), kInvalidType},
        {"lists: memory with a capital", Queue::Lists, u"Bad allocation"_s, kPlenty, {}, {}},
        {"lists: write error", Queue::Lists, kWriteError, kLow, {}, {}},
        {"lists: disk full", Queue::Lists, kDiskFull, kLow, {}, {}},
        // Downloads.
        {"downloads: memory", Queue::Downloads, kMemory, kPlenty,
         withCause(kContentHead, kMemory, kMemoryCause, kMemoryAdvice), kMemory},
        {"downloads: missing box", Queue::Downloads, kMissingBox, kPlenty,
         withCause(kContentHead, kMissingBox, kServiceCause, kServiceAdvice), kMissingBox},
        {"downloads: box access", Queue::Downloads, kBoxAccess, kPlenty,
         withCause(kContentHead, kBoxAccess, kServiceCause, kServiceAdvice), kBoxAccess},
        {"downloads: invalid type", Queue::Downloads, kInvalidType, kPlenty, {}, {}},
        {"downloads: write error on a full disk",
         Queue::Downloads,
         kWriteError,
         kLow,
         {kContentInline + kWriteError + u"\"."_s, kStop, QString(), kDiskCause, kProbeSentence, kDiskAdvice},
         kWriteError},
        {"downloads: write error with room left",
         Queue::Downloads,
         kWriteError,
         kPlenty,
         {kContentInline + kWriteError + u"\"."_s, kStop},
         kWriteError},
        {"downloads: write error with more text", Queue::Downloads, kWriteError + u" E:"_s, kLow, {}, {}},
        // A download given up with "Disk full" goes among the ignored: there it stops the run when
        // the disk is nearly full, and only then.
        {"ignored: disk full on a full disk",
         Queue::Downloads,
         kDiskFull,
         kLow,
         {u"Исчерпано свободное место на диске."_s, kStop, kProbeSentence, u"Рекомендуется:"_s,
          u"Освободить место на диске или выгружать на другой диск."_s},
         u"Исчерпано свободное место на диске."_s},
        {"ignored: disk full with room left", Queue::Downloads, kDiskFull, kPlenty, {}, {}},
    };

    options.Set_TimeOut(1);
    QString target;
    {
        auto clean = makeRun();
        const auto result = clean->run();
        ASSERT_TRUE(result.complete());
        target = clean->fetchling().AsyncDocs().UnloadedList().Item(7)->DocumentId;
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(out()).removeRecursively();
        ui.boxes.clear();
        service()->clearFaults();
        FaultRule rule;
        rule.text = c.error;
        if (c.queue == Queue::Lists) {
            rule.operation = u"GetDocumentsAsync"_s;
            rule.organization = u"box-vasilek"_s;
        } else {
            rule.operation = u"SaveContentResult"_s;
            rule.document = target;
        }
        service()->addFault(rule);
        int probes = 0;
        run::UnattendedRun run(services, observer, [&](const QString&, QString& sentence) {
            ++probes;
            sentence = kProbeSentence;
            return c.freeBytes;
        });

        const auto result = run.run();

        const bool fatal = !c.message.isEmpty();
        EXPECT_EQ(result.stopped, fatal);
        EXPECT_EQ(result.stopReason, c.stopReason);
        if (fatal) {
            ASSERT_FALSE(ui.boxes.empty());
            EXPECT_EQ(ui.boxes.front().prompt.split(u"\r\n"_s), c.message);
            for (const auto& box : ui.boxes) {
                EXPECT_EQ(box.prompt, ui.boxes.front().prompt) << "every message of the run is this one";
                EXPECT_EQ(box.style, core::msgbox::vbOKOnly | core::msgbox::vbCritical);
            }
            EXPECT_EQ(result.endText.section(u"\r\n"_s, 0, 0), u"Выгрузка документов прервана."_s);
            EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitStopped);
        } else {
            EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt.toStdString();
            // Failing every time, the request or the download is given up at the cap.
            EXPECT_EQ(result.listsFailed + result.downloadsFailed, c.queue == Queue::Lists ? result.listsFailed : 1);
            EXPECT_GT(c.queue == Queue::Lists ? result.listsFailed : result.downloadsFailed, 0);
            EXPECT_EQ(result.endText.section(u"\r\n"_s, 0, 0), u"Выгрузка документов завершена с ошибками."_s);
            EXPECT_EQ(run::StartSequence::exitCode(result), run::StartSequence::kExitIncomplete);
        }
        // Every failed attempt is counted; a download that met a full disk is given up at once.
        if (c.queue == Queue::Downloads && c.error == kDiskFull)
            EXPECT_EQ(result.downloadFailures, 0) << "a full disk is not tried again";
        else
            EXPECT_GT(c.queue == Queue::Lists ? result.listFailures : result.downloadFailures, 0)
                << "every failed attempt is counted";
        // The free space is asked only for a write error of a download or a "Disk full" among the
        // ignored.
        const bool asksDisk = c.queue == Queue::Downloads && (c.error == kWriteError || c.error == kDiskFull);
        EXPECT_EQ(probes > 0, asksDisk) << probes;
        EXPECT_EQ(result.protocols.size(), 3) << "the protocols are written however the run ended";
    }
}

} // namespace
