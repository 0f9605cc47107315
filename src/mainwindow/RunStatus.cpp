#include "RunStatus.h"

#include "run/Run.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

RunStatus::TabCaption tab(const QString& key, const QString& prefix, int count)
{
    return {key, prefix + RunStatus::countText(count) + u')'};
}

} // namespace

QList<RunStatus::TabCaption> RunStatus::taskTabs(const run::TaskCounts& counts)
{
    return {tab(u"MainQueue"_s, u"На запуск ("_s, counts.waiting),
            tab(u"SecondaryQueue"_s, u"На повторный запуск ("_s, counts.retrying),
            tab(u"ExecutingList"_s, u"Выполняются ("_s, counts.executing),
            tab(u"ExecutedList"_s, u"Выполнены ("_s, counts.executed)};
}

QList<RunStatus::TabCaption> RunStatus::docTabs(const run::DocCounts& counts)
{
    return {tab(u"MainQueue"_s, u"На выгрузку ("_s, counts.waiting),
            tab(u"SecondaryQueue"_s, u"На повтор попытки выгрузки ("_s, counts.retrying),
            tab(u"UnloadingList"_s, u"Выгружаются ("_s, counts.unloading),
            tab(u"UnloadedList"_s, u"Выгружены ("_s, counts.unloaded),
            tab(u"IgnoredList"_s, u"Не выгружены ("_s, counts.ignored)};
}

QString RunStatus::countText(int count)
{
    // QString::number never groups digits nor follows the locale.
    return QString::number(count);
}

QString RunStatus::timeSpan(const QTime& start, const QTime& last)
{
    return run::Run::timeText(start) + u" - "_s + run::Run::timeText(last);
}

QString RunStatus::folderRemovals(int count)
{
    return u" Счётчик удалений неудачно созданных папок: "_s + countText(count) + u' ';
}

} // namespace mainwindow
