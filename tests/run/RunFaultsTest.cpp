#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "base/FailureTexts.h"
#include "run/FailureWatch.h"
#include "run/Protocols.h"
#include "run/Run.h"
#include "run/SignIn.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultRule;

namespace {

using RunFaultsTest = testsupport::RunFixture;

run::RunRequest wholeYear(const run::SignIn::Outcome& signedIn, const QString& folder)
{
    run::RunRequest request;
    request.unloadFolder = folder;
    request.from = QDate(2024, 1, 1);
    request.to = QDate(2024, 12, 31);
    request.nodes = signedIn.organisations.nodes;
    return request;
}

QStringList filesNamed(const QString& folder, const QString& name)
{
    QStringList found;
    QDirIterator it(folder, {name}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

// The service's own write meeting a full disk ("Disk full", as the program's file layer words it)
// stops the run with the disk-full message when the probe finds little room; with room enough the
// document is only given up, as a full disk elsewhere would not concern this one.
TEST_F(RunFaultsTest, AFullDiskOfTheServicesWriteStopsTheRunWithTheDiskFullMessage)
{
    struct Case
    {
        const char* name;
        bool zip;
        double freeBytes;
        bool stops;
    };
    const Case cases[] = {
        {"zip mode, little room", true, 1500000.0, true},
        {"folder mode, little room", false, 1500000.0, true},
        {"zip mode, room enough", true, 50000000.0, false},
    };
    const QString sentence = u"Свободное место на диске /mnt/ = 1,43 Мб из 5 Мб."_s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(out()).removeRecursively();
        ui.boxes.clear();
        options.Set_LoadContentByZip(c.zip ? 1 : 0);
        options.Set_TimeOut(1);
        service()->clearFaults();
        FaultRule rule;
        rule.operation = u"SaveContentResult"_s;
        rule.text = QString::fromUtf16(core::failure::kDiskFull);
        rule.number = core::failure::kDiskFullNumber;
        service()->addFault(rule);

        QStringList probed;
        run::Run runner(services, observer, [&](const QString& path, QString& text) {
            probed.append(path);
            text = sentence;
            return c.freeBytes;
        });
        const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
        QDir().mkpath(out());
        const auto outcome = runner.execute(wholeYear(signedIn, out()), signedIn.organisations);

        EXPECT_EQ(outcome.stopped, c.stops);
        EXPECT_FALSE(probed.isEmpty());
        EXPECT_GT(outcome.ignored, 0);
        EXPECT_EQ(outcome.unloaded, 0);
        EXPECT_EQ(outcome.downloadFailures, 0) << "a full disk is not tried again";
        EXPECT_TRUE(filesNamed(out(), u"content.zip"_s).isEmpty());
        if (c.stops) {
            EXPECT_EQ(outcome.stopReason, u"Исчерпано свободное место на диске."_s);
            EXPECT_EQ(outcome.endText.section(u"\r\n"_s, 0, 0), u"Выгрузка документов прервана."_s);
            EXPECT_EQ(run::StartSequence::exitCode(outcome), run::StartSequence::kExitStopped);
            ASSERT_FALSE(ui.boxes.empty());
            EXPECT_EQ(ui.boxes.front().prompt,
                      QStringList({u"Исчерпано свободное место на диске."_s,
                                   u"Процесс выгрузки документов будет остановлен."_s, sentence, u"Рекомендуется:"_s,
                                   u"Освободить место на диске или выгружать на другой диск."_s})
                          .join(u"\r\n"_s));
        } else {
            // The documents given up are counted in the end text and the exit code.
            EXPECT_EQ(outcome.endText.section(u"\r\n"_s, 0, 0), u"Выгрузка документов завершена с ошибками."_s);
            EXPECT_GT(outcome.downloadsFailed, 0);
            EXPECT_EQ(outcome.left, 0);
            EXPECT_EQ(run::StartSequence::exitCode(outcome), run::StartSequence::kExitIncomplete);
        }
        EXPECT_EQ(outcome.protocols.size(), 3) << "the protocols still go where there is room";
    }
}

TEST(ProtocolsEndTest, TheEndMessageAndTheExitCodeTellOfProtocolsThatCouldNotBeWritten)
{
    run::Protocols::Written written;
    written.folder = u"/out/"_s;
    written.files = {u"/out/П.htm"_s};
    written.failed = {u"/out/П.xlsx"_s, u"/out/П.csv"_s};
    EXPECT_EQ(run::Protocols::endMessage(u"Выгрузка документов завершена."_s, written),
              u"Выгрузка документов завершена.\r\nВ папке выгрузки (/out/) создан файл протокола:\r\nП.htm\r\n"
              u"Не удалось записать файлы протоколов:\r\nП.xlsx\r\nП.csv"_s);
    written.files.clear();
    written.failed = {u"/out/П.htm"_s};
    EXPECT_EQ(run::Protocols::endMessage(u"Выгрузка документов прервана."_s, written),
              u"Выгрузка документов прервана.\r\nНе удалось записать файл протокола:\r\nП.htm"_s);

    run::RunOutcome outcome;
    EXPECT_EQ(run::StartSequence::exitCode(outcome), run::StartSequence::kExitDone);
    outcome.failedProtocols = {u"/out/П.csv"_s};
    EXPECT_EQ(run::StartSequence::exitCode(outcome), run::StartSequence::kExitProtocolsFailed);
    EXPECT_TRUE(run::PrintingObserver::summaryLines(outcome).contains(u"Протокол не записан: /out/П.csv"_s));
    outcome.stopped = true;
    EXPECT_EQ(run::StartSequence::exitCode(outcome), run::StartSequence::kExitStopped);
}

} // namespace
