#include <functional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestArchive.h"
#include "base/Error.h"
#include "base/TextCodec.h"
#include "core/MsgBox.h"
#include "core/N7UnZipper.h"
#include "core/N7Zipper.h"
#include "core/mUnzipper.h"
#include "core/mZipper.h"
#include "platform/zip/Libraries.h"
#include "platform/zip/LibzipLibraries.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using core::N7Zipper;
using platform::zip::ZIPUSERFUNCTIONS;
using platform::zip::ZPOPT;

namespace {

const QString kTitle = u"N7_Fetchling"_s;

// A zip library that keeps what it was handed and plays a scripted run against the callbacks.
class FakeZip final : public platform::zip::ZipLibrary
{
public:
    int ZpInit(ZIPUSERFUNCTIONS* functions) override
    {
        callbacks = functions;
        return initResult;
    }
    int ZpSetOptions(ZPOPT* opts) override
    {
        options = *opts;
        date = QString::fromUtf8(opts->Date);
        return 1;
    }
    int ZpArchive(int argc, const char* zipFileName, char** argv) override
    {
        ++archiveCalls;
        count = argc;
        archiveName = QString::fromUtf8(zipFileName);
        names.clear();
        for (int i = 0; i < argc; ++i)
            names.append(QByteArray(argv[i]));
        archiveExistedDuringRun = QFile::exists(archiveName);
        return script ? script(*callbacks) : code;
    }

    int initResult = 1;
    int code = 0;
    std::function<int(ZIPUSERFUNCTIONS&)> script;
    ZIPUSERFUNCTIONS* callbacks = nullptr;
    ZPOPT options;
    QString date;
    int archiveCalls = 0;
    int count = -1;
    QString archiveName;
    QList<QByteArray> names;
    bool archiveExistedDuringRun = false;
};

class FakeLibraries final : public platform::zip::Libraries
{
public:
    platform::zip::UnzipLibrary* loadUnzip(const QString&) override { return nullptr; }
    platform::zip::ZipLibrary* loadZip(const QString& name) override
    {
        loadedName = name;
        return zip;
    }
    platform::zip::ZipLibrary* zip = nullptr;
    QString loadedName;
};

class ZipperTest : public ::testing::Test
{
protected:
    ZipperTest() { libraries.zip = &fake; }

    FakeZip fake;
    FakeLibraries libraries;
    testsupport::ScriptedUiServices ui;
    core::mZipper module{libraries, ui, kTitle};
};

TEST_F(ZipperTest, TheLevelBecomesTheCharacterOfItsDigitOrTheDefaultByte)
{
    const QList<std::pair<int, char>> cases = {
        {-1, '\0'}, {-5, '\0'}, {0, '0'}, {9, '9'}, {207, static_cast<char>(255)}};
    for (const auto& [level, byte] : cases) {
        SCOPED_TRACE(level);
        N7Zipper job(module);
        job.Level = level;
        job.DoZipping();
        EXPECT_EQ(fake.options.fLevel, byte);
    }
    N7Zipper job(module);
    job.Level = 208;
    try {
        job.DoZipping();
        ADD_FAILURE() << "no overflow";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::N7Zipper.DoZipping]"_s));
    }
}

TEST_F(ZipperTest, TheNameListSkipsEmptyPathsAndIsWindows1251)
{
    N7Zipper job(module);
    EXPECT_EQ(job.DoZipping(), 0);
    EXPECT_EQ(fake.archiveCalls, 1); // no paths still archives, with a count of 0
    EXPECT_EQ(fake.count, 0);

    job.AddFileName(u"a.txt"_s);
    job.AddFileName(QString());
    job.AddFileName(u"Счёт中.txt"_s);
    job.DoZipping();
    EXPECT_EQ(fake.count, 2);
    EXPECT_EQ(fake.names, (QList<QByteArray>{"a.txt", core::TextCodec::toCp1251(u"Счёт?.txt"_s)}));
    const QByteArray& buffer = module.nameList().buffer;
    EXPECT_EQ(buffer.left(16), QByteArray("a.txt\0\xD1\xF7\xB8\xF2?.txt\0", 16));
    EXPECT_EQ(module.nameList().pointers[2], nullptr);

    EXPECT_EQ(job.FileNames()->size(), 3);
    job.ClearFileNames();
    EXPECT_TRUE(job.FileNames()->isEmpty());
}

TEST_F(ZipperTest, TheNameListHoldsAtMost1024Names)
{
    N7Zipper job(module);
    for (int i = 0; i < 1030; ++i)
        job.AddFileName(u"f"_s + QString::number(i));
    job.DoZipping();
    EXPECT_EQ(fake.count, 1024);
    EXPECT_EQ(fake.names.last(), QByteArray("f1023"));
}

TEST_F(ZipperTest, FieldsReachTheOptionsRecord)
{
    N7Zipper job(module);
    job.ZipDate = u"05.03.2024"_s;
    job.RootDir = u"/data/Корень"_s;
    job.Recurse = 2;
    job.Encryption = 1;
    job.JunkDir = true;
    job.Move = true;
    job.IsTemp = true;
    job.Comment = u"ignored"_s;
    job.ZipFileName = u"/tmp/out.zip"_s;
    job.DoZipping();
    EXPECT_EQ(fake.date, u"03/05/24"_s);
    EXPECT_EQ(QString::fromUtf8(fake.options.szRootDir), u"/data/Корень"_s);
    EXPECT_EQ(fake.options.fRecurse, 2);
    EXPECT_EQ(fake.options.fEncryption, 1);
    EXPECT_EQ(fake.options.fJunkDir, 1);
    EXPECT_EQ(fake.options.fMove, 1);
    EXPECT_EQ(fake.options.fTemp, 0);
    EXPECT_EQ(fake.options.fComment, 0);
    EXPECT_EQ(fake.options.fUpdate, 0);
    EXPECT_EQ(fake.archiveName, u"/tmp/out.zip"_s);
    EXPECT_EQ(libraries.loadedName, u"n7zip.dll"_s);
    EXPECT_EQ(core::mZipper::formatZipDate(u"not a date"_s), u"not a date"_s);
    EXPECT_EQ(core::mZipper::formatZipDate(u"2023-12-31"_s), u"12/31/23"_s);
}

TEST_F(ZipperTest, RaiseErrorOnFailTurnsCodeTwelveIntoError1012)
{
    fake.code = 12;
    N7Zipper job(module);
    EXPECT_EQ(job.DoZipping(), 12);
    job.RaiseErrorOnFail = true;
    try {
        job.DoZipping();
        ADD_FAILURE() << "no error raised";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 1012);
        EXPECT_EQ(e.description(), u"[N7_Fetchling::N7Zipper.DoZipping]\r\nNothing to do for ZIP"_s);
    }
}

TEST_F(ZipperTest, AnExistingArchiveIsDeletedFirstAndAMissingOneIsNoMatter)
{
    QTemporaryDir dir;
    N7Zipper job(module);
    job.ZipFileName = dir.path() + u"/old.zip"_s;
    EXPECT_EQ(job.DoZipping(), 0); // no archive on disk: no message, the run goes on
    testsupport::TestArchive::writeFile(job.ZipFileName, "old");
    job.DoZipping();
    EXPECT_FALSE(fake.archiveExistedDuringRun);
    testsupport::TestArchive::writeFile(job.ZipFileName, "old");
    job.DeleteExistingZipFile = false;
    job.DoZipping();
    EXPECT_TRUE(fake.archiveExistedDuringRun);
}

TEST_F(ZipperTest, ALibraryThatCannotStartShowsTheWarningAndArchivesNothing)
{
    fake.initResult = 0;
    ui.setMousePointer(core::MousePointer::Hourglass);
    ui.expectBox(core::msgbox::vbOK);
    N7Zipper job(module);
    EXPECT_EQ(job.DoZipping(), 0);
    EXPECT_EQ(fake.archiveCalls, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Отсутствует Zip32.dll."_s);
    EXPECT_EQ(ui.boxes[0].title, u"Ошибка"_s);
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(ui.mousePointer(), core::MousePointer::Hourglass);
}

TEST_F(ZipperTest, AMissingLibraryFailsThroughTheTrail)
{
    FakeLibraries none;
    core::mZipper orphan(none, ui, kTitle);
    N7Zipper job(orphan);
    try {
        job.DoZipping();
        ADD_FAILURE() << "no error raised";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::N7Zipper.DoZipping]"_s));
    }
}

TEST_F(ZipperTest, ThePasswordIsAskedEveryTimeAndTheCommentPromptAlwaysAnswersOne)
{
    QList<int> answers;
    QList<QByteArray> buffers;
    fake.script = [&](ZIPUSERFUNCTIONS& callbacks) {
        for (int i = 0; i < 2; ++i) {
            std::array<char, 8> buffer;
            buffer.fill('#');
            answers.append(callbacks.password(buffer.data(), 8, "p", "n"));
            buffers.append(QByteArray(buffer.data(), 8));
        }
        std::array<char, 16> comment{};
        answers.append(callbacks.comment(comment.data(), 16));
        buffers.append(QByteArray(comment.data()));
        answers.append(callbacks.service("a", 1));
        return 0;
    };
    ui.expectInput(QString());
    ui.expectInput(u"pw"_s);
    ui.expectInput(u"note"_s);
    N7Zipper job(module);
    job.DoZipping();
    EXPECT_EQ(answers, (QList<int>{1, 0, 1, 0}));
    EXPECT_EQ(buffers, (QList<QByteArray>{"########", QByteArray("pw\0\0\0\0\0\0", 8), "note"}));
    ASSERT_EQ(ui.inputs.size(), 3u);
    EXPECT_EQ(ui.inputs[0].prompt, u"Please Enter The Password!"_s);
    EXPECT_EQ(ui.inputs[0].title, kTitle);
    EXPECT_EQ(ui.inputs[2].prompt, u"Enter the comment"_s);
}

TEST(ZipperOnLibzipTest, PackedFilesUnpackToTheSameBytes)
{
    QTemporaryDir dir;
    const QString source = dir.path() + u"/src"_s;
    testsupport::TestArchive::writeFile(source + u"/Счёт-фактура.xml"_s, "<invoice/>");
    testsupport::TestArchive::writeFile(source + u"/sub/a.bin"_s, QByteArray(5000, 'a'));
    testsupport::ScriptedUiServices ui;
    platform::zip::LibzipLibraries libraries;
    core::mZipper zipper(libraries, ui, kTitle);
    N7Zipper job(zipper);
    job.ZipFileName = dir.path() + u"/out.zip"_s;
    job.RootDir = source;
    job.AddFileName(u"Счёт-фактура.xml"_s);
    job.AddFileName(u"sub/a.bin"_s);
    job.Level = 9;
    EXPECT_EQ(job.DoZipping(), 0);

    core::mUnzipper unzipper(libraries, ui, kTitle);
    core::N7UnZipper unzip(unzipper);
    unzip.ZipFileName = job.ZipFileName;
    unzip.ExtractDir = dir.path() + u"/out"_s;
    core::TextCollection listed;
    EXPECT_EQ(unzip.DoListFiles(listed), 0);
    EXPECT_EQ(*listed, (QStringList{u"Счёт-фактура.xml"_s, u"sub\\a.bin"_s}));
    unzip.ExtractOrList = 0;
    EXPECT_EQ(unzip.DoUnzipping(), 0);
    EXPECT_EQ(testsupport::TestArchive::read(unzip.ExtractDir + u"/Счёт-фактура.xml"_s), "<invoice/>");
    EXPECT_EQ(testsupport::TestArchive::read(unzip.ExtractDir + u"/a.bin"_s), QByteArray(5000, 'a'));

    job.ClearFileNames();
    job.AddFileName(u"missing.txt"_s);
    EXPECT_EQ(job.DoZipping(), 12);
    EXPECT_FALSE(QFile::exists(job.ZipFileName));
}

} // namespace
