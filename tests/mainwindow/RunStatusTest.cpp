#include <gtest/gtest.h>

#include "mainwindow/RunStatus.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

QStringList captions(const QList<RunStatus::TabCaption>& tabs)
{
    QStringList result;
    for (const auto& tab : tabs)
        result.append(tab.key + u'=' + tab.caption);
    return result;
}

} // namespace

TEST(RunStatusTest, NewQueuesShowEveryTabAtZero)
{
    EXPECT_EQ(captions(RunStatus::taskTabs({})),
              (QStringList{u"MainQueue=На запуск (0)"_s, u"SecondaryQueue=На повторный запуск (0)"_s,
                           u"ExecutingList=Выполняются (0)"_s, u"ExecutedList=Выполнены (0)"_s}));
    EXPECT_EQ(captions(RunStatus::docTabs({})),
              (QStringList{u"MainQueue=На выгрузку (0)"_s, u"SecondaryQueue=На повтор попытки выгрузки (0)"_s,
                           u"UnloadingList=Выгружаются (0)"_s, u"UnloadedList=Выгружены (0)"_s,
                           u"IgnoredList=Не выгружены (0)"_s}));
}

TEST(RunStatusTest, EachTabShowsTheSizeOfItsOwnList)
{
    run::TaskCounts tasks;
    tasks.waiting = 12;
    tasks.retrying = 2;
    tasks.executing = 3;
    tasks.executed = 40;
    tasks.empty = 7;
    tasks.documents = 12345;
    EXPECT_EQ(captions(RunStatus::taskTabs(tasks)),
              (QStringList{u"MainQueue=На запуск (12)"_s, u"SecondaryQueue=На повторный запуск (2)"_s,
                           u"ExecutingList=Выполняются (3)"_s, u"ExecutedList=Выполнены (40)"_s}));
    run::DocCounts docs;
    docs.waiting = 1;
    docs.retrying = 2;
    docs.unloading = 3;
    docs.unloaded = 10000;
    docs.ignored = 5;
    EXPECT_EQ(captions(RunStatus::docTabs(docs)),
              (QStringList{u"MainQueue=На выгрузку (1)"_s, u"SecondaryQueue=На повтор попытки выгрузки (2)"_s,
                           u"UnloadingList=Выгружаются (3)"_s, u"UnloadedList=Выгружены (10000)"_s,
                           u"IgnoredList=Не выгружены (5)"_s}));
}

TEST(RunStatusTest, CountsAreBareDigitsWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(RunStatus::countText(1234567), u"1234567"_s);
    EXPECT_EQ(RunStatus::countText(-3), u"-3"_s);
    QLocale::setDefault(before);
}

TEST(RunStatusTest, StatusPanelsReadAsUnderRussianSettings)
{
    EXPECT_EQ(RunStatus::timeSpan(QTime(9, 5, 7), QTime(9, 41, 30)), u"9:05:07 - 9:41:30"_s);
    EXPECT_EQ(RunStatus::timeSpan(QTime(23, 59, 59), QTime(0, 0, 1)), u"23:59:59 - 0:00:01"_s);
    EXPECT_EQ(RunStatus::folderRemovals(3), u" Счётчик удалений неудачно созданных папок: 3 "_s);
}

} // namespace mainwindow::test
