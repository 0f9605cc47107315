#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/MsgBox.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "run/DateRules.h"
#include "run/Run.h"
#include "run/RunRequest.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace {

// ---- Date rules -------------------------------------------------------------------------------

class DateRulesTest : public ::testing::Test
{
protected:
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    const QDate today{2025, 1, 15};
};

TEST_F(DateRulesTest, TheStartRulesMoveTheStartToTheLastEndAndTheEndToYesterday)
{
    struct Case
    {
        int beginMove;
        int endYesterday;
        QString lastDateEnd;
        QString from;
        QString to;
        QString oldEnd;
    } cases[] = {
        {0, 0, u"10.01.2025"_s, u"01.01.2024"_s, u"31.12.2024"_s, {}},
        {1, 0, {}, u"01.01.2024"_s, u"31.12.2024"_s, {}}, // nothing kept: the stored start stays
        {1, 0, u"10.01.2025"_s, u"10.01.2025"_s, u"31.12.2024"_s, {}},
        {0, 1, u"10.01.2025"_s, u"01.01.2024"_s, u"14.01.2025"_s, u"(ранее по 31.12.2024)"_s},
        {1, 1, u"10.01.2025"_s, u"10.01.2025"_s, u"14.01.2025"_s, u"(ранее по 31.12.2024)"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.beginMove * 10 + c.endYesterday);
        options.Set_FromDate(u"01.01.2024"_s);
        options.Set_ToDate(u"31.12.2024"_s);
        options.Set_DateBeginMove(c.beginMove);
        options.Set_DateEndYesterday(c.endYesterday);
        options.Set_LastDateEnd(c.lastDateEnd);
        const auto period = run::DateRules::atStart(options, today);
        EXPECT_EQ(period.from, c.from);
        EXPECT_EQ(period.to, c.to);
        EXPECT_EQ(period.oldEnd, c.oldEnd);
    }
    // After the options change, the last two rules apply again to the dates shown.
    options.Set_DateBeginMove(1);
    options.Set_DateEndYesterday(0);
    options.Set_LastDateEnd(u"05.01.2025"_s);
    const auto moved = run::DateRules::moved(options, {u"02.02.2024"_s, u"03.03.2024"_s, u"(ранее по x)"_s}, today);
    EXPECT_EQ(moved.from, u"05.01.2025"_s);
    EXPECT_EQ(moved.to, u"03.03.2024"_s);
    EXPECT_TRUE(moved.oldEnd.isEmpty());
}

TEST_F(DateRulesTest, TheEndDateIsKeptOnlyAfterARunThatWentToItsEndWithEveryList)
{
    struct Case
    {
        const char* name;
        bool stopped;
        QString stopReason;
        int listsFailed;
        int downloadsFailed;
        bool keeps;
    } cases[] = {
        {"complete", false, {}, 0, 0, true},
        {"documents given up", false, {}, 0, 2, true},
        {"a list given up", false, {}, 1, 0, false},
        {"stopped by the person", true, {}, 0, 0, false},
        {"stopped by a failure", true, u"Ошибка записи в файл"_s, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run::RunOutcome outcome;
        outcome.stopped = c.stopped;
        outcome.stopReason = c.stopReason;
        outcome.listsFailed = c.listsFailed;
        outcome.downloadsFailed = c.downloadsFailed;
        EXPECT_EQ(run::DateRules::keepsEndDate(outcome), c.keeps);
    }

    options.Set_LastDateEnd(u"01.06.2024"_s);
    options.Set_DateBeginMove(0);
    EXPECT_TRUE(run::DateRules::afterRun(options, u"31.12.2024"_s, false).isEmpty());
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"01.06.2024"_s) << "not kept: the old end date stays";
    EXPECT_TRUE(run::DateRules::afterRun(options, u"31.12.2024"_s, true).isEmpty()) << "the start does not move";
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"31.12.2024"_s);
    options.Set_DateBeginMove(1);
    EXPECT_EQ(run::DateRules::afterRun(options, u"14.01.2025"_s, true), u"14.01.2025"_s);
    EXPECT_EQ(run::DateRules::afterRun(options, u"20.01.2025"_s, false), u"14.01.2025"_s);
}

// ---- Unload folder checks ---------------------------------------------------------------------

class UnloadFolderTest : public ::testing::Test
{
protected:
    UnloadFolderTest() { QDir().mkpath(home()); }

    QString home() const { return dir.filePath(u"users/me"_s); }

    QTemporaryDir dir;
    platform::shell::LinuxSpecialFolders folders{home(), home() + u"/.config"_s};
    core::mAPI api{folders};
    testsupport::ScriptedUiServices ui;
};

TEST_F(UnloadFolderTest, EachCheckRefusesWithItsMessage)
{
    QFile plain(dir.filePath(u"plain"_s));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString banned = u"В системные папки выгрузка запрещена.\r\nУкажите другую папку для выгрузки."_s;
    struct Case
    {
        QString text;
        QString refusal;
        int style;
    } cases[] = {
        {{}, u"Выберите папку для сохранения файлов Диадок."_s, vbOKOnly | vbInformation},
        {u"/var/lib/n7-out"_s, banned, vbOKOnly | vbExclamation},
        {u"/usr/share/n7-out/"_s, banned, vbOKOnly | vbExclamation},
        {dir.filePath(u"users/other/out"_s), banned, vbOKOnly | vbExclamation},
        {dir.filePath(u"plain/out"_s),
         u"Не удалось создать папку \""_s + dir.filePath(u"plain/out/"_s) + u"\" для сохранения файлов Диадок."_s,
         vbOKOnly | vbExclamation},
        {u"С:\\Данные"_s,
         u"Не удалось создать папку \"С:/Данные/\" для сохранения файлов Диадок.\r\n\r\nИмя диска C: задано "_s
         u"кириллической (русской) буквой."_s,
         vbOKOnly | vbExclamation},
        {u"data/out"_s, u"Не удалось создать папку \"data/out/\" для сохранения файлов Диадок."_s,
         vbOKOnly | vbExclamation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const auto check = run::UnloadFolder::check(c.text, api, ui);
        EXPECT_FALSE(check.ok());
        EXPECT_EQ(check.refusal, c.refusal);
        EXPECT_EQ(check.style, c.style);
        EXPECT_FALSE(check.asked);
    }
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(QDir(u"С:"_s).exists()) << "nothing is made below the working folder";
    EXPECT_FALSE(QDir(u"data"_s).exists());
}

TEST_F(UnloadFolderTest, AFolderThatStandsAndTakesFilesPassesNormalised)
{
    const auto check = run::UnloadFolder::check(dir.filePath(u"out\\today//"_s), api, ui);
    EXPECT_TRUE(check.ok()) << check.refusal.toStdString();
    EXPECT_EQ(check.folder, dir.filePath(u"out/today/"_s));
    EXPECT_TRUE(QDir(check.folder).exists());
    EXPECT_TRUE(QDir(check.folder).isEmpty()) << "the probe file is gone";
}

TEST_F(UnloadFolderTest, AFolderInTheHomeIsAskedForAndAnUnattendedRunDeclines)
{
    const QString path = home() + u"/Документы/out/"_s;
    const QString question = u"Выгрузка в указанную папку \""_s + path
                             + u"\" крайне не рекомендуется.\r\nЖелательно выбрать папки вне специальных папок "_s
                               u"Windows.\r\nЕсли всё же хотите выгрузить в указанную папку, нажмите \"ОК\"."_s;
    ui.expectBox(vbOK);
    const auto accepted = run::UnloadFolder::check(path, api, ui);
    EXPECT_TRUE(accepted.ok());
    EXPECT_TRUE(QDir(path).exists());
    ui.expectBox(vbCancel);
    const auto declined = run::UnloadFolder::check(path, api, ui);
    ui.unattended = true;
    const auto unattended = run::UnloadFolder::check(path, api, ui);
    for (const auto* check : {&declined, &unattended}) {
        EXPECT_FALSE(check->ok());
        EXPECT_TRUE(check->asked);
        EXPECT_EQ(check->refusal, question);
    }
    ASSERT_EQ(ui.boxes.size(), 3U);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.prompt, question);
        EXPECT_EQ(box.style, vbOKCancel | vbQuestion | vbDefaultButton2);
    }
}

TEST_F(UnloadFolderTest, AReadOnlyFolderIsRefused)
{
    const QString path = dir.filePath(u"readonly"_s);
    const testsupport::ReadOnlyFolder readOnly(path);
    if (!readOnly.ready())
        GTEST_SKIP() << "no folder refuses files to this user here";
    const auto check = run::UnloadFolder::check(path, api, ui);
    EXPECT_FALSE(check.ok());
    EXPECT_EQ(check.refusal, u"Не удалось создать папку \""_s + path + u"/\" для сохранения файлов Диадок."_s);
}

} // namespace
