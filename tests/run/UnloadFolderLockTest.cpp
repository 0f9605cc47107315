#include <cstdio>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "run/UnloadFolderLock.h"

using namespace Qt::StringLiterals;

namespace {

QString refusalOf(const QString& folder)
{
    try {
        const run::UnloadFolderLock lock(folder);
        return {};
    } catch (const core::Error& e) {
        return e.description();
    }
}

TEST(UnloadFolderLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGoAndNothingStaysBehind)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"out"_s);
    const QString file = folder + u'/' + QString::fromUtf16(run::UnloadFolderLock::kFileName);
    {
        const run::UnloadFolderLock first(folder);
        EXPECT_TRUE(first.isHeld());
        EXPECT_TRUE(QFile::exists(file));
        EXPECT_EQ(refusalOf(folder), run::UnloadFolderLock::refusalText(folder));
        EXPECT_EQ(refusalOf(folder), u"В папку \""_s + folder
                                         + u"\" уже идёт выгрузка документов другим запуском программы.\r\n"
                                           u"Дождитесь её окончания или укажите другую папку для выгрузки."_s);
        EXPECT_EQ(refusalOf(dir.filePath(u"other"_s)), QString()) << "another folder is free";
    }
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(refusalOf(folder), QString());
}

// Another process holds the folder: this one is refused; once that process is killed, its lock is
// gone with it, even though its file stays.
TEST(UnloadFolderLockTest, AKilledHoldersLockIsNoLongerHeld)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"out"_s);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        try {
            const run::UnloadFolderLock lock(folder);
            [[maybe_unused]] const ssize_t n = ::write(ready[1], lock.isHeld() ? "y" : "n", 1);
            for (;;)
                ::pause();
        } catch (...) {
            ::_exit(3);
        }
    }
    ::close(ready[1]);
    char answer = 0;
    const bool told = ::read(ready[0], &answer, 1) == 1;
    ::close(ready[0]);
    const QString refusal = refusalOf(folder);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(told && answer == 'y') << "the child could not take the lock";
    EXPECT_EQ(refusal, run::UnloadFolderLock::refusalText(folder));

    EXPECT_TRUE(QFile::exists(folder + u'/' + QString::fromUtf16(run::UnloadFolderLock::kFileName)));
    const run::UnloadFolderLock after(folder);
    EXPECT_TRUE(after.isHeld());
}

TEST(UnloadFolderLockTest, AFolderThatTakesNoFileIsNotLockedNorRefused)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(u"file"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const run::UnloadFolderLock lock(dir.filePath(u"file/out"_s));
    EXPECT_FALSE(lock.isHeld());
}

} // namespace
