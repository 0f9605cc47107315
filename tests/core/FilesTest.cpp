#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "core/MsgBox.h"
#include "core/WholeFileReplacer.h"
#include "core/mIO.h"
#include "core/mN7Files.h"
#include "core/mOther.h"
#include "support/ChildProcess.h"
#include "support/LimitedChild.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using namespace core;

namespace {

// A device that accepts a given number of bytes and then fails as a full disk does.
class FullDevice final : public QIODevice
{
public:
    explicit FullDevice(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 taken = std::min(size, m_room - written.size());
        if (taken <= 0) {
            setErrorString(qt_error_string(ENOSPC));
            return -1;
        }
        written.append(data, taken);
        return taken;
    }

private:
    qint64 m_room;
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class FilesTest : public testing::Test
{
protected:
    QTemporaryDir root;
    testsupport::ScriptedUiServices ui;

    QString at(const QString& relative) const { return root.filePath(relative); }
    void writeFile(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

} // namespace

TEST(TokensTest, GetNextAndGetLastCutAtTheDelimiter)
{
    testsupport::ScriptedUiServices ui;
    QString text = u"a/b/c"_s;
    EXPECT_EQ(mOther::GetNext(ui, text, u"/"_s), u"a"_s);
    EXPECT_EQ(text, u"b/c"_s);
    text = u"a/b/c"_s;
    EXPECT_EQ(mOther::GetLast(ui, text, u"/"_s), u"c"_s);
    EXPECT_EQ(text, u"a/b"_s);
    for (auto cut : {&mOther::GetNext, &mOther::GetLast}) {
        text = u"x"_s;
        EXPECT_EQ(cut(ui, text, u"/"_s), u"x"_s);
        EXPECT_EQ(text, QString());
        EXPECT_EQ(cut(ui, text, u"/"_s), QString());
        text = u"a?\\?b"_s;
        EXPECT_EQ(cut(ui, text, u"?\\?"_s).size(), 1) << "a delimiter of several characters";
        text = u"ab"_s;
        EXPECT_EQ(cut(ui, text, QString()), u"ab"_s) << "an empty delimiter never loops a caller";
        EXPECT_EQ(text, QString());
    }
    EXPECT_TRUE(ui.boxes.empty());
}

// A cut that runs out of memory shows the critical box titled after the function, with the line
// of the step that failed and the message, and returns what it holds: the part it could not make is
// empty and the text stays whole. Run in a child process whose address space is capped just above
// what it uses, so that the large part cannot be allocated.
TEST(TokensTest, ACutThatRunsOutOfMemoryShowsItsBoxAndReturnsWhatItHolds)
{
    if (!testsupport::addressSpaceLimitsWork())
        GTEST_SKIP() << "the address sanitizer reserves the address space that the limit caps";
    struct Case
    {
        const char* function;
        QString (*cut)(UiServices&, QString&, const QString&);
        bool bigPartFirst;
    };
    const Case cases[] = {{"GetNext", &mOther::GetNext, true}, {"GetLast", &mOther::GetLast, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        const std::optional<int> value = testsupport::inChildProcess([&c] {
            // 32 MB of text on the side of the part to cut, far beyond the room left.
            const QString big(16 * 1024 * 1024, u'я');
            const QString whole = c.bigPartFirst ? big + u"/tail"_s : u"head/"_s + big;
            QString text = whole;
            testsupport::ScriptedUiServices ui;
            ui.expectBox(msgbox::vbOK);
            if (!testsupport::limitAddressSpace(4 * 1024 * 1024))
                return 6;
            const QString part = c.cut(ui, text, u"/"_s);
            if (ui.boxes.size() != 1)
                return 1;
            const auto& box = ui.boxes.front();
            if (box.title != u"Ошибка в функции "_s + QString::fromLatin1(c.function))
                return 2;
            if (box.prompt != u"3 bad allocation"_s || box.style != msgbox::vbCritical)
                return 3;
            if (!part.isEmpty())
                return 4;
            return text == whole ? 0 : 5;
        });
        if (!value)
            GTEST_SKIP() << "no child process";
        EXPECT_EQ(*value, 0) << "1 no box, 2 wrong title, 3 wrong text or style, 4 a part, 5 the text cut, "
                                "6 no limit";
    }
}

TEST(FileNamesTest, ConcatAndSplitFileNames)
{
    EXPECT_EQ(mN7Files::ConcatFileName(u"/Out/"_s, u"/f.txt"_s), u"/Out/f.txt"_s);
    EXPECT_EQ(mN7Files::ConcatFileName(QString(), u"f.txt"_s), u"f.txt"_s);
    EXPECT_EQ(mN7Files::ConcatFileName(u"/Out"_s, QString()), u"/Out/"_s);
    EXPECT_EQ(mN7Files::ConcatFileName(QString(), QString()), QString());

    struct SplitCase
    {
        QString path, folder, name, extension, fileName;
    };
    const SplitCase cases[] = {
        {u"/a.b/file"_s, u"/a.b/"_s, u"file"_s, QString(), u"file"_s},
        {u"doc.tar.gz"_s, QString(), u"doc.tar"_s, u"gz"_s, u"doc.tar.gz"_s},
        {u"/Out/Акт №1.pdf"_s, u"/Out/"_s, u"Акт №1"_s, u"pdf"_s, u"Акт №1.pdf"_s},
        {u"/Out/"_s, u"/Out/"_s, QString(), QString(), QString()},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString folder, name, extension, fileName;
        mN7Files::SplitFileName(c.path, folder, name, extension, fileName);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(extension, c.extension);
        EXPECT_EQ(fileName, c.fileName);
    }
}

TEST(PathHelpersTest, FixBadCharsComposesExactlyItsFourLetters)
{
    EXPECT_EQ(mIO::FixBadChars(u"и\u0306"_s), u"й"_s);
    EXPECT_EQ(mIO::FixBadChars(u"И\u0306 е\u0308 Е\u0308"_s), u"Й ё Ё"_s);
    EXPECT_EQ(mIO::FixBadChars(u"\u0306"_s), u"\u0306"_s) << "a lone breve stays";
    EXPECT_EQ(mIO::FixBadChars(u"у\u0306"_s), u"у\u0306"_s) << "ў is not among the four";
    EXPECT_EQ(mIO::FixBadChars(u"е\u0306"_s), u"е\u0306"_s);
}

TEST(PathHelpersTest, LinuxPathsStayAsTheyAre)
{
    for (const QString& path : {u"/srv/out/x"_s, u"a:\\b"_s, u"\\\\srv\\share\\x"_s, u"/"_s}) {
        SCOPED_TRACE(path.toStdString());
        QString prepared = path;
        mIO::PrepareForLFN(prepared);
        EXPECT_EQ(prepared, path);
        EXPECT_EQ(mIO::GetUncFromMappedDrive(path), path);
        EXPECT_EQ(mOther::GetShortPathEx(path, false), path);
        EXPECT_EQ(mOther::GetShortPathEx(path, true), path);
    }
    const QString longPath = u"/"_s + QString(300, u'д') + u"/"_s + QString(200, u'ж') + u".txt"_s;
    EXPECT_EQ(mOther::GetShortPathEx(longPath, false), longPath) << "no 260-character cut on Linux";
    EXPECT_EQ(mIO::PathToPathEx(u"  /srv/out/_!~.~_!  "_s), u"/srv/out/_!~.~_!"_s);
    EXPECT_EQ(mIO::PathToPathEx(u"\t/x"_s), u"\t/x"_s) << "spaces only";
    EXPECT_TRUE(mIO::IsPathNetPath(u"//srv/share"_s));
    EXPECT_FALSE(mIO::IsPathNetPath(u"/srv/share"_s));
    EXPECT_TRUE(mIO::IsUNCPathValid(u"\\\\srv\\share"_s));
    EXPECT_EQ(mIO::StripPathToRoot(u"/srv/out"_s), u"/"_s);
    EXPECT_EQ(mIO::StripPathToRoot(u"/"_s), u"?:"_s);
    EXPECT_EQ(mIO::StripPathToRoot(u"out"_s), u"?:"_s);
    EXPECT_EQ(mIO::TrimNull(u"abc"_s + QChar(u'\0') + u"def"_s), u"abc"_s);
    EXPECT_EQ(mIO::TrimNull(u"abc"_s), u"abc"_s);
}

TEST_F(FilesTest, CreateFolderTreeCreatesEveryMissingFolderButTheLastComponent)
{
    const QString answer = mOther::CreateFolderTree(at(u"Out/A/B/*"_s));
    EXPECT_EQ(answer, at(u"Out/A/B"_s));
    EXPECT_TRUE(QFileInfo(at(u"Out/A/B"_s)).isDir());
    EXPECT_FALSE(QFileInfo::exists(at(u"Out/A/B/*"_s)));
    EXPECT_TRUE(mIO::IsFolderExistsEx(ui, answer));

    // Folders that exist already are kept with what they hold.
    writeFile(at(u"Out/A/keep.txt"_s), "x");
    EXPECT_EQ(mOther::CreateFolderTree(at(u"Out/A/C/file.txt"_s)), at(u"Out/A/C"_s));
    EXPECT_EQ(contentOf(at(u"Out/A/keep.txt"_s)), QByteArray("x"));
    EXPECT_EQ(mOther::CreateFolderTree(at(u"Out//A/*"_s)), at(u"Out/A"_s)) << "a doubled separator";
    ASSERT_TRUE(QFile::link(at(u"Out/A"_s), at(u"linked"_s)));
    EXPECT_EQ(mOther::CreateFolderTree(at(u"linked/D/E/*"_s)), at(u"linked/D/E"_s)) << "a link to a folder leads on";
    EXPECT_TRUE(QFileInfo(at(u"Out/A/D/E"_s)).isDir());
}

TEST_F(FilesTest, MakeFolderTreeTellsWhetherItMadeTheDeepestFolder)
{
    struct Case
    {
        QString path;
        QString folder;
        bool made;
        const char* what;
    };
    writeFile(at(u"file"_s), "x");
    const QList<Case> cases = {
        {at(u"Out/A/B/*"_s), at(u"Out/A/B"_s), true, "every folder missing"},
        {at(u"Out/A/B/*"_s), at(u"Out/A/B"_s), false, "the same again"},
        {at(u"Out/A/C/*"_s), at(u"Out/A/C"_s), true, "only the deepest missing"},
        {at(u"Out/A/*"_s), at(u"Out/A"_s), false, "a folder made above another"},
        {at(u"file/*"_s), QString(), false, "a file in the folder's place"},
    };
    for (const Case& c : cases) {
        const mOther::FolderTree tree = mOther::MakeFolderTree(c.path);
        EXPECT_EQ(tree.folder, c.folder) << c.what;
        EXPECT_EQ(tree.madeDeepest, c.made) << c.what;
    }
}

TEST_F(FilesTest, CreateFolderTreeAnswersEmptyOnFailure)
{
    writeFile(at(u"file"_s), "x");
    EXPECT_EQ(mOther::CreateFolderTree(at(u"file/A/*"_s)), QString()) << "a file stands in the way";
    EXPECT_EQ(mOther::CreateFolderTree(at(u"file/*"_s)), QString()) << "a file is no folder to write into";
    ASSERT_TRUE(QFile::link(at(u"nowhere"_s), at(u"dangling"_s)));
    EXPECT_EQ(mOther::CreateFolderTree(at(u"dangling/*"_s)), QString()) << "a broken link is not followed";
    EXPECT_EQ(mOther::CreateFolderTree(at(u"dangling/A/*"_s)), QString()) << "nor one higher up";
    EXPECT_FALSE(QFileInfo::exists(at(u"nowhere"_s)));
    EXPECT_EQ(mOther::CreateFolderTree(u"*"_s), QString()) << "no folder at all";
    EXPECT_EQ(mOther::CreateFolderTree(at(u"%1/*"_s.arg(QString(300, u'x')))), QString()) << "a name too long";
}

TEST_F(FilesTest, CreateFolderTreeCreatesEveryFolderWhenNoneOfThemExistsYet)
{
    // A path none of whose folders exists, as a folder right below the root would be; relative to
    // the test's own folder, so that nothing is written outside it whoever runs the test.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const QString built = mOther::CreateFolderTree(u"A/B/*"_s);
    QDir::setCurrent(before);
    EXPECT_EQ(built, u"A/B"_s);
    EXPECT_TRUE(QFileInfo(at(u"A/B"_s)).isDir());
}

TEST_F(FilesTest, FolderProbeLeavesAnExistingProbeFileAsItWas)
{
    const QString probe = at(u"_!~.~_!"_s);
    writeFile(probe, "содержимое");
    const QDateTime before = QFileInfo(probe).lastModified();
    EXPECT_TRUE(mIO::IsFolderExistsEx(ui, root.path()));
    EXPECT_EQ(contentOf(probe), QByteArray("содержимое"));
    EXPECT_EQ(QFileInfo(probe).lastModified(), before);
}

TEST_F(FilesTest, FolderProbeCreatesAndDeletesItsFile)
{
    EXPECT_TRUE(mIO::IsFolderExistsEx(ui, root.path()));
    EXPECT_TRUE(mIO::IsFolderExistsEx(ui, root.path() + u'/'));
    EXPECT_FALSE(QFileInfo::exists(at(u"_!~.~_!"_s)));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 0);
}

TEST_F(FilesTest, FolderProbeAnswersFalseForWhatIsNoUsableFolder)
{
    EXPECT_FALSE(mIO::IsFolderExistsEx(ui, at(u"missing"_s)));
    EXPECT_FALSE(mIO::IsFolderExistsEx(ui, QString())) << "an empty folder never passes";
    EXPECT_FALSE(mIO::IsFolderExistsEx(ui, u"relative/folder"_s)) << "a relative folder never passes";
    EXPECT_FALSE(mIO::IsFolderExistsEx(ui, u"."_s));
    // Something that is not a regular file under the probe's name is left alone.
    ASSERT_TRUE(QDir(root.path()).mkdir(u"_!~.~_!"_s));
    EXPECT_FALSE(mIO::IsFolderExistsEx(ui, root.path()));
    EXPECT_TRUE(QFileInfo(at(u"_!~.~_!"_s)).isDir());
}

TEST_F(FilesTest, IsFileExistsDemandsARegularFile)
{
    writeFile(at(u"f.txt"_s), "x");
    EXPECT_TRUE(mN7Files::IsFileExists(at(u"f.txt"_s)));
    EXPECT_FALSE(mN7Files::IsFileExists(root.path())) << "a folder";
    EXPECT_FALSE(mN7Files::IsFileExists(at(u"none.txt"_s)));
    EXPECT_FALSE(mN7Files::IsFileExists(QString()));
    EXPECT_FALSE(mN7Files::IsFileExists(u"/dev/null"_s)) << "a device";
    EXPECT_EQ(mN7Files::GetLongPathName(at(u"f.txt"_s)), at(u"f.txt"_s));
    EXPECT_EQ(mN7Files::GetLongPathName(at(u"none.txt"_s)), QString());
}

TEST_F(FilesTest, DeleteFileClearsReadOnlyAndReportsFailuresUnlessIgnored)
{
    const QString path = at(u"ro.txt"_s);
    writeFile(path, "x");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    mN7Files::ClearReadOnlyAttributeFromFile(ui, path);
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::WriteOwner);
    mN7Files::DeleteFile(ui, path, false);
    EXPECT_FALSE(QFileInfo::exists(path));

    mN7Files::DeleteFile(ui, at(u"none.txt"_s), true);
    EXPECT_TRUE(ui.boxes.empty()) << "an ignored failure passes silently";

    ui.expectBox(1);
    mN7Files::DeleteFile(ui, at(u"none.txt"_s), false);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Error in DeleteFile"_s);
    EXPECT_EQ(ui.boxes[0].title, u"Ларимо-9: Фетчлинг."_s);
}

TEST_F(FilesTest, DeletingALinkLeavesItsTargetAsItWas)
{
    // A link in the download folder may point anywhere: removing it must not make its target writable.
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(u"protected.txt"_s);
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadUser;
    ASSERT_TRUE(QFile::setPermissions(target, readOnly));
    const QString link = at(u"link.txt"_s);
    ASSERT_TRUE(QFile::link(target, link));

    mN7Files::ClearReadOnlyAttributeFromFile(ui, link);
    EXPECT_FALSE(QFileInfo(target).permissions() & QFileDevice::WriteOwner);
    mN7Files::DeleteFile(ui, link, false);
    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link itself is gone";
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_FALSE(QFileInfo(target).permissions() & QFileDevice::WriteOwner);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(ApiErrorTest, RaiseApiErrorCarriesTheCodeAndTheSystemsText)
{
    try {
        mN7Files::RaiseApiError(ENOENT, u"Ошибка: "_s);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ENOENT);
        EXPECT_EQ(e.description(), u"Ошибка: "_s + mN7Files::GetApiErrorText(ENOENT));
    }
    try {
        mN7Files::RaiseApiError(0, u"Ошибка: "_s);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 1001);
        EXPECT_EQ(e.description(), u"Ошибка: Unknown API error."_s);
    }
}

TEST_F(FilesTest, SaveStringToFileWritesExactWindows1251Bytes)
{
    const QString path = at(u"meta.n7l"_s);
    writeFile(path, "an older, longer content that must go");
    EXPECT_EQ(mOther::SaveStringToFile(path, u"Счёт №5\r\nИтог € 中"_s), QString());
    EXPECT_EQ(contentOf(path), QByteArray("\xD1\xF7\xB8\xF2 \xB9"
                                          "5\r\n\xC8\xF2\xEE\xE3 \x88 ?"));
    EXPECT_EQ(mOther::SaveStringToFile(path, QString()), QString());
    EXPECT_EQ(contentOf(path), QByteArray()) << "no line end is added";
}

TEST_F(FilesTest, SaveStringToFileAnswersTheSystemsMessages)
{
    EXPECT_EQ(mOther::SaveStringToFile(u"/dev/full"_s, u"текст"_s), u"Disk full"_s);
    EXPECT_EQ(mOther::SaveStringToFile(at(u"missing/f.txt"_s), u"x"_s), u"Path not found"_s);
    EXPECT_EQ(mOther::SaveStringToFile(root.path(), u"x"_s), u"Path/File access error"_s);
}

TEST_F(FilesTest, SaveStringToFileReplacesWholeAndLeavesNoTemporaryFile)
{
    const QString path = at(u"DCInfo.n7l"_s);
    writeFile(path, "old");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(mOther::SaveStringToFile(path, u"new"_s), QString());
    EXPECT_EQ(contentOf(path), QByteArray("new"));
    EXPECT_EQ(QFile::permissions(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                            | QFileDevice::WriteUser | QFileDevice::ReadGroup)
        << "the old file's permissions stay";
    EXPECT_EQ(mOther::SaveStringToFile(at(u"new.url"_s), u"link"_s), QString());
    EXPECT_EQ(contentOf(at(u"new.url"_s)), QByteArray("link"));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"DCInfo.n7l"_s, u"new.url"_s}));
}

TEST_F(FilesTest, SaveStringToFileFollowsALinkAndRefusesAReadOnlyFile)
{
    writeFile(at(u"real.txt"_s), "old");
    ASSERT_TRUE(QFile::link(at(u"real.txt"_s), at(u"link.txt"_s)));
    EXPECT_EQ(mOther::SaveStringToFile(at(u"link.txt"_s), u"new"_s), QString());
    EXPECT_EQ(contentOf(at(u"real.txt"_s)), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(at(u"link.txt"_s)).isSymLink());

    writeFile(at(u"locked.txt"_s), "kept");
    QFile::setPermissions(at(u"locked.txt"_s), QFileDevice::ReadOwner);
    if (QFileInfo(at(u"locked.txt"_s)).isWritable())
        GTEST_SKIP() << "the file system lets this user write anything";
    EXPECT_EQ(mOther::SaveStringToFile(at(u"locked.txt"_s), u"new"_s), u"Path/File access error"_s);
    EXPECT_EQ(contentOf(at(u"locked.txt"_s)), QByteArray("kept"));
}

TEST_F(FilesTest, AFailedReplacementKeepsTheOldFile)
{
    const QString path = at(u"DCInfo.n7l"_s);
    writeFile(path, "good old content");
    const QString message = WholeFileReplacer::replace(path, [](QIODevice& file) {
        file.write("half");
        return u"Disk full"_s;
    });
    EXPECT_EQ(message, u"Disk full"_s);
    EXPECT_EQ(contentOf(path), QByteArray("good old content"));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"DCInfo.n7l"_s}));
}

TEST(SaveStringToDeviceTest, AFullDeviceAnswersDiskFull)
{
    FullDevice device(3);
    EXPECT_EQ(mOther::SaveStringToDevice(device, u"Документ"_s), u"Disk full"_s);
    FullDevice roomy(100);
    EXPECT_EQ(mOther::SaveStringToDevice(roomy, u"Документ"_s), QString());
    EXPECT_EQ(roomy.written, QByteArray("\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2"));
}
