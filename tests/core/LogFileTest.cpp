#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/mLogFile.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using core::mLogFile;

namespace {

QByteArray utf16le(const QString& text)
{
    QByteArray bytes;
    for (const QChar unit : text) {
        bytes.append(static_cast<char>(unit.unicode() & 0xFF));
        bytes.append(static_cast<char>(unit.unicode() >> 8));
    }
    return bytes;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LogFileTest : public testing::Test
{
protected:
    QTemporaryDir root;
    testsupport::ScriptedUiServices ui;
    QDateTime now{QDate(2024, 3, 5), QTime(9, 7, 2, 45)};
    mLogFile log{ui, [this] { return now; }};

    QString folder() const { return root.path() + u'/'; }
};

} // namespace

TEST_F(LogFileTest, StartNamesTheLogAfterTheStartTimeAndWritesTheFirstLine)
{
    const QString name = log.StartLogFile(folder(), QString());
    EXPECT_EQ(name, folder() + u"Log_2024-03-05_09-07-02.txt"_s);
    EXPECT_TRUE(log.isLogging());
    EXPECT_EQ(contentOf(name), utf16le(u"2024-03-05 09:07:02.045: Начало процесса\r\n"_s));
}

TEST_F(LogFileTest, EveryLineIsAppendedWithItsTimeInUtf16LeWithoutByteOrderMark)
{
    const QString name = log.StartLogFile(folder(), QString());
    now = QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2, 5));
    log.WriteLogFile(u"0123456789"_s);
    const QByteArray bytes = contentOf(name);
    const QByteArray first = utf16le(u"2024-03-05 09:07:02.045: Начало процесса\r\n"_s);
    ASSERT_TRUE(bytes.startsWith(first));
    const QByteArray line = bytes.mid(first.size());
    EXPECT_EQ(line, utf16le(u"2024-03-05 09:07:02.005: 0123456789\r\n"_s));
    EXPECT_EQ(line.size(), 74) << "10 characters, the 25-character prefix and CRLF, two bytes each";
    EXPECT_NE(bytes.left(2), QByteArray("\xFF\xFE"));

    // A character beyond the basic plane takes its surrogate pair: four bytes.
    log.WriteLogFile(u"\U0001F600"_s, false, false);
    EXPECT_EQ(contentOf(name).right(4), QByteArray("\x3D\xD8\x00\xDE", 4));
}

TEST_F(LogFileTest, AGivenNameIsUsedUnchangedAndAnExistingLogIsAppendedTo)
{
    QFile existing(folder() + u"run.log"_s);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write(utf16le(u"old\r\n"_s));
    existing.close();

    EXPECT_EQ(log.StartLogFile(folder(), u"run.log"_s), folder() + u"run.log"_s);
    log.WriteLogFile(u"x"_s, false, true);
    EXPECT_EQ(contentOf(folder() + u"run.log"_s),
              utf16le(u"old\r\n2024-03-05 09:07:02.045: Начало процесса\r\nx\r\n"_s));
}

// Two runs started within one second: the later one's lines go to the numbered name, so that no
// log mixes two runs; a third takes the next number.
TEST_F(LogFileTest, TwoStartsWithinOneSecondKeepTheirOwnFiles)
{
    const QString first = log.StartLogFile(folder(), QString());
    log.WriteLogFile(u"первый"_s);
    now = now.addMSecs(500);
    const QString second = log.StartLogFile(folder(), QString());
    EXPECT_EQ(second, folder() + u"Log_2024-03-05_09-07-02 (2).txt"_s);
    log.WriteLogFile(u"второй"_s);
    EXPECT_EQ(log.StartLogFile(folder(), QString()), folder() + u"Log_2024-03-05_09-07-02 (3).txt"_s);
    EXPECT_EQ(contentOf(first), utf16le(u"2024-03-05 09:07:02.045: Начало процесса\r\n"
                                        u"2024-03-05 09:07:02.045: первый\r\n"_s));
    EXPECT_EQ(contentOf(second), utf16le(u"2024-03-05 09:07:02.545: Начало процесса\r\n"
                                         u"2024-03-05 09:07:02.545: второй\r\n"_s));
}

TEST_F(LogFileTest, WithLoggingOffNothingIsWritten)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const QString name = log.StartLogFile(QString(), QString());
    log.WriteLogFile(u"строка"_s);
    QDir::setCurrent(previous);

    EXPECT_EQ(name, u"Log_2024-03-05_09-07-02.txt"_s);
    EXPECT_FALSE(log.isLogging());
    EXPECT_TRUE(QDir(root.path()).isEmpty());
}

TEST_F(LogFileTest, FailuresShowTheirMessageAndLoseOnlyTheLine)
{
    ui.expectBox(1);
    log.StartLogFile(root.path() + u"/missing/"_s, QString());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, u"Не удалось открыть или создать файл. Ошибка: "_s + QString::number(ENOENT));
    EXPECT_EQ(ui.boxes[0].title, u"Ларимо-9: Фетчлинг."_s);
    EXPECT_EQ(ui.boxes[0].style, 16);

    ui.expectBox(1);
    log.WriteLogFile(u"ещё"_s);
    EXPECT_EQ(ui.boxes.size(), 2u) << "logging stays on: the next line tries again";

    ui.expectBox(1);
    log.StartLogFile(u"/dev/"_s, u"full"_s);
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[2].prompt, u"Ошибка при записи в файл."_s);
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

TEST_F(LogFileTest, TimeStampTextPadsEveryPart)
{
    now = QDateTime(QDate(987, 1, 2), QTime(3, 4, 5, 6));
    EXPECT_EQ(log.TimeStampText(true, u"."_s, u"T"_s, u":"_s), u"0987.01.02T03:04:05.006"_s);
    EXPECT_EQ(log.TimeStampText(false, u"-"_s, u"_"_s, u"-"_s), u"0987-01-02_03-04-05"_s);
}

namespace {

// An unattended run's services: every box answers at once and its text goes to the run log.
class LoggingUi final : public core::UiServices
{
public:
    core::mLogFile* log = nullptr;
    QStringList prompts;

    bool isUnattended() const override { return true; }
    int msgBox(const QString& prompt, int, const QString&) override
    {
        prompts.append(prompt);
        if (prompts.size() > 10)
            return 1; // stops an endless chain so that the test fails instead of the stack
        if (log)
            log->WriteLogFile(prompt);
        return 1;
    }
    QString inputBox(const QString&, const QString&, const QString& defaultText) override { return defaultText; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    core::MousePointer mousePointer() const override { return core::MousePointer::Default; }
    void setMousePointer(core::MousePointer) override {}
    void processEvents() override {}
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override { return nullptr; }
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override { return nullptr; }
};

} // namespace

TEST(LogFileUnattendedTest, ABoxWrittenToAFailingLogTellsItsFailureOnlyOnce)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    LoggingUi ui;
    mLogFile log(ui, [] { return QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2)); });
    ui.log = &log;

    log.StartLogFile(root.path() + u"/missing/"_s, QString());
    log.WriteLogFile(u"строка"_s);
    ASSERT_EQ(ui.prompts.size(), 2) << "one open message for each line written by the run";
    EXPECT_TRUE(ui.prompts[0].startsWith(u"Не удалось открыть или создать файл. Ошибка: "_s));
    EXPECT_EQ(ui.prompts[1], ui.prompts[0]);
    EXPECT_TRUE(log.isLogging());

    // Once the folder is there, lines (the boxes' own included) reach the file again.
    ASSERT_TRUE(QDir(root.path()).mkdir(u"missing"_s));
    log.WriteLogFile(u"ok"_s);
    EXPECT_EQ(ui.prompts.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(log.logFileName()));
}
