#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/family/FilesLib.h"

using namespace Qt::StringLiterals;
using platform::family::FilesLib;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

TEST(FilesLib, FindFilesMatchesMasksWithoutRegardToCase)
{
    QTemporaryDir dir;
    const QString names[] = {u"Доверенность МЧД.xml"_s, u"Доверенность мчд.XML"_s, u"Доверенность МЧД.xml.sgn"_s,
                             u"ON_EMCHD_1.xml"_s,       u"on_emchd_2.XML"_s,       u"МЧД.xml"_s};
    for (const QString& name : names)
        touch(dir.filePath(name));
    QDir(dir.path()).mkdir(u"Папка МЧД.xml"_s);

    const FilesLib files;
    EXPECT_EQ(files.FindFiles(dir.path(), u"* МЧД.xml"_s, 0, true),
              (QStringList{dir.filePath(u"Доверенность МЧД.xml"_s), dir.filePath(u"Доверенность мчд.XML"_s)}));
    EXPECT_EQ(files.FindFiles(dir.path(), u"ON_EMCHD_*.xml"_s, 0, true).size(), 2);
    EXPECT_EQ(files.FindFiles(dir.path(), u"?ЧД.xml"_s, 0, true), QStringList{dir.filePath(u"МЧД.xml"_s)});
    EXPECT_TRUE(files.FindFiles(dir.filePath(u"missing"_s), u"*"_s, 0, true).isEmpty());
}

TEST(FilesLib, MasksKnowOnlyTheStarAndTheQuestionMark)
{
    struct Case
    {
        QString name;
        QString mask;
        bool matches;
    };
    const Case cases[] = {
        {u"[1] МЧД.xml"_s, u"[1] МЧД.xml"_s, true},
        {u"1 МЧД.xml"_s, u"[1] МЧД.xml"_s, false},
        {u"a+b(1).xml"_s, u"a+b(?).xml"_s, true},
        {u"a\\b.xml"_s, u"a\\*.xml"_s, true},
        {u"{x}.xml"_s, u"{x}.*"_s, true},
        {u"ab"_s, u"a"_s, false},
        {u"Ab.XML"_s, u"a*.xml"_s, true},
        {u"a"_s, u"*"_s, true},
        {u""_s, u"*"_s, true},
        {u"ab"_s, u"a?b"_s, false},
        {u"\U0001F4C4 акт.xml"_s, u"\U0001F4C4*.xml"_s, true},
        {u"\U0001F4C4.xml"_s, u"?.xml"_s, true},
        {u"\U0001F4C4.xml"_s, u"??.xml"_s, false},
        {u"\U0001F4C4.xml"_s, u"*?.xml"_s, true},
        {u"Акт МЧД.xml.xml"_s, u"* мчд.xml"_s, false},
        {u"a МЧД b МЧД.xml"_s, u"* мчд.XML"_s, true},
        {u"ON_EMCHD_1.xml.sig"_s, u"ON_EMCHD_*.xml"_s, false},
        {u"aXbXc"_s, u"a*X*c"_s, true},
        {u"abc"_s, u"a**?c"_s, true},
        {u"ac"_s, u"a*?*c"_s, false},
        {u""_s, u""_s, true},
        {u"a"_s, u""_s, false},
        {u""_s, u"?"_s, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.name + u" ~ "_s + c.mask).toStdString());
        EXPECT_EQ(platform::family::matchesMask(c.name, c.mask), c.matches);
    }
}

TEST(FilesLib, RemoveFileAndExistingPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.txt"_s);
    const FilesLib files;
    EXPECT_EQ(files.ExistingFilePath(path), QString());
    touch(path);
    EXPECT_EQ(files.ExistingFilePath(path), path);
    files.RemoveFile(path, true);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_NO_THROW(files.RemoveFile(path, true)) << "a file that is not there is no failure";
    EXPECT_EQ(files.ExistingFilePath(dir.path()), QString()) << "a folder is no file";
}

TEST(FilesLib, RenameFolderMovesItAsideWithoutLosingIt)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"Документ"_s);
    QDir().mkpath(folder);
    touch(folder + u"/part.pdf"_s);
    QDir().mkpath(folder + u"~1"_s);

    const FilesLib files;
    const QString moved = files.RenameFolder(folder, 0, 0);
    EXPECT_EQ(moved, folder + u"~2"_s);
    EXPECT_FALSE(QFile::exists(folder));
    EXPECT_TRUE(QFile::exists(moved + u"/part.pdf"_s));
}

TEST(FilesLib, DriveRootOfAPathThatDoesNotExistYet)
{
    QTemporaryDir dir;
    const FilesLib files;
    EXPECT_FALSE(files.DriveRoot(dir.filePath(u"not/yet/there"_s)).isEmpty());
    EXPECT_EQ(files.DriveRoot(QString()), QString());
}
