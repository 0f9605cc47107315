#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/ScratchSpace.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using namespace platform::excel;

namespace {

// The id of a process that has ended: a child that exits at once, waited for.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

QStringList scratchEntries(const QString& folder)
{
    return QDir(folder).entryList({u"fetchling-*"_s}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void fillRows(Worksheet& sheet, int from, int to)
{
    for (int row = from; row <= to; ++row)
        sheet.Cells(row, 1).setValue(u"строка "_s + QString::number(row));
}

class ScratchSpaceTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    Application m_app{ApplicationOptions{u"16.0"_s, 1, m_dir.path(), {}}};
};

TEST_F(ScratchSpaceTest, NamesCarryTheOwnersProcessId)
{
    const ScratchSpace scratch(m_dir.path());
    const QString name = QFileInfo(scratch.nameTemplate(u"xlsx")).fileName();
    EXPECT_EQ(name, u"fetchling-xlsx-"_s + QString::number(::getpid()) + u"-XXXXXX"_s);
    EXPECT_EQ(ScratchSpace::ownerOf(u"fetchling-rows-4242-Ab12Cd"_s), 4242);
    for (const QString& other : {u"fetchling-xlsx-Ab12Cd"_s, u"fetchling-rows-x1-Ab12Cd"_s, u"fetchling-rows-0-Ab"_s,
                                 u"other-rows-42-Ab12Cd"_s, u"fetchling-rows-42-"_s})
        EXPECT_EQ(ScratchSpace::ownerOf(other), 0) << other.toStdString();
}

// What a process killed while it built a workbook left behind is removed by the next one that
// spills; what a running process holds, and what is no scratch of ours, stays.
TEST_F(ScratchSpaceTest, TheNextSaveRemovesWhatEndedProcessesLeft)
{
    const QString dead = QString::number(endedProcess());
    const QString folder = m_dir.path();
    ASSERT_TRUE(QDir(folder).mkpath(u"fetchling-xlsx-"_s + dead + u"-Ab12Cd/inner"_s));
    QFile(folder + u"/fetchling-xlsx-"_s + dead + u"-Ab12Cd/workbook.xlsx"_s).open(QIODevice::WriteOnly);
    QFile(folder + u"/fetchling-rows-"_s + dead + u"-Zz98Yy"_s).open(QIODevice::WriteOnly);
    // Process 1 runs as long as the system does.
    ASSERT_TRUE(QDir(folder).mkpath(u"fetchling-xlsx-1-Live01"_s));
    ASSERT_TRUE(QDir(folder).mkpath(u"fetchling-xlsx-Older1"_s));
    QFile(folder + u"/notes.txt"_s).open(QIODevice::WriteOnly);

    Workbook& book = m_app.Workbooks().Add();
    book.ActiveSheet().Cells(1, 1).setValue(u"Итоги"_s);
    book.SaveAs(folder + u"/book.xlsx"_s);

    EXPECT_EQ(scratchEntries(folder), (QStringList{u"fetchling-xlsx-1-Live01"_s, u"fetchling-xlsx-Older1"_s}));
    EXPECT_TRUE(QFile::exists(folder + u"/notes.txt"_s));
    EXPECT_TRUE(QFile::exists(folder + u"/book.xlsx"_s));
}

// A process killed while it saves a workbook: its rendering folder is removed by the next process
// that saves one.
TEST_F(ScratchSpaceTest, AKillWhileAWorkbookIsSavedLeavesNothingForLong)
{
    const QString folder = m_dir.path();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            Application app(ApplicationOptions{u"16.0"_s, 1, folder, {}});
            Workbook& book = app.Workbooks().Add();
            fillRows(book.ActiveSheet(), 1, 200000);
            book.SaveAs(folder + u"/big.xlsx"_s);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    const QString childPrefix = u"fetchling-xlsx-"_s + QString::number(child) + u'-';
    const auto childsFolder = [&] {
        const QStringList entries = scratchEntries(folder);
        return std::any_of(entries.cbegin(), entries.cend(),
                           [&](const QString& name) { return name.startsWith(childPrefix); });
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    bool building = false;
    int status = 0;
    bool ended = false;
    while (!building && !ended && std::chrono::steady_clock::now() < deadline) {
        building = childsFolder();
        ended = !building && ::waitpid(child, &status, WNOHANG) == child;
        if (!building && !ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(building) << "the child's save was not seen under way";
    ASSERT_TRUE(childsFolder()) << "the killed process could not remove its own";
    EXPECT_FALSE(QFile::exists(folder + u"/big.xlsx"_s));

    Workbook& book = m_app.Workbooks().Add();
    book.ActiveSheet().Cells(1, 1).setValue(u"Итоги"_s);
    book.SaveAs(folder + u"/next.xlsx"_s);
    EXPECT_FALSE(childsFolder()) << scratchEntries(folder).join(u", "_s).toStdString();
}

} // namespace
