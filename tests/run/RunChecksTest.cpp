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
        QDate from;
        QDate to;
        QString oldEnd;
    } cases[] = {
        {0, 0, u"10.01.2025"_s, QDate(2024, 1, 1), QDate(2024, 12, 31), {}},
        {1, 0, {}, QDate(2024, 1, 1), QDate(2024, 12, 31), {}}, // nothing kept: the stored start stays
        {1, 0, u"10.01.2025"_s, QDate(2025, 1, 10), QDate(2024, 12, 31), {}},
        {0, 1, u"10.01.2025"_s, QDate(2024, 1, 1), QDate(2025, 1, 14), u"(ранее по 31.12.2024)"_s},
        {1, 1, u"10.01.2025"_s, QDate(2025, 1, 10), QDate(2025, 1, 14), u"(ранее по 31.12.2024)"_s},
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
        EXPECT_TRUE(period.replaced.isEmpty());
    }
    // After the options change, the last two rules apply again to the dates shown.
    options.Set_DateBeginMove(1);
    options.Set_DateEndYesterday(0);
    options.Set_LastDateEnd(u"05.01.2025"_s);
    const auto moved =
        run::DateRules::moved(options, {QDate(2024, 2, 2), QDate(2024, 3, 3), u"(ранее по x)"_s, {}}, today);
    EXPECT_EQ(moved.from, QDate(2025, 1, 5));
    EXPECT_EQ(moved.to, QDate(2024, 3, 3));
    EXPECT_TRUE(moved.oldEnd.isEmpty());
}

// A stored date that names no real day counts as not stored: the period takes the setting's
// default (today; nothing for the last end date) and says which value it replaced. Nothing becomes
// a date of its own making.
TEST_F(DateRulesTest, AStoredDateThatIsNoDateIsTakenAsNotStoredAndTold)
{
    struct Case
    {
        const char* name;
        QString fromDate;
        QString toDate;
        QString lastDateEnd;
        QDate from;
        QDate to;
        QStringList replaced;
    } cases[] = {
        {"real dates", u"01.01.2024"_s, u"31.12.2024"_s, u"01.06.2024"_s, QDate(2024, 6, 1), QDate(2024, 12, 31), {}},
        {"no such day",
         u"31.02.2024"_s,
         u"31.12.2024"_s,
         {},
         today,
         QDate(2024, 12, 31),
         {u"Сохранённое значение FromDate \"31.02.2024\" не является датой и заменено значением по умолчанию "
          u"15.01.2025."_s}},
        {"no such month",
         u"01.01.2024"_s,
         u"99.99.9999"_s,
         {},
         QDate(2024, 1, 1),
         today,
         {u"Сохранённое значение ToDate \"99.99.9999\" не является датой и заменено значением по умолчанию "
          u"15.01.2025."_s}},
        {"both and the last end",
         u"x"_s,
         u"32.01.2024"_s,
         u"29.02.2023"_s,
         today,
         today,
         {u"Сохранённое значение FromDate \"x\" не является датой и заменено значением по умолчанию 15.01.2025."_s,
          u"Сохранённое значение ToDate \"32.01.2024\" не является датой и заменено значением по умолчанию "
          u"15.01.2025."_s,
          u"Сохранённое значение LastDateEnd \"29.02.2023\" не является датой и не используется."_s}},
        {"a leap day", u"29.02.2024"_s, u"31.12.2024"_s, {}, QDate(2024, 2, 29), QDate(2024, 12, 31), {}},
    };
    options.Set_DateBeginMove(1);
    options.Set_DateEndYesterday(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.Set_FromDate(c.fromDate);
        options.Set_ToDate(c.toDate);
        options.Set_LastDateEnd(c.lastDateEnd);
        const auto period = run::DateRules::atStart(options, today);
        EXPECT_EQ(period.from, c.from);
        EXPECT_EQ(period.to, c.to);
        EXPECT_EQ(period.replaced, c.replaced);
        EXPECT_NE(period.from, QDate(2000, 1, 1));
    }
}

TEST_F(DateRulesTest, TheEndDateIsKeptOnlyAfterARunThatWentToItsEndWithEveryList)
{
    struct Case
    {
        const char* name;
        bool stopped;
        bool protocolsStopped;
        QString stopReason;
        int listsFailed;
        int downloadsFailed;
        bool keeps;
    } cases[] = {
        {"complete", false, false, {}, 0, 0, true},
        {"documents given up", false, false, {}, 0, 2, true},
        {"a list given up", false, false, {}, 1, 0, false},
        {"stopped by the person", true, false, {}, 0, 0, false},
        {"its protocols stopped by the person", false, true, {}, 0, 0, false},
        {"stopped by a failure", true, false, u"Ошибка записи в файл"_s, 0, 0, false},
        {"stopped by a failed allocation", true, false, u"bad allocation"_s, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run::RunOutcome outcome;
        outcome.stopped = c.stopped;
        outcome.protocolsStopped = c.protocolsStopped;
        outcome.stopReason = c.stopReason;
        outcome.listsFailed = c.listsFailed;
        outcome.downloadsFailed = c.downloadsFailed;
        EXPECT_EQ(run::DateRules::keepsEndDate(outcome), c.keeps);
    }

    options.Set_LastDateEnd(u"01.06.2024"_s);
    options.Set_DateBeginMove(0);
    EXPECT_FALSE(run::DateRules::afterRun(options, QDate(2024, 12, 31), false).isValid());
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"01.06.2024"_s) << "not kept: the old end date stays";
    EXPECT_FALSE(run::DateRules::afterRun(options, QDate(2024, 12, 31), true).isValid()) << "the start does not move";
    EXPECT_EQ(options.GetDefault_LastDateEnd(), u"31.12.2024"_s);
    options.Set_DateBeginMove(1);
    EXPECT_EQ(run::DateRules::afterRun(options, QDate(2025, 1, 14), true), QDate(2025, 1, 14));
    EXPECT_EQ(run::DateRules::afterRun(options, QDate(2025, 1, 20), false), QDate(2025, 1, 14));
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
